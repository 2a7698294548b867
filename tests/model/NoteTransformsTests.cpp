#include "model/NoteTransforms.h"
#include "model/Scales.h"
#include "support/ModelPrinters.h"

#include <gtest/gtest.h>

// The piano roll's note commands as functions of notes: tables of small lists.

namespace
{
    using Notes = std::vector<ClipNote>;
    using Transform = std::function<std::optional<Notes> (const Notes&, const std::vector<bool>&)>;

    struct Case
    {
        const char* name;
        Notes notes;
        std::vector<bool> acts; // empty: every note, as with nothing selected
        Transform transform;
        std::optional<Notes> expected;
    };

    void check (const std::vector<Case>& cases)
    {
        for (const auto& c : cases)
        {
            const auto acts = c.acts.empty() ? std::vector<bool> (c.notes.size(), true) : c.acts;
            EXPECT_EQ (c.transform (c.notes, acts), c.expected) << c.name;
        }
    }

    constexpr juce::int64 clipTicks = 3840; // a bar
} // namespace

TEST (NoteTransforms, NothingSelectedActsOnEveryNote)
{
    const Notes notes { { 60, 0, 10, 100, 1 }, { 62, 0, 10, 100, 2 } };
    EXPECT_EQ (NoteTransforms::actedOn (notes, [] (NoteId) { return false; }), (std::vector<bool> { true, true }));
    EXPECT_EQ (NoteTransforms::actedOn (notes, [] (NoteId id) { return id == 2; }), (std::vector<bool> { false, true }));
    EXPECT_TRUE (NoteTransforms::actedOn ({}, [] (NoteId) { return false; }).empty());
}

TEST (NoteTransforms, Quantize)
{
    const auto q = [] (int strength, bool ends) {
        return [strength, ends] (const Notes& n, const std::vector<bool>& a) { return std::optional<Notes> (NoteTransforms::quantize (n, a, 240, strength, ends, clipTicks)); };
    };

    check ({
        { "starts to the step, lengths kept", { { 60, 100, 50, 90 }, { 62, 130, 500, 90 } }, {}, q (100, false), Notes { { 60, 0, 50, 90 }, { 62, 240, 500, 90 } } },
        { "half way", { { 60, 100, 50, 90 } }, {}, q (50, false), Notes { { 60, 50, 50, 90 } } },
        { "a quarter of the way", { { 60, 200, 50, 90 } }, {}, q (25, false), Notes { { 60, 210, 50, 90 } } },
        { "ends too", { { 60, 100, 300, 90 } }, {}, q (100, true), Notes { { 60, 0, 480, 90 } } },
        { "an end that would come at its start keeps a tick", { { 60, 130, 100, 90 } }, {}, q (100, true), Notes { { 60, 240, 1, 90 } } },
        { "the clip's last step stays inside", { { 60, 3830, 5, 90 } }, {}, q (100, false), Notes { { 60, 3839, 5, 90 } } },
        { "only the notes acted on", { { 60, 100, 50, 90 }, { 62, 130, 50, 90 } }, { false, true }, q (100, false), Notes { { 60, 100, 50, 90 }, { 62, 240, 50, 90 } } },
        { "no notes", {}, {}, q (100, true), Notes {} },
    });
}

TEST (NoteTransforms, Legato)
{
    const auto legato = [] (bool across) { return [across] (const Notes& n, const std::vector<bool>& a) { return std::optional<Notes> (NoteTransforms::legato (n, a, across)); }; };

    check ({
        { "per key: to the next note of its key; the last keeps its length",
          { { 60, 0, 10, 90 }, { 64, 100, 10, 90 }, { 60, 480, 10, 90 } },
          {},
          legato (false),
          Notes { { 60, 0, 480, 90 }, { 64, 100, 10, 90 }, { 60, 480, 10, 90 } } },
        { "across keys: to the next start of any key; a chord together",
          { { 60, 0, 10, 90 }, { 64, 0, 10, 90 }, { 67, 480, 10, 90 } },
          {},
          legato (true),
          Notes { { 60, 0, 480, 90 }, { 64, 0, 480, 90 }, { 67, 480, 10, 90 } } },
        { "overlapping notes of one key are cut where the next starts",
          { { 60, 0, 2000, 90 }, { 60, 960, 2000, 90 } },
          {},
          legato (false),
          Notes { { 60, 0, 960, 90 }, { 60, 960, 2000, 90 } } },
        { "notes not acted on are not the next", { { 60, 0, 10, 90 }, { 60, 100, 10, 90 }, { 60, 900, 10, 90 } }, { true, false, true }, legato (false), Notes { { 60, 0, 900, 90 }, { 60, 100, 10, 90 }, { 60, 900, 10, 90 } } },
    });
}

TEST (NoteTransforms, HumanizeIsRandomButRepeatableAndStaysInRange)
{
    const Notes notes { { 60, 0, 100, 1 }, { 62, 480, 100, 100 }, { 64, 3839, 100, 127 } };
    const std::vector<bool> all (3, true);
    const auto once = NoteTransforms::humanize (notes, all, 30, 10, 42, clipTicks);

    EXPECT_EQ (once, NoteTransforms::humanize (notes, all, 30, 10, 42, clipTicks)) << "the same seed, the same notes";
    EXPECT_NE (once, NoteTransforms::humanize (notes, all, 30, 10, 43, clipTicks));
    for (size_t i = 0; i < notes.size(); ++i)
    {
        EXPECT_LE (std::abs (once[i].startTick - notes[i].startTick), 30);
        EXPECT_TRUE (once[i].startTick >= 0 && once[i].startTick < clipTicks) << "inside the clip";
        EXPECT_TRUE (once[i].velocity >= 1 && once[i].velocity <= 127);
        EXPECT_EQ (once[i].lengthTicks, 100);
        EXPECT_EQ (once[i].pitch, notes[i].pitch);
    }
    EXPECT_EQ (NoteTransforms::humanize (notes, all, 0, 0, 42, clipTicks), notes) << "by nothing, nothing moves";
}

