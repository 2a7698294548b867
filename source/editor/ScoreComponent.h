#pragma once

#include "model/Arrangement.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

//==============================================================================
/** One clip on screen. It carries the clip's data as plain members (ClipData)
    and paints a miniature of its notes. The editor places it; it never moves
    itself, and it does not repaint when its fields change.
*/
class ScoreComponent final : public juce::Component,
                             public ClipData
{
public:
    ScoreComponent (int track, int startQ, int lengthQ);
    ~ScoreComponent() override;

    void mouseDoubleClick (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;

    /** Called by the clip's own double-click handler; may be empty. */
    std::function<void (ScoreComponent*)> onDoubleClick;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ScoreComponent)
};
