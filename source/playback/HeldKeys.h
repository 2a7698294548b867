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
                // Counted: a key may go down twice before it goes up (two
                // channels passed on to one, or a sequence that repeats it).
                auto& held = keys[(size_t) (channel * 128 + (data[1] & 0x7f))];
                if (status == 0x90 && value > 0)
                {
                    if (held < maxPerKey)
                    {
                        ++held;
                        ++numHeld;
                    }
                }
                else if (held > 0)
                {
                    --held;
                    --numHeld;
                }
            }
            else if (status == 0xb0 && data[1] == 64)
            {
                auto& down = pedals[(size_t) channel];
                numHeld += (value >= 64 ? 1 : 0) - (down ? 1 : 0);
                down = value >= 64;
            }
        }
    }

    /** True when midi lets go of a key or a pedal held here. */
    bool anyEndedBy (const juce::MidiBuffer& midi) const noexcept
    {
        if (numHeld == 0)
            return false;

        for (const auto metadata : midi)
        {
            const auto* data = metadata.data;
            if (metadata.numBytes < 3)
                continue;

            const auto status = data[0] & 0xf0;
            const auto channel = data[0] & 0x0f;
            if ((status == 0x80 || (status == 0x90 && data[2] == 0)) && keys[(size_t) (channel * 128 + (data[1] & 0x7f))] > 0)
                return true;
            if (status == 0xb0 && data[1] == 64 && data[2] < 64 && pedals[(size_t) channel])
                return true;
        }
        return false;
    }

    /** Ends everything still held: a note-off for each time a key went down, the pedal up. */
    void releaseAll (OutputEvents& out, int sample) noexcept
    {
        if (numHeld == 0)
            return;

        for (int i = 0; i < (int) keys.size(); ++i)
            for (auto n = std::exchange (keys[(size_t) i], juce::uint8 { 0 }); n > 0; --n)
                out.addEnding (juce::MidiMessage::noteOff (i / 128 + 1, i % 128), sample);

        for (int channel = 0; channel < (int) pedals.size(); ++channel)
            if (std::exchange (pedals[(size_t) channel], false))
                out.addEnding (juce::MidiMessage::controllerEvent (channel + 1, 64, 0), sample);

        numHeld = 0;
    }

    bool isEmpty() const noexcept { return numHeld == 0; }

    /** How often one key of one channel is counted down at most: once for
        each channel that may be passed on to it.
    */
    static constexpr juce::uint8 maxPerKey = 16;

private:
    std::array<juce::uint8, 16 * 128> keys {};
    std::array<bool, 16> pedals {};
    int numHeld = 0;
};
