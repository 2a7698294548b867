#pragma once

#include "model/ArrangementModel.h"
#include "ui/Dialogs.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

//==============================================================================
/** Everything that crosses the window's edge as a MIDI file: "Save MIDI" and
    "Load MIDI" with their dialogs and messages, files dropped onto the lanes,
    and a clip written to a temporary file to be dragged out.
*/
class MidiFileCommands
{
public:
    MidiFileCommands (ArrangementModel& model, Dialogs& dialogs);

    /** Exports every clip through a save dialog ("Save MIDI"). */
    void saveMidi();

    /** Replaces the clips with a MIDI file's notes through an open dialog ("Load MIDI"). */
    void loadMidi();

    /** Saves to the file the user chose, and reports the result. When the
        file written gets another name than the one chosen and a file of that
        name exists, the user is asked first.
    */
    void saveMidiToFile (const juce::File& chosen);

    /** Loads the file the user chose, and reports the result. */
    void loadMidiFromFile (const juce::File& chosen);

    /** Puts the notes of each MIDI channel of a file into the track of the
        same number, through an open dialog ("Import MIDI to Tracks...").
    */
    void importToTracks();

    /** Imports the file as importToTracks does, all or nothing, as one undo
        step (tracks added up to 16 as needed), and reports the result: a clip
        already where a channel's notes go refuses the whole file, with a
        message naming the track. True when the clips were placed.
    */
    bool importToTracksFromFile (const juce::File& chosen);

    /** Writes a clip (as it is dragged out) or a track's clips (as "Save
        MIDI" writes them) to a file chosen in a save dialog.
    */
    void exportClip (ClipId clip);
    void exportTrack (int track);

    /** Writes the clip or the track to the file the user chose, as saveMidiToFile does. */
    void exportClipToFile (ClipId clip, const juce::File& chosen);
    void exportTrackToFile (int track, const juce::File& chosen);

    /** Places the first MIDI file of the paths that reads as a clip on track
        (counted from 1) at quarter startQ: the new clip's id, or nothing
        (with a message when it would overlap or hold too many notes).
    */
    std::optional<ClipId> dropFiles (const juce::StringArray& paths, int track, int startQ);

    /** Imports the first MIDI file of the paths to tracks (a drop with Shift held). */
    void dropFilesToTracks (const juce::StringArray& paths);

    /** True when a path names a MIDI file by its ending (".mid", ".midi", any case). */
    static bool isMidiFilePath (const juce::String& path);

    /** Writes a clip's notes to a new MIDI file in the temporary folder, for
        dragging it out of the window. Returns its path, or an empty string.
    */
    static juce::String exportClipToTempFile (const ClipData& clip);

private:
    using FileBytes = std::function<juce::MemoryBlock()>;

    void launchChooser (const juce::String& title, int flags, std::function<void (MidiFileCommands&, const juce::File&)> completion);
    void saveToFile (const juce::File& chosen, FileBytes bytes);
    void writeAndReport (const juce::File& target, const FileBytes& bytes);
    void tooManyNotes (const juce::String& whatHas);

    ArrangementModel& model;
    Dialogs& dialogs;

    JUCE_DECLARE_WEAK_REFERENCEABLE (MidiFileCommands)
};
