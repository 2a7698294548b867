#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <optional>

//==============================================================================
/** The scales the piano roll offers: which pitches belong, the nearest one
    that does, and steps along them.
*/
namespace Scales
{
    struct Scale
    {
        const char* id;               ///< as the state document writes it
        const char* name;             ///< as the menu shows it
        const char* shortName;        ///< as the scale button shows it, after the root
        std::array<bool, 12> degrees; ///< which semitones above the root belong
    };

    constexpr std::array<Scale, 9> all { {
        { "major", "Major", "maj", { true, false, true, false, true, true, false, true, false, true, false, true } },
        { "minor", "Natural Minor", "min", { true, false, true, true, false, true, false, true, true, false, true, false } },
        { "harmonicMinor", "Harmonic Minor", "h.min", { true, false, true, true, false, true, false, true, true, false, false, true } },
        { "dorian", "Dorian", "dor", { true, false, true, true, false, true, false, true, false, true, true, false } },
        { "mixolydian", "Mixolydian", "mix", { true, false, true, false, true, true, false, true, false, true, true, false } },
        { "pentatonicMajor", "Pentatonic Major", "p.maj", { true, false, true, false, true, false, false, true, false, true, false, false } },
        { "pentatonicMinor", "Pentatonic Minor", "p.min", { true, false, false, true, false, true, false, true, false, false, true, false } },
        { "blues", "Blues", "blues", { true, false, false, true, false, true, true, true, false, false, true, false } },
        { "chromatic", "Chromatic", "chr", { true, true, true, true, true, true, true, true, true, true, true, true } },
    } };

    constexpr std::array<const char*, 12> rootNames { "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B" };

    /** The index of a scale by its id, or -1. */
    int indexOf (const juce::String& id) noexcept;

    /** True for a usable scale (an index of all) and root (0 to 11). */
    bool isValid (int scale, int root) noexcept;

    /** True when pitch belongs to the scale on root (always, for no valid scale). */
    bool contains (int scale, int root, int pitch) noexcept;

    /** The pitch of the scale nearest to pitch, within [lowest, highest]
        (the lower of two as near); pitch itself for no valid scale.
    */
    int snap (int scale, int root, int pitch, int lowest, int highest) noexcept;

    /** Pitch moved by degrees steps of the scale (a pitch off the scale first
        goes to its nearest); nothing when that leaves [lowest, highest].
    */
    std::optional<int> transpose (int scale, int root, int pitch, int degrees, int lowest, int highest) noexcept;

    /** "C min", "F# dor": what the scale button shows ("Scale" for none). */
    juce::String describe (int scale, int root);
} // namespace Scales
