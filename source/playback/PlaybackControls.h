#pragma once

//==============================================================================
/** What the editing views need of playback, on the message thread: where it
    is, the notes the piano roll sounds, and the standalone app's transport.
*/
class PlaybackControls
{
public:
    virtual ~PlaybackControls() = default;

    /** Where playback is (quarters), and whether it rolls. */
    virtual double getPlayheadPpq() const noexcept = 0;
    virtual bool isRolling() const noexcept = 0;

    /** Sounds a key on a channel (velocity 1 to 127) until the matching call
        with on false, while "MIDI Out" is on.
    */
    virtual void audition (int channel, int key, int velocity, bool on) = 0;

    /** The standalone app's own transport ("Play"). */
    virtual void setStandalonePlaying (bool shouldPlay) noexcept = 0;
    virtual bool isStandalonePlaying() const noexcept = 0;

    /** Where the standalone app's transport starts ("Play from here"), in quarters. */
    virtual void setStandaloneStart (int quarter) noexcept = 0;
    virtual int getStandaloneStart() const noexcept = 0;
};
