#pragma once

#include <juce_core/juce_core.h>

#include <initializer_list>
#include <vector>

/** Hand-made Standard MIDI Files for tests. */
namespace MidiBytes
{
    using Bytes = std::vector<juce::uint8>;

    inline void append (Bytes& b, std::initializer_list<int> values)
    {
        for (auto v : values)
            b.push_back ((juce::uint8) v);
    }

    inline void append32 (Bytes& b, juce::uint32 v)
    {
        append (b, { (int) (v >> 24) & 0xff, (int) (v >> 16) & 0xff, (int) (v >> 8) & 0xff, (int) v & 0xff });
    }

    /** A file with the given header fields and track chunks (event data only). */
    inline Bytes file (int format, int division, const std::vector<Bytes>& tracks, int declaredTracks = -1)
    {
        Bytes b;
        append (b, { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, format });
        const auto n = declaredTracks < 0 ? (int) tracks.size() : declaredTracks;
        append (b, { (n >> 8) & 0xff, n & 0xff, (division >> 8) & 0xff, division & 0xff });
        for (const auto& t : tracks)
        {
            append (b, { 'M', 'T', 'r', 'k' });
            append32 (b, (juce::uint32) t.size());
            b.insert (b.end(), t.begin(), t.end());
        }
        return b;
    }

    /** A variable-length quantity. */
    inline Bytes vlq (juce::uint32 value)
    {
        Bytes groups { (juce::uint8) (value & 0x7f) };
        while ((value >>= 7) != 0)
            groups.insert (groups.begin(), (juce::uint8) ((value & 0x7f) | 0x80));
        return groups;
    }

    /** Track data from (delta, status, data1, data2) events, ended by an end-of-track event. */
    struct Event
    {
        juce::uint32 delta;
        int status, data1, data2;
    };

    inline Bytes track (std::initializer_list<Event> events)
    {
        Bytes b;
        for (const auto& e : events)
        {
            const auto d = vlq (e.delta);
            b.insert (b.end(), d.begin(), d.end());
            append (b, { e.status, e.data1, e.data2 });
        }
        append (b, { 0, 0xff, 0x2f, 0 });
        return b;
    }

    /** 97 bytes, division 1: a note-on, nine text events each 0x0fffffff ticks
        after the last, then the note-off. It reads as one clip of
        2,147,483,647 quarters holding one note as long.
    */
    inline Bytes hugeNoteFile()
    {
        Bytes events;
        append (events, { 0, 0x90, 60, 100 });
        for (int i = 0; i < 9; ++i)
            append (events, { 0xff, 0xff, 0xff, 0x7f, 0xff, 0x01, 0 });
        append (events, { 0, 0x80, 60, 0, 0, 0xff, 0x2f, 0 });

        Bytes b;
        append (b, { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 1, 'M', 'T', 'r', 'k' });
        append32 (b, (juce::uint32) events.size());
        b.insert (b.end(), events.begin(), events.end());
        return b;
    }

    inline juce::File writeTemp (const Bytes& bytes, const juce::String& name = "test.mid")
    {
        auto f = juce::File::createTempFile (name);
        f.replaceWithData (bytes.data(), bytes.size());
        return f;
    }

    inline Bytes read (const juce::File& f)
    {
        juce::MemoryBlock block;
        f.loadFileAsData (block);
        return Bytes (static_cast<const juce::uint8*> (block.getData()), static_cast<const juce::uint8*> (block.getData()) + block.getSize());
    }

    inline juce::String hex (const Bytes& b)
    {
        return juce::String::toHexString (b.data(), (int) b.size(), 0).toUpperCase();
    }
} // namespace MidiBytes
