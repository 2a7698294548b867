// libFuzzer target: the reader in use and the reader as first built on JUCE's
// sequences (the reference) take the same bytes, and must give the same
// answer: both refuse them, or both accept them and make the same clip (or
// both find no note).

#include "midifile/MidiFileReader.h"
#include "support/ReferenceMidiReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto parsed = MidiFileReader::parse (data, size);
    const auto reference = ReferenceMidiReader::parse (data, juce::jmin (size, MidiFileReader::maxFileSize));

    if (parsed.has_value() != reference.has_value())
        __builtin_trap();

    if (! parsed.has_value())
        return 0;

    if (parsed->timeFormat != reference->timeFormat)
        __builtin_trap();

    const auto clip = MidiFileReader::collectNotes (std::move (*parsed));
    const auto expected = ReferenceMidiReader::collectNotes (reference->tracks, ReferenceMidiReader::ticksPerQuarter (reference->timeFormat));

    if (clip != expected)
        __builtin_trap();

    return 0;
}
