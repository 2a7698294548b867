#include "pianoroll/PianoRollPainter.h"

#include "model/IntRange.h"
#include "model/Scales.h"
#include "pianoroll/NoteEditing.h"
#include "ui/Palette.h"

#include <cmath>
#include <limits>

namespace PianoRollPainter
{
    namespace
    {
        constexpr float noteCornerSize = 3.0f;

        /** Where a note goes, split into whole pixels and 32nds of a pixel. */
        std::pair<int, int> splitPosition (float position, int steps) noexcept
        {
            auto whole = static_cast<int> (std::floor (position));
            auto part = juce::roundToInt ((position - static_cast<float> (whole)) * static_cast<float> (steps));
            if (part == steps)
            {
                ++whole;
                part = 0;
            }
            return { whole, part };
        }

        void paintNote (juce::Graphics& g, const Scene& scene, juce::Rectangle<float> bounds, juce::Colour body, juce::Colour outline, float thickness)
        {
            if (scene.noteShapes != nullptr)
                scene.noteShapes->paint (g, bounds, body, outline, thickness);
            else
                NoteShapes::paintAfresh (g, bounds, body, outline, thickness);
        }
    } // namespace

    void NoteShapes::paintAfresh (juce::Graphics& g, juce::Rectangle<float> bounds, juce::Colour body, juce::Colour outline, float outlineThickness)
    {
        // JUCE's software renderer rasterises a path into a table as tall as
        // the whole clip region: inside a clip region cut to the note, a note
        // costs what its own size costs.
        const auto shown = bounds.expanded (outlineThickness + 1.0f).getIntersection (g.getClipBounds().toFloat());
        if (shown.isEmpty())
            return;

        const juce::Graphics::ScopedSaveState saved (g);
        g.reduceClipRegion (shown.getSmallestIntegerContainer());

        g.setColour (body);
        g.fillRoundedRectangle (bounds, noteCornerSize);
        g.setColour (outline);
        g.drawRoundedRectangle (bounds, noteCornerSize, outlineThickness);
    }

    void NoteShapes::paint (juce::Graphics& g, juce::Rectangle<float> bounds, juce::Colour body, juce::Colour outline, float outlineThickness)
    {
        // Kept images are made at one image pixel per screen pixel.
        const auto pixelScale = g.getInternalContext().getPhysicalPixelScaleFactor();
        if (std::abs (pixelScale - 1.0f) > 1.0e-4f || bounds.getWidth() > largestKeptWidth || bounds.getHeight() > largestKeptHeight
            || ! g.getClipBounds().toFloat().intersects (bounds.expanded (outlineThickness + 1.0f)))
        {
            paintAfresh (g, bounds, body, outline, outlineThickness);
            return;
        }

        const auto [x, subX] = splitPosition (bounds.getX(), subPixelSteps);
        const auto [y, subY] = splitPosition (bounds.getY(), subPixelSteps);
        const Key key { bounds.getWidth(), bounds.getHeight(), outlineThickness, body.getARGB(), outline.getARGB(), subX, subY };

        auto found = images.find (key);
        if (found == images.end())
        {
            const auto width = static_cast<int> (std::ceil (bounds.getWidth())) + 2 * margin + 1;
            const auto height = static_cast<int> (std::ceil (bounds.getHeight())) + 2 * margin + 1;
            if (keptPixels + juce::int64 { width } * height > maxKeptPixels)
            {
                images.clear();
                keptPixels = 0;
            }

            juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
            {
                juce::Graphics ig (image);
                const auto step = 1.0f / static_cast<float> (subPixelSteps);
                paintAfresh (ig,
                             { static_cast<float> (margin) + static_cast<float> (subX) * step, static_cast<float> (margin) + static_cast<float> (subY) * step,
                               bounds.getWidth(), bounds.getHeight() },
                             body, outline, outlineThickness);
            }
            keptPixels += juce::int64 { width } * height;
            found = images.emplace (key, std::move (image)).first;
        }

        // An image is drawn with the opacity of the current colour.
        g.setOpacity (1.0f);
        g.drawImageAt (found->second, x - margin, y - margin);
    }

    juce::Rectangle<int> velocityNumberArea (juce::Rectangle<float> bar, juce::Rectangle<int> lane) noexcept
    {
        return { IntRange::pixels (bar.getX()) + 8, lane.getY() + 2, 40, 14 };
    }

