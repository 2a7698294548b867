#!/usr/bin/env python3
"""Reads a MIDI file as most programs do, with python3-mido: in file order, each
note-on ends at the next note-off (or note-on of velocity 0) of its channel and
key. Prints one line per note: channel (1-16), key, start tick, length in ticks.
"""
import sys

import mido

sounding = {}
for track in mido.MidiFile(sys.argv[1]).tracks:
    tick = 0
    for m in track:
        tick += m.time
        if m.type not in ('note_on', 'note_off'):
            continue
        key = (m.channel, m.note)
        if m.type == 'note_on' and m.velocity > 0:
            sounding.setdefault(key, []).append(tick)
        elif sounding.get(key):
            start = sounding[key].pop(0)
            print(m.channel + 1, m.note, start, tick - start)

for (channel, note), starts in sorted(sounding.items()):
    for start in starts:
        print(channel + 1, note, start, 'unended')
