#pragma once

#include "model/Arrangement.h"

#include <vector>

//==============================================================================
/** 16 tracks x 33 clips x 200 notes: the largest arrangement a user can make
    with full lanes, clips of a bar back to back, their notes across four
    octaves.
*/
inline std::vector<ClipData> largestArrangement()
{
    std::vector<ClipData> clips;
    for (int track = 1; track <= 16; ++track)
        for (int start = 0; start < 132; start += 4)
        {
            ClipData clip { track, start, 4, {} };
            for (int n = 0; n < 200; ++n)
                clip.notes.push_back ({ 40 + (n * 7) % 48, n * 19, 120, 100 });
            clips.push_back (std::move (clip));
        }
    return clips;
}
