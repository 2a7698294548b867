#pragma once

#include "editor/ArrangementGeometry.h"
#include "model/Arrangement.h"
#include "model/ArrangementSnapshot.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

//==============================================================================
/** One clip on screen. It carries the clip's data as plain members (ClipData)
    and paints a miniature of its notes. The editor places it; it never moves
    itself, and it does not repaint when its fields change.

    A clip far longer than the timeline is shown only where it meets the lanes
    (see ArrangementGeometry::componentBounds): the component then covers part
    of the clip's extent and paints that part of it.
*/
class ScoreComponent final : public juce::Component,
                             public ClipData
{
public:
    ScoreComponent (int track, int startQ, int lengthQ);
    ~ScoreComponent() override;

    void mouseDoubleClick (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;

    /** Places the clip at its extent inside lanes areaWidth pixels wide. */
    void setExtent (const ArrangementGeometry::ClipExtent& newExtent, int areaWidth);

    /** Where the whole clip lies inside the lanes: its component's bounds
        unless the clip is longer than any screen.
    */
    ArrangementGeometry::ClipExtent getExtent() const noexcept;

    /** Called by the clip's own double-click handler; may be empty. */
    std::function<void (ScoreComponent*)> onDoubleClick;

    /** The model's clip this component shows (0 for a clip being drawn), and
        the snapshot's value of it that its data was copied from.
    */
    ClipId clipId = 0;
    std::shared_ptr<const Clip> source;

private:
    // Set by setExtent; until then the component's bounds are the extent.
    bool placedByExtent = false;
    ArrangementGeometry::ClipExtent extent;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ScoreComponent)
};
