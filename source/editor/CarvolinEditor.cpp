#include "editor/CarvolinEditor.h"

#include "editor/ArrangementGeometry.h"
#include "pianoroll/PianoRollComponent.h"
#include "ui/Palette.h"

namespace
{
    void styleButton (juce::TextButton& button, juce::Colour background)
    {
        button.setColour (juce::TextButton::buttonColourId, background);
        button.setColour (juce::TextButton::textColourOffId, Palette::text);
        button.setColour (juce::TextButton::textColourOnId, Palette::text);
    }

    void fillInstrumentList (juce::ComboBox& box)
    {
        box.clear (juce::dontSendNotification);

        int itemId = 1;
        for (const auto* name : Instruments::names)
            box.addItem (name, itemId++);

        box.setTextWhenNothingSelected (Instruments::noSelectionText);
        box.setSelectedId (Instruments::defaultItemId, juce::dontSendNotification);
    }
} // namespace

//==============================================================================
CarvolinEditor::CarvolinEditor (juce::AudioProcessor& owner, Document& doc)
    : juce::AudioProcessorEditor (owner),
      document (doc),
      model (doc.getModel()),
      files (doc.getModel(), dialogs),
      arrangement (doc.getModel(), doc.getSession(), files, dialogs)
{
    setSize (1100, 600);
    setResizable (true, true);
    setResizeLimits (800, 400, 2000, 1200);

    // The arrangement fills the window, behind everything else.
    addAndMakeVisible (arrangement);
    arrangement.onOpenClip = [this] (ClipId clip) { openPianoRoll (clip); };

    for (auto* button : { &addTrackButton, &removeTrackButton, &saveMidiButton, &loadMidiButton })
        addAndMakeVisible (button);

    // Undo and redo stand in the header box, below the track buttons: space
    // no other control takes at any window size.
    addAndMakeVisible (undoButton);
    addAndMakeVisible (redoButton);

    // "MIDI Out" below them: playback through the plug-in's MIDI output, a
    // change of the arrangement like any other. The standalone app, which has
    // no host transport, gets a "Play" button of its own beside it.
    addAndMakeVisible (midiOutButton);
    midiOutButton.setClickingTogglesState (true);
    midiOutButton.setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);
    addChildComponent (playButton);
    playButton.setVisible (doc.hasOwnTransport());
    playButton.setColour (juce::TextButton::buttonOnColourId, Palette::toolOn);

    // Its tempo (that of the arrangement) stands in the free space above the
    // tools; a click on the ruler while it is stopped sets where it starts.
    addChildComponent (tempoLabel);
    addChildComponent (tempoSlider);
    tempoLabel.setVisible (doc.hasOwnTransport());
    tempoSlider.setVisible (doc.hasOwnTransport());
    tempoSlider.setRange (Arrangement::minTempo, Arrangement::maxTempo, 1.0);
    tempoSlider.setTextValueSuffix (" BPM");
    tempoSlider.setIncDecButtonsMode (juce::Slider::incDecButtonsDraggable_Vertical);
    tempoSlider.setTooltip ("The standalone app's tempo, which Save MIDI writes too");
    tempoSlider.onValueChange = [this] {
        const auto bpm = juce::roundToInt (tempoSlider.getValue());
        model.perform ("Tempo", [bpm] (ArrangementModel::Edit& edit) { edit.setTempo (bpm); });
    };
    arrangement.onRulerClicked = [this] (int quarter) {
        auto& playback = document.getPlayback();
        if (document.hasOwnTransport() && ! playback.isStandalonePlaying())
            playback.setStandaloneStart (quarter);
        timerCallback();
    };

    for (auto* button : { &addTrackButton, &removeTrackButton, &undoButton, &redoButton, &midiOutButton, &playButton })
        styleButton (*button, Palette::control);
    styleButton (saveMidiButton, Palette::fileCommand);
    styleButton (loadMidiButton, Palette::fileCommand);

    addTrackButton.setTooltip ("Add a track (up to 16)");
    removeTrackButton.setTooltip ("Remove the last track");
    undoButton.setTooltip ("Undo (Ctrl+Z)");
    redoButton.setTooltip ("Redo (Ctrl+Shift+Z or Ctrl+Y)");
    midiOutButton.setTooltip ("Play the arrangement through the plug-in's MIDI output while the transport runs, each track on its channel");
    playButton.setTooltip ("Play from the mark on the ruler (a click on the ruler sets it), looping over the loop region");
    saveMidiButton.setTooltip ("Save the arrangement as a MIDI file, each track on its channel");
    loadMidiButton.setTooltip ("Replace every clip with one clip of a MIDI file's notes");

    addTrackButton.onClick = [this] {
        const auto numTracks = model.getSnapshot()->numTracks;
        model.perform ("Add Track", [numTracks] (ArrangementModel::Edit& edit) { edit.setNumTracks (numTracks + 1); });
    };
    removeTrackButton.onClick = [this] {
        const auto numTracks = model.getSnapshot()->numTracks;
        model.perform ("Remove Track", [numTracks] (ArrangementModel::Edit& edit) { edit.setNumTracks (numTracks - 1); });
    };
    undoButton.onClick = [this] { arrangement.getCommands().undo(); };
    redoButton.onClick = [this] { arrangement.getCommands().redo(); };
    midiOutButton.onClick = [this] {
        const auto on = midiOutButton.getToggleState();
        model.perform (on ? "MIDI Out On" : "MIDI Out Off", [on] (ArrangementModel::Edit& edit) { edit.setMidiOut (on); });
    };
    playButton.onClick = [this] {
        auto& playback = document.getPlayback();
        playback.setStandalonePlaying (! playback.isStandalonePlaying());
        timerCallback();
    };
    saveMidiButton.onClick = [this] { files.saveMidi(); };
    loadMidiButton.onClick = [this] { files.loadMidi(); };

    tracks.reserve (Arrangement::maxTracks);

    // The folder beside our own module, unless the saved state names another
    // one that still exists.
    midiFolder = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory();
    const auto savedFolderPath = document.getMidiFolderPath();
    if (savedFolderPath.isNotEmpty() && juce::File::isAbsolutePath (savedFolderPath) && juce::File (savedFolderPath).isDirectory())
        midiFolder = juce::File (savedFolderPath);

    // The arrangement as the model holds it: after a close and reopen, the
    // same tracks, instruments and clips.
    model.addListener (this);
    arrangementChanged();

    // The playhead's line moves about 30 times a second.
    startTimerHz (30);
}

