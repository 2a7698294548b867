#include "editor/MidiFileCommands.h"

#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"
#include "model/ClipRules.h"

MidiFileCommands::MidiFileCommands (ArrangementModel& m, Dialogs& d)
    : model (m), dialogs (d)
{
}

bool MidiFileCommands::isMidiFilePath (const juce::String& path)
{
    return path.endsWithIgnoreCase (".mid") || path.endsWithIgnoreCase (".midi");
}

void MidiFileCommands::tooManyNotes (const juce::String& whatHas)
{
    dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Too Many Notes", Arrangement::tooManyNotesMessage (whatHas, "loaded"));
}

//==============================================================================
std::optional<ClipId> MidiFileCommands::dropFiles (const juce::StringArray& paths, int track, int startQ)
{
    for (const auto& path : paths)
    {
        if (! isMidiFilePath (path) || ! juce::File::isAbsolutePath (path) || ! juce::File (path).existsAsFile())
            continue;

        ImportedClip read;
        const auto outcome = MidiFileReader::readFile (juce::File (path), read);

        // A file with more notes than the arrangement can take in is said so,
        // and the drop ends there.
        if (outcome == MidiFileReader::Outcome::tooManyNotes)
        {
            tooManyNotes (juce::File (path).getFileName() + " has");
            return std::nullopt;
        }

        if (outcome != MidiFileReader::Outcome::read)
            continue;

        if (model.getSnapshot()->countNotes() + read.notes.size() > (size_t) Arrangement::maxNotes)
        {
            tooManyNotes ("The arrangement would have");
            return std::nullopt;
        }

        // Cut to the timeline; notes reaching past the clip's end stay in it, unchanged.
        auto length = juce::jmax (1, read.lengthQ);
        if (juce::int64 { startQ } + length > Arrangement::timelineQuarters)
            length = Arrangement::timelineQuarters - startQ;

        std::vector<ClipId> ids;
        model.perform ("Drop MIDI File", [&] (ArrangementModel::Edit& edit) {
            ids = edit.placeClips ({ { track, startQ, length, std::move (read.notes) } });
        });

        if (ids.empty())
        {
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Overlap Detected",
                                 "Cannot place MIDI clip here - overlaps with existing clip.");
            return std::nullopt;
        }

        return ids.front();
    }

    return std::nullopt;
}

juce::String MidiFileCommands::exportClipToTempFile (const ClipData& clip)
{
    const auto file = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("VST_Clip_" + juce::String (clip.track) + "_" + juce::String (clip.startQ) + "_"
                                         + juce::String (juce::Time::currentTimeMillis()) + ".mid");
    if (file.existsAsFile())
        file.deleteFile();

    const auto bytes = MidiFileWriter::clipFileBytes (clip);
    if (bytes.isEmpty())
        return {};

    {
        juce::FileOutputStream out (file, 16384);
        if (! out.openedOk())
            return {};

        out.write (bytes.getData(), bytes.getSize());
    }

    return file.existsAsFile() && file.getSize() > 0 ? file.getFullPathName() : juce::String();
}

//==============================================================================
void MidiFileCommands::saveMidi()
{
    if (model.getSnapshot()->clips.empty())
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "No Clips",
                             "There are no clips to export. Create some clips with notes first!");
        return;
    }

    // The dialog asks before replacing an existing file; once the user agreed, the file is written.
    launchChooser ("Save MIDI File",
                   juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles | juce::FileBrowserComponent::warnAboutOverwriting,
                   [] (MidiFileCommands& commands, const juce::File& chosen) { commands.saveMidiToFile (chosen); });
}

void MidiFileCommands::loadMidi()
{
    launchChooser ("Load MIDI File", juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                   [] (MidiFileCommands& commands, const juce::File& chosen) { commands.loadMidiFromFile (chosen); });
}

void MidiFileCommands::importToTracks()
{
    launchChooser ("Import MIDI to Tracks", juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                   [] (MidiFileCommands& commands, const juce::File& chosen) { commands.importToTracksFromFile (chosen); });
}

void MidiFileCommands::launchChooser (const juce::String& title, int flags, std::function<void (MidiFileCommands&, const juce::File&)> completion)
{
    auto chooser = std::make_shared<juce::FileChooser> (title, juce::File::getSpecialLocation (juce::File::userDocumentsDirectory), "*.mid");

    // The host may close the editor while the dialog is open: then the completion does nothing.
    dialogs.launchChooser (chooser, flags, [safeThis = juce::WeakReference<MidiFileCommands> (this), completion = std::move (completion)] (const juce::FileChooser& fc) {
        if (auto* commands = safeThis.get())
            completion (*commands, fc.getResult());
    });
}

void MidiFileCommands::saveMidiToFile (const juce::File& chosen)
{
    saveToFile (chosen, [snapshot = model.getSnapshot()] { return MidiFileWriter::arrangementFileBytes (snapshot->clipData(), snapshot->tempo); });
}

void MidiFileCommands::saveToFile (const juce::File& chosen, FileBytes bytes)
{
    // A cancelled dialog gives no file; a folder or a missing folder is no target.
    if (chosen == juce::File() || chosen.isDirectory() || ! chosen.getParentDirectory().isDirectory())
        return;

    const auto target = chosen.getFileExtension() == ".mid" ? chosen : chosen.withFileExtension (".mid");

    // The dialog asked about the name the user typed; song.mid beside a typed
    // "song" is another file, and it is not replaced without asking.
    if (target != chosen && target.exists())
    {
        dialogs.confirm ("Replace File?", "A file named \"" + target.getFileName() + "\" already exists in this folder. Replace it?", "Replace",
                         [safeThis = juce::WeakReference<MidiFileCommands> (this), target, bytes = std::move (bytes)] (bool replace) {
                             if (auto* commands = safeThis.get(); commands != nullptr && replace)
                                 commands->writeAndReport (target, bytes);
                         });
        return;
    }

    writeAndReport (target, bytes);
}

