#pragma once

#include "model/Arrangement.h"

#include <optional>
#include <vector>

/** A clip as the reader makes it: on track 1 from quarter 0, holding every note of the file. */
using ImportedClip = ClipData;

//==============================================================================
/**
    Reads a Standard MIDI File into one clip of notes at 960 ticks per quarter.

    The bytes are walked once: the header and the chunks by the rules
    juce::MidiFile::readFrom accepts a file by, and each track chunk's events
    as JUCE decodes them (variable-length deltas, running status, JUCE's
    message lengths). Only the note events are kept, in compact arrays; then
    each track's events of one tick are put in the order JUCE 8 delivers them,
    a note struck again before its release gets a note-off, and each note-on
    is ended by the next note-off of its key. Every step is linear in the
    events, whatever the file holds.
*/
namespace MidiFileReader
{
    /** The largest file read, as juce::MidiFile::readFrom takes it. */
    constexpr size_t maxFileSize = 200 * 1024 * 1024;

    /** A note-on or note-off of a track, as the file gives it: status 0x8n or
        0x9n, and the two data bytes as they are (JUCE does not mask them).
    */
    struct NoteEvent
    {
        juce::int64 tick = 0;
        juce::uint8 status = 0;
        juce::uint8 key = 0;
        juce::uint8 velocity = 0;

        int channel() const noexcept { return (status & 0x0f) + 1; }
        bool isSoundingNoteOn() const noexcept { return (status & 0xf0) == 0x90 && velocity != 0; }
        bool isNoteOff() const noexcept { return (status & 0xf0) == 0x80 || ((status & 0xf0) == 0x90 && velocity == 0); }

        bool operator== (const NoteEvent& o) const noexcept
        {
            return tick == o.tick && status == o.status && key == o.key && velocity == o.velocity;
        }
    };

    /** Note events read from one file at most: four for each note the
        arrangement can hold. A file with more could never be loaded, and
        reading on would only fill memory.
    */
    constexpr size_t maxNoteEvents = 4 * (size_t) Arrangement::maxNotes;

    /** A file's division and its tracks' note events, in file order. */
    struct ParsedFile
    {
        short timeFormat = 0;
        std::vector<std::vector<NoteEvent>> tracks;

        /** The file holds more than maxNoteEvents: reading stopped there. */
        bool tooManyNotes = false;
    };

    /** The file's tracks, or nothing when juce::MidiFile::readFrom would
        refuse the bytes (of which at most maxFileSize are looked at).
    */
    std::optional<ParsedFile> parse (const void* data, size_t size);

    /** The note events of one track chunk, in file order, with absolute ticks:
        at most maxEvents + 1 of them (one more than that says there are more).
    */
    std::vector<NoteEvent> decodeTrack (const juce::uint8* data, int size, size_t maxEvents = maxNoteEvents);

    /** JUCE 8's order for the events of one tick: taking the tick's note-ons
        in turn, each that has a later note-off of its channel and key on the
        same tick changes places with the last such note-off; at the first
        that has none, the tick is done.
    */
    void orderSameTickNotes (std::vector<NoteEvent>& track);

    /** A note-on whose next event of its channel and key is another note-on
        gets a note-off (velocity 0, the key's low 7 bits) just before it.
    */
    void addMatchingNoteOffs (std::vector<NoteEvent>& track);

    /** Ticks per quarter note of a division field: time-code and 0 give 480. */
    int ticksPerQuarter (short timeFormat) noexcept;

    /** The clip holding every note of the tracks (ordered and matched as
        above), or nothing when no note has a later note-off. Times are
        converted to 960 ticks per quarter in 64 bits, saturating.
    */
    std::optional<ImportedClip> collectNotes (ParsedFile file);
} // namespace MidiFileReader

namespace MidiFileReader
{
    /** What reading a file gave. */
    enum class Outcome
    {
        read,        ///< a clip with at least one note
        notMidi,     ///< missing, or not a MIDI file
        noNotes,     ///< a MIDI file without a note that has its note-off
        tooManyNotes ///< more notes than the arrangement can hold (Arrangement::maxNotes)
    };

    /** Reads a file into one clip. */
    Outcome readFile (const juce::File& file, ImportedClip& clip);

    /** The notes of the tracks (ordered and matched as collectNotes does)
        as clips, one for each MIDI channel that has notes, on the track of
        the channel's number: each note-on ended by the next note-off of its
        channel and key; each clip on whole bars from the bar of its first
        note to the end of the bar of its last note end, cut at the
        timeline's end (notes reaching past it stay in it, unchanged). A
        channel whose first note starts past the timeline gives no clip, and
        pastTimeline names it.
    */
    std::vector<ClipData> clipsByChannel (ParsedFile file, int& pastTimeline);

    /** Reads a file into clipsByChannel's clips (read: at least one clip). */
    Outcome readFileByChannel (const juce::File& file, std::vector<ClipData>& clips, int& pastTimeline);
} // namespace MidiFileReader

/** Reads file into out. True when out now holds one clip with at least one
    note; out is untouched when the file is missing or not a MIDI file.
*/
bool readMidiFile (const juce::File& file, std::vector<ImportedClip>& out);
