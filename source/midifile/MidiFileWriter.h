#pragma once

#include "model/Arrangement.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

//==============================================================================
/** Turns clips into a Standard MIDI File: format 1, one track, 960 ticks per
    quarter note, fixed byte for byte.
*/
namespace MidiFileWriter
{
    /** One event before it goes into a sequence: its tick, its message, and
        the note it starts or ends (numbered in insertion order).
    */
    struct PendingEvent
    {
        juce::int64 tick;
        juce::MidiMessage message;
        int noteId = -1;
        bool isOff = false;
    };

    /** The note-on and note-off of every note, in the order the writer inserts
        them: clips in list order, notes in stored order, each on before its off.
    */
    std::vector<PendingEvent> noteEvents (const std::vector<const ClipData*>& clips, bool relativeToClip, int forcedChannel = 0);

    /** Puts events into a sequence as juce::MidiMessageSequence::addEvent would
        one at a time (each after the last event whose tick is not later: equal
        ticks keep their insertion order), but without its quadratic cost for
        events that arrive out of order; except that at one tick, of one
        channel and key, the note-off of a note that ends there comes before
        the note-on of a note that starts there. The sequence must be in order
        already.
    */
    void insertInOrder (juce::MidiMessageSequence& sequence, std::vector<PendingEvent> events);

    /** Matches note-ons with note-offs (a key struck again before its release
        gets a note-off before it) and sorts stably by tick.
    */
    void matchNotes (juce::MidiMessageSequence& sequence);

    /** Ends the track with an end-of-track event at the given tick. */
    void addEndOfTrack (juce::MidiMessageSequence& sequence, juce::int64 tick);

    /** The bytes of a format-1 file at 960 ticks per quarter note holding one track. */
    juce::MemoryBlock fileBytes (const juce::MidiMessageSequence& track);

    /** The file a clip is dragged out of the window as: its notes alone on MIDI
        channel 1, times relative to the clip, no tempo event, the end of track
        one tick after the last note end. Empty when no note ends after tick 0.
    */
    juce::MemoryBlock clipFileBytes (const ClipData& clip);

    /** The file "Save MIDI" writes: every note of every clip on the MIDI channel
        of its track, a tempo of bpm (120 unless the user set another) at
        tick 0, the end of track one tick after the last event. Empty when the
        clips hold no note.
    */
    juce::MemoryBlock arrangementFileBytes (const std::vector<const ClipData*>& clips, int bpm = Arrangement::defaultTempo);

    /** Writes bytes to target through a temporary file beside it that then
        replaces the target, so a failed write never destroys an existing file.
    */
    bool replaceFileWith (const juce::File& target, const juce::MemoryBlock& bytes);

    /** The target with ".mid" in place of its extension, unless its name ends
        in ".mid" or ".midi" in any letter case.
    */
    juce::File withMidiExtension (const juce::File& target);
} // namespace MidiFileWriter

/** Writes every note of every clip to file, each clip on the MIDI channel of
    its track. False, with no file touched, when there are no clips or no
    notes; false when the file cannot be written.
*/
bool writeMidiFile (const juce::File& file, const std::vector<const ClipData*>& clips, int bpm = Arrangement::defaultTempo);
