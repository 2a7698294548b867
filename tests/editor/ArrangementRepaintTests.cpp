#include "support/EditorTestAccess.h"
#include "support/RepaintCheck.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    /** Where each clip component is and what it shows, in editor coordinates. */
    std::map<juce::Component*, std::pair<juce::Rectangle<int>, ClipData>> clipComponents (CarvolinEditor& e)
    {
        std::map<juce::Component*, std::pair<juce::Rectangle<int>, ClipData>> result;
        for (auto* child : Access::clipContainer (e).getChildren())
            if (auto* clip = dynamic_cast<ScoreComponent*> (child))
                result[child] = { e.getLocalArea (child, child->getLocalBounds()), static_cast<const ClipData&> (*clip) };
        return result;
    }

    /** What repaints itself: the controls and track headers, and each clip
        component that moved, changed, came or went, where it was and is.
    */
    std::vector<juce::Rectangle<int>> selfRepainting (CarvolinEditor& e, const std::map<juce::Component*, std::pair<juce::Rectangle<int>, ClipData>>& before)
    {
        std::vector<juce::Rectangle<int>> areas;
        for (auto* child : e.getChildren())
            if (child != &Access::clipContainer (e) && child->isVisible())
                areas.push_back (child->getBounds());

        const auto after = clipComponents (e);
        for (const auto& [one, other] : { std::pair { &before, &after }, std::pair { &after, &before } })
            for (const auto& [component, shown] : *one)
                if (const auto found = other->find (component); found == other->end() || found->second.first != shown.first || ! (found->second.second == shown.second))
                    areas.push_back (shown.first);
        return areas;
    }
} // namespace

TEST (ArrangementRepaint, EachChangeRepaintsWhereItWasAndIsAndLittleElse)
{
    // For each change: the pixels it changed all lie in the areas the editor
    // asked to paint again or in clips that repaint themselves (nothing stale
    // stays on screen), and a change of a clip or two asks for a small part
    // of the view.
    struct Case
    {
        const char* name;
        std::function<void (CarvolinEditor&, Pointer&)> before, change;
        double mostOfView;
    };

    const Case cases[] {
        { "moving a clip", [] (auto&, auto& p) { p.press (quarterX (1), laneY (0)); }, [] (auto&, auto& p) { p.drag (quarterX (5), laneY (1)); }, 0.02 },
        { "ending a move", [] (auto&, auto& p) { p.press (quarterX (1), laneY (0)); p.drag (quarterX (5), laneY (1)); },
          [] (auto&, auto& p) { p.release (quarterX (5), laneY (1)); }, 0.02 },
        { "clicking another clip", [] (auto&, auto& p) { p.click (quarterX (1), laneY (0)); }, [] (auto&, auto& p) { p.click (quarterX (9), laneY (1)); }, 0.02 },
        { "a rubber band growing over clips", [] (auto&, auto& p) { p.press (quarterX (30), laneY (3)); p.drag (quarterX (20), laneY (2)); },
          [] (auto&, auto& p) { p.drag (quarterX (2), laneY (0)); }, 0.1 },
        { "deleting the selection", [] (auto&, auto& p) { p.click (quarterX (1), laneY (0)); },
          [] (auto& e, auto&) { e.keyPressed (juce::KeyPress (juce::KeyPress::deleteKey)); }, 0.02 },
        { "undoing a move", [] (auto&, auto& p) { p.dragFromTo (quarterX (1), laneY (0), quarterX (5), laneY (1)); }, [] (auto& e, auto&) { e.keyPressed (ctrl ('Z')); }, 0.02 },
        { "selecting all", [] (auto&, auto&) {}, [] (auto& e, auto&) { e.keyPressed (ctrl ('A')); }, 0.02 },
        { "drawing a clip",
          [] (auto& e, auto& p) {
              e.keyPressed (juce::KeyPress ('2'));
              p.press (quarterX (24), laneY (2));
          },
          [] (auto&, auto& p) { p.drag (quarterX (30), laneY (2)); }, 0.02 },
        { "a file dragged over the lanes", [] (auto& e, auto&) { e.fileDragEnter ({ "/tmp/a.mid" }, quarterX (2), laneY (3)); },
          [] (auto& e, auto&) { e.fileDragMove ({ "/tmp/a.mid" }, quarterX (12), laneY (2)); }, 0.05 },
    };

    for (const auto& c : cases)
    {
        EditorFixture f;
        auto& editor = *f.editor;
        Access::addClip (editor, 1, 0, 4, { { 60, 0, 960, 100 } });
        Access::addClip (editor, 2, 8, 4);
        Access::addClip (editor, 3, 16, 4);
        Pointer pointer { editor };

        c.before (editor, pointer);
        const auto was = snapshot (editor);
        const auto look = Access::look (editor);
        const auto components = clipComponents (editor);
        c.change (editor, pointer);
        const auto result = RepaintCheck::compare (was, snapshot (editor), Access::changedAreas (editor, look), selfRepainting (editor, components));

        EXPECT_EQ (result.pixelsMissed, 0) << c.name << ": " << testing::PrintToString (result);
        EXPECT_LE (result.shareOfView, c.mostOfView) << c.name << ": " << testing::PrintToString (result);
    }
}
