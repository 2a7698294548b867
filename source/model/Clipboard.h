#pragma once

#include "model/Arrangement.h"

#include <vector>

//==============================================================================
/** What Copy and Cut took: clips of the arrangement or notes of a piano roll,
    never both. It belongs to the plug-in, so it outlives the editor.
*/
class Clipboard
{
public:
    bool holdsClips() const noexcept { return ! clips.empty(); }
    bool holdsNotes() const noexcept { return ! notes.empty(); }

    const std::vector<ClipData>& getClips() const noexcept { return clips; }
    const std::vector<ClipNote>& getNotes() const noexcept { return notes; }

    void setClips (std::vector<ClipData> newClips)
    {
        clips = std::move (newClips);
        notes.clear();
    }

    void setNotes (std::vector<ClipNote> newNotes)
    {
        notes = std::move (newNotes);
        clips.clear();
    }

private:
    std::vector<ClipData> clips;
    std::vector<ClipNote> notes;
};
