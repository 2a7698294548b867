#include "midifile/MidiFileWriter.h"

#include <algorithm>

namespace MidiFileWriter
{
    namespace
    {
        juce::uint8 midiVelocity (int velocity) noexcept
        {
            return static_cast<juce::uint8> (juce::jmin (127, velocity & 0xff));
        }

        juce::MidiMessage withTick (juce::MidiMessage message, juce::int64 tick)
        {
            // Positions from hand-edited state may lie anywhere. A file's times
            // start at tick 0 and go up in deltas of at most 28 bits, so every
            // tick in that range can be written.
            constexpr juce::int64 lastFileTick = 0x0fffffff;
            message.setTimeStamp (static_cast<double> (juce::jlimit<juce::int64> (0, lastFileTick, tick)));
            return message;
        }
    } // namespace

    std::vector<PendingEvent> noteEvents (const std::vector<const ClipData*>& clips, bool relativeToClip, int forcedChannel)
    {
        std::vector<PendingEvent> events;

        for (const auto* clip : clips)
        {
            const auto channel = forcedChannel > 0 ? forcedChannel : juce::jlimit (1, 16, clip->track);
            const auto clipStart = relativeToClip ? 0 : juce::int64 { clip->startQ } * Arrangement::ticksPerQuarter;

            for (const auto& note : clip->notes)
            {
                const auto key = note.pitch & 0x7f;
                const auto on = clipStart + note.startTick;
                const auto off = on + note.lengthTicks;

                // Note-offs are plain 0x8n messages with velocity 0.
                events.push_back ({ on, juce::MidiMessage (0x90 | (channel - 1), key, midiVelocity (note.velocity)) });
                events.push_back ({ off, juce::MidiMessage (0x80 | (channel - 1), key, 0) });
            }
        }

        return events;
    }

    void insertInOrder (juce::MidiMessageSequence& sequence, std::vector<PendingEvent> events)
    {
        // A stable sort by tick is the order that inserting each event after the
        // last one with a tick not later than its own gives.
        std::stable_sort (events.begin(), events.end(), [] (const auto& a, const auto& b) { return a.tick < b.tick; });

        for (auto& event : events)
            sequence.addEvent (withTick (std::move (event.message), event.tick));
    }

    void matchNotes (juce::MidiMessageSequence& sequence)
    {
        sequence.updateMatchedPairs();
        sequence.sort();
    }

    void addEndOfTrack (juce::MidiMessageSequence& sequence, juce::int64 tick)
    {
        sequence.addEvent (withTick (juce::MidiMessage::endOfTrack(), tick));
    }

    juce::MemoryBlock fileBytes (const juce::MidiMessageSequence& track)
    {
        juce::MidiFile file;
        file.setTicksPerQuarterNote (Arrangement::ticksPerQuarter);
        file.addTrack (track);

        juce::MemoryOutputStream out;
        file.writeTo (out, 1);
        return out.getMemoryBlock();
    }

    juce::MemoryBlock clipFileBytes (const ClipData& clip)
    {
        juce::int64 lastEnd = 0;
        for (const auto& note : clip.notes)
            lastEnd = juce::jmax (lastEnd, juce::int64 { note.startTick } + note.lengthTicks);

        if (lastEnd <= 0)
            return {};

        juce::MidiMessageSequence sequence;
        insertInOrder (sequence, noteEvents ({ &clip }, true, 1));
        matchNotes (sequence);
        addEndOfTrack (sequence, lastEnd + 1);
        return fileBytes (sequence);
    }

    juce::MemoryBlock arrangementFileBytes (const std::vector<const ClipData*>& clips)
    {
        auto events = noteEvents (clips, false);
        if (events.empty())
            return {};

        juce::MidiMessageSequence sequence;
        sequence.addEvent (juce::MidiMessage::tempoMetaEvent (500000), 0.0);
        insertInOrder (sequence, std::move (events));

        matchNotes (sequence);
        const auto lastTick = sequence.getEventPointer (sequence.getNumEvents() - 1)->message.getTimeStamp();
        addEndOfTrack (sequence, static_cast<juce::int64> (lastTick) + 1);
        return fileBytes (sequence);
    }

    bool replaceFileWith (const juce::File& target, const juce::MemoryBlock& bytes)
    {
        juce::TemporaryFile temporary (target);

        {
            juce::FileOutputStream out (temporary.getFile(), 16384);
            if (! out.openedOk())
                return false;

            if (! out.write (bytes.getData(), bytes.getSize()))
                return false;

            out.flush();
            if (out.getStatus().failed())
                return false;
        }

        return temporary.overwriteTargetFileWithTemporary();
    }

    juce::File withMidiExtension (const juce::File& target)
    {
        const auto name = target.getFileName().toLowerCase();
        if (name.endsWith (".mid") || name.endsWith (".midi"))
            return target;

        return target.withFileExtension (".mid");
    }
} // namespace MidiFileWriter

bool writeMidiFile (const juce::File& file, const std::vector<const ClipData*>& clips)
{
    using namespace MidiFileWriter;

    const auto bytes = arrangementFileBytes (clips);
    return ! bytes.isEmpty() && replaceFileWith (withMidiExtension (file), bytes);
}
