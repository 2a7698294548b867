#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"
#include "support/RepaintCheck.h"

#include <gtest/gtest.h>

using namespace TestHelpers;
using PR = PianoRollTestAccess;

namespace
{
    /** A 4-quarter clip at 1100 x 600: tick t at x = 60 + t * 1040 / 3840, pitch p at y = 56 + (108 - p) * 12. */
    int x (int tick) { return 60 + (tick * 1040 + 3839) / 3840; }
    int y (int pitch) { return 50 + (108 - pitch) * 12 + 6; }

    /** The parts of the roll that repaint themselves: its buttons, boxes, bars and sliders. */
    std::vector<juce::Rectangle<int>> childAreas (juce::Component& c)
    {
        std::vector<juce::Rectangle<int>> areas;
        for (auto* child : c.getChildren())
            if (child->isVisible())
                areas.push_back (child->getBounds());
        return areas;
    }
} // namespace

TEST (PianoRollRepaint, EachChangeRepaintsWhereItWasAndIsAndLittleElse)
{
    // For each change: the pixels it changed all lie in the areas the roll
    // asked to paint again (nothing stale stays on screen), and a change of
    // a note or two asks for a small part of the view.
    struct Case
    {
        const char* name;
        std::function<void (PianoRollComponent&, Pointer&)> before, change;
        double mostOfView;
    };

    const Case cases[] {
        { "moving a note", [] (auto&, auto& p) { p.press (x (120), y (100)); }, [] (auto&, auto& p) { p.drag (x (1080), y (98)); }, 0.02 },
        { "ending a move", [] (auto&, auto& p) { p.press (x (120), y (100)); p.drag (x (1080), y (98)); }, [] (auto&, auto& p) { p.release (x (1080), y (98)); }, 0.02 },
        { "drawing a note", [] (auto& r, auto& p) { r.setTool (NoteTool::Draw); p.press (x (1920), y (80)); }, [] (auto&, auto& p) { p.drag (x (3000), y (80)); }, 0.02 },
        { "adding the drawn note", [] (auto& r, auto& p) { r.setTool (NoteTool::Draw); p.press (x (1920), y (80)); p.drag (x (3000), y (80)); }, [] (auto&, auto& p) { p.release (x (3000), y (80)); }, 0.02 },
        { "a rubber band growing over notes", [] (auto&, auto& p) { p.press (x (3500), y (107)); p.drag (x (2000), y (99)); }, [] (auto&, auto& p) { p.drag (x (100), y (92)); }, 0.25 },
        { "shift-clicking a note in", [] (auto&, auto& p) { p.click (x (120), y (100)); },
          [] (auto&, auto& p) { p.shiftClick (x (1000), y (93)); },
          0.02 },
        { "deleting the selection", [] (auto&, auto& p) { p.click (x (120), y (100)); }, [] (auto& r, auto&) { r.keyPressed (juce::KeyPress (juce::KeyPress::deleteKey)); }, 0.02 },
        { "undoing a move", [] (auto&, auto& p) { p.dragFromTo (x (120), y (100), x (1080), y (98)); }, [] (auto& r, auto&) { r.keyPressed (ctrl ('Z')); }, 0.02 },
        { "dragging a velocity bar", [] (auto& r, auto& p) { r.setVelocityLaneShown (true); p.press (x (2880) + 2, r.getVelocityLaneArea().getCentreY()); },
          [] (auto& r, auto& p) { p.drag (x (2880) + 2, r.getVelocityLaneArea().getY() + 5); }, 0.02 },
        { "selecting all", [] (auto&, auto&) {}, [] (auto& r, auto&) { r.keyPressed (ctrl ('A')); }, 0.02 },
    };

    for (const auto& c : cases)
    {
        ModelRoll open ({ 1, 0, 4, { { 100, 0, 480, 100 }, { 96, 0, 480, 90 }, { 93, 960, 480, 80 }, { 70, 2880, 480, 70 } } });
        auto& roll = open.roll;
        roll.setBounds (0, 0, 1100, 600);
        roll.setTool (NoteTool::Select);
        Pointer pointer { roll };

        c.before (roll, pointer);
        const auto was = snapshot (roll);
        const auto look = PR::look (roll);
        c.change (roll, pointer);
        const auto result = RepaintCheck::compare (was, snapshot (roll), PR::changedAreas (roll, look), childAreas (roll));

        EXPECT_EQ (result.pixelsMissed, 0) << c.name << ": " << testing::PrintToString (result);
        EXPECT_LE (result.shareOfView, c.mostOfView) << c.name << ": " << testing::PrintToString (result);
    }
}
