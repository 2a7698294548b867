// libFuzzer target: a state blob handed to the processor, an editor built on
// it, and the blob the host gets back.

#include "editor/CarvolinEditor.h"
#include "plugin/CarvolinProcessor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // Never destroyed: JUCE's own statics are gone by the time static objects of ours would be.
    static const auto* gui = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (gui);

    CarvolinProcessor processor;
    processor.setStateInformation (data, static_cast<int> (size));

    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        juce::Image image (juce::Image::ARGB, 200, 150, true);
        juce::Graphics g (image);
        editor->paintEntireComponent (g, false);
    }

    juce::MemoryBlock out;
    processor.getStateInformation (out);

    // Whatever came in, what goes out is a document the processor takes back.
    CarvolinProcessor again;
    again.setStateInformation (out.getData(), static_cast<int> (out.getSize()));
    if (out.getSize() > 0 && again.getSavedState() == nullptr)
        __builtin_trap();

    return 0;
}
