#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

//==============================================================================
/** The events the audio thread sends in one block, in a MidiBuffer whose room
    was made before playback started, so that writing them never allocates.

    A block can hold only so many: note-offs, and what else ends something
    (a sustain pedal let go), always have room; a note-on that would not fit
    is left out, and its note then never sounds, so it needs no note-off.
*/
class OutputEvents
{
public:
    /** Note-ons one block may send at most: far more than any arrangement
        plays in a block at any tempo a host gives.
    */
    static constexpr int maxNoteOns = 8192;

    /** What ends notes in one block at most: every key of every channel
        sounding from the arrangement and from the piano roll, each key held
        through the plug-in as often as it went down (HeldKeys::maxPerKey),
        and the sustain pedal of each channel.
    */
    static constexpr int maxEndings = (2 + 16) * 16 * 128 + 16;

    /** Makes the room; not on the audio thread. Each note-on of a block may
        end in it too.
    */
    void prepare()
    {
        events.ensureSize ((size_t) (2 * maxNoteOns + maxEndings) * bytesPerEvent);
        events.clear();
        noteOns = 0;
    }

    void clear() noexcept
    {
        events.clear();
        noteOns = 0;
        offset = 0;
    }

    /** Where the samples given from now on start within the block: a block
        played in two parts (the standalone transport looping) writes its
        second part from there.
    */
    void setSampleOffset (int firstSample) noexcept { offset = firstSample; }

    /** A note-on at sample; false when the block has no room left for one. */
    bool addNoteOn (int channel, int key, int velocity, int sample) noexcept
    {
        if (noteOns >= maxNoteOns)
            return false;

        ++noteOns;
        events.addEvent (juce::MidiMessage::noteOn (channel, key, (juce::uint8) velocity), offset + sample);
        return true;
    }

    /** A message that ends something (a note-off, a pedal let go): always added. */
    void addEnding (const juce::MidiMessage& message, int sample) noexcept { events.addEvent (message, offset + sample); }

    const juce::MidiBuffer& getEvents() const noexcept { return events; }

    /** Bytes a three-byte message takes in a MidiBuffer: its sample, its size, its bytes. */
    static constexpr int bytesPerEvent = (int) sizeof (juce::int32) + (int) sizeof (juce::uint16) + 3;

private:
    juce::MidiBuffer events;
    int noteOns = 0;
    int offset = 0;
};
