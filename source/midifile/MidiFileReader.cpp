#include "midifile/MidiFileReader.h"

#include "model/IntRange.h"

#include <algorithm>
#include <array>
#include <limits>

namespace MidiFileReader
{
    namespace
    {
        juce::uint32 readBigEndian32 (const juce::uint8* p) noexcept
        {
            return (juce::uint32 { p[0] } << 24) | (juce::uint32 { p[1] } << 16) | (juce::uint32 { p[2] } << 8) | p[3];
        }

        bool tryRead32 (const juce::uint8*& data, size_t& remaining, juce::uint32& value) noexcept
        {
            if (remaining < 4)
                return false;

            value = readBigEndian32 (data);
            data += 4;
            remaining -= 4;
            return true;
        }

        bool tryRead16 (const juce::uint8*& data, size_t& remaining, juce::uint16& value) noexcept
        {
            if (remaining < 2)
                return false;

            value = (juce::uint16) ((data[0] << 8) | data[1]);
            data += 2;
            remaining -= 2;
            return true;
        }

        constexpr juce::uint32 fourCC (const char (&s)[5]) noexcept
        {
            return (juce::uint32 (juce::uint8 (s[0])) << 24) | (juce::uint32 (juce::uint8 (s[1])) << 16) | (juce::uint32 (juce::uint8 (s[2])) << 8)
                | juce::uint32 (juce::uint8 (s[3]));
        }

        /** A variable-length value of at most four bytes, as
            juce::MidiMessage::readVariableLengthValue reads it: bytesUsed 0
            when it is not there.
        */
        struct VariableLength
        {
            int value = 0, bytesUsed = 0;
        };

        VariableLength readVariableLength (const juce::uint8* data, int maxBytes) noexcept
        {
            juce::uint32 v = 0;
            for (int n = 0; n < juce::jmin (maxBytes, 4); ++n)
            {
                v = (v << 7) + (data[n] & 0x7fu);
                if ((data[n] & 0x80) == 0)
                    return { (int) v, n + 1 };
            }
            return {};
        }

        /** The length of a short message from its status byte (JUCE's table). */
        int shortMessageLength (juce::uint8 status) noexcept
        {
            static constexpr juce::uint8 lengths[] = {
                3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
                3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
                2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
                3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1, 2, 3, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1
            };
            return lengths[status & 0x7f];
        }

        juce::int64 tickOf (double time) noexcept
        {
            // Ticks add up from deltas of at most 28 bits: far inside 64 bits.
            return static_cast<juce::int64> (juce::jlimit (0.0, 9.0e18, time));
        }

        bool isNoteStatus (juce::uint8 status) noexcept
        {
            return (status & 0xe0) == 0x80;
        }

        int keyId (const NoteEvent& e) noexcept
        {
            return ((e.status & 0x0f) << 8) | e.key;
        }
    } // namespace