    juce::String title (int startQ, int lengthQ)
    {
        return "Piano Roll - Clip: Bar " + juce::String (startQ / 4) + " to " + juce::String ((juce::int64 { startQ } + lengthQ) / 4)
            + " (Length: " + juce::String (lengthQ / 4) + " bars, " + juce::String (lengthQ) + " quarters)";
    }

    juce::String pitchName (int pitch)
    {
        return juce::String (Scales::rootNames[(size_t) (((pitch % 12) + 12) % 12)]) + juce::String (pitch / 12 - 1 - (pitch < 0 && pitch % 12 != 0 ? 1 : 0));
    }

    bool isBlackKey (int pitch) noexcept
    {
        switch (((pitch % 12) + 12) % 12)
        {
            case 1:
            case 3:
            case 6:
            case 8:
            case 10: return true;
            default: return false;
        }
    }

    void paintKeyboard (juce::Graphics& g, const Scene& scene)
    {
        const auto rowHeight = scene.geometry.rowHeight();
        const auto top = static_cast<float> (scene.keyboardArea.getY());
        const auto bottom = static_cast<float> (scene.keyboardArea.getY() + scene.keyboardArea.getHeight());

        for (int row = 0; row < PianoRollGeometry::numRows; ++row)
        {
            const auto pitch = PianoRollGeometry::highestPitch - row;
            const auto y = top + static_cast<float> (row) * rowHeight - scene.geometry.verticalScroll;

            if (top > y + rowHeight || y > bottom || ! g.clipRegionIntersects (juce::Rectangle<float> (static_cast<float> (scene.keyboardArea.getX()), y, static_cast<float> (scene.keyboardArea.getWidth()), rowHeight).getSmallestIntegerContainer().expanded (1)))
                continue;

            const juce::Rectangle<float> key (static_cast<float> (scene.keyboardArea.getX()), y, static_cast<float> (scene.keyboardArea.getWidth()), rowHeight);
            g.setColour (isBlackKey (pitch) ? juce::Colours::black : juce::Colours::white);
            g.fillRect (key);

            // With a scale, keys off it are darker and the root's are marked.
            if (! Scales::contains (scene.scale, scene.scaleRoot, pitch))
            {
                g.setColour (juce::Colour (0x8c000000));
                g.fillRect (key);
            }
            else if (Scales::isValid (scene.scale, scene.scaleRoot) && ((pitch - scene.scaleRoot) % 12 + 12) % 12 == 0)
            {
                g.setColour (Palette::toolOn);
                g.fillRect (key.withLeft (key.getRight() - 6.0f));
            }

            g.setColour (juce::Colour (0xff808080));
            g.drawRect (key, 1.0f);

            if (pitch % 12 == 0)
            {
                g.setColour (juce::Colours::black);
                g.drawText ("C" + juce::String (pitch / 12 - (scene.noteNames ? 1 : 2)),
                            juce::Rectangle<int> (scene.keyboardArea.getX() + 5, IntRange::pixels (y) + 2, 30, IntRange::pixels (rowHeight) - 4),
                            juce::Justification::centredLeft, true);
            }
        }
    }

