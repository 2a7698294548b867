#pragma once

#include "model/Clipboard.h"

//==============================================================================
/** What the editing views remember between editor windows while the plug-in is
    loaded (not saved with the project): the clipboard, and the velocity new
    notes take.
*/
struct EditingSession
{
    Clipboard clipboard;

    /** The velocity set last in a piano roll's velocity lane: new notes take it. */
    int noteVelocity = 100;

    /** What the piano roll shows besides the clip's notes: the notes of the
        other clips, faintly ("Ghost Notes"), and note names as most DAWs give
        them ("Note Names"). Both off at first.
    */
    bool ghostNotes = false;
    bool noteNames = false;
};