    //==============================================================================
    std::optional<ParsedFile> parse (const void* bytes, size_t size)
    {
        // As juce::MidiFile::readFrom: at most 200 MB, the header (or a RIFF
        // wrapper with the header in its first eight words), exactly the
        // declared chunks, and no byte left over.
        auto remaining = juce::jmin (size, maxFileSize);
        auto* data = static_cast<const juce::uint8*> (bytes);
        if (data == nullptr || remaining == 0)
            return std::nullopt;

        juce::uint32 chunkType = 0;
        if (! tryRead32 (data, remaining, chunkType))
            return std::nullopt;

        if (chunkType != fourCC ("MThd"))
        {
            auto found = false;
            if (chunkType == fourCC ("RIFF"))
            {
                for (int i = 0; i < 8 && ! found; ++i)
                {
                    if (! tryRead32 (data, remaining, chunkType))
                        return std::nullopt;
                    found = chunkType == fourCC ("MThd");
                }
            }

            if (! found)
                return std::nullopt;
        }

        // The header's length is checked but not used: six bytes follow, whatever it says.
        juce::uint32 headerLength = 0;
        juce::uint16 fileType = 0, numTracks = 0, timeFormat = 0;
        if (! tryRead32 (data, remaining, headerLength) || headerLength > remaining)
            return std::nullopt;
        if (! tryRead16 (data, remaining, fileType) || fileType > 2)
            return std::nullopt;
        if (! tryRead16 (data, remaining, numTracks) || (fileType == 0 && numTracks != 1))
            return std::nullopt;
        if (! tryRead16 (data, remaining, timeFormat))
            return std::nullopt;

        ParsedFile parsed;
        parsed.timeFormat = (short) timeFormat;
        size_t events = 0;

        for (int track = 0; track < (short) numTracks; ++track)
        {
            juce::uint32 chunkSize = 0;
            if (! tryRead32 (data, remaining, chunkType) || ! tryRead32 (data, remaining, chunkSize) || remaining < chunkSize)
                return std::nullopt;

            if (chunkType == fourCC ("MTrk") && ! parsed.tooManyNotes)
            {
                const auto budget = maxNoteEvents - juce::jmin (maxNoteEvents, events);
                parsed.tracks.push_back (decodeTrack (data, (int) chunkSize, budget));
                events += parsed.tracks.back().size();
                parsed.tooManyNotes = events > maxNoteEvents;
            }

            data += chunkSize;
            remaining -= chunkSize;
        }

        if (remaining != 0)
            return std::nullopt;

        return parsed;
    }

    std::vector<NoteEvent> decodeTrack (const juce::uint8* data, int size, size_t maxEvents)
    {
        // Each event as juce::MidiMessage's constructor from bytes takes it:
        // running status, sysex with its length, meta events, and short
        // messages of JUCE's lengths whose missing bytes read as 0.
        std::vector<NoteEvent> notes;
        notes.reserve (juce::jmin ((size_t) juce::jmax (0, size) / 4, maxEvents + 1));
        double time = 0;
        juce::uint8 lastStatus = 0;

        while (size > 0)
        {
            const auto delay = readVariableLength (data, size);
            if (delay.bytesUsed == 0)
                break;

            data += delay.bytesUsed;
            size -= delay.bytesUsed;
            time += delay.value;

            if (size <= 0)
                break;

            auto status = data[0];
            auto* src = data;
            auto sz = size;
            int used = 0;

            if (status < 0x80)
            {
                status = lastStatus;
                used = -1;
            }
            else
            {
                --sz;
                ++src;
            }

            if (status < 0x80)
                break;

            if (status == 0xf0)
            {
                auto* d = src;
                auto haveReadAllLengthBytes = false;
                int lengthBytes = 0;

                while (d < src + sz)
                {
                    if (*d >= 0x80)
                    {
                        if (*d == 0xf7)
                        {
                            ++d;
                            break;
                        }

                        if (haveReadAllLengthBytes)
                            break;

                        ++lengthBytes;
                    }
                    else if (! haveReadAllLengthBytes)
                    {
                        haveReadAllLengthBytes = true;
                        ++lengthBytes;
                    }

                    ++d;
                }

                used += lengthBytes + 1 + (int) (d - (src + lengthBytes));
            }
            else if (status == 0xff)
            {
                const auto length = readVariableLength (src + 1, sz - 1);
                used += (int) juce::jmin<juce::int64> (juce::int64 { sz } + 1, juce::int64 { length.bytesUsed } + 2 + length.value);
            }
            else
            {
                const auto length = shortMessageLength (status);
                used += juce::jmin (length, sz + 1);

                if (isNoteStatus (status))
                {
                    notes.push_back ({ tickOf (time), status, sz > 0 ? src[0] : juce::uint8 {}, sz > 1 ? src[1] : juce::uint8 {} });
                    if (notes.size() > maxEvents)
                        break;
                }
            }

            if (used <= 0)
                break;

            data += used;
            size -= used;

            if ((status & 0xf0) != 0xf0)
                lastStatus = status;
        }

        return notes;
    }