TEST (NoteTransforms, VelocityTransposeAndReverse)
{
    const auto setTo = [] (int v) { return [v] (const Notes& n, const std::vector<bool>& a) { return std::optional<Notes> (NoteTransforms::setVelocity (n, a, v)); }; };
    const auto scaleBy = [] (int p) { return [p] (const Notes& n, const std::vector<bool>& a) { return std::optional<Notes> (NoteTransforms::scaleVelocity (n, a, p)); }; };
    const auto up = [] (int s) { return [s] (const Notes& n, const std::vector<bool>& a) { return NoteTransforms::transpose (n, a, s); }; };
    const auto degrees = [] (int d) {
        return [d] (const Notes& n, const std::vector<bool>& a) { return NoteTransforms::transposeInScale (n, a, Scales::indexOf ("major"), 0, d); };
    };
    const auto reverse = [] (const Notes& n, const std::vector<bool>& a) { return std::optional<Notes> (NoteTransforms::reverse (n, a)); };

    check ({
        { "set velocity, kept in range", { { 60, 0, 10, 90 }, { 62, 0, 10, 5 } }, {}, setTo (300), Notes { { 60, 0, 10, 127 }, { 62, 0, 10, 127 } } },
        { "scale velocity", { { 60, 0, 10, 100 }, { 62, 0, 10, 1 } }, {}, scaleBy (50), Notes { { 60, 0, 10, 50 }, { 62, 0, 10, 1 } } },
        { "scale velocity up, at most 127", { { 60, 0, 10, 100 } }, {}, scaleBy (150), Notes { { 60, 0, 10, 127 } } },
        { "an octave up", { { 60, 0, 10, 90 }, { 96, 0, 10, 90 } }, {}, up (12), Notes { { 72, 0, 10, 90 }, { 108, 0, 10, 90 } } },
        { "off the keyboard's top: nothing", { { 60, 0, 10, 90 }, { 100, 0, 10, 90 } }, {}, up (12), std::nullopt },
        { "off its bottom: nothing", { { 22, 0, 10, 90 } }, {}, up (-2), std::nullopt },
        { "a degree of C major up: E to F, B to C, and C# first to its nearest", { { 64, 0, 10, 90 }, { 71, 0, 10, 90 }, { 61, 0, 10, 90 } }, {}, degrees (1), Notes { { 65, 0, 10, 90 }, { 72, 0, 10, 90 }, { 62, 0, 10, 90 } } },
        { "a degree down at the keyboard's bottom: nothing", { { 21, 0, 10, 90 } }, {}, degrees (-1), std::nullopt },
        { "reversed within their span", { { 60, 0, 100, 90 }, { 62, 480, 480, 90 } }, {}, reverse, Notes { { 60, 860, 100, 90 }, { 62, 0, 480, 90 } } },
        { "only the notes acted on", { { 60, 0, 100, 90 }, { 62, 480, 480, 90 }, { 64, 2000, 10, 90 } }, { true, true, false }, reverse, Notes { { 60, 860, 100, 90 }, { 62, 0, 480, 90 }, { 64, 2000, 10, 90 } } },
    });

    EXPECT_EQ (NoteTransforms::transposeInScale ({ { 60, 0, 10, 90 } }, { true }, -1, 0, 1), std::nullopt) << "no scale, no degrees";
    EXPECT_EQ (NoteTransforms::ofPitch ({ { 60, 0, 10, 90, 1 }, { 62, 0, 10, 90, 2 }, { 60, 5, 10, 90, 3 } }, 60), (std::vector<NoteId> { 1, 3 }));
}

TEST (Scales, MembershipAndSnappingUpToTheKeyboardsEnds)
{
    const auto major = Scales::indexOf ("major"), minor = Scales::indexOf ("minor"), blues = Scales::indexOf ("blues");

    struct Case
    {
        const char* name;
        int scale, root, pitch, snapped;
    };

    const Case cases[] {
        { "in C major, C stays", major, 0, 60, 60 },
        { "C# goes to the nearer of C and D: the lower", major, 0, 61, 60 },
        { "F# in C major: F", major, 0, 66, 65 },
        { "the top key, B in C: C's next is past the top, B stays", major, 0, 107, 107 },
        { "above the top: the top key, C8", major, 0, 120, 108 },
        { "A# at the top in C minor (A# is in it)", minor, 0, 106, 106 },
        { "the lowest key, A0, in C major", major, 0, 21, 21 },
        { "below the lowest, in C# major: the lowest key in it, A#0", major, 1, 10, 22 },
        { "G#0 in C minor: nearest G#... A0 is not in it, A#0 is", minor, 0, 21, 22 },
        { "blues on A: E flat is in it", blues, 9, 63, 63 },
        { "no scale: any key", -1, 0, 61, 61 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (Scales::snap (c.scale, c.root, c.pitch, 21, 108), c.snapped) << c.name;

    EXPECT_TRUE (Scales::contains (minor, 0, 63) && ! Scales::contains (minor, 0, 64));
    EXPECT_EQ (Scales::indexOf ("harmonicMinor"), 2);
    EXPECT_EQ (Scales::indexOf ("Major"), -1) << "ids as the document writes them";
    EXPECT_EQ (Scales::describe (minor, 0), "C min");
    EXPECT_EQ (Scales::describe (-1, 0), "Scale");
}
