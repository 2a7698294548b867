#include "editor/CarvolinEditor.h"

#include "midifile/MidiFileReader.h"
#include "midifile/MidiFileWriter.h"

#include <algorithm>

// Files in and out of the editor: file drag and drop, and the Save MIDI and Load MIDI commands.

//==============================================================================
namespace
{
    bool isMidiFilePath (const juce::String& path)
    {
        return path.endsWithIgnoreCase (".mid") || path.endsWithIgnoreCase (".midi");
    }
} // namespace

bool CarvolinEditor::isInterestedInFileDrag (const juce::StringArray& files)
{
    return std::any_of (files.begin(), files.end(), isMidiFilePath);
}

void CarvolinEditor::fileDragEnter (const juce::StringArray&, int x, int y)
{
    const ScopedRepaint repaintChanges (*this);

    fileDragHover = true;
    updateFileDragHover (x, y);
}

void CarvolinEditor::fileDragMove (const juce::StringArray&, int x, int y)
{
    const ScopedRepaint repaintChanges (*this);

    updateFileDragHover (x, y);
}

void CarvolinEditor::fileDragExit (const juce::StringArray&)
{
    const ScopedRepaint repaintChanges (*this);

    fileDragHover = false;
    hoverTrackIndex = -1;
    hoverQuarter = -1;
}

void CarvolinEditor::updateFileDragHover (int x, int y)
{
    namespace geo = ArrangementGeometry;

    if (! arrangementArea.contains (x, y))
    {
        hoverQuarter = -1;
        hoverTrackIndex = -1;
        return;
    }

    const auto view = getView();
    const auto lane = juce::jlimit (0, static_cast<int> (tracks.size()) - 1, geo::laneAtY (y));
    auto q = juce::jlimit (0, Arrangement::timelineQuarters - 1, geo::xToQuarter (x, view));
    q = snapToGrid (q * Arrangement::ticksPerQuarter) / Arrangement::ticksPerQuarter;

    hoverTrackIndex = lane;
    hoverQuarter = q;
    hoverRect = { arrangementArea.getX() + geo::quarterToX (q, view),
                  arrangementArea.getY() + lane * geo::laneHeight + geo::clipTopInset,
                  geo::spanWidth (q, Arrangement::quartersPerBar, view),
                  geo::clipHeight };
}

void CarvolinEditor::filesDropped (const juce::StringArray& files, int, int)
{
    const ScopedRepaint repaintChanges (*this);

    fileDragHover = false;

    // The clip goes where the last drag move showed its preview.
    if (hoverTrackIndex < 0 || hoverQuarter < 0)
    {
        return;
    }

    for (const auto& path : files)
    {
        if (! isMidiFilePath (path) || ! juce::File::isAbsolutePath (path) || ! juce::File (path).existsAsFile())
            continue;

        ImportedClip first;
        const auto outcome = MidiFileReader::readFile (juce::File (path), first);

        // A file with more notes than the arrangement can take in is said so,
        // and the drop ends there.
        const auto tooMany = outcome == MidiFileReader::Outcome::tooManyNotes;
        if (tooMany || (outcome == MidiFileReader::Outcome::read && model.getSnapshot()->countNotes() + first.notes.size() > (size_t) Arrangement::maxNotes))
        {
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Too Many Notes",
                                 Arrangement::tooManyNotesMessage (tooMany ? juce::File (path).getFileName() + " has" : "The arrangement would have", "loaded"));
            break;
        }

        if (outcome != MidiFileReader::Outcome::read)
            continue;

        auto length = juce::jmax (1, first.lengthQ);
        if (juce::int64 { hoverQuarter } + length > Arrangement::timelineQuarters)
            length = Arrangement::timelineQuarters - hoverQuarter;

        if (wouldOverlap (hoverTrackIndex + 1, hoverQuarter, length, nullptr))
        {
            dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Overlap Detected",
                                 "Cannot place MIDI clip here - overlaps with existing clip.");
            return;
        }

        // Notes reaching past the clip's end stay in it, unchanged.
        ClipData dropped { hoverTrackIndex + 1, hoverQuarter, length, std::move (first.notes) };
        ClipId id = 0;
        model.perform ("Drop MIDI File", [&] (ArrangementModel::Edit& edit) { id = edit.addClip (std::move (dropped)); });
        droppedClips.push_back (id);
        if (auto* clip = findClip (id))
            clip->onDoubleClick = nullptr;
        selection.selectOnly (id);
        break;
    }

    hoverTrackIndex = -1;
    hoverQuarter = -1;
}

