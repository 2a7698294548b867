// libFuzzer target: a state blob handed to the processor, an editor built and
// painted on it, the first clip's piano roll opened, painted and closed with
// "X", and the blob the host gets back.

#include "editor/CarvolinEditor.h"
#include "pianoroll/PianoRollComponent.h"
#include "plugin/CarvolinProcessor.h"

#include <cstddef>
#include <cstdint>

static ScoreComponent* firstClip (juce::Component& parent)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* clip = dynamic_cast<ScoreComponent*> (child))
            return clip;

        if (auto* clip = firstClip (*child))
            return clip;
    }

    return nullptr;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // Never destroyed: JUCE's own statics are gone by the time static objects of ours would be.
    static const auto* gui = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (gui);

    CarvolinProcessor processor;
    processor.setStateInformation (data, static_cast<int> (size));

    {
        std::unique_ptr<juce::AudioProcessorEditor> created (processor.createEditor());
        auto& editor = dynamic_cast<CarvolinEditor&> (*created);
        juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true);
        juce::Graphics g (image);
        editor.paintEntireComponent (g, false);

        if (auto* clip = firstClip (editor))
        {
            editor.openPianoRoll (clip);
            editor.paintEntireComponent (g, false);
            editor.getPianoRoll()->close();
            editor.paintEntireComponent (g, false);
        }
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
