#!/usr/bin/env python3
"""An independent reading of MIDI files into one clip, with python3-mido, by the
same rule as Carvolin's reader: each track's events in file order, notes of one
tick reordered as JUCE 8 delivers them, note-offs added before repeated note-ons,
then every note-on ended by the next note-off of its key on any channel.

Prints one line per file: path, then "rejected" or the note count and the
clip's length in quarter notes, separated by tabs.
"""
import sys

import mido


def is_on(m):
    return m.type == 'note_on' and m.velocity > 0


def is_off(m):
    return m.type == 'note_off' or (m.type == 'note_on' and m.velocity == 0)


def is_note(m):
    return m.type in ('note_on', 'note_off')


def track_events(track):
    tick, events = 0, []
    for m in track:
        tick += m.time
        events.append([tick, m])
    return events


def order_same_tick(events):
    n, start = len(events), 0
    while start < n:
        end = start
        while end < n and events[end][0] == events[start][0]:
            end += 1
        pos = start
        while pos < end:
            on = pos
            while on < end and not is_on(events[on][1]):
                on += 1
            if on == end:
                break
            m = events[on][1]
            off = end - 1
            while off > on and not (is_off(events[off][1]) and events[off][1].channel == m.channel
                                    and events[off][1].note == m.note):
                off -= 1
            if off == on:
                break
            events[on], events[off] = events[off], events[on]
            pos = on + 1
        start = end


def match_pairs(events):
    i = 0
    while i < len(events):
        m = events[i][1]
        if is_on(m):
            for j in range(i + 1, len(events)):
                other = events[j][1]
                if is_note(other) and other.note == m.note and other.channel == m.channel:
                    if is_off(other):
                        break
                    events.insert(j, [events[j][0], mido.Message('note_off', channel=m.channel, note=m.note)])
                    break
        i += 1


def read(path):
    mid = mido.MidiFile(path)
    tpq = mid.ticks_per_beat if 0 < mid.ticks_per_beat < 0x8000 else 480
    notes, min_start, max_end = 0, 2**63 - 1, 0
    for track in mid.tracks:
        events = track_events(track)
        order_same_tick(events)
        match_pairs(events)
        next_off, offs = [None] * len(events), {}
        for i in range(len(events) - 1, -1, -1):
            m = events[i][1]
            if is_note(m):
                next_off[i] = offs.get(m.note)
                if is_off(m):
                    offs[m.note] = i
        for i, (tick, m) in enumerate(events):
            if not is_on(m) or next_off[i] is None:
                continue
            d = events[next_off[i]][0] - tick
            if d <= 0:
                continue
            start, length = tick * 960 // tpq, d * 960 // tpq
            min_start, max_end = min(min_start, start), max(max_end, start + length)
            notes += 1
    if notes == 0:
        return None
    return notes, max(1, (max_end - min_start + 959) // 960)


for path in sys.argv[1:]:
    try:
        result = read(path)
    except Exception:
        result = None
    print(path, 'rejected' if result is None else '%d\t%d' % result, sep='\t')
