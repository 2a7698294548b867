#!/usr/bin/env bash
# The standalone app keeps its work as it goes: draw a clip, and a second later
# the settings file holds it while the window is still open; kill the app (as
# a crash would end it), start it again, and the clip is back.
#
#   standalone-crash.sh PATH/TO/Carvolin [OUTPUT_FOLDER]
set -euo pipefail
app=$1
out=${2:-$(mktemp -d)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin "$out"
e2e_start_app "$app"
settings=$HOME/.config/Carvolin.settings

# A clip in lane 2 from quarter 8 to 16.
e2e_click 340 95                      # "Draw"
e2e_drag 267 205 322 205
shot drawn
sleep 1.2
[ -f "$settings" ] || fail "no settings file a second after the edit"
grep -q 'filterState' "$settings" || fail "the settings file holds no state"
cp "$settings" "$out/"

kill -9 "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null || true
E2E_APP_PID=""

e2e_start_app "$app"
shot restarted
lane=$(e2e_pixel "$last" 300 160)
body=$(e2e_pixel "$last" 300 200)
echo "lane $lane, clip body $body"
[ "$body" != "$lane" ] || fail "the clip was lost with the app"
e2e_close_window
echo "PASS: the clip drawn a second before the app was killed came back (screenshots in $out)"
