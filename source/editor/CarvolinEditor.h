#pragma once

#include "editor/ArrangementGeometry.h"
#include "editor/ScoreComponent.h"
#include "editor/TrackComponent.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <vector>

class CarvolinProcessor;

//==============================================================================
/** The arrangement's tool in force. "Delete" is a command, not a tool. */
enum class EditTool
{
    Select = 0,
    Draw = 1,
    Drag = 2,
    Resize = 3
};

//==============================================================================
/** The plug-in's main window: toolbar, track headers, clip lanes and the
    timeline scroll bar. It owns the arrangement (the track headers and the
    clips) and receives every mouse event over the lanes, clips included.
*/
class CarvolinEditor final : public juce::AudioProcessorEditor,
                             public juce::ScrollBar::Listener,
                             public juce::FileDragAndDropTarget,
                             public juce::DragAndDropContainer
{
public:
    explicit CarvolinEditor (CarvolinProcessor& owner);
    ~CarvolinEditor() override;

    //==============================================================================
    void resized() override;
    void scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart) override;

    //==============================================================================
    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    //==============================================================================
    /** Adds a track at the end, up to 16. */
    void addTrack();

    /** Removes the last track, keeping at least one. Clips are not touched. */
    void removeLastTrack();

    /** Fills a track's instrument box with the instrument table. */
    void fillInstrumentList (juce::ComboBox& box);

    /** Makes tool the tool in force and mirrors it on the four tool buttons. */
    void setTool (EditTool tool);

    /** Destroys the selected clip, if any, and clears the selection. */
    void deleteSelectedClip();

    /** The arrangement's grid step in ticks, from the quantize box. */
    int gridTicks() const;

    /** Snaps ticks to the arrangement's grid step. */
    int snapToGrid (int ticks) const;

    //==============================================================================
    EditTool getCurrentTool() const noexcept { return currentTool; }
    int getVisibleBars() const noexcept { return visibleBars; }
    int getScrollOffset() const noexcept { return scrollOffset; }
    juce::Rectangle<int> getArrangementArea() const noexcept { return arrangementArea; }
    ScoreComponent* getSelectedClip() const noexcept { return selectedClip; }
    const juce::File& getMidiFolder() const noexcept { return *midiFolder; }

    /** The arrangement's zoom and scroll, for the geometry functions. */
    ArrangementGeometry::View getView() const noexcept;

private:
    friend struct CarvolinEditorTestAccess;

    void zoomIn();
    void zoomOut();
    void saveMidi();
    void loadMidi();

    //==============================================================================
    std::vector<std::unique_ptr<ScoreComponent>> clips;
    std::unique_ptr<juce::File> midiFolder;
    CarvolinProcessor& processorRef;
    juce::Rectangle<int> arrangementArea;
    juce::Component clipContainer;
    std::vector<std::unique_ptr<TrackComponent>> tracks;

    juce::TextButton addTrackButton { "+ Track" };
    juce::TextButton removeTrackButton { "- Track" };
    juce::TextButton selectToolButton { "Select" };
    juce::TextButton drawToolButton { "Draw" };
    juce::TextButton dragToolButton { "Drag" };
    juce::TextButton resizeToolButton { "Resize" };
    juce::TextButton deleteButton { "Delete" };
    juce::TextButton zoomInButton { "+" };
    juce::TextButton zoomOutButton { "-" };
    juce::TextButton saveMidiButton { "Save MIDI" };
    juce::TextButton loadMidiButton { "Load MIDI" };
    juce::Label quantizeLabel;
    juce::ComboBox quantizeBox;
    juce::ScrollBar timelineScrollBar { false };

    EditTool currentTool = EditTool::Select;
    ScoreComponent* selectedClip = nullptr;
    int visibleBars = 32;
    int scrollOffset = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CarvolinEditor)
};
