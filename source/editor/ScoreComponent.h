#pragma once

#include "editor/ArrangementGeometry.h"
#include "model/ArrangementSnapshot.h"

#include <juce_gui_basics/juce_gui_basics.h>

//==============================================================================
/** One clip on screen: its body, outline and a miniature of its notes. It
    shows a clip of the model (or, while a gesture moves, resizes or draws it,
    the gesture's preview of where it lies) and keeps nothing of its own: the
    view places it; it never moves itself.

    A clip far longer than the timeline is shown only where it meets the lanes
    (see ArrangementGeometry::componentBounds): the component then covers part
    of the clip's extent and paints that part of it.
*/
class ScoreComponent final : public juce::Component
{
public:
    ScoreComponent();
    ~ScoreComponent() override;

    void paint (juce::Graphics& g) override;

    /** Shows a clip (null for one being drawn, without notes) lengthQ
        quarters long at its extent inside lanes areaWidth pixels wide.
    */
    void show (ClipPtr clip, int lengthQ, const ArrangementGeometry::ClipExtent& extent, int areaWidth);

    /** The clip shown, or null for one being drawn. */
    const ClipPtr& getClip() const noexcept { return clip; }

    /** Where the whole clip lies inside the lanes. */
    const ArrangementGeometry::ClipExtent& getExtent() const noexcept { return extent; }

private:
    ClipPtr clip;
    int lengthQ = 1;
    ArrangementGeometry::ClipExtent extent;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ScoreComponent)
};
