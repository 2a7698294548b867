#include "support/ReferenceMidiReader.h"

#include "model/IntRange.h"

#include <limits>

namespace ReferenceMidiReader
{
    namespace
    {
        juce::uint32 readBigEndian32 (const juce::uint8*& data, size_t& remaining) noexcept
        {
            const auto value = juce::ByteOrder::bigEndianInt (data);
            data += 4;
            remaining -= 4;
            return value;
        }

        bool isNoteOffMessage (const juce::MidiMessage& m) noexcept { return m.isNoteOff (true); }
        bool isSoundingNoteOn (const juce::MidiMessage& m) noexcept { return m.isNoteOn (false); }

        juce::int64 tickOf (const juce::MidiMessage& m) noexcept
        {
            // Ticks add up from deltas of at most 28 bits: far inside 64 bits.
            return static_cast<juce::int64> (juce::jlimit (0.0, 9.0e18, m.getTimeStamp()));
        }

        /** Walks the chunks as juce::MidiFile::readFrom does and calls
            trackChunk for each "MTrk" chunk. The bytes were accepted by readFrom.
        */
        template <typename Callback>
        void forEachTrackChunk (const juce::uint8* data, size_t size, Callback&& trackChunk)
        {
            if (size < 4)
                return;

            auto type = readBigEndian32 (data, size);
            if (type != juce::ByteOrder::bigEndianInt ("MThd"))
            {
                for (int i = 0; i < 8 && size >= 4; ++i)
                    if (readBigEndian32 (data, size) == juce::ByteOrder::bigEndianInt ("MThd"))
                        break;
            }

            if (size < 10)
                return;

            readBigEndian32 (data, size); // header length
            data += 2;                    // format
            const auto numChunks = juce::ByteOrder::bigEndianShort (data);
            data += 4; // chunk count, division
            size -= 6;

            for (int i = 0; i < numChunks && size >= 8; ++i)
            {
                const auto chunkType = readBigEndian32 (data, size);
                const auto chunkSize = readBigEndian32 (data, size);
                if (chunkSize > size)
                    return;

                if (chunkType == juce::ByteOrder::bigEndianInt ("MTrk"))
                    trackChunk (data, static_cast<int> (chunkSize));

                data += chunkSize;
                size -= chunkSize;
            }
        }
    } // namespace

    //==============================================================================
    juce::MidiMessageSequence decodeTrack (const juce::uint8* data, int size)
    {
        juce::MidiMessageSequence result;
        double time = 0;
        juce::uint8 lastStatusByte = 0;

        while (size > 0)
        {
            const auto delay = juce::MidiMessage::readVariableLengthValue (data, size);
            if (! delay.isValid())
                break;

            data += delay.bytesUsed;
            size -= delay.bytesUsed;
            time += delay.value;

            if (size <= 0)
                break;

            int used = 0;
            const juce::MidiMessage message (data, size, used, lastStatusByte, time);
            if (used <= 0)
                break;

            data += used;
            size -= used;
            result.addEvent (message);

            const auto firstByte = *message.getRawData();
            if ((firstByte & 0xf0) != 0xf0)
                lastStatusByte = firstByte;
        }

        result.sort();
        return result;
    }

    void orderSameTickNotes (juce::MidiMessageSequence& track)
    {
        const auto numEvents = track.getNumEvents();
        const auto message = [&track] (int i) -> const juce::MidiMessage& { return track.getEventPointer (i)->message; };

        for (int runStart = 0; runStart < numEvents;)
        {
            const auto tick = tickOf (message (runStart));
            auto runEnd = runStart + 1;
            while (runEnd < numEvents && tickOf (message (runEnd)) == tick)
                ++runEnd;

            for (int position = runStart; position < runEnd;)
            {
                auto noteOn = position;
                while (noteOn < runEnd && ! isSoundingNoteOn (message (noteOn)))
                    ++noteOn;

                if (noteOn == runEnd)
                    break;

                const auto& on = message (noteOn);
                auto noteOff = runEnd - 1;
                while (noteOff > noteOn
                       && ! (isNoteOffMessage (message (noteOff)) && message (noteOff).getChannel() == on.getChannel()
                             && message (noteOff).getNoteNumber() == on.getNoteNumber()))
                    --noteOff;

                // Without a note-off for it, the rest of this tick stays as it is.
                if (noteOff == noteOn)
                    break;

                std::swap (track.getEventPointer (noteOn)->message, track.getEventPointer (noteOff)->message);
                position = noteOn + 1;
            }

            runStart = runEnd;
        }
    }

