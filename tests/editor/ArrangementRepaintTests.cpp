#include "support/EditorTestAccess.h"
#include "support/RepaintCheck.h"

#include <gtest/gtest.h>

using Access = CarvolinEditorTestAccess;
using namespace TestHelpers;

namespace
{
    /** What a clip component shows, and where, in editor coordinates. */
    struct Shown
    {
        juce::Rectangle<int> area;
        ClipPtr clip;
        juce::int64 width;

        bool operator== (const Shown& o) const { return area == o.area && clip == o.clip && width == o.width; }
    };

    std::map<juce::Component*, Shown> clipComponents (CarvolinEditor& e)
    {
        std::map<juce::Component*, Shown> result;
        for (auto* clip : Access::clips (e, true))
            result[clip] = { e.getLocalArea (clip, clip->getLocalBounds()), clip->getClip(), clip->getExtent().width };
        return result;
    }

    /** What repaints itself: the controls and track headers, and each clip
        component that moved, changed, came or went, where it was and is.
    */
    std::vector<juce::Rectangle<int>> selfRepainting (CarvolinEditor& e, const std::map<juce::Component*, Shown>& before)
    {
        std::vector<juce::Rectangle<int>> areas;
        for (auto* child : e.getChildren())
            if (child != &lanes (e) && child->isVisible())
                areas.push_back (child->getBounds());
        for (auto* child : lanes (e).getChildren())
            if (child != &Access::clipContainer (e) && child->isVisible())
                areas.push_back (e.getLocalArea (&lanes (e), child->getBounds()));

        const auto after = clipComponents (e);
        for (const auto& [one, other] : { std::pair { &before, &after }, std::pair { &after, &before } })
            for (const auto& [component, shown] : *one)
                if (const auto found = other->find (component); found == other->end() || ! (found->second == shown))
                    areas.push_back (shown.area);
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
        { "a file dragged over the lanes", [] (auto& e, auto&) { lanes (e).fileDragEnter ({ "/tmp/a.mid" }, quarterX (2), laneY (3)); },
          [] (auto& e, auto&) { lanes (e).fileDragMove ({ "/tmp/a.mid" }, quarterX (12), laneY (2)); }, 0.05 },
    };

    for (const auto& c : cases)
    {
        EditorFixture f;
        auto& editor = *f.editor;
        Access::addClip (editor, 1, 0, 4, { { 60, 0, 960, 100 } });
        Access::addClip (editor, 2, 8, 4);
        Access::addClip (editor, 3, 16, 4);
        Pointer pointer { lanes (editor) };

        c.before (editor, pointer);
        const auto was = snapshot (editor);
        const auto look = ArrangementViewTestAccess::look (lanes (editor));
        const auto components = clipComponents (editor);
        c.change (editor, pointer);
        const auto result = RepaintCheck::compare (was, snapshot (editor), ArrangementViewTestAccess::changedAreas (lanes (editor), look), selfRepainting (editor, components));

        EXPECT_EQ (result.pixelsMissed, 0) << c.name << ": " << testing::PrintToString (result);
        EXPECT_LE (result.shareOfView, c.mostOfView) << c.name << ": " << testing::PrintToString (result);
    }
}
