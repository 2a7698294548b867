#pragma once

#include "model/ArrangementModel.h"
#include "support/LargestArrangement.h"

#include <memory>

/** The arrangements and clips the benchmarks measure on. */
namespace BenchmarkFixtures
{
    /** The largest arrangement (16 tracks x 33 clips x 200 notes) as the model holds it. */
    inline ArrangementSnapshot bigArrangement (ArrangementModel& model)
    {
        ArrangementSnapshot arrangement;
        arrangement.numTracks = 16;
        for (auto& clip : largestArrangement())
            arrangement.clips.push_back (std::make_shared<const Clip> (Clip { model.nextClipId(), std::move (clip) }));
        return arrangement;
    }

    /** A 132-quarter clip with the given number of notes spread over it and over the keys. */
    inline ClipData bigClip (int numNotes)
    {
        ClipData clip { 1, 0, 132, {} };
        clip.notes.reserve ((size_t) numNotes);
        for (int i = 0; i < numNotes; ++i)
            clip.notes.push_back ({ 21 + (i * 37) % 88, (int) ((juce::int64) i * 132 * 960 / juce::jmax (1, numNotes)), 240, 100 });
        return clip;
    }

    /** A format-0 file of n events: 64 notes sounding at once, each released
        64 events after it starts, across all keys (long sustained notes).
    */
    inline juce::MemoryBlock syntheticMidiFile (int numEvents)
    {
        juce::MemoryOutputStream track;
        for (int i = 0; i < numEvents; ++i)
        {
            track.writeByte (1); // delta
            if (i % 2 == 0)
            {
                track.writeByte ((char) 0x90);
                track.writeByte ((char) ((i / 2) % 128));
                track.writeByte (100);
            }
            else
            {
                track.writeByte ((char) 0x80);
                track.writeByte ((char) (((i / 2) + 128 - 64) % 128));
                track.writeByte (0);
            }
        }
        track.write ("\0\xff\x2f\0", 4);

        juce::MemoryOutputStream file;
        file.write ("MThd\0\0\0\6\0\0\0\1\1\xe0", 14);
        file.write ("MTrk", 4);
        file.writeIntBigEndian ((int) track.getDataSize());
        file.write (track.getData(), track.getDataSize());
        return file.getMemoryBlock();
    }
} // namespace BenchmarkFixtures
