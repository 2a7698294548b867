#pragma once

#include "model/ArrangementModel.h"
#include "model/EditingSession.h"
#include "playback/PlaybackControls.h"
#include "playback/Recorder.h"

#include <juce_core/juce_core.h>

//==============================================================================
/** What the editor's views work on: the arrangement model, what the editing
    session keeps between windows (the clipboard), playback, recording, and the MIDI
    folder that travels with the state. The processor is one; the views know
    it only as this.
*/
class Document
{
public:
    virtual ~Document() = default;

    virtual ArrangementModel& getModel() noexcept = 0;
    virtual EditingSession& getSession() noexcept = 0;
    virtual PlaybackControls& getPlayback() noexcept = 0;

    /** What the MIDI input records into the arrangement, and step input. */
    virtual Recorder& getRecorder() noexcept = 0;

    /** The full path of the MIDI folder kept with the state; empty when not set. */
    virtual juce::String getMidiFolderPath() const = 0;
    virtual void setMidiFolderPath (const juce::String& newPath) = 0;

    /** True in the standalone app, which has no host transport and plays with "Play". */
    virtual bool hasOwnTransport() const noexcept = 0;
};
