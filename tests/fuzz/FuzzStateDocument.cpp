// libFuzzer target: restoring clips from an arbitrary state document, writing
// them back, and writing them as MIDI files ("Save MIDI", a clip dragged out)
// that the reader takes back.

#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"
#include "model/StateBlob.h"
#include "model/StateDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // The text of a state blob, as the processor parses it.
    const auto document = StateBlob::parseText (reinterpret_cast<const char*> (data), size);
    const auto clips = StateDocument::readClips (document.get());

    // Written and read again, the clips are the same.
    std::vector<const ClipData*> pointers;
    for (const auto& clip : clips)
        pointers.push_back (&clip);

    const auto written = StateDocument::writeClips ("/folder", pointers);

    if (StateDocument::readClips (written.get()) != clips)
        __builtin_trap();

    const auto readsBack = [] (const juce::MemoryBlock& bytes) {
        return bytes.isEmpty() || MidiFileReader::parse (bytes.getData(), bytes.getSize()).has_value();
    };

    for (const auto& clip : clips)
        if (! readsBack (MidiFileWriter::clipFileBytes (clip)))
            __builtin_trap();

    if (! readsBack (MidiFileWriter::arrangementFileBytes (pointers)))
        __builtin_trap();

    return 0;
}
