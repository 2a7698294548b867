#include "support/EditorTestAccess.h"
#include "support/PianoRollTestAccess.h"

#include <gtest/gtest.h>

// The right-click menu of both views: the same items, and each does what its
// key does, on clips in the arrangement and on notes in the piano roll.

using namespace TestHelpers;

namespace
{
    /** The arrangement with four clips; its menu is read instead of shown. */
    struct ArrangementLanes
    {
        ArrangementLanes()
        {
            using Access = CarvolinEditorTestAccess;
            Access::addClip (*f.editor, 1, 0, 4, { { 60, 0, 960, 100 } });
            Access::addClip (*f.editor, 2, 8, 4);
            Access::addClip (*f.editor, 3, 16, 4);
            Access::addClip (*f.editor, 1, 40, 4);
        }

        juce::Component& view() { return lanes (*f.editor); }
        Dialogs& dialogs() { return f.editor->getDialogs(); }
        juce::Point<int> emptySpace() const { return { quarterX (60), laneY (3) }; }
        juce::Point<int> firstItem() const { return { quarterX (2), laneY (0) }; }
        juce::Point<int> secondItem() const { return { quarterX (10), laneY (1) }; }
        size_t items() { return f.processor.getModel().getSnapshot()->clips.size(); }
        size_t selected() { return lanes (*f.editor).getSelection().size(); }

        EditorFixture f;
    };

    /** A piano roll over a 16-quarter clip of four notes. */
    struct PianoRollGrid
    {
        PianoRollGrid() { open.roll.setBounds (0, 0, 1100, 600); }

        juce::Component& view() { return open.roll; }
        Dialogs& dialogs() { return open.dialogs; }
        juce::Point<int> emptySpace() const { return { 263, 392 }; } // tick 3000, key 80
        juce::Point<int> firstItem() const { return { 70, 152 }; }   // key 100 at tick 0
        juce::Point<int> secondItem() const { return { 135, 236 }; } // key 93 at tick 960
        size_t items() const { return open.clip().notes.size(); }
        size_t selected() { return open.roll.getSelection().size(); }

        ModelRoll open { { 1, 0, 16, { { 100, 0, 480, 100 }, { 96, 0, 480, 90 }, { 93, 960, 480, 80 }, { 70, 2880, 480, 70 } } } };
    };

    struct ViewNames
    {
        template <typename View>
        static std::string GetName (int)
        {
            return std::is_same_v<View, ArrangementLanes> ? "Arrangement" : "PianoRoll";
        }
    };
} // namespace

template <typename View>
class EditMenu : public ::testing::Test
{
};

using Views = ::testing::Types<ArrangementLanes, PianoRollGrid>;
TYPED_TEST_SUITE (EditMenu, Views, ViewNames);

TYPED_TEST (EditMenu, DoesWhatTheKeysDo)
{
    TypeParam v;
    juce::PopupMenu shown;
    std::function<void (int)> choose;
    v.dialogs().showMenu = [&] (juce::PopupMenu menu, std::function<void (int)> chosen) {
        shown = std::move (menu);
        choose = std::move (chosen);
    };

    const auto rightClick = [&v] {
        const auto at = v.emptySpace();
        v.view().mouseDown (mouseAt (v.view(), at.x, at.y, juce::ModifierKeys::rightButtonModifier));
        v.view().mouseUp (mouseAt (v.view(), at.x, at.y));
    };

    // Nothing selected, nothing to paste, nothing done yet: only "Select All".
    // (The piano roll's note commands follow.)
    rightClick();
    ASSERT_NE (choose, nullptr);
    std::vector<std::pair<juce::String, bool>> items;
    for (juce::PopupMenu::MenuItemIterator it (shown); it.next() && items.size() < 8;)
        if (! it.getItem().isSeparator)
            items.emplace_back (it.getItem().text, it.getItem().isEnabled);
    EXPECT_EQ (items, (std::vector<std::pair<juce::String, bool>> { { "Cut", false }, { "Copy", false }, { "Paste", false }, { "Duplicate", false }, { "Delete", false }, { "Select All", true }, { "Undo", false }, { "Redo", false } }));
    EXPECT_TRUE (v.items() == 4 && v.selected() == 0) << "a right-click draws, moves and selects nothing";

    // Each command, chosen from the menu as a user would after a right-click.
    const auto command = [&] (int id) {
        rightClick();
        choose (id);
    };

    command (EditCommandTarget::selectAllCommand);
    EXPECT_EQ (v.selected(), 4u);
    command (EditCommandTarget::copyCommand);
    command (EditCommandTarget::deleteCommand);
    EXPECT_EQ (v.items(), 0u);
    command (EditCommandTarget::undoCommand);
    EXPECT_EQ (v.items(), 4u);
    command (EditCommandTarget::redoCommand);
    EXPECT_EQ (v.items(), 0u);
    command (EditCommandTarget::pasteCommand);
    EXPECT_EQ (v.items(), 4u);
    EXPECT_EQ (v.selected(), 4u) << "what was pasted is selected";
    command (EditCommandTarget::duplicateCommand);
    EXPECT_EQ (v.items(), 8u);
    command (EditCommandTarget::cutCommand);
    EXPECT_EQ (v.items(), 4u);
}

TYPED_TEST (EditMenu, ActsOnWhatIsUnderThePointer)
{
    TypeParam v;
    juce::PopupMenu shown;
    std::function<void (int)> choose;
    v.dialogs().showMenu = [&] (juce::PopupMenu menu, std::function<void (int)> chosen) {
        shown = std::move (menu);
        choose = std::move (chosen);
    };

    const auto rightClick = [&v] (juce::Point<int> at) {
        v.view().mouseDown (mouseAt (v.view(), at.x, at.y, juce::ModifierKeys::rightButtonModifier));
        v.view().mouseUp (mouseAt (v.view(), at.x, at.y));
    };
    const auto enabled = [&shown] (int id) {
        for (juce::PopupMenu::MenuItemIterator it (shown); it.next();)
            if (it.getItem().itemID == id)
                return it.getItem().isEnabled;
        return false;
    };

    // Nothing selected: a right-click on an item selects it, and the menu acts on it.
    rightClick (v.firstItem());
    EXPECT_EQ (v.selected(), 1u);
    EXPECT_TRUE (enabled (EditCommandTarget::cutCommand) && enabled (EditCommandTarget::deleteCommand));

    // Another item right-clicked: it alone is deleted.
    rightClick (v.secondItem());
    EXPECT_EQ (v.selected(), 1u);
    choose (EditCommandTarget::deleteCommand);
    EXPECT_EQ (v.items(), 3u);
    rightClick (v.firstItem());
    EXPECT_EQ (v.selected(), 1u) << "the first item is still there to select";

    // On an item of the selection, the selection stays; on empty space too.
    rightClick (v.emptySpace());
    choose (EditCommandTarget::selectAllCommand);
    rightClick (v.firstItem());
    EXPECT_EQ (v.selected(), 3u);
    rightClick (v.emptySpace());
    EXPECT_EQ (v.selected(), 3u);
}