    //==============================================================================
    void orderSameTickNotes (std::vector<NoteEvent>& track)
    {
        // For each channel and key of a tick, the places of its note-offs, so
        // that "the last note-off of this key after here" takes a step.
        struct Off
        {
            int key;
            size_t place;
        };
        std::vector<Off> offs;
        std::array<int, 16 * 256> first {}, end {};
        std::vector<int> touched;

        for (size_t runStart = 0; runStart < track.size();)
        {
            auto runEnd = runStart + 1;
            while (runEnd < track.size() && track[runEnd].tick == track[runStart].tick)
                ++runEnd;

            if (runEnd - runStart > 1)
            {
                offs.clear();
                for (auto i = runStart; i < runEnd; ++i)
                    if (track[i].isNoteOff())
                        offs.push_back ({ keyId (track[i]), i });

                std::sort (offs.begin(), offs.end(), [] (const Off& a, const Off& b) { return a.key != b.key ? a.key < b.key : a.place < b.place; });

                for (size_t i = 0; i < offs.size(); ++i)
                {
                    auto& e = end[(size_t) offs[i].key];
                    if (e == 0)
                    {
                        first[(size_t) offs[i].key] = (int) i;
                        touched.push_back (offs[i].key);
                    }
                    e = (int) i + 1;
                }

                for (auto position = runStart; position < runEnd;)
                {
                    auto noteOn = position;
                    while (noteOn < runEnd && ! track[noteOn].isSoundingNoteOn())
                        ++noteOn;

                    if (noteOn == runEnd)
                        break;

                    // The last note-off of its channel and key after it: the
                    // last of the key's list, if it lies after the note-on.
                    const auto key = (size_t) keyId (track[noteOn]);
                    if (end[key] <= first[key] || offs[(size_t) end[key] - 1].place <= noteOn)
                        break;

                    const auto noteOff = offs[(size_t) --end[key]].place;
                    std::swap (track[noteOn], track[noteOff]);
                    position = noteOn + 1;
                }

                for (auto key : touched)
                    first[(size_t) key] = end[(size_t) key] = 0;
                touched.clear();
            }

            runStart = runEnd;
        }
    }

    void addMatchingNoteOffs (std::vector<NoteEvent>& track)
    {
        // As juce::MidiMessageSequence::updateMatchedPairs, in one pass: a
        // sounding note-on stays open until the next event of its channel and
        // key; if that is a note-on, a note-off goes in just before it.
        constexpr juce::int64 closed = -1;
        std::array<juce::int64, 16 * 256> open;
        open.fill (closed);

        std::vector<NoteEvent> matched;
        matched.reserve (track.size() + track.size() / 8);

        for (const auto& e : track)
        {
            const auto id = (size_t) keyId (e);

            if (const auto opened = open[id]; opened != closed)
            {
                if (e.isNoteOff())
                {
                    open[id] = closed;
                }
                else
                {
                    // JUCE makes the note-off with the key's low 7 bits; a
                    // later open note-on of that key (the data byte was above
                    // 127) finds it as its next event.
                    const auto offKey = (juce::uint8) (e.key & 0x7f);
                    const auto offId = (size_t) (((e.status & 0x0f) << 8) | offKey);
                    open[id] = closed;
                    if (offId != id && open[offId] > opened)
                        open[offId] = closed;

                    matched.push_back ({ e.tick, (juce::uint8) (0x80 | (e.status & 0x0f)), offKey, 0 });
                }
            }

            matched.push_back (e);
            if (e.isSoundingNoteOn())
                open[id] = (juce::int64) matched.size() - 1;
        }

        track.swap (matched);
    }

    int ticksPerQuarter (short timeFormat) noexcept
    {
        return timeFormat > 0 ? timeFormat : 480;
    }

