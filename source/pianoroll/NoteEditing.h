#pragma once

#include "model/Arrangement.h"

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <optional>
#include <vector>

//==============================================================================
/** The arithmetic of the piano roll's note gestures and commands, apart from
    the component that runs them. Ticks count from the clip's start.
*/
namespace NoteEditing
{
    constexpr int lowestPitch = 21;
    constexpr int highestPitch = 108;

    /** The start of a note drawn where the pointer's tick snaps to snappedTick:
        on the last step inside the clip when it would snap to its end or later.
    */
    int drawnStart (int snappedTick, juce::int64 clipEndTick, int step) noexcept;

    /** The notes moved by ticks and semitones, or nothing when one of them would
        leave the keyboard's 88 keys or start before the clip.
    */
    std::optional<std::vector<ClipNote>> moved (const std::vector<ClipNote>& notes, juce::int64 tickOffset, int pitchOffset);

    /** The length of a note being resized with the pointer's tick at pointerTick
        (snapped from the note's start): at least one step, never past the clip's end.
    */
    int resizedLength (const ClipNote& note, int pointerTick, int step, juce::int64 clipEndTick, const std::function<int (int)>& snap);

    /** A note's length changed by lengthChange, kept at least one step and
        never past the clip's end (as the Resize tool keeps one note).
    */
    int lengthChangedBy (const ClipNote& note, juce::int64 lengthChange, int step, juce::int64 clipEndTick) noexcept;

    /** Notes pasted with their first start at tick: the rest keep their
        distances and pitches; notes that would start at or after the clip's
        end are left out.
    */
    std::vector<ClipNote> placed (const std::vector<ClipNote>& notes, juce::int64 tick, juce::int64 clipEndTick);

    /** The tick right after the notes: where a duplicate of them goes. */
    juce::int64 endOf (const std::vector<ClipNote>& notes) noexcept;

    //==============================================================================
    /** The velocity lane: bars rise from its bottom, a velocity of 127 reaching
        barMargin below its top.
    */
    constexpr int barMargin = 6;
    constexpr int barWidth = 5;

    /** The bar of a velocity whose left edge is at x. */
    juce::Rectangle<float> velocityBar (float x, int velocity, juce::Rectangle<int> lane) noexcept;

    /** The velocity a pointer at y in the lane sets: 1 to 127. */
    int velocityAt (int y, juce::Rectangle<int> lane) noexcept;

    /** A velocity changed by change, limited to 1..127. */
    int velocityChangedBy (int velocity, int change) noexcept;
} // namespace NoteEditing