    std::optional<ParsedFile> parse (const void* data, size_t size)
    {
        // readFrom decides whether the file is accepted and gives its division;
        // the events are then decoded again in the file's own order, which
        // JUCE 7's readFrom loses.
        juce::MidiFile file;
        {
            juce::MemoryInputStream stream (data, size, false);
            if (! file.readFrom (stream))
                return std::nullopt;
        }

        ParsedFile parsed;
        parsed.timeFormat = file.getTimeFormat();

        forEachTrackChunk (static_cast<const juce::uint8*> (data), juce::jmin (size, MidiFileReader::maxFileSize), [&parsed] (const juce::uint8* chunk, int chunkSize) {
            auto track = decodeTrack (chunk, chunkSize);
            orderSameTickNotes (track);
            track.updateMatchedPairs();
            parsed.tracks.push_back (std::move (track));
        });

        return parsed;
    }

    int ticksPerQuarter (short timeFormat) noexcept
    {
        return timeFormat > 0 ? timeFormat : 480;
    }

    std::vector<int> nextNoteOffOfKey (const juce::MidiMessageSequence& track)
    {
        const auto numEvents = track.getNumEvents();
        std::vector<int> nextOff (static_cast<size_t> (numEvents), -1);

        // One backward pass: for each key, the nearest note-off seen so far is
        // the first one after the current event.
        int nearest[128];
        std::fill (std::begin (nearest), std::end (nearest), -1);

        for (int i = numEvents; --i >= 0;)
        {
            const auto& m = track.getEventPointer (i)->message;
            if (! m.isNoteOnOrOff())
                continue;

            const auto key = m.getNoteNumber() & 0x7f;
            nextOff[static_cast<size_t> (i)] = nearest[key];

            if (isNoteOffMessage (m))
                nearest[key] = i;
        }

        return nextOff;
    }

    std::optional<ImportedClip> collectNotes (const std::vector<juce::MidiMessageSequence>& tracks, int tpq)
    {
        struct Collected
        {
            int pitch;
            juce::int64 start, length;
            int velocity;
        };

        std::vector<Collected> notes;
        auto minStart = std::numeric_limits<juce::int64>::max();
        juce::int64 maxEnd = 0;

        for (const auto& track : tracks)
        {
            const auto nextOff = nextNoteOffOfKey (track);

            for (int i = 0; i < track.getNumEvents(); ++i)
            {
                const auto& on = track.getEventPointer (i)->message;
                if (! isSoundingNoteOn (on) || nextOff[static_cast<size_t> (i)] < 0)
                    continue;

                const auto& off = track.getEventPointer (nextOff[static_cast<size_t> (i)])->message;
                const auto onTick = tickOf (on);
                const auto d = tickOf (off) - onTick;
                if (d <= 0)
                    continue;

                const auto start = IntRange::scale (onTick, Arrangement::ticksPerQuarter, tpq);
                const auto length = IntRange::scale (d, Arrangement::ticksPerQuarter, tpq);
                minStart = juce::jmin (minStart, start);
                maxEnd = juce::jmax (maxEnd, IntRange::add (start, length));
                notes.push_back ({ on.getNoteNumber(), start, length, on.getVelocity() });
            }
        }

        if (notes.empty())
            return std::nullopt;

        ImportedClip clip;
        clip.track = 1;
        clip.startQ = 0;
        clip.lengthQ = juce::jmax (1, IntRange::saturate (IntRange::add (maxEnd - minStart, Arrangement::ticksPerQuarter - 1) / Arrangement::ticksPerQuarter));
        clip.notes.reserve (notes.size());
        for (const auto& n : notes)
            clip.notes.push_back ({ n.pitch, IntRange::saturate (n.start - minStart), IntRange::saturate (n.length), n.velocity });

        return clip;
    }

    std::optional<ImportedClip> read (const void* data, size_t size)
    {
        const auto parsed = parse (data, juce::jmin (size, MidiFileReader::maxFileSize));
        if (! parsed.has_value())
            return std::nullopt;

        return collectNotes (parsed->tracks, ticksPerQuarter (parsed->timeFormat));
    }
} // namespace ReferenceMidiReader
