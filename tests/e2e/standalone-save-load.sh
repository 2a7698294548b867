#!/usr/bin/env bash
# "Save MIDI" and "Load MIDI" through the real dialogs of the standalone app:
# a clip with a note drawn in lane 2 is saved, python3-mido finds the note on
# MIDI channel 2; then a MIDI file is loaded and becomes the one clip.
#
#   standalone-save-load.sh PATH/TO/Carvolin MIDI_FILE_TO_LOAD [OUTPUT_FOLDER]
set -euo pipefail
app=$1
to_load=$2
out=${3:-$(mktemp -d)}
[ -f "$to_load" ] || { echo "SKIP: no file to load at $to_load"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin "$out"
e2e_start_app "$app"

# A clip in lane 2 (track 2) from quarter 8, with one note at its start.
e2e_click 340 95
e2e_drag 267 205 322 205
e2e_click 255 95
e2e_double_click 275 205
e2e_click 70 61
e2e_click 1070 27
e2e_shot "$out/1-clip.png"

# Save through the dialog: type a path into its file name box and confirm.
e2e_click 885 25                      # "Save MIDI"
SHOT="$out/2-saved-message.png" e2e_dialog_choose "$E2E_WORK/sketch"

[ -f "$E2E_WORK/sketch.mid" ] || { echo "FAIL: nothing was saved"; exit 1; }
/usr/bin/python3 - "$E2E_WORK/sketch.mid" <<'PY'
import sys, mido
mid = mido.MidiFile(sys.argv[1])
assert mid.type == 1 and mid.ticks_per_beat == 960, (mid.type, mid.ticks_per_beat)
ons = [m for m in mid.tracks[0] if m.type == 'note_on' and m.velocity > 0]
assert len(ons) == 1, ons
assert ons[0].channel == 1 and ons[0].note == 108 and ons[0].velocity == 100, ons[0]
tick = 0
for m in mid.tracks[0]:
    tick += m.time
    if m is ons[0]:
        break
assert tick == 8 * 960, tick
print("saved file: one note, key 108, MIDI channel 2, at quarter 8")
PY

# Load a MIDI file through the dialog.
e2e_click 995 25                      # "Load MIDI"
SHOT="$out/3-loaded-message.png" e2e_dialog_choose "$to_load"
e2e_shot "$out/4-loaded.png"

# One clip, on track 1 from quarter 0; lane 2 is empty now.
lane=$(e2e_pixel "$out/4-loaded.png" 300 205)
clip=$(e2e_pixel "$out/4-loaded.png" 212 140)
empty=$(e2e_pixel "$out/4-loaded.png" 300 300)
echo "lane 2 at the old clip: $lane, lane 1 start: $clip, background: $empty"
[ "$lane" = "$empty" ] || { echo "FAIL: the old clip is still there"; exit 1; }
[ "$clip" != "$empty" ] || { echo "FAIL: no clip in lane 1 after loading"; exit 1; }
echo "PASS: saved through the dialog and loaded a file (screenshots in $out)"
