#include "midifile/MidiFileWriter.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace MidiFileWriter
{
    namespace
    {
        // A note-on of velocity 0 is a note-off to every reader.
        juce::uint8 midiVelocity (int velocity) noexcept
        {
            return static_cast<juce::uint8> (juce::jlimit (1, 127, velocity));
        }

        int midiKey (int pitch) noexcept
        {
            return juce::jlimit (0, 127, pitch);
        }

        // Positions from hand-edited state may lie anywhere. A file's times
        // start at tick 0 and go up in deltas of at most 28 bits, so every
        // tick in that range can be written.
        juce::int64 fileTick (juce::int64 tick) noexcept
        {
            constexpr juce::int64 lastFileTick = 0x0fffffff;
            return juce::jlimit<juce::int64> (0, lastFileTick, tick);
        }

        juce::MidiMessage withTick (juce::MidiMessage message, juce::int64 tick)
        {
            message.setTimeStamp (static_cast<double> (fileTick (tick)));
            return message;
        }

        /** Within one written tick, the events of one channel and key: first the
            note-offs of notes that started at another tick, then each note-on,
            a note-on followed by its own note-off when both fall on this tick.
            Every other event keeps its place. Without this, a note inserted
            before the note that ends where it starts would be read as a note of
            no length followed by a stray note-off.
        */
        void orderSharedTicks (std::vector<PendingEvent>& events)
        {
            // Places of the run's events by channel and key.
            std::vector<std::vector<size_t>> groups (16 * 128);
            std::vector<size_t> used;
            std::unordered_set<int> startsHere;
            std::unordered_map<int, const PendingEvent*> ownOff;
            std::vector<PendingEvent> ordered;

            for (size_t runStart = 0; runStart < events.size();)
            {
                const auto tick = fileTick (events[runStart].tick);
                auto runEnd = runStart + 1;
                while (runEnd < events.size() && fileTick (events[runEnd].tick) == tick)
                    ++runEnd;

                for (auto i = runStart; i < runEnd && runEnd - runStart > 1; ++i)
                {
                    const auto& m = events[i].message;
                    const auto group = static_cast<size_t> ((m.getChannel() - 1) * 128 + m.getNoteNumber());
                    if (groups[group].empty())
                        used.push_back (group);
                    groups[group].push_back (i);
                }

                for (auto group : used)
                {
                    auto& places = groups[group];
                    if (places.size() > 1)
                    {
                        startsHere.clear();
                        ownOff.clear();
                        for (auto i : places)
                            if (! events[i].isOff)
                                startsHere.insert (events[i].noteId);
                        for (auto i : places)
                            if (events[i].isOff && startsHere.count (events[i].noteId) != 0)
                                ownOff.emplace (events[i].noteId, &events[i]);

                        ordered.clear();
                        for (auto i : places)
                            if (events[i].isOff && startsHere.count (events[i].noteId) == 0)
                                ordered.push_back (events[i]);

                        for (auto i : places)
                        {
                            if (events[i].isOff)
                                continue;

                            ordered.push_back (events[i]);
                            if (const auto off = ownOff.find (events[i].noteId); off != ownOff.end())
                                ordered.push_back (*off->second);
                        }

                        for (size_t k = 0; k < places.size(); ++k)
                            events[places[k]] = std::move (ordered[k]);
                    }

                    places.clear();
                }

                used.clear();
                runStart = runEnd;
            }
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
                const auto key = midiKey (note.pitch);
                const auto on = clipStart + note.startTick;
                const auto off = on + note.lengthTicks;
                const auto noteId = static_cast<int> (events.size() / 2);

                // Note-offs are plain 0x8n messages with velocity 0.
                events.push_back ({ on, juce::MidiMessage (0x90 | (channel - 1), key, midiVelocity (note.velocity)), noteId, false });
                events.push_back ({ off, juce::MidiMessage (0x80 | (channel - 1), key, 0), noteId, true });
            }
        }

        return events;
    }

    void insertInOrder (juce::MidiMessageSequence& sequence, std::vector<PendingEvent> events)
    {
        // A stable sort by tick is the order that inserting each event after the
        // last one with a tick not later than its own gives.
        std::stable_sort (events.begin(), events.end(), [] (const auto& a, const auto& b) { return a.tick < b.tick; });
        orderSharedTicks (events);

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

    juce::MemoryBlock arrangementFileBytes (const std::vector<const ClipData*>& clips, int bpm)
    {
        auto events = noteEvents (clips, false);
        if (events.empty())
            return {};

        juce::MidiMessageSequence sequence;
        const auto microsecondsPerQuarter = juce::roundToInt (60'000'000.0 / juce::jlimit (Arrangement::minTempo, Arrangement::maxTempo, bpm));
        sequence.addEvent (juce::MidiMessage::tempoMetaEvent (microsecondsPerQuarter), 0.0);
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

bool writeMidiFile (const juce::File& file, const std::vector<const ClipData*>& clips, int bpm)
{
    using namespace MidiFileWriter;

    const auto bytes = arrangementFileBytes (clips, bpm);
    return ! bytes.isEmpty() && replaceFileWith (withMidiExtension (file), bytes);
}
