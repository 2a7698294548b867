#!/usr/bin/env bash
# The piano roll's edits are the arrangement's at once: draw two notes, take
# one back with Ctrl+Z, quit the app with the piano roll still open (no "X"),
# start again, and the clip holds the one note.
#
#   standalone-live-piano-roll.sh PATH/TO/Carvolin [OUTPUT_FOLDER]
set -euo pipefail
app=$1
out=${2:-$(mktemp -d)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin "$out"
e2e_start_app "$app"

# A clip in lane 2 from quarter 8 to 16, opened in the piano roll.
e2e_click 340 95                      # "Draw"
e2e_drag 267 205 322 205
e2e_click 255 95                      # "Select"
e2e_double_click 275 205
shot piano-roll

# Two notes in the top row (pitch 108): at tick 0 and at tick 2400. The roll's
# grid is (60, 50, 1040, 550); the clip's 7680 ticks span its width.
e2e_click 70 56
e2e_click 395 56
shot two-notes
xdotool key ctrl+z
sleep 0.5
shot one-taken-back

# Quit with the roll open.
e2e_close_window

e2e_start_app "$app"
e2e_double_click 275 205
shot reopened

# Note 1 spans x 60 to 92, note 2 would span x 385 to 417 (both y 52 to 60).
first=$(e2e_pixel "$last" 75 56)
second=$(e2e_pixel "$last" 400 56)
grid=$(e2e_pixel "$last" 600 56)
echo "first note $first, second note $second, grid $grid"
[ "$first" != "$grid" ] || fail "the note drawn first is gone"
[ "$second" = "$grid" ] || fail "the note taken back came back"
e2e_close_window
echo "PASS: the piano roll's edits and their undo survived a quit without X (screenshots in $out)"
