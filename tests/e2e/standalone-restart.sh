#!/usr/bin/env bash
# The standalone app keeps the arrangement across a restart: draw a clip, give
# it a note in the piano roll, close the window, start again, and the clip and
# its note are back.
#
#   standalone-restart.sh PATH/TO/Carvolin [OUTPUT_FOLDER]
set -euo pipefail
app=$1
out=${2:-$(mktemp -d)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin "$out"

e2e_start_app "$app"
e2e_shot "$out/1-start.png"

# Draw a clip in lane 2 from quarter 8 to 16, then select it and open its piano roll.
e2e_click 340 95                      # "Draw"
e2e_drag 267 205 322 205
e2e_click 255 95                      # "Select"
e2e_double_click 275 205
e2e_shot "$out/2-piano-roll.png"

# Draw a note in the top rows of the piano roll and close it with "X".
e2e_click 70 61
e2e_shot "$out/3-note.png"
e2e_click 1070 27                     # "X"
e2e_shot "$out/4-written-back.png"

e2e_close_window
ls "$HOME/.config/Carvolin.settings" >/dev/null

e2e_start_app "$app"
e2e_shot "$out/5-restarted.png"

# The clip is back in lane 2 (its body over the lane), and shows one note: a
# one-pitch miniature fills the bottom 6 pixels of the clip (y 218 to 223),
# from x = 265 + 4.
lane=$(e2e_pixel "$out/5-restarted.png" 300 160)
body=$(e2e_pixel "$out/5-restarted.png" 300 200)
note=$(e2e_pixel "$out/5-restarted.png" 269 220)
echo "lane $lane, clip body $body, note $note"
[ "$body" != "$lane" ] || { echo "FAIL: no clip after the restart"; exit 1; }
[ "$note" != "$body" ] || { echo "FAIL: the clip lost its note"; exit 1; }
e2e_close_window
echo "PASS: the clip and its note survived the restart (screenshots in $out)"
