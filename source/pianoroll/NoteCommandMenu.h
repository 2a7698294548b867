#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

//==============================================================================
/** One of the piano roll's note commands (quantize, legato, humanize,
    velocity, transpose, reverse), with its amounts.
*/
struct NoteCommand
{
    enum class Kind
    {
        quantize,         ///< amount: strength in percent; ends: ends too
        legato,           ///< acrossKeys
        humanize,         ///< amount: timing in ticks; second: velocity
        setVelocity,      ///< amount
        scaleVelocity,    ///< amount: percent
        transpose,        ///< amount: semitones
        transposeInScale, ///< amount: degrees
        reverse
    };

    Kind kind = Kind::reverse;
    int amount = 0, second = 0;
    bool ends = false, acrossKeys = false;

    /** The name of its undo step. */
    juce::String name() const;
};

//==============================================================================
/** The note commands as the piano roll's right-click menu offers them (after
    the edit commands), and their keys.
*/
namespace NoteCommandMenu
{
    /** Item ids of the note commands start here, above the edit commands'. */
    constexpr int firstItemId = 100;

    /** The id of "Select All of This Pitch". */
    constexpr int selectPitchItemId = 99;

    /** The submenus, each item with its key: the scale degrees only with a
        scale; "Select All of This Pitch" for a pitch under the pointer.
    */
    void addTo (juce::PopupMenu& menu, bool hasScale, std::optional<int> pitch);

    /** The command of a menu item id, if it is one. */
    std::optional<NoteCommand> forItemId (int itemId);

    /** The command of a key, if it is one: Q (Shift: ends too), L (Shift:
        across keys), H, R, Alt+Up and Alt+Down.
    */
    std::optional<NoteCommand> forKey (const juce::KeyPress& key);
} // namespace NoteCommandMenu
