#!/usr/bin/env bash
# Editing several things at once in the standalone app, driven as a user would:
# give a clip two notes, select three clips with a rubber band, duplicate them
# (Ctrl+D), move the copies a lane down (Down), open a copy's piano roll, select
# its notes (Ctrl+A), raise them an octave (Shift+Up), lower their velocity in
# the velocity lane, close with "X" and save with "Save MIDI": python3-mido
# finds the duplicated notes with their new pitches and velocities.
# A screenshot of every step is kept in OUTPUT_FOLDER.
#
#   standalone-editing-power.sh PATH/TO/Carvolin [OUTPUT_FOLDER]
set -euo pipefail
app=$1
out=${2:-$(mktemp -d)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin "$out"
e2e_start_app "$app"
shot start
lane=$(e2e_pixel "$last" 600 160)

# Clip A in lane 1 (quarters 0 to 4) with two notes: key 96 at quarter 0, key 91 at quarter 1.
e2e_click 340 95                              # "Draw"
e2e_drag 212 155 238 155
e2e_click 255 95                              # "Select"
e2e_double_click 220 155
e2e_click 61 200
e2e_click 321 260
shot clip-a-notes
e2e_click 1070 27                             # "X"

# Clips B (lane 2, quarters 4 to 8) and C (lane 3, quarters 8 to 12).
e2e_click 340 95                              # "Draw"
e2e_drag 240 205 265 205
e2e_drag 267 255 293 255
e2e_click 255 95                              # "Select"
shot three-clips

# A rubber band from empty space right of C up over A.
e2e_drag 320 290 214 140
shot band-selected

xdotool key ctrl+d                            # copies right after the selection: quarters 12 to 24
sleep 0.5
shot duplicated
[ "$(e2e_pixel "$last" 300 150)" != "$lane" ] || fail "no copy of A at quarter 12"

xdotool key Down                              # the copies a lane down
sleep 0.5
shot copies-moved-down
[ "$(e2e_pixel "$last" 300 150)" = "$lane" ] || fail "the copy of A did not leave lane 1"
[ "$(e2e_pixel "$last" 300 200)" != "$lane" ] || fail "the copy of A is not in lane 2"

e2e_double_click 300 200                      # the copy of A's piano roll
shot piano-roll
xdotool key ctrl+a
xdotool key shift+Up                          # an octave up: keys 108 and 103
sleep 0.3
shot octave-up

e2e_click 887 27                              # "Velocity"
sleep 0.3
shot velocity-lane
# The first note's bar (x 60 to 65) from near its top to half height; both
# selected notes go down by as much.
xdotool mousemove $((E2E_X + 62)) $((E2E_Y + 520)) mousedown 1
sleep 0.1
xdotool mousemove $((E2E_X + 62)) $((E2E_Y + 540))
sleep 0.1
xdotool mousemove $((E2E_X + 62)) $((E2E_Y + 555))
sleep 0.3
shot velocity-dragged
xdotool mouseup 1
sleep 0.3
e2e_click 1070 27                             # "X"
shot written-back

e2e_save_midi editing

/usr/bin/python3 - "$E2E_WORK/editing.mid" <<'PY'
import sys, mido
tick, notes, sounding = 0, [], {}
for m in mido.MidiFile(sys.argv[1]).tracks[0]:
    tick += m.time
    if m.type == 'note_on' and m.velocity > 0:
        sounding[(m.channel, m.note)] = (tick, m.velocity)
    elif m.type in ('note_on', 'note_off'):
        start, velocity = sounding.pop((m.channel, m.note))
        notes.append((m.channel + 1, m.note, start, tick - start, velocity))
notes.sort()
print(notes)
original = [n for n in notes if n[0] == 1]
copies = [n for n in notes if n[0] == 2]
assert original == [(1, 91, 960, 240, 100), (1, 96, 0, 240, 100)], original
assert [(c, k, s, l) for c, k, s, l, v in copies] == [(2, 103, 13 * 960, 240), (2, 108, 12 * 960, 240)], copies
velocities = {v for c, k, s, l, v in copies}
assert len(velocities) == 1 and 50 <= velocities.pop() <= 80, copies
assert len(notes) == 4, notes
print("saved file: the copy on MIDI channel 2 from quarter 12, an octave up, at a lower velocity")
PY
e2e_close_window
echo "PASS: band selection, duplicate, arrow move, octave, velocity and save (screenshots in $out)"