//==============================================================================
juce::String CarvolinEditor::exportClipToTempFile (ScoreComponent* clip)
{
    if (clip == nullptr)
        return {};

    const auto file = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("VST_Clip_" + juce::String (clip->track) + "_" + juce::String (clip->startQ) + "_"
                                         + juce::String (juce::Time::currentTimeMillis()) + ".mid");
    if (file.existsAsFile())
        file.deleteFile();

    const auto bytes = MidiFileWriter::clipFileBytes (*clip);
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
void CarvolinEditor::saveMidi()
{
    if (model.getSnapshot()->clips.empty())
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "No Clips",
                             "There are no clips to export. Create some clips with notes first!");
        return;
    }

    // The dialog asks before replacing an existing file; once the user agreed, the file is written.
    launchMidiFileChooser ("Save MIDI File",
                           juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                               | juce::FileBrowserComponent::warnAboutOverwriting,
                           &CarvolinEditor::saveMidiToChosenFile);
}

void CarvolinEditor::launchMidiFileChooser (const juce::String& title, int chooserFlags, void (CarvolinEditor::*completion) (const juce::FileChooser&))
{
    auto chooser = std::make_shared<juce::FileChooser> (title, juce::File::getSpecialLocation (juce::File::userDocumentsDirectory), "*.mid");

    // The host may close the editor while the dialog is open: then the completion does nothing.
    dialogs.launchChooser (chooser, chooserFlags, [safeThis = SafePointer<CarvolinEditor> (this), completion] (const juce::FileChooser& fc) {
        if (auto* editor = safeThis.getComponent())
            (editor->*completion) (fc);
    });
}

void CarvolinEditor::saveMidiToChosenFile (const juce::FileChooser& chooser)
{
    saveMidiToFile (chooser.getResult());
}

void CarvolinEditor::saveMidiToFile (const juce::File& chosen)
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
                         [safeThis = SafePointer<CarvolinEditor> (this), target] (bool replace) {
                             if (auto* editor = safeThis.getComponent(); editor != nullptr && replace)
                                 editor->writeMidiFileAndReport (target);
                         });
        return;
    }

    writeMidiFileAndReport (target);
}

void CarvolinEditor::writeMidiFileAndReport (const juce::File& target)
{
    const auto snapshot = model.getSnapshot();
    if (writeMidiFile (target, snapshot->clipData()))
        dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "MIDI Saved", "Successfully saved to:\n" + target.getFullPathName());
    else
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Save Failed", "Failed to save MIDI file.");
}

void CarvolinEditor::loadMidi()
{
    launchMidiFileChooser ("Load MIDI File",
                           juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                           &CarvolinEditor::loadMidiFromChosenFile);
}

void CarvolinEditor::loadMidiFromChosenFile (const juce::FileChooser& chooser)
{
    loadMidiFromFile (chooser.getResult());
}

void CarvolinEditor::loadMidiFromFile (const juce::File& chosen)
{
    if (chosen == juce::File() || ! chosen.existsAsFile())
        return;

    ImportedClip clip;
    const auto outcome = MidiFileReader::readFile (chosen, clip);

    if (outcome == MidiFileReader::Outcome::tooManyNotes)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Too Many Notes", Arrangement::tooManyNotesMessage (chosen.getFileName() + " has", "loaded"));
        return;
    }

    if (outcome != MidiFileReader::Outcome::read)
    {
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Load Failed", "Failed to load MIDI file: " + chosen.getFileName());
        return;
    }

    std::vector<ImportedClip> imported { std::move (clip) };

    // The loaded clip replaces all others; tracks, instruments, zoom and scroll stay.
    selection.clear();
    endGestureWithoutChange();
    model.perform ("Load MIDI", [&imported] (ArrangementModel::Edit& edit) { edit.replaceClips (std::move (imported)); });
    layOutAndRepaint();
    dialogs.showMessage (juce::MessageBoxIconType::InfoIcon, "MIDI Loaded", "Successfully loaded: " + chosen.getFileName());
}
