#include "pianoroll/PianoRollPainter.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
    /** How many pixels differ by more than 3 in some channel, and the largest difference. */
    struct Difference
    {
        int pixels = 0;
        int largest = 0;
    };

    Difference compare (const juce::Image& a, const juce::Image& b)
    {
        const juce::Image::BitmapData da (a, juce::Image::BitmapData::readOnly);
        const juce::Image::BitmapData db (b, juce::Image::BitmapData::readOnly);
        Difference d;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
            {
                const auto p = da.getPixelColour (x, y);
                const auto q = db.getPixelColour (x, y);
                const auto channel = juce::jmax (std::abs (p.getRed() - q.getRed()), std::abs (p.getGreen() - q.getGreen()),
                                                 std::abs (p.getBlue() - q.getBlue()), std::abs (p.getAlpha() - q.getAlpha()));
                d.pixels += channel > 3 ? 1 : 0;
                d.largest = juce::jmax (d.largest, channel);
            }
        return d;
    }
} // namespace

TEST (PianoRollPaint, KeptNoteShapesPaintWhatEachNoteAfreshPaints)
{
    // Notes of many lengths at fractional positions, some selected, some cut
    // by the grid's edges, painted at zooms and pixel scales where rounding
    // differs: a note copied from a kept image differs from one painted in
    // place only by its position rounded to a 32nd of a pixel and by the
    // rounding of blending twice, which shows as a faint change of a few edge
    // pixels, never as a shape of another size, colour or place.
    struct Case
    {
        float horizontalZoom, verticalZoom, horizontalScroll, pixelScale;
    };
    const Case cases[] { { 1.0f, 1.0f, 0.0f, 1.0f }, { 1.0f, 1.3f, 0.0f, 1.0f }, { 3.7f, 1.3f, 211.3f, 1.0f }, { 3.7f, 1.3f, 211.3f, 2.0f }, { 0.5f, 0.7f, 0.0f, 2.0f }, { 1.1f, 2.5f, 17.9f, 1.5f } };

    std::mt19937 random (7);
    std::vector<ClipNote> notes;
    const int lengths[] { 1, 120, 240, 480, 960, 2900 };
    for (int i = 0; i < 400; ++i)
        notes.push_back ({ 40 + (int) (random() % 40), (int) (random() % (32 * 960)), lengths[random() % std::size (lengths)], 100, (NoteId) i + 1 });

    Selection<NoteId> selection;
    for (size_t i = 0; i < notes.size(); i += 5)
        selection.add (notes[i].id);

    // The note being drawn has a thicker outline than a note of its size in the list.
    const ClipNote drawing { 60, 1234, notes[0].lengthTicks, 100 };

    // One store of shapes for every zoom and scale, as the piano roll keeps one.
    PianoRollPainter::NoteShapes shapes;

    for (const auto& c : cases)
    {
        PianoRollGeometry geometry;
        geometry.gridArea = { 60, 50, 1040, 550 };
        geometry.clipLengthQ = 32;
        geometry.horizontalZoom = c.horizontalZoom;
        geometry.verticalZoom = c.verticalZoom;
        geometry.horizontalScroll = c.horizontalScroll;
        geometry.verticalScroll = 300.0f;

        const auto paint = [&] (PianoRollPainter::NoteShapes* kept) {
            PianoRollPainter::Scene scene { geometry, notes, selection };
            scene.noteShapes = kept;
            scene.drawingNote = &drawing;
            juce::Image image (juce::Image::ARGB, 1100, 600, true, juce::SoftwareImageType());
            juce::Graphics g (image);
            g.fillAll (juce::Colour (0xff474747));
            g.addTransform (juce::AffineTransform::scale (c.pixelScale));
            PianoRollPainter::paintNotes (g, scene);
            return image;
        };

        const auto afresh = paint (nullptr);
        const auto kept = paint (&shapes);

        const auto d = compare (afresh, kept);
        EXPECT_LE (d.largest, 24) << "zoom " << c.horizontalZoom << ", scale " << c.pixelScale;
        EXPECT_LT (d.pixels, 2 * notes.size()) << "zoom " << c.horizontalZoom << ", scale " << c.pixelScale;
    }
}
