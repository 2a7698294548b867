// libFuzzer target: the MIDI file reader on arbitrary bytes.

#include "midifile/MidiFileReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    if (auto parsed = MidiFileReader::parse (data, size))
    {
        if (auto clip = MidiFileReader::collectNotes (std::move (*parsed)))
        {
            // What the reader hands on is always a clip of at least one quarter.
            if (clip->lengthQ < 1 || clip->notes.empty())
                __builtin_trap();
        }
    }

    return 0;
}
