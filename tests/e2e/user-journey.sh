#!/usr/bin/env bash
# A user's whole session with the standalone app, driven with xdotool:
# add a track, draw two clips, move one, resize the other, give the first three
# notes in its piano roll, save with "Save MIDI" through the dialog, load a MIDI
# file with "Load MIDI", quit, start again, and find the arrangement back.
# A screenshot of every step is kept in OUTPUT_FOLDER; python3-mido checks the saved file.
#
#   user-journey.sh PATH/TO/Carvolin MIDI_FILE_TO_LOAD [OUTPUT_FOLDER]
set -euo pipefail
app=$1
to_load=$2
out=${3:-$(mktemp -d)}
[ -f "$to_load" ] || { echo "SKIP: no file to load at $to_load"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin "$out"
e2e_start_app "$app"
# screen NAME: the next numbered screenshot of the whole screen (dialogs).
screen() { e2e_next "$1"; last=$E2E_NEXT; import -window root "$last"; }
shot start
background=$(e2e_pixel "$last" 600 300)

e2e_click 55 30                              # "+ Track": five lanes
shot five-tracks

e2e_click 340 95                             # "Draw"
e2e_drag 212 155 238 155                     # clip A: track 1, quarters 0 to 4
e2e_drag 267 355 293 355                     # clip B: track 5, quarters 8 to 12
shot two-clips

e2e_click 255 95                             # "Select"
e2e_drag 215 155 353 205                     # A to track 2, quarter 20
shot moved

e2e_click 510 95                             # "Resize"
e2e_drag 291 355 323 355                     # B to 8 quarters: the edge at the pointer's quarter, 16
shot resized

e2e_click 255 95                             # "Select"
e2e_double_click 356 205                     # A's piano roll
shot piano-roll
e2e_click 61 56                              # three notes: keys 108, 105, 101 at quarters 0, 1, 2
e2e_click 321 92
e2e_click 581 140
shot three-notes
e2e_click 1070 27                            # "X"
shot written-back

e2e_save_midi journey
/usr/bin/python3 - "$E2E_WORK/journey.mid" <<'PY'
import sys, mido
mid = mido.MidiFile(sys.argv[1])
assert mid.type == 1 and mid.ticks_per_beat == 960 and len(mid.tracks) == 1
tick, ons = 0, []
for m in mid.tracks[0]:
    tick += m.time
    if m.type == 'note_on' and m.velocity > 0:
        ons.append((tick, m.channel, m.note, m.velocity))
expected = [(20 * 960, 1, 108, 100), (21 * 960, 1, 105, 100), (22 * 960, 1, 101, 100)]
assert ons == expected, ons
print("saved file: the three notes on MIDI channel 2 from quarter 20")
PY

e2e_click 995 25                             # "Load MIDI"
e2e_next loaded-message; SHOT=$E2E_NEXT e2e_dialog_choose "$to_load"
shot loaded
[ "$(e2e_pixel "$last" 212 150)" != "$background" ] || fail "no clip after loading"
[ "$(e2e_pixel "$last" 300 360)" = "$(e2e_pixel "$last" 600 360)" ] || fail "clip B is still there after loading"

e2e_close_window
e2e_start_app "$app"
shot restarted
[ "$(e2e_pixel "$last" 212 150)" != "$background" ] || fail "the loaded clip is gone after the restart"
e2e_close_window
echo "PASS: the whole journey (screenshots in $out)"
