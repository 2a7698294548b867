#pragma once

#include "editor/ArrangementView.h"
#include "editor/MidiFileCommands.h"
#include "editor/TrackComponent.h"
#include "ui/Dialogs.h"
#include "ui/Document.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <vector>

class PianoRollComponent;

//==============================================================================
/**
    The plug-in's window: a shell that lays out its pages and the controls
    that act on the whole document. The arrangement (ArrangementView) fills
    it, behind the track headers, "+ Track" and "- Track", "Undo" and "Redo",
    "MIDI Out" (and "Play" in the standalone app), "Save MIDI" and "Load
    MIDI"; a clip's piano roll, when one is open, covers it all.

    It knows the processor only as a Document; everything it shows comes from
    the document's model, and every change goes to it as a transaction.
*/
class CarvolinEditor final : public juce::AudioProcessorEditor,
                             private ArrangementModel::Listener,
                             private juce::Timer
{
public:
    CarvolinEditor (juce::AudioProcessor& owner, Document& document);
    ~CarvolinEditor() override;

    void resized() override;

    /** The keys go to the page shown: the piano roll when one is open. */
    bool keyPressed (const juce::KeyPress& key) override;

    //==============================================================================
    ArrangementView& getArrangement() noexcept { return arrangement; }
    ArrangementModel& getModel() noexcept { return model; }

    /** Opens a clip's piano roll over the whole window. */
    void openPianoRoll (ClipId clip);

    /** The piano roll opened last (it may be closed), or null. */
    PianoRollComponent* getPianoRoll() const noexcept { return pianoRoll.get(); }

    /** How the window reaches the user through dialogs; tests replace them. */
    Dialogs& getDialogs() noexcept { return dialogs; }

    MidiFileCommands& getFiles() noexcept { return files; }

    /** Hands the MIDI folder to the document, which keeps it with the state. */
    void writeStateToProcessor();

    const juce::File& getMidiFolder() const noexcept { return midiFolder; }

private:
    void arrangementChanged() override;
    void timerCallback() override;
    void addTrackHeaders (const ArrangementSnapshot& snapshot);
    bool isPianoRollOpen() const noexcept;

    Document& document;
    ArrangementModel& model;
    Dialogs dialogs = Dialogs::native();
    MidiFileCommands files;
    ArrangementView arrangement;
    juce::File midiFolder;

    std::vector<std::unique_ptr<TrackComponent>> tracks;
    juce::TextButton addTrackButton { "+ Track" };
    juce::TextButton removeTrackButton { "- Track" };
    juce::TextButton undoButton { "Undo" };
    juce::TextButton redoButton { "Redo" };
    juce::TextButton midiOutButton { "MIDI Out" };
    juce::TextButton playButton { "Play" };
    juce::Label tempoLabel { {}, "Tempo" };
    juce::Slider tempoSlider { juce::Slider::IncDecButtons, juce::Slider::TextBoxLeft };
    juce::TextButton saveMidiButton { "Save MIDI" };
    juce::TextButton loadMidiButton { "Load MIDI" };

    std::unique_ptr<PianoRollComponent> pianoRoll;
    int droppedShown = 0;

    // Shows the controls' tooltips after JUCE's usual delay.
    juce::TooltipWindow tooltips { this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CarvolinEditor)
};
