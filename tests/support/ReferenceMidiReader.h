#pragma once

#include "midifile/MidiFileReader.h"
#include "model/Arrangement.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <optional>
#include <vector>

//==============================================================================
/** The MIDI file reader as it was first built, on juce::MidiFile::readFrom and
    juce::MidiMessageSequence: the reference the reader in use must agree with
    (tests and the differential fuzz target compare the two). Slow, but plain.
*/
namespace ReferenceMidiReader
{
    /** The largest file read, as juce::MidiFile::readFrom takes it. */
    constexpr size_t maxFileSize = 200 * 1024 * 1024;

    /** The tracks of a file, each in the order JUCE 8's juce::MidiFile::readFrom
        delivers its events (on JUCE 7 too), with matching note-offs added.
        Nothing when juce::MidiFile::readFrom rejects the bytes.
    */
    struct ParsedFile
    {
        short timeFormat = 0;
        std::vector<juce::MidiMessageSequence> tracks;
    };

    std::optional<ParsedFile> parse (const void* data, size_t size);

    /** Decodes one track chunk's events with absolute ticks, in file order. */
    juce::MidiMessageSequence decodeTrack (const juce::uint8* data, int size);

    /** JUCE 8's order for events of one tick: a note-on that has a later
        note-off of its channel and key on the same tick changes places with it.
    */
    void orderSameTickNotes (juce::MidiMessageSequence& track);

    /** Ticks per quarter note of a division field: time-code and 0 give 480. */
    int ticksPerQuarter (short timeFormat) noexcept;

    /** For each event, the index of the first later event of the track that is
        a note-off (of any channel) of the same key; -1 where there is none.
    */
    std::vector<int> nextNoteOffOfKey (const juce::MidiMessageSequence& track);

    /** The clip holding every note of the tracks, or nothing when no note has a
        later note-off. Times are converted to 960 ticks per quarter in 64 bits.
    */
    std::optional<ImportedClip> collectNotes (const std::vector<juce::MidiMessageSequence>& tracks, int ticksPerQuarter);

    /** The clip the reference reads from bytes, or nothing (not a MIDI file, or no note). */
    std::optional<ImportedClip> read (const void* data, size_t size);
} // namespace ReferenceMidiReader
