#pragma once

#include "model/Selection.h"
#include "pianoroll/PianoRollGeometry.h"

#include <juce_graphics/juce_graphics.h>

#include <optional>

//==============================================================================
/** Paints the piano roll: the header band and title, the keyboard, the grid
    with its bar and beat lines, the notes (the selected ones in the selected
    colours), the note being drawn, the rubber band and the velocity lane.
*/
namespace PianoRollPainter
{
    constexpr int headerHeight = 50;

    /** What a paint needs to know of the piano roll. */
    struct Scene
    {
        Scene (const PianoRollGeometry& g, const juce::OwnedArray<ClipNote>& n, const Selection<ClipNote*>& s)
            : geometry (g), notes (n), selection (s)
        {
        }

        const PianoRollGeometry& geometry;
        const juce::OwnedArray<ClipNote>& notes;
        const Selection<ClipNote*>& selection;
        juce::Rectangle<int> keyboardArea;
        int width = 0;
        juce::String title;
        int clipStartQ = 0;

        /** The selected notes are being moved: they show purple. */
        bool moving = false;

        /** The note being drawn, not yet in the list; or null. */
        const ClipNote* drawingNote = nullptr;

        std::optional<juce::Rectangle<int>> rubberBand;

        /** The velocity lane, when it is shown, and the note whose bar is being dragged. */
        std::optional<juce::Rectangle<int>> velocityLane;
        const ClipNote* velocityNote = nullptr;
    };

    void paint (juce::Graphics& g, const Scene& scene);

    void paintKeyboard (juce::Graphics& g, const Scene& scene);
    void paintGrid (juce::Graphics& g, const Scene& scene);
    void paintNotes (juce::Graphics& g, const Scene& scene);
    void paintVelocityLane (juce::Graphics& g, const Scene& scene);

    /** True when pitch mod 12 is 1, 3, 6, 8 or 10. */
    bool isBlackKey (int pitch) noexcept;
} // namespace PianoRollPainter
