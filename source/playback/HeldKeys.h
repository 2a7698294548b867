#pragma once

#include "playback/OutputEvents.h"

#include <array>

//==============================================================================
/** The keys and sustain pedals that passed through the plug-in from its MIDI
    input and are still held: when passing through stops (playback switched
    off, a state without it), what is held there is ended at once, so that the
    instrument after the plug-in is never left with a note it will not hear
    the end of. Audio thread only.
*/
class HeldKeys
{
public:
    /** Notes what a block passes on: note-ons and note-offs, and the sustain pedal. */
    void passed (const juce::MidiBuffer& midi) noexcept
    {
        for (const auto metadata : midi)
        {
            const auto* data = metadata.data;
            if (metadata.numBytes < 3)
                continue;

            const auto status = data[0] & 0xf0;
            const auto channel = data[0] & 0x0f;
            const auto value = data[2];

            if (status == 0x90 || status == 0x80)
            {
                auto& held = keys[(size_t) (channel * 128 + (data[1] & 0x7f))];
                const auto down = status == 0x90 && value > 0;
                numHeld += (down ? 1 : 0) - (held ? 1 : 0);
                held = down;
            }
            else if (status == 0xb0 && data[1] == 64)
            {
                auto& down = pedals[(size_t) channel];
                numHeld += (value >= 64 ? 1 : 0) - (down ? 1 : 0);
                down = value >= 64;
            }
        }
    }

    /** Ends everything still held: a note-off for each key, the pedal up. */
    void releaseAll (OutputEvents& out, int sample) noexcept
    {
        if (numHeld == 0)
            return;

        for (int i = 0; i < (int) keys.size(); ++i)
            if (std::exchange (keys[(size_t) i], false))
                out.addEnding (juce::MidiMessage::noteOff (i / 128 + 1, i % 128), sample);

        for (int channel = 0; channel < (int) pedals.size(); ++channel)
            if (std::exchange (pedals[(size_t) channel], false))
                out.addEnding (juce::MidiMessage::controllerEvent (channel + 1, 64, 0), sample);

        numHeld = 0;
    }

    bool isEmpty() const noexcept { return numHeld == 0; }

private:
    std::array<bool, 16 * 128> keys {};
    std::array<bool, 16> pedals {};
    int numHeld = 0;
};