CarvolinEditor::~CarvolinEditor()
{
    stopTimer();
    document.getRecorder().setStepInput (nullptr);
    model.removeListener (this);
    writeStateToProcessor();
}

void CarvolinEditor::writeStateToProcessor()
{
    // A folder that no longer exists is not written and leaves the document's as it was.
    if (midiFolder.isDirectory())
        document.setMidiFolderPath (midiFolder.getFullPathName());
}

//==============================================================================
void CarvolinEditor::arrangementChanged()
{
    const auto snapshot = model.getSnapshot();
    const auto tracksChanged = (int) tracks.size() != snapshot->numTracks;

    // Track headers: added or removed at the end, instruments as chosen.
    while ((int) tracks.size() > snapshot->numTracks)
    {
        removeChildComponent (tracks.back().get());
        tracks.pop_back();
    }
    addTrackHeaders (*snapshot);

    for (size_t i = 0; i < tracks.size(); ++i)
    {
        tracks[i]->instrumentBox.setSelectedId (snapshot->instruments[i], juce::dontSendNotification);
        tracks[i]->recordArm.setToggleState (snapshot->recordTrack == (int) i + 1, juce::dontSendNotification);
    }

    undoButton.setEnabled (model.canUndo());
    redoButton.setEnabled (model.canRedo());
    tempoSlider.setValue (snapshot->tempo, juce::dontSendNotification);
    midiOutButton.setToggleState (snapshot->midiOut, juce::dontSendNotification);

    if (tracksChanged)
        resized();
}

void CarvolinEditor::addTrackHeaders (const ArrangementSnapshot& snapshot)
{
    while ((int) tracks.size() < snapshot.numTracks)
    {
        const auto index = (int) tracks.size();
        auto track = std::make_unique<TrackComponent> (index + 1, fillInstrumentList);
        track->instrumentBox.onChange = [this, index] {
            const auto itemId = tracks[(size_t) index]->instrumentBox.getSelectedId();
            model.perform ("Choose Instrument", [index, itemId] (ArrangementModel::Edit& edit) { edit.setInstrument (index, itemId); });
        };
        track->recordArm.onClick = [this, number = index + 1] {
            const auto armed = model.getSnapshot()->recordTrack == number;
            model.perform (armed ? "Disarm Track" : "Arm Track", [armed, number] (ArrangementModel::Edit& edit) { edit.setRecordTrack (armed ? 0 : number); });
        };

        // Under an open piano roll, which stays in front.
        addAndMakeVisible (*track);
        if (pianoRoll != nullptr)
            pianoRoll->toFront (false);
        tracks.push_back (std::move (track));
    }
}

