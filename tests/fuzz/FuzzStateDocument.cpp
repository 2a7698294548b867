// libFuzzer target: restoring clips from an arbitrary state document, writing
// them back, and writing them as MIDI files ("Save MIDI", a clip dragged out)
// that the reader takes back.

#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"
#include "model/StateDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // The document reaches the parser only as valid, plain UTF-8 text (see StateDocument::decodeBlob).
    if (! StateDocument::isValidUtf8 (data, size) || ! StateDocument::isPlainDocumentText (reinterpret_cast<const char*> (data), size))
        return 0;

    const auto text = juce::String::fromUTF8 (reinterpret_cast<const char*> (data), static_cast<int> (size));
    const auto document = juce::parseXML (text);
    const auto clips = StateDocument::readClips (document.get());

    // Written and read again, the clips are the same.
    std::vector<const ClipData*> pointers;
    for (const auto& clip : clips)
        pointers.push_back (&clip);

    const auto written = StateDocument::createDocument ("/folder", pointers);

    const auto reread = StateDocument::readClips (written.get());
    if (reread.size() != clips.size())
        __builtin_trap();

    for (size_t i = 0; i < clips.size(); ++i)
        if (reread[i].track != clips[i].track || reread[i].startQ != clips[i].startQ || reread[i].lengthQ != clips[i].lengthQ
            || reread[i].notes != clips[i].notes)
            __builtin_trap();

    const auto readsBack = [] (const juce::MemoryBlock& bytes)
    {
        return bytes.isEmpty() || MidiFileReader::parse (bytes.getData(), bytes.getSize()).has_value();
    };

    for (const auto& clip : clips)
        if (! readsBack (MidiFileWriter::clipFileBytes (clip)))
            __builtin_trap();

    if (! readsBack (MidiFileWriter::arrangementFileBytes (pointers)))
        __builtin_trap();

    return 0;
}
