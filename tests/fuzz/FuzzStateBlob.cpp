// libFuzzer target: a state blob handed to the processor, an editor built and
// painted on it, every clip painted, the first and the longest clip's piano
// roll opened, painted and closed with "X", and the blob the host gets back.
// A paint that does not return is a finding too (run-fuzzers.sh sets a timeout).

#include "editor/CarvolinEditor.h"
#include "pianoroll/PianoRollComponent.h"
#include "plugin/CarvolinProcessor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

static void findClips (juce::Component& parent, std::vector<ScoreComponent*>& found)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* clip = dynamic_cast<ScoreComponent*> (child))
            found.push_back (clip);
        else
            findClips (*child, found);
    }
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

        // Every clip paints on its own, wherever it lies; the first and the
        // longest open in the piano roll, which paints and closes with "X".
        std::vector<ScoreComponent*> clips;
        findClips (editor, clips);

        for (auto* clip : clips)
        {
            juce::Image clipImage (juce::Image::ARGB, juce::jmax (1, juce::jmin (4096, clip->getWidth())), juce::jmax (1, clip->getHeight()), true);
            juce::Graphics clipGraphics (clipImage);
            clip->paintEntireComponent (clipGraphics, false);
        }

        if (! clips.empty())
        {
            const auto longest = *std::max_element (clips.begin(), clips.end(), [] (auto* a, auto* b) { return a->getClip()->data.lengthQ < b->getClip()->data.lengthQ; });

            for (auto* clip : { clips.front(), longest })
            {
                editor.openPianoRoll (clip->getClip()->id);
                editor.paintEntireComponent (g, false);
                editor.getPianoRoll()->close();
                editor.paintEntireComponent (g, false);
            }
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