void CarvolinEditor::resized()
{
    namespace geo = ArrangementGeometry;

    // The window grows to fit its lanes; it never shrinks here.
    const auto numTracks = (int) tracks.size();
    const auto minHeight = geo::laneHeight * numTracks + 160;
    if (getHeight() < minHeight)
        setSize (getWidth(), minHeight);

    const auto width = getWidth();
    arrangement.setBounds (getLocalBounds());

    addTrackButton.setBounds (10, 15, 90, 30);
    removeTrackButton.setBounds (110, 15, 90, 30);
    undoButton.setBounds (10, 55, 90, 30);
    redoButton.setBounds (110, 55, 90, 30);
    midiOutButton.setBounds (10, 90, 90, 30);
    playButton.setBounds (110, 90, 90, 30);
    tempoLabel.setBounds (geo::originX + 5, 10, 50, 30);
    tempoSlider.setBounds (geo::originX + 55, 10, 130, 30);

    // Narrow windows stack the two file commands.
    if (width - 250 < 320)
    {
        saveMidiButton.setBounds (width - 270, 10, 90, 30);
        loadMidiButton.setBounds (width - 270, 45, 90, 30);
    }
    else
    {
        saveMidiButton.setBounds (width - 270, 10, 100, 30);
        loadMidiButton.setBounds (width - 160, 10, 100, 30);
    }

    for (size_t i = 0; i < tracks.size(); ++i)
        tracks[i]->setBounds (10, geo::originY + geo::laneHeight * static_cast<int> (i), 180, geo::laneHeight);

    // The piano roll covers the whole window at every size.
    if (pianoRoll != nullptr)
        pianoRoll->setBounds (getLocalBounds());
}

bool CarvolinEditor::keyPressed (const juce::KeyPress& key)
{
    // Under an open piano roll the arrangement is out of reach: the selected
    // clip is usually the one being edited, and the keys belong to the roll.
    if (isPianoRollOpen())
        return pianoRoll->keyPressed (key);

    return arrangement.keyPressed (key);
}

//==============================================================================
void CarvolinEditor::openPianoRoll (ClipId clip)
{
    const auto* opened = model.getSnapshot()->findClip (clip);
    if (opened == nullptr)
        return;

    // The piano roll held before, open or closed, goes: every edit in it is
    // already in the arrangement.
    document.getRecorder().setStepInput (nullptr);
    pianoRoll = std::make_unique<PianoRollComponent> (model, clip, document.getSession(), dialogs);

    // Step input: while it is on, the keys played on the MIDI input go to the roll.
    pianoRoll->onStepInput = [this, roll = pianoRoll.get()] (bool on) {
        document.getRecorder().setStepInput (on ? std::function<void (const InputEvent&)> ([roll] (const InputEvent& e) { roll->stepKey (e); }) : nullptr);
    };

    // A note pressed in the roll sounds on its clip's channel while "MIDI Out" is on.
    pianoRoll->onAudition = [this, channel = juce::jlimit (1, 16, opened->data.track)] (int key, int velocity, bool on) {
        document.getPlayback().audition (channel, key, velocity, on);
    };
    addAndMakeVisible (*pianoRoll);
    pianoRoll->setBounds (getLocalBounds());
    pianoRoll->toFront (true);
}

bool CarvolinEditor::isPianoRollOpen() const noexcept
{
    return pianoRoll != nullptr && pianoRoll->isVisible();
}

void CarvolinEditor::timerCallback()
{
    // Notes the recorder could not take in time are said once, when it happens.
    if (const auto dropped = document.getRecorder().getNumDropped(); dropped > droppedShown)
    {
        droppedShown = dropped;
        dialogs.showMessage (juce::MessageBoxIconType::WarningIcon, "Recording",
                             "Some of what was played came in faster than it could be recorded: "
                                 + juce::String (dropped) + " note events were lost.");
    }

    auto& playback = document.getPlayback();
    playButton.setToggleState (playback.isStandalonePlaying(), juce::dontSendNotification);
    playButton.setButtonText (playback.isStandalonePlaying() ? "Stop" : "Play");

    const auto where = playback.isRolling() ? std::optional<double> (playback.getPlayheadPpq()) : std::nullopt;
    arrangement.showPlayhead (where);
    const auto start = playback.getStandaloneStart();
    arrangement.showPlayStart (document.hasOwnTransport() && start > 0 ? std::optional<int> (start) : std::nullopt);

    if (isPianoRollOpen())
        pianoRoll->setPlayheadPosition (where);
}
