#!/usr/bin/env bash
# Undo, redo, and tracks that come back, in the standalone app: draw two clips,
# Ctrl+Z takes the second back, "Redo" brings it back; add two tracks, choose
# an instrument on the sixth, quit and start again: six tracks, the instrument
# as chosen. A screenshot of every step is kept in OUTPUT_FOLDER.
#
#   standalone-undo-and-tracks.sh PATH/TO/Carvolin [OUTPUT_FOLDER]
set -euo pipefail
app=$1
out=${2:-$(mktemp -d)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin "$out"
e2e_start_app "$app"
# crop NAME: the sixth track's instrument box (editor 10,402 180x20) of the last screenshot.
crop() {
    local ox=$((E2E_X - E2E_WX)) oy=$((E2E_Y - E2E_WY))
    convert "$last" +repage -crop "180x20+$((10 + ox))+$((402 + oy))" +repage "$out/$1"
}
# same A B: the two crops show the same thing. A box painted again on its own
# may round an anti-aliased corner pixel one level differently from one painted
# with the whole window, so levels within 2% count as equal.
same() { [ "$(compare -fuzz 2% -metric AE "$out/$1" "$out/$2" null: 2>&1 || true)" = "0" ]; }

shot start
lane=$(e2e_pixel "$last" 600 160)
window=$(e2e_pixel "$last" 600 450)

e2e_click 340 95                              # "Draw"
e2e_drag 212 155 238 155                      # clip A: track 1, quarters 0 to 4
e2e_drag 267 205 293 205                      # clip B: track 2, quarters 8 to 12
shot two-clips
[ "$(e2e_pixel "$last" 280 200)" != "$lane" ] || fail "clip B was not drawn"

xdotool key ctrl+z
sleep 0.5
shot undone
[ "$(e2e_pixel "$last" 280 200)" = "$lane" ] || fail "Ctrl+Z did not take clip B back"
[ "$(e2e_pixel "$last" 225 150)" != "$lane" ] || fail "Ctrl+Z took clip A too"

e2e_click 155 70                              # "Redo"
shot redone
[ "$(e2e_pixel "$last" 280 200)" != "$lane" ] || fail "Redo did not bring clip B back"

e2e_click 55 30                               # "+ Track"
e2e_click 55 30                               # "+ Track": six lanes
shot six-tracks
[ "$(e2e_pixel "$last" 600 405)" = "$lane" ] || fail "no sixth lane"
crop piano.png

e2e_click 100 412                             # the sixth track's instrument box
sleep 0.5
shot instrument-menu
for _ in 1 2 3 4 5 6; do xdotool key Down; sleep 0.1; done
xdotool key Return
sleep 0.5
shot instrument-chosen
crop chosen.png
same piano.png chosen.png && fail "the instrument did not change"

e2e_close_window
e2e_start_app "$app"
shot restarted
[ "$(e2e_pixel "$last" 600 405)" = "$lane" ] || fail "the sixth lane is gone after the restart"
[ "$(e2e_pixel "$last" 600 455)" = "$window" ] || fail "more than six lanes after the restart"
[ "$(e2e_pixel "$last" 280 200)" != "$lane" ] || fail "clip B is gone after the restart"
crop restarted.png
same chosen.png restarted.png || fail "the sixth track's instrument changed in the restart"
e2e_close_window
echo "PASS: undo, redo, six tracks and the instrument survived (screenshots in $out)"
