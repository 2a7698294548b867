#!/usr/bin/env bash
# The piano roll's composing aids in the standalone app, used as a user would:
# a clip in lane 1 with three notes, a clip in lane 2 under it; in lane 2's
# piano roll, "Scale" set to C minor, ghost notes and note names on, a phrase
# drawn (two of its clicks off the scale, which snap to it), then humanized (H)
# and made legato across keys (Shift+L). "Save MIDI": python3-mido finds the
# phrase on channel 2 in C minor, each note lasting until the next starts, at
# velocities the humanizing moved away from 100. A screenshot of every step is
# kept.
#
#   standalone-composing-aids.sh PATH/TO/Carvolin [OUTPUT_FOLDER]
set -euo pipefail
app=$1
out=${2:-$(mktemp -d)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

# The middle of the roll's row of a pitch (rows of 12 pixels from key 108 at
# y 50), and the x of a tick of an 8-quarter clip (7680 ticks over x 60 to 1100).
row() { echo $((50 + (108 - $1) * 12 + 6)); }
at() { echo $((60 + $1 * 1040 / 7680 + 4)); }

e2e_begin "$out"
e2e_start_app "$app"

# Clip A (lane 1) and clip B (lane 2), both quarters 8 to 16.
e2e_click 340 95                              # "Draw"
e2e_drag 267 155 322 155
e2e_drag 267 205 322 205
e2e_click 255 95                              # "Select"

# A's notes: keys 96, 91 and 100.
e2e_double_click 275 155
e2e_click "$(at 0)" "$(row 96)"
e2e_click "$(at 1920)" "$(row 91)"
e2e_click "$(at 3840)" "$(row 100)"
e2e_click 1070 27                             # "X"

# B's piano roll: C minor (Root: C gives C major; Scale: the second, minor).
e2e_double_click 275 205
e2e_click 745 27                              # "Scale"
sleep 0.5
xdotool key Down Right Return                 # Root > C
sleep 0.5
e2e_click 745 27
sleep 0.5
xdotool key Down Down Down Right Down Return  # Scale > Natural Minor
sleep 0.5
e2e_click 745 27
sleep 0.5
shot scale-menu
xdotool key Down Down Down Down Return        # Ghost Notes
sleep 0.5
e2e_click 745 27
sleep 0.5
xdotool key Down Down Down Down Down Return   # Note Names
sleep 0.5

# A phrase: C, D, E (snaps to Eb), F, G, A (snaps to Ab or Bb), Bb, C.
x=0
for key in 84 86 88 89 91 93 94 96; do
    e2e_click "$(at $x)" "$(row $key)"
    x=$((x + 960))
done
shot phrase-in-c-minor
xdotool key h                                 # humanize every note (none is selected)
sleep 0.3
xdotool key shift+l                           # legato across keys
sleep 0.3
xdotool mousemove $((E2E_X + 700)) $((E2E_Y + $(row 87)))
sleep 0.5
shot humanized-and-legato

e2e_click 1070 27                             # "X"
e2e_save_midi aids

/usr/bin/python3 - "$E2E_WORK/aids.mid" <<'PY'
import sys, mido
tick, notes, sounding = 0, [], {}
for m in mido.MidiFile(sys.argv[1]).tracks[0]:
    tick += m.time
    if m.type == 'note_on' and m.velocity > 0:
        sounding[(m.channel, m.note)] = (tick, m.velocity)
    elif m.type in ('note_on', 'note_off'):
        start, velocity = sounding.pop((m.channel, m.note))
        notes.append((m.channel + 1, start, m.note, tick - start, velocity))
notes.sort()
print(notes)
ghosts = [n for n in notes if n[0] == 1]
phrase = [n for n in notes if n[0] == 2]
assert [n[2] for n in ghosts] == [96, 91, 100], ghosts
assert len(phrase) == 8, phrase
assert all(key % 12 in (0, 2, 3, 5, 7, 8, 10) for _, _, key, _, _ in phrase), "a note outside C minor"
assert [n[2] for n in phrase][:5] == [84, 86, 87, 89, 91] and phrase[-1][2] == 96, phrase
for (_, start, _, length, _), (_, next_start, _, _, _) in zip(phrase, phrase[1:]):
    assert start + length == next_start, "not legato"
assert any(v != 100 for *_, v in phrase), "no velocity humanized"
assert any((s - 8 * 960) % 960 != 0 for _, s, *_ in phrase), "no start humanized"
print("saved file: the phrase in C minor on channel 2, humanized and legato")
PY
e2e_close_window
echo "PASS: scale, ghost notes, note names, humanize and legato (screenshots in $out)"
