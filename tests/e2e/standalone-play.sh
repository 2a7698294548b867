#!/usr/bin/env bash
# Playback in the standalone app, which has no host transport: "MIDI Out" on,
# "Play", and the line that marks the position moves across the lanes.
# Screenshots of each step are kept in OUTPUT_FOLDER.
#
#   standalone-play.sh PATH/TO/Carvolin [OUTPUT_FOLDER]
set -euo pipefail
app=$1
out=${2:-$(mktemp -d)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
command -v pulseaudio >/dev/null || { echo "SKIP: no pulseaudio to give the app an audio device"; exit 77; }

e2e_begin "$out"
e2e_start_sound
e2e_start_app "$app"

e2e_click 340 95                              # "Draw"
e2e_drag 212 255 293 255                      # a clip over the first three bars
shot start
[ -z "$(line_x)" ] || fail "a line before playing"

e2e_click 55 105                              # "MIDI Out"
e2e_click 155 105                             # "Play"
sleep 1.5
shot playing
first=$(line_x)
[ -n "$first" ] || fail "no line while playing"
sleep 2
shot later
second=$(line_x)
[ -n "$second" ] || fail "no line while playing on"
echo "line at x $first, then at x $second"
[ "$second" -gt "$first" ] || fail "the line did not move right"

e2e_click 155 105                             # "Stop"
sleep 0.5
shot stopped
[ -z "$(line_x)" ] || fail "the line stayed after Stop"
e2e_close_window
echo "PASS: the line moves across the lanes while playing (screenshots in $out)"
