#pragma once

#include "model/Arrangement.h"

#include <functional>
#include <optional>
#include <vector>

//==============================================================================
/**
    The piano roll's note commands, as plain functions over a clip's notes.
    Each acts on the notes that acts marks (one flag per note, in order) and
    keeps the others as they are; each keeps notes inside the clip (starts from
    0 to the clip's last tick) and velocities within 1 to 127. The notes come
    back in their order, with their ids.
*/
namespace NoteTransforms
{
    /** The notes a command acts on: those selected, or every note when none is. */
    std::vector<bool> actedOn (const std::vector<ClipNote>& notes, const std::function<bool (NoteId)>& isSelected);

    /** Starts (and, with ends, ends) moved toward the nearest step of the
        grid by strength percent (25, 50, 75 or 100).
    */
    std::vector<ClipNote> quantize (std::vector<ClipNote> notes, const std::vector<bool>& acts, int gridTicks, int strengthPercent, bool ends,
                                    juce::int64 clipTicks);

    /** Each note lasts until the next note starts: the next of its key, or
        (acrossKeys) the next of any key; the last keeps its length.
    */
    std::vector<ClipNote> legato (std::vector<ClipNote> notes, const std::vector<bool>& acts, bool acrossKeys);

    /** Starts moved by up to timingTicks and velocities by up to velocityAmount,
        either way, at random: the same seed gives the same notes.
    */
    std::vector<ClipNote> humanize (std::vector<ClipNote> notes, const std::vector<bool>& acts, int timingTicks, int velocityAmount, juce::int64 seed,
                                    juce::int64 clipTicks);

    std::vector<ClipNote> setVelocity (std::vector<ClipNote> notes, const std::vector<bool>& acts, int velocity);
    std::vector<ClipNote> scaleVelocity (std::vector<ClipNote> notes, const std::vector<bool>& acts, int percent);

    /** Pitches moved by semitones; nothing when a note would leave the keyboard (21 to 108). */
    std::optional<std::vector<ClipNote>> transpose (std::vector<ClipNote> notes, const std::vector<bool>& acts, int semitones);

    /** Pitches moved by degrees of a scale; nothing when a note would leave
        the keyboard, or for no scale.
    */
    std::optional<std::vector<ClipNote>> transposeInScale (std::vector<ClipNote> notes, const std::vector<bool>& acts, int scale, int root, int degrees);

    /** The notes played backwards within the span from the first start to the last end. */
    std::vector<ClipNote> reverse (std::vector<ClipNote> notes, const std::vector<bool>& acts);

    /** The ids of the notes of a pitch. */
    std::vector<NoteId> ofPitch (const std::vector<ClipNote>& notes, int pitch);
} // namespace NoteTransforms