    void paintGrid (juce::Graphics& g, const Scene& scene)
    {
        const auto& geometry = scene.geometry;
        const auto& grid = geometry.gridArea;
        const auto gridTop = static_cast<float> (grid.getY());
        const auto gridBottom = static_cast<float> (grid.getBottom());
        const auto gridLeft = static_cast<float> (grid.getX());
        const auto gridRight = static_cast<float> (grid.getRight());

        g.setColour (Palette::lanes);
        g.fillRect (grid);

        // With a scale, rows off it are darker and the root's lighter.
        if (Scales::isValid (scene.scale, scene.scaleRoot))
        {
            for (int row = 0; row < PianoRollGeometry::numRows; ++row)
            {
                const auto pitch = PianoRollGeometry::highestPitch - row;
                const auto inScale = Scales::contains (scene.scale, scene.scaleRoot, pitch);
                const auto isRoot = inScale && ((pitch - scene.scaleRoot) % 12 + 12) % 12 == 0;
                if (inScale && ! isRoot)
                    continue;

                const auto y = gridTop + static_cast<float> (row) * geometry.rowHeight() - geometry.verticalScroll;
                const auto band = juce::Rectangle<float> (gridLeft, y, gridRight - gridLeft, geometry.rowHeight()).getIntersection (grid.toFloat());
                if (band.isEmpty())
                    continue;

                g.setColour (isRoot ? juce::Colour (0x1a20b2aa) : juce::Colour (0x40000000));
                g.fillRect (band);
            }
        }

        for (int i = 0; i <= PianoRollGeometry::numRows; ++i)
        {
            const auto y = gridTop + static_cast<float> (i) * geometry.rowHeight() - geometry.verticalScroll;
            if (y < gridTop || y > gridBottom)
                continue;

            const auto isC = i < PianoRollGeometry::numRows && (PianoRollGeometry::highestPitch - i) % 12 == 0;
            g.setColour (isC ? juce::Colour (0x4cffffff) : Palette::faintLine);
            g.fillRect (grid.getX(), IntRange::pixels (y), grid.getWidth(), 1);
        }

        // Only the quarters across the grid are visited, and where a long clip
        // puts several lines on one pixel column, one is drawn: the loops take
        // at most a step per pixel.
        const auto lengthQ = juce::int64 { geometry.scaleLengthQ() };
        const auto bars = (lengthQ + 3) / 4;
        const auto quarters = geometry.quartersAcross (gridLeft, gridRight);
        const auto stepAtLeastAPixel = [&] (juce::int64 stride) {
            const auto pixels = static_cast<double> (geometry.scaledWidth()) * static_cast<double> (stride) / static_cast<double> (lengthQ);
            return pixels >= 1.0 ? stride : stride * static_cast<juce::int64> (std::ceil (1.0 / juce::jmax (1.0e-12, pixels)));
        };
        auto lastColumn = std::numeric_limits<int>::min();

        const auto barStep = stepAtLeastAPixel (4) / 4;
        for (auto j = quarters.getStart() / 4; j <= juce::jmin (bars, quarters.getEnd() / 4 + 1); j += barStep)
        {
            const auto x = geometry.quarterToX (4 * j);
            if (x < gridLeft || x > gridRight || IntRange::pixels (x) == lastColumn)
                continue;

            lastColumn = IntRange::pixels (x);
            g.setColour (juce::Colour (0x66ffffff));
            g.fillRect (lastColumn, grid.getY(), 1, grid.getHeight());
            const juce::Rectangle<int> label (lastColumn + 2, grid.getY() - 15, 60, 12);
            if (g.clipRegionIntersects (label))
            {
                g.setFont (10.0f);
                g.setColour (juce::Colour (0x99ffffff));
                g.drawText ("Misura " + juce::String (juce::int64 { scene.clipStartQ } / 4 + 1 + j), label, juce::Justification::centredLeft, true);
            }
        }

        g.setColour (juce::Colour (0x26ffffff));
        lastColumn = std::numeric_limits<int>::min();
        const auto beatStep = stepAtLeastAPixel (1);
        for (auto q = quarters.getStart(); q < quarters.getEnd(); q += beatStep)
        {
            if (q % 4 == 0)
                continue;

            const auto x = geometry.quarterToX (q);
            if (gridLeft <= x && x <= gridRight && IntRange::pixels (x) != lastColumn)
            {
                lastColumn = IntRange::pixels (x);
                g.fillRect (lastColumn, grid.getY(), 1, grid.getHeight());
            }
        }
    }