    std::optional<ImportedClip> collectNotes (ParsedFile file)
    {
        const auto tpq = ticksPerQuarter (file.timeFormat);

        struct Collected
        {
            int pitch;
            juce::int64 start, length;
            int velocity;
        };

        std::vector<Collected> notes;
        auto minStart = std::numeric_limits<juce::int64>::max();
        juce::int64 maxEnd = 0;
        std::vector<int> nextOff;

        for (auto& track : file.tracks)
        {
            orderSameTickNotes (track);
            addMatchingNoteOffs (track);

            // For each event, the first later note-off of its key (any channel;
            // keys compared by their low 7 bits), found in one backward pass.
            nextOff.assign (track.size(), -1);
            std::array<int, 128> nearest;
            nearest.fill (-1);
            for (auto i = (int) track.size(); --i >= 0;)
            {
                const auto key = track[(size_t) i].key & 0x7f;
                nextOff[(size_t) i] = nearest[(size_t) key];
                if (track[(size_t) i].isNoteOff())
                    nearest[(size_t) key] = i;
            }

            for (size_t i = 0; i < track.size(); ++i)
            {
                const auto& on = track[i];
                if (! on.isSoundingNoteOn() || nextOff[i] < 0)
                    continue;

                const auto d = track[(size_t) nextOff[i]].tick - on.tick;
                if (d <= 0)
                    continue;

                const auto start = IntRange::scale (on.tick, Arrangement::ticksPerQuarter, tpq);
                const auto length = IntRange::scale (d, Arrangement::ticksPerQuarter, tpq);
                minStart = juce::jmin (minStart, start);
                maxEnd = juce::jmax (maxEnd, IntRange::add (start, length));
                notes.push_back ({ on.key, start, length, on.velocity });
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
} // namespace MidiFileReader

namespace MidiFileReader
{
    namespace
    {
        /** At most maxFileSize bytes of a file; false when it cannot be read. */
        bool readBytes (const juce::File& file, juce::MemoryBlock& bytes)
        {
            if (! file.existsAsFile())
                return false;

            juce::FileInputStream stream (file);
            if (! stream.openedOk())
                return false;

            stream.readIntoMemoryBlock (bytes, static_cast<juce::pointer_sized_int> (maxFileSize));
            return true;
        }

        /** A file's tracks, or why there are none to take: read (parsed holds
            them), notMidi or tooManyNotes.
        */
        Outcome readTracks (const juce::File& file, ParsedFile& parsed)
        {
            juce::MemoryBlock bytes;
            if (! readBytes (file, bytes))
                return Outcome::notMidi;

            auto read = parse (bytes.getData(), bytes.getSize());
            if (! read.has_value())
                return Outcome::notMidi;

            if (read->tooManyNotes)
                return Outcome::tooManyNotes;

            parsed = std::move (*read);
            return Outcome::read;
        }
    } // namespace

    std::vector<ClipData> clipsByChannel (ParsedFile file, int& pastTimeline)
    {
        struct Read
        {
            juce::int64 start, length; // from the file's start, 960 ticks per quarter
            int pitch, velocity;
        };

        const auto tpq = ticksPerQuarter (file.timeFormat);
        std::array<std::vector<Read>, Arrangement::maxTracks> byChannel;
        std::vector<int> nextOff;

        for (auto& track : file.tracks)
        {
            orderSameTickNotes (track);
            addMatchingNoteOffs (track);

            // For each event, the first later note-off of its channel and key.
            nextOff.assign (track.size(), -1);
            std::array<int, 16 * 128> nearest;
            nearest.fill (-1);
            for (auto i = (int) track.size(); --i >= 0;)
            {
                const auto& event = track[(size_t) i];
                const auto slot = (size_t) ((event.channel() - 1) * 128 + (event.key & 0x7f));
                nextOff[(size_t) i] = nearest[slot];
                if (event.isNoteOff())
                    nearest[slot] = i;
            }

            for (size_t i = 0; i < track.size(); ++i)
            {
                const auto& on = track[i];
                if (! on.isSoundingNoteOn() || nextOff[i] < 0 || track[(size_t) nextOff[i]].tick <= on.tick)
                    continue;

                byChannel[(size_t) on.channel() - 1].push_back ({ IntRange::scale (on.tick, Arrangement::ticksPerQuarter, tpq),
                                                                  IntRange::scale (track[(size_t) nextOff[i]].tick - on.tick, Arrangement::ticksPerQuarter, tpq),
                                                                  on.key, on.velocity });
            }
        }

        constexpr juce::int64 ticksPerBar = juce::int64 { Arrangement::ticksPerQuarter } * Arrangement::quartersPerBar;
        std::vector<ClipData> clips;
        pastTimeline = 0;

        for (int channel = 1; channel <= Arrangement::maxTracks; ++channel)
        {
            const auto& read = byChannel[(size_t) channel - 1];
            if (read.empty())
                continue;

            juce::int64 first = std::numeric_limits<juce::int64>::max(), last = 0;
            for (const auto& n : read)
            {
                first = juce::jmin (first, n.start);
                last = juce::jmax (last, IntRange::add (n.start, n.length));
            }

            const auto firstBar = first / ticksPerBar;
            if (firstBar >= Arrangement::timelineBars)
            {
                if (pastTimeline == 0)
                    pastTimeline = channel;
                continue;
            }

            const auto endBar = juce::jlimit (firstBar + 1, juce::int64 { Arrangement::timelineBars }, (last + ticksPerBar - 1) / ticksPerBar);
            ClipData clip { channel, (int) firstBar * Arrangement::quartersPerBar, (int) (endBar - firstBar) * Arrangement::quartersPerBar, {} };
            const auto origin = firstBar * ticksPerBar;
            clip.notes.reserve (read.size());
            for (const auto& n : read)
                clip.notes.push_back ({ n.pitch, IntRange::saturate (n.start - origin), IntRange::saturate (n.length), n.velocity });
            clips.push_back (std::move (clip));
        }

        return clips;
    }
} // namespace MidiFileReader

MidiFileReader::Outcome MidiFileReader::readFileByChannel (const juce::File& file, std::vector<ClipData>& clips, int& pastTimeline)
{
    pastTimeline = 0;
    ParsedFile parsed;
    if (const auto outcome = readTracks (file, parsed); outcome != Outcome::read)
        return outcome;

    auto read = clipsByChannel (std::move (parsed), pastTimeline);
    size_t notes = 0;
    for (const auto& clip : read)
        notes += clip.notes.size();

    if (notes > (size_t) Arrangement::maxNotes)
        return Outcome::tooManyNotes;

    if (read.empty())
        return pastTimeline != 0 ? Outcome::read : Outcome::noNotes;

    clips = std::move (read);
    return Outcome::read;
}

MidiFileReader::Outcome MidiFileReader::readFile (const juce::File& file, ImportedClip& clip)
{
    ParsedFile parsed;
    if (const auto outcome = readTracks (file, parsed); outcome != Outcome::read)
        return outcome;

    auto collected = collectNotes (std::move (parsed));
    if (! collected.has_value())
        return Outcome::noNotes;

    if (collected->notes.size() > (size_t) Arrangement::maxNotes)
        return Outcome::tooManyNotes;

    clip = std::move (*collected);
    return Outcome::read;
}

bool readMidiFile (const juce::File& file, std::vector<ImportedClip>& out)
{
    ImportedClip clip;
    const auto outcome = MidiFileReader::readFile (file, clip);

    // A MIDI file read, even one without notes, empties out; anything else leaves it.
    if (outcome != MidiFileReader::Outcome::read)
    {
        if (outcome != MidiFileReader::Outcome::notMidi)
            out.clear();
        return false;
    }

    out.clear();
    out.push_back (std::move (clip));
    return true;
}
