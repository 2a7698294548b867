#pragma once

#include "model/GhostNotes.h"
#include "model/Selection.h"
#include "pianoroll/PianoRollGeometry.h"

#include <juce_graphics/juce_graphics.h>

#include <map>
#include <optional>
#include <tuple>

//==============================================================================
/** Paints the piano roll: the header band and title, the keyboard, the grid
    with its bar and beat lines, the notes (the selected ones in the selected
    colours), the note being drawn, the rubber band and the velocity lane.
*/
namespace PianoRollPainter
{
    constexpr int headerHeight = 50;

    /** Paints notes: a rounded body and an outline.

        Stroking and rasterising a note's outline is most of what painting a
        note costs, and the notes of a clip come in few sizes and colours. Each
        note is painted once into a small image at its position within the
        pixel (to a 32nd of a pixel), and that image is what later paints of a
        note of the same size, colours and sub-pixel position copy.
    */
    class NoteShapes
    {
    public:
        void paint (juce::Graphics& g, juce::Rectangle<float> bounds, juce::Colour body, juce::Colour outline, float outlineThickness);

        /** The same note painted without keeping anything, as a fallback and
            as the reference the kept images are held to.
        */
        static void paintAfresh (juce::Graphics& g, juce::Rectangle<float> bounds, juce::Colour body, juce::Colour outline, float outlineThickness);

    private:
        static constexpr int subPixelSteps = 32;
        static constexpr int margin = 2;

        // A note larger than this is painted afresh; the images kept stay
        // within this many pixels, then start again.
        static constexpr float largestKeptWidth = 512.0f, largestKeptHeight = 128.0f;
        static constexpr juce::int64 maxKeptPixels = 4 * 1024 * 1024;

        using Key = std::tuple<float, float, float, juce::uint32, juce::uint32, int, int>;
        std::map<Key, juce::Image> images;
        juce::int64 keptPixels = 0;
    };

    /** What a paint needs to know of the piano roll. */
    struct Scene
    {
        Scene (const PianoRollGeometry& g, const std::vector<ClipNote>& n, const Selection<NoteId>& s)
            : geometry (g), notes (n), selection (s)
        {
        }

        const PianoRollGeometry& geometry;
        const std::vector<ClipNote>& notes;
        const Selection<NoteId>& selection;

        /** Where note shapes are kept between paints; null paints each one afresh. */
        NoteShapes* noteShapes = nullptr;

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

        /** The clip's scale (Scales), or -1: rows off the scale darker, the root's marked. */
        int scale = -1, scaleRoot = 0;

        /** The notes of other clips, painted faintly behind the clip's own; or null. */
        const std::vector<GhostNotes::Ghost>* ghosts = nullptr;

        /** Names on the C keys as most DAWs number them (middle C is C4), and
            the name of the pitch under the pointer; empty for none.
        */
        bool noteNames = false;
        juce::String pointedPitch;
    };

    void paint (juce::Graphics& g, const Scene& scene);

    void paintKeyboard (juce::Graphics& g, const Scene& scene);
    void paintGrid (juce::Graphics& g, const Scene& scene);
    void paintNotes (juce::Graphics& g, const Scene& scene);
    void paintVelocityLane (juce::Graphics& g, const Scene& scene);

    /** Where the velocity of a bar being dragged is written, beside the bar. */
    juce::Rectangle<int> velocityNumberArea (juce::Rectangle<float> bar, juce::Rectangle<int> lane) noexcept;

    /** True when pitch mod 12 is 1, 3, 6, 8 or 10. */
    bool isBlackKey (int pitch) noexcept;

    /** "C4", "F#2": a pitch's name, middle C (60) being C4. */
    juce::String pitchName (int pitch);

    /** Where the name of the pitch under the pointer is written, above the keyboard. */
    inline const juce::Rectangle<int> pointedPitchArea { 2, 35, 56, 14 };

    /** The colours of ghost notes: of other tracks, and of the clip's own track. */
    inline const juce::Colour ghostOfOtherTrack { 0x38ffffff };
    inline const juce::Colour ghostOfSameTrack { 0x48ffb000 };

    /** The header's title for a clip from startQ, lengthQ quarters long. */
    juce::String title (int startQ, int lengthQ);
} // namespace PianoRollPainter
