#!/usr/bin/env bash
# Checks the built LV2 bundle with lilv's tools, as an LV2 host would see it.
#   check-lv2-metadata.sh PATH/TO/Carvolin.lv2 URI
set -euo pipefail
bundle=$1
uri=$2
export LV2_PATH=$(cd "$(dirname "$bundle")" && pwd)

lv2ls | grep -qx "$uri" || { echo "FAIL: lv2ls does not list $uri"; lv2ls; exit 1; }
info=$(lv2info "$uri")
echo "$info" | grep -q "Name: *Carvolin" || { echo "FAIL: no name"; echo "$info"; exit 1; }
echo "$info" | grep -q "Binary: *file://.*libCarvolin.so" || { echo "FAIL: no binary"; exit 1; }
echo "$info" | grep -q "lv2core#OutputPort" || { echo "FAIL: no output port"; exit 1; }
echo "$info" | grep -q "atom#AtomPort" || { echo "FAIL: no MIDI (atom) port"; exit 1; }
# Every Turtle file of the bundle parses.
for ttl in "$bundle"/*.ttl; do
    if command -v serdi >/dev/null 2>&1; then
        serdi -q "$ttl" >/dev/null || { echo "FAIL: $ttl does not parse"; exit 1; }
    fi
done

# The bundle against the LV2 schemas installed with lv2-dev. JUCE's Turtle
# generator writes a few statements the schemas do not describe, which hosts
# read without complaint: the doap maintainer and release of a plug-in, the UI's
# noUserResize and options interface, and the default state's program property.
# Any other error fails.
if command -v sord_validate >/dev/null 2>&1 && [ -d /usr/lib/lv2/core.lv2 ]; then
    report=$(sord_validate $(find /usr/lib/lv2 -name '*.ttl') "$bundle"/*.ttl 2>&1 || true)
    unexpected=$(echo "$report" | awk '/^(error|warning):/ { if (b) print b; b = $0; next } /^ / { b = b " " $1; next } END { if (b) print b }' |
        grep -vF -e "doap#maintainer" -e "doap#release" -e "ui#noUserResize" -e "options#interface" -e "$uri:Program" || true)
    [ -z "$unexpected" ] || { echo "FAIL: the schemas find errors in the bundle:"; echo "$unexpected"; exit 1; }
fi
echo "PASS: lv2ls and lv2info read $uri; its Turtle parses and fits the LV2 schemas"
