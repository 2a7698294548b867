#pragma once

#include "editor/ArrangementGeometry.h"

#include <juce_graphics/juce_graphics.h>

#include <optional>
#include <vector>

//==============================================================================
/** Paints everything of the main window that is not a child component: the
    "Tracks" box, the header column, the lanes with their bar numbers and grid,
    the selection frame and the file-drop preview.
*/
namespace ArrangementPainter
{
    /** What a paint needs to know of the editor. */
    struct Scene
    {
        int editorWidth = 0;
        int editorHeight = 0;
        int numTracks = 0;
        ArrangementGeometry::View view;

        /** The selected clips' bounds in editor coordinates. */
        std::vector<juce::Rectangle<int>> selectedClipBounds;

        /** The rubber band being drawn, in editor coordinates. */
        std::optional<juce::Rectangle<int>> rubberBand;

        /** The loop region (quarters; none when equal), and where the
            standalone transport starts when it is not the timeline's start.
        */
        int loopStartQ = 0, loopEndQ = 0;
        std::optional<int> playStartQ;

        bool fileDragHover = false;
        int hoverTrackIndex = -1;
        int hoverQuarter = -1;
        juce::Rectangle<int> hoverRect;
    };

    void paint (juce::Graphics& g, const Scene& scene);

    /** The yellow frame painted around a selected clip with these bounds, a
        band this thick inside the rectangle returned.
    */
    constexpr int selectionFrameThickness = 3;
    juce::Rectangle<int> selectionFrame (juce::Rectangle<int> clipBounds) noexcept;

    /** The caption of the drop preview, e.g. "Track 1, Bar 2.2" for lane 0 at quarter 9. */
    juce::String dropPreviewText (int trackIndex, int quarter);
} // namespace ArrangementPainter