    void paintNotes (juce::Graphics& g, const Scene& scene)
    {
        const auto& geometry = scene.geometry;
        const auto& grid = geometry.gridArea;
        const auto rowHeight = geometry.rowHeight();
        const auto asked = g.getClipBounds().toFloat();

        // Ghosts first, behind the clip's own notes: plain, faint rectangles
        // on whole pixels, filled in two lists (one per colour).
        if (scene.ghosts != nullptr)
        {
            const auto visible = grid.getIntersection (g.getClipBounds());
            juce::RectangleList<int> ofOtherTracks, ofSameTrack;
            for (const auto& ghost : *scene.ghosts)
            {
                if (! PianoRollGeometry::isDrawablePitch (ghost.pitch))
                    continue;

                // Kept within the visible grid before it becomes whole pixels.
                const auto left = juce::jlimit ((float) visible.getX() - 2.0f, (float) visible.getRight() + 2.0f, geometry.tickToX (ghost.start));
                const auto right = juce::jlimit (left + 2.0f, (float) visible.getRight() + 4.0f, left + geometry.ticksToWidth (ghost.length));
                const auto top = geometry.rowTop (ghost.pitch) + 2.0f;
                const auto bounds = juce::Rectangle<float>::leftTopRightBottom (left, top, right, top + rowHeight - 4.0f).toNearestInt().getIntersection (visible);
                if (! bounds.isEmpty())
                    (ghost.sameTrack ? ofSameTrack : ofOtherTracks).addWithoutMerging (bounds);
            }

            g.setColour (ghostOfOtherTrack);
            g.fillRectList (ofOtherTracks);
            g.setColour (ghostOfSameTrack);
            g.fillRectList (ofSameTrack);
        }

        for (const auto& note : scene.notes)
        {
            if (! PianoRollGeometry::isDrawablePitch (note.pitch))
                continue;

            const auto bounds = geometry.noteBounds (note);
            const auto rowTop = geometry.rowTop (note.pitch);

            if (static_cast<float> (grid.getY()) > rowTop + rowHeight || rowTop > static_cast<float> (grid.getBottom())
                || static_cast<float> (grid.getX()) > bounds.getRight() || bounds.getX() > static_cast<float> (grid.getRight())
                || ! asked.intersects (bounds.expanded (2.0f)))
                continue;

            const auto selected = scene.selection.contains (note.id);
            const auto body = selected ? juce::Colour (scene.moving ? 0xcc800080u : 0xccffff00u) : Palette::note;
            paintNote (g, scene, bounds, body, juce::Colour (0x80ffffff), 1.0f);
        }

        if (scene.drawingNote != nullptr && PianoRollGeometry::isDrawablePitch (scene.drawingNote->pitch))
        {
            paintNote (g, scene, geometry.noteBounds (*scene.drawingNote), juce::Colour (0x9900ff00), juce::Colour (0xb2ffffff), 1.5f);
        }

        if (scene.rubberBand.has_value())
        {
            const auto band = scene.rubberBand->toFloat();
            g.setColour (juce::Colour (0x33ffffff));
            g.fillRect (band);
            g.setColour (juce::Colour (0xccffffff));
            g.drawRect (band, 1.0f);
        }
    }

    void paintVelocityLane (juce::Graphics& g, const Scene& scene)
    {
        if (! scene.velocityLane.has_value())
            return;

        const auto lane = *scene.velocityLane;
        const auto& geometry = scene.geometry;

        g.setColour (Palette::darkBand);
        g.fillRect (0, lane.getY(), lane.getRight(), lane.getHeight());
        g.setColour (juce::Colour (0x40ffffff));
        g.fillRect (0, lane.getY(), lane.getRight(), 1);
        g.setColour (juce::Colour (0x99ffffff));
        g.setFont (11.0f);
        g.drawText ("Velocity", juce::Rectangle<int> (4, lane.getY() + 4, lane.getX() - 6, 14), juce::Justification::centredLeft, true);

        juce::Graphics::ScopedSaveState saved (g);
        if (! g.reduceClipRegion (lane))
            return;

        const auto asked = g.getClipBounds();
        const auto left = static_cast<float> (asked.getX()), right = static_cast<float> (asked.getRight());
        for (const auto& note : scene.notes)
        {
            const auto x = geometry.tickToX (note.startTick);
            if (x + NoteEditing::barWidth < left || x > right)
                continue;

            g.setColour (scene.selection.contains (note.id) ? juce::Colour (0xccffff00) : Palette::clipOutline);
            g.fillRect (NoteEditing::velocityBar (x, note.velocity, lane));
        }

        if (scene.velocityNote != nullptr)
        {
            const auto bar = NoteEditing::velocityBar (geometry.tickToX (scene.velocityNote->startTick), scene.velocityNote->velocity, lane);
            g.setColour (Palette::text);
            g.setFont (12.0f);
            g.drawText (juce::String (scene.velocityNote->velocity), velocityNumberArea (bar, lane), juce::Justification::centredLeft, false);
        }
    }

    void paint (juce::Graphics& g, const Scene& scene)
    {
        g.fillAll (juce::Colour (0xff2a2a2a));
        g.setColour (Palette::darkBand);
        g.fillRect (0, 0, scene.width, headerHeight);

        const juce::Rectangle<int> titleArea (10, 10, 500, 30);
        if (g.clipRegionIntersects (titleArea))
        {
            g.setColour (Palette::text);
            g.drawText (scene.title, titleArea, juce::Justification::centredLeft, true);
        }

        if (scene.pointedPitch.isNotEmpty() && g.clipRegionIntersects (pointedPitchArea))
        {
            g.setColour (Palette::text);
            g.setFont (11.0f);
            g.drawText (scene.pointedPitch, pointedPitchArea, juce::Justification::centredLeft, true);
        }

        paintKeyboard (g, scene);
        paintGrid (g, scene);
        paintNotes (g, scene);
        paintVelocityLane (g, scene);
    }
} // namespace PianoRollPainter
