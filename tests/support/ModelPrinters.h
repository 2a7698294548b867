#pragma once

#include "model/Arrangement.h"

#include <ostream>

/** Readable notes in test failures: (pitch, startTick, lengthTicks, velocity). */
inline void PrintTo (const ClipNote& n, std::ostream* os)
{
    *os << "(" << n.pitch << ", " << n.startTick << ", " << n.lengthTicks << ", " << n.velocity << ")";
}

/** Readable clips in test failures: track, start and length, then the notes. */
inline void PrintTo (const ClipData& c, std::ostream* os)
{
    *os << "{track " << c.track << ", startQ " << c.startQ << ", lengthQ " << c.lengthQ << ", notes";
    for (const auto& n : c.notes)
    {
        *os << " ";
        PrintTo (n, os);
    }
    *os << "}";
}