void MidiFileCommands::writeAndReport (const juce::File& target, const FileBytes& bytes)
{
    const auto written = bytes();
    if (! written.isEmpty() && MidiFileWriter::replaceFileWith (target, written))
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "MIDI Saved", "Successfully saved to:\n" + target.getFullPathName());
    else
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Save Failed", "Failed to save MIDI file.");
}

void MidiFileCommands::exportClip (ClipId id)
{
    if (model.getSnapshot()->findClip (id) == nullptr)
        return;

    launchChooser ("Export Clip as MIDI",
                   juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles | juce::FileBrowserComponent::warnAboutOverwriting,
                   [id] (MidiFileCommands& commands, const juce::File& chosen) { commands.exportClipToFile (id, chosen); });
}

void MidiFileCommands::exportTrack (int track)
{
    launchChooser ("Export Track as MIDI",
                   juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles | juce::FileBrowserComponent::warnAboutOverwriting,
                   [track] (MidiFileCommands& commands, const juce::File& chosen) { commands.exportTrackToFile (track, chosen); });
}

void MidiFileCommands::exportClipToFile (ClipId id, const juce::File& chosen)
{
    // The clip as it is when the user chose the file.
    const auto snapshot = model.getSnapshot();
    if (const auto* clip = snapshot->findClip (id))
        saveToFile (chosen, [snapshot, clip] { return MidiFileWriter::clipFileBytes (clip->data); });
}

void MidiFileCommands::exportTrackToFile (int track, const juce::File& chosen)
{
    saveToFile (chosen, [snapshot = model.getSnapshot(), track] {
        std::vector<const ClipData*> clips;
        for (const auto* clip : snapshot->clipData())
            if (clip->track == track)
                clips.push_back (clip);
        return MidiFileWriter::arrangementFileBytes (clips, snapshot->tempo);
    });
}

void MidiFileCommands::loadMidiFromFile (const juce::File& chosen)
{
    if (chosen == juce::File() || ! chosen.existsAsFile())
        return;

    ImportedClip clip;
    const auto outcome = MidiFileReader::readFile (chosen, clip);

    if (outcome == MidiFileReader::Outcome::tooManyNotes)
    {
        tooManyNotes (chosen.getFileName() + " has");
        return;
    }

    if (outcome != MidiFileReader::Outcome::read)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Load Failed", "Failed to load MIDI file: " + chosen.getFileName());
        return;
    }

    // The loaded clip replaces all others; tracks, instruments, zoom and scroll stay.
    model.perform ("Load MIDI", [&clip] (ArrangementModel::Edit& edit) { edit.replaceClips ({ std::move (clip) }); });
    dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "MIDI Loaded", "Successfully loaded: " + chosen.getFileName());
}

bool MidiFileCommands::importToTracksFromFile (const juce::File& chosen)
{
    if (chosen == juce::File() || ! chosen.existsAsFile())
        return false;

    std::vector<ClipData> clips;
    int pastTimeline = 0;
    const auto outcome = MidiFileReader::readFileByChannel (chosen, clips, pastTimeline);

    if (outcome == MidiFileReader::Outcome::tooManyNotes)
    {
        tooManyNotes (chosen.getFileName() + " has");
        return false;
    }

    if (outcome != MidiFileReader::Outcome::read)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Import Failed", "Failed to import MIDI file: " + chosen.getFileName());
        return false;
    }

    if (pastTimeline != 0)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Import Failed",
                             "The notes of channel " + juce::String (pastTimeline) + " start after the end of the timeline; nothing was imported.");
        return false;
    }

    const auto snapshot = model.getSnapshot();
    size_t notes = snapshot->countNotes();
    for (const auto& clip : clips)
        notes += clip.notes.size();
    if (notes > (size_t) Arrangement::maxNotes)
    {
        tooManyNotes ("The arrangement would have");
        return false;
    }

    // A channel's clip on a clip already there refuses the whole file.
    const auto others = ClipPlacement::othersThan (*snapshot, {});
    for (const auto& clip : clips)
    {
        if (ClipRules::wouldOverlap (others, clip.track, clip.startQ, clip.lengthQ, nullptr))
        {
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Overlap Detected",
                                 "Cannot import " + chosen.getFileName() + ": its notes for track " + juce::String (clip.track)
                                     + " overlap a clip already there. Nothing was imported.");
            return false;
        }
    }

    auto highest = snapshot->numTracks;
    for (const auto& clip : clips)
        highest = juce::jmax (highest, clip.track);

    std::vector<ClipId> ids;
    model.perform ("Import MIDI to Tracks", [&] (ArrangementModel::Edit& edit) {
        edit.setNumTracks (highest);
        ids = edit.placeClips (clips);
    });

    if (ids.empty())
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Import Failed", "Failed to import MIDI file: " + chosen.getFileName());
        return false;
    }

    dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "MIDI Imported", "Successfully imported to tracks: " + chosen.getFileName());
    return true;
}

void MidiFileCommands::dropFilesToTracks (const juce::StringArray& paths)
{
    for (const auto& path : paths)
        if (isMidiFilePath (path) && juce::File::isAbsolutePath (path) && juce::File (path).existsAsFile())
            return (void) importToTracksFromFile (juce::File (path));
}
