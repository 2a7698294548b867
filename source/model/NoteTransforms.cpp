#include "model/NoteTransforms.h"

#include "model/Quantize.h"
#include "model/Scales.h"

#include <algorithm>
#include <map>

namespace NoteTransforms
{
    namespace
    {
        // The keys of the piano roll's keyboard.
        constexpr int lowestKey = 21, highestKey = 108;

        int startWithin (juce::int64 start, juce::int64 clipTicks) noexcept
        {
            return (int) juce::jlimit (juce::int64 { 0 }, juce::jmax (juce::int64 { 0 }, clipTicks - 1), start);
        }

        int velocityWithin (juce::int64 velocity) noexcept { return (int) juce::jlimit (juce::int64 { 1 }, juce::int64 { 127 }, velocity); }

        juce::int64 endOf (const ClipNote& n) noexcept { return juce::int64 { n.startTick } + n.lengthTicks; }

        template <typename Change>
        std::vector<ClipNote> forEachActed (std::vector<ClipNote> notes, const std::vector<bool>& acts, Change&& change)
        {
            for (size_t i = 0; i < notes.size() && i < acts.size(); ++i)
                if (acts[i])
                    change (notes[i]);
            return notes;
        }
    } // namespace

    std::vector<bool> actedOn (const std::vector<ClipNote>& notes, const std::function<bool (NoteId)>& isSelected)
    {
        std::vector<bool> acts (notes.size(), false);
        for (size_t i = 0; i < notes.size(); ++i)
            acts[i] = isSelected (notes[i].id);

        if (std::none_of (acts.begin(), acts.end(), [] (bool a) { return a; }))
            acts.assign (notes.size(), true);
        return acts;
    }

    std::vector<ClipNote> quantize (std::vector<ClipNote> notes, const std::vector<bool>& acts, int gridTicks, int strengthPercent, bool ends,
                                    juce::int64 clipTicks)
    {
        const auto strength = juce::jlimit (0, 100, strengthPercent) / 100.0;
        const auto toward = [gridTicks, strength] (juce::int64 tick) {
            const auto snapped = Quantize::snapToGrid ((int) juce::jlimit (juce::int64 { std::numeric_limits<int>::min() }, juce::int64 { std::numeric_limits<int>::max() }, tick), gridTicks);
            return tick + (juce::int64) std::llround ((double) (snapped - tick) * strength);
        };

        return forEachActed (std::move (notes), acts, [&] (ClipNote& n) {
            const auto start = startWithin (toward (n.startTick), clipTicks);
            const auto end = ends ? toward (endOf (n)) : start + juce::int64 { n.lengthTicks };
            n.startTick = start;
            n.lengthTicks = (int) juce::jlimit (juce::int64 { 1 }, juce::int64 { std::numeric_limits<int>::max() }, end - start);
        });
    }

    std::vector<ClipNote> legato (std::vector<ClipNote> notes, const std::vector<bool>& acts, bool acrossKeys)
    {
        // The starts of the notes acted on, sorted: of all keys together, or of each key.
        std::map<int, std::vector<int>> starts;
        for (size_t i = 0; i < notes.size() && i < acts.size(); ++i)
            if (acts[i])
                starts[acrossKeys ? 0 : notes[i].pitch].push_back (notes[i].startTick);
        for (auto& [key, list] : starts)
            std::sort (list.begin(), list.end());

        return forEachActed (std::move (notes), acts, [&] (ClipNote& n) {
            const auto& list = starts[acrossKeys ? 0 : n.pitch];
            if (const auto next = std::upper_bound (list.begin(), list.end(), n.startTick); next != list.end())
                n.lengthTicks = *next - n.startTick;
        });
    }

    std::vector<ClipNote> humanize (std::vector<ClipNote> notes, const std::vector<bool>& acts, int timingTicks, int velocityAmount, juce::int64 seed,
                                    juce::int64 clipTicks)
    {
        juce::Random random (seed);
        const auto timing = juce::jlimit (0, 1 << 20, timingTicks);
        const auto velocity = juce::jlimit (0, 127, velocityAmount);

        return forEachActed (std::move (notes), acts, [&] (ClipNote& n) {
            const auto by = random.nextInt (2 * timing + 1) - timing;
            const auto louder = random.nextInt (2 * velocity + 1) - velocity;
            n.startTick = startWithin (juce::int64 { n.startTick } + by, clipTicks);
            n.velocity = velocityWithin (juce::int64 { n.velocity } + louder);
        });
    }

    std::vector<ClipNote> setVelocity (std::vector<ClipNote> notes, const std::vector<bool>& acts, int velocity)
    {
        return forEachActed (std::move (notes), acts, [velocity] (ClipNote& n) { n.velocity = velocityWithin (velocity); });
    }

    std::vector<ClipNote> scaleVelocity (std::vector<ClipNote> notes, const std::vector<bool>& acts, int percent)
    {
        return forEachActed (std::move (notes), acts, [percent] (ClipNote& n) { n.velocity = velocityWithin (std::llround (n.velocity * (double) percent / 100.0)); });
    }

    std::optional<std::vector<ClipNote>> transpose (std::vector<ClipNote> notes, const std::vector<bool>& acts, int semitones)
    {
        for (size_t i = 0; i < notes.size() && i < acts.size(); ++i)
            if (acts[i] && (juce::int64 { notes[i].pitch } + semitones < lowestKey || juce::int64 { notes[i].pitch } + semitones > highestKey))
                return std::nullopt;

        return forEachActed (std::move (notes), acts, [semitones] (ClipNote& n) { n.pitch += semitones; });
    }

    std::optional<std::vector<ClipNote>> transposeInScale (std::vector<ClipNote> notes, const std::vector<bool>& acts, int scale, int root, int degrees)
    {
        if (! Scales::isValid (scale, root))
            return std::nullopt;

        for (size_t i = 0; i < notes.size() && i < acts.size(); ++i)
        {
            if (! acts[i])
                continue;

            const auto moved = notes[i].pitch < lowestKey || notes[i].pitch > highestKey
                ? std::nullopt
                : Scales::transpose (scale, root, notes[i].pitch, degrees, lowestKey, highestKey);
            if (! moved.has_value())
                return std::nullopt;
            notes[i].pitch = *moved;
        }
        return notes;
    }

    std::vector<ClipNote> reverse (std::vector<ClipNote> notes, const std::vector<bool>& acts)
    {
        auto first = std::numeric_limits<juce::int64>::max(), last = std::numeric_limits<juce::int64>::min();
        for (size_t i = 0; i < notes.size() && i < acts.size(); ++i)
        {
            if (acts[i])
            {
                first = std::min (first, juce::int64 { notes[i].startTick });
                last = std::max (last, endOf (notes[i]));
            }
        }

        return forEachActed (std::move (notes), acts, [first, last] (ClipNote& n) {
            n.startTick = (int) juce::jlimit (juce::int64 { 0 }, juce::int64 { std::numeric_limits<int>::max() }, first + (last - endOf (n)));
        });
    }

    std::vector<NoteId> ofPitch (const std::vector<ClipNote>& notes, int pitch)
    {
        std::vector<NoteId> ids;
        for (const auto& n : notes)
            if (n.pitch == pitch)
                ids.push_back (n.id);
        return ids;
    }
} // namespace NoteTransforms
