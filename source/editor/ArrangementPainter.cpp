#include "editor/ArrangementPainter.h"

#include "model/Arrangement.h"
#include "ui/Palette.h"

namespace ArrangementPainter
{
    namespace geo = ArrangementGeometry;

    namespace
    {
        const juce::Colour loopBand { 0x8020b2aa };
        const juce::Colour playStartMark { 0xffffa500 };

        void verticalLine (juce::Graphics& g, int x, int top, int bottom)
        {
            if (bottom > top)
                g.fillRect (x, top, 1, bottom - top);
        }

        void horizontalLine (juce::Graphics& g, int y, int left, int right)
        {
            if (right > left)
                g.fillRect (left, y, right - left, 1);
        }

        /** Calls paintBar (i, bx) for each bar that is at least partly inside the lanes. */
        template <typename PaintBar>
        void forEachVisibleBar (const juce::Rectangle<int>& area, const geo::View& view, PaintBar&& paintBar)
        {
            for (int i = 0; i < Arrangement::timelineBars; ++i)
            {
                const auto bx = area.getX() + geo::quarterToX (i * Arrangement::quartersPerBar, view);
                const auto next = area.getX() + geo::quarterToX ((i + 1) * Arrangement::quartersPerBar, view);

                if (next < area.getX())
                    continue;

                if (bx > area.getRight())
                    break;

                paintBar (i, bx);
            }
        }
    } // namespace

    juce::String dropPreviewText (int trackIndex, int quarter)
    {
        return "Track " + juce::String (trackIndex + 1) + ", Bar " + juce::String (quarter / 4) + "." + juce::String (quarter % 4 + 1);
    }

    juce::Rectangle<int> selectionFrame (juce::Rectangle<int> b) noexcept
    {
        return { b.getX() - 2, b.getY() - 2, juce::jmax (0, b.getWidth() + 4), juce::jmax (0, b.getHeight() + 4) };
    }

    void paint (juce::Graphics& g, const Scene& scene)
    {
        const auto& view = scene.view;

        g.fillAll (juce::Colour (0xff555555));

        g.setColour (juce::Colour (0xff303030));
        g.fillRect (0, 0, geo::headerColumnWidth, geo::originY);

        const juce::Rectangle<int> tracksCaption (10, 10, 80, 25);
        if (g.clipRegionIntersects (tracksCaption))
        {
            g.setColour (juce::Colour (0xb2ffffff));
            g.drawText ("Tracks", tracksCaption, juce::Justification::centredLeft, true);
        }

        const auto lanesHeight = geo::laneHeight * scene.numTracks;
        g.setColour (Palette::darkBand);
        g.fillRect (0, geo::originY, geo::headerColumnWidth, lanesHeight);

        g.setColour (juce::Colour (0x80000000));
        verticalLine (g, geo::headerColumnWidth, 0, scene.editorHeight);

        const auto area = geo::arrangementArea (scene.editorWidth, scene.numTracks);
        g.setColour (Palette::lanes);
        g.fillRect (area);
        g.setColour (juce::Colour (0xccffffff));
        g.drawRect (area.toFloat(), 2.0f);

        // The loop region: a band over the ruler, behind the bar numbers.
        const auto ruler = geo::rulerArea (area);
        if (scene.loopEndQ > scene.loopStartQ)
        {
            const auto left = juce::jmax (ruler.getX(), area.getX() + geo::quarterToX (scene.loopStartQ, view));
            const auto right = juce::jmin (ruler.getRight(), area.getX() + geo::quarterToX (scene.loopEndQ, view));
            if (right > left)
            {
                g.setColour (loopBand);
                g.fillRect (left, ruler.getY() + 1, right - left, ruler.getHeight() - 2);
            }
        }

        // Where "Play" starts, when not at the start: a small mark on the ruler.
        if (scene.playStartQ.has_value())
        {
            const auto x = area.getX() + geo::quarterToX (*scene.playStartQ, view);
            if (x >= ruler.getX() && x <= ruler.getRight())
            {
                juce::Path mark;
                mark.addTriangle ((float) x - 5.0f, (float) ruler.getY(), (float) x + 5.0f, (float) ruler.getY(), (float) x, (float) ruler.getY() + 8.0f);
                g.setColour (playStartMark);
                g.fillPath (mark);
            }
        }

        // Bar numbers stand above the lanes, before the clip region is set, so a
        // bar starting left of the lanes still shows its number.
        g.setColour (juce::Colour (0xd9ffffff));
        forEachVisibleBar (area, view, [&] (int bar, int bx) {
            if (view.visibleBars > 8 && bar % 2 != 0)
                return;

            const juce::Rectangle<int> label (bx + 4, area.getY() - 18, 50, 16);
            if (g.clipRegionIntersects (label))
                g.drawText (juce::String (bar), label, juce::Justification::topLeft, true);
        });

        juce::Graphics::ScopedSaveState savedState (g);
        g.reduceClipRegion (area);

        for (int j = 0; j <= scene.numTracks; ++j)
        {
            const auto isEdge = j == 0 || j == scene.numTracks;
            g.setColour (juce::Colour (isEdge ? 0x40ffffffu : 0x1fffffffu));
            horizontalLine (g, area.getY() + geo::laneHeight * j, area.getX(), area.getRight());
        }

        forEachVisibleBar (area, view, [&] (int bar, int bx) {
            g.setColour (juce::Colour (0x59ffffff));
            g.fillRect (bx, area.getY(), 2, area.getHeight());

            g.setColour (Palette::faintLine);
            for (int k = 1; k < Arrangement::quartersPerBar; ++k)
            {
                const auto kx = area.getX() + geo::quarterToX (bar * Arrangement::quartersPerBar + k, view);
                if (area.getX() <= kx && kx <= area.getRight())
                    verticalLine (g, kx, area.getY(), area.getBottom());
            }
        });

        for (const auto& b : scene.selectedClipBounds)
        {
            g.setColour (juce::Colour (0x80ffff00));
            g.drawRect (selectionFrame (b).toFloat(), static_cast<float> (selectionFrameThickness));
        }

        if (scene.rubberBand.has_value())
        {
            g.setColour (juce::Colour (0x26ffffff));
            g.fillRect (*scene.rubberBand);
            g.setColour (juce::Colour (0xccffffff));
            g.drawRect (scene.rubberBand->toFloat(), 1.0f);
        }

        if (scene.fileDragHover && scene.hoverTrackIndex >= 0 && scene.hoverQuarter >= 0)
        {
            const auto& r = scene.hoverRect;
            g.setColour (juce::Colour (0x4cadd8e6));
            g.fillRect (r);
            g.setColour (juce::Colour (0xffadd8e6));
            g.drawRect (r.toFloat(), 2.0f);
            g.setColour (juce::Colours::white);
            g.drawText (dropPreviewText (scene.hoverTrackIndex, scene.hoverQuarter),
                        juce::Rectangle<int> (r.getX(), r.getY(), r.getWidth(), 20),
                        juce::Justification::centred, true);
        }
    }
} // namespace ArrangementPainter
