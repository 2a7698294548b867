#!/usr/bin/env bash
# File drag and drop between the standalone app and other programs, through
# the X server's drag-and-drop protocol (XDND):
#  - in: a MIDI file dragged from a drag source of ours onto lane 2 becomes a clip there;
#  - out: that clip pulled out of the lanes arrives at a drop target of ours as a
#    MIDI file that python3-mido reads with the clip's notes.
#
#   standalone-drag-and-drop.sh PATH/TO/Carvolin DRAG_SOURCE DROP_TARGET [OUTPUT_FOLDER]
set -euo pipefail
app=$1
source_app=$2
target_app=$3
out=${4:-$(mktemp -d)}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_begin "$out"
e2e_start_app "$app"
shot() { import -window root "$out/$1.png"; }

# A MIDI file of two notes over three quarter notes.
/usr/bin/python3 - "$E2E_WORK/dropped.mid" <<'PY'
import sys, mido
mid = mido.MidiFile(ticks_per_beat=480)
t = mido.MidiTrack()
mid.tracks.append(t)
t += [mido.Message('note_on', note=60, velocity=100, time=0), mido.Message('note_off', note=60, time=480),
      mido.Message('note_on', note=67, velocity=90, time=480), mido.Message('note_off', note=67, time=480)]
mid.save(sys.argv[1])
PY

wait_for_window() {
    for _ in $(seq 80); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.25
    done
    echo "e2e: no window named $1" >&2
    return 1
}

# Moves the pressed pointer from (x0, y0) to (x1, y1) on the screen in small steps.
glide() {
    local x0=$1 y0=$2 x1=$3 y1=$4 i
    for i in $(seq 1 20); do
        xdotool mousemove $((x0 + (x1 - x0) * i / 20)) $((y0 + (y1 - y0) * i / 20))
        sleep 0.05
    done
    sleep 0.3
}

# In: from the drag source (top left of the screen) onto lane 2, quarter 20.
"$source_app" "$E2E_WORK/dropped.mid" >>"$out/source.log" 2>&1 &
E2E_PIDS+=($!)
wait_for_window DragSource
sleep 0.5
drop_x=$((E2E_X + 210 + 140)); drop_y=$((E2E_Y + 130 + 50 + 20))
xdotool mousemove 150 75 mousedown 1
glide 150 75 $drop_x $drop_y
shot 1-dragging-in
xdotool mouseup 1
sleep 1
e2e_shot "$out/2-dropped.png"

clip=$(e2e_pixel "$out/2-dropped.png" 360 210)
lane=$(e2e_pixel "$out/2-dropped.png" 600 210)
echo "dropped clip: $clip, empty lane: $lane"
[ "$clip" != "$lane" ] || { echo "FAIL: the dropped file made no clip in lane 2"; exit 1; }

# Out: press on the clip with the Select tool, pull it up out of the lanes and
# over to the drop target (top right of the screen). On its way out it passes
# lanes 1 and 0 and moves there first, as a clip being moved does.
"$target_app" "$E2E_WORK/received" >>"$out/target.log" 2>&1 &
target_pid=$!
E2E_PIDS+=($target_pid)
wait_for_window DropTarget
sleep 0.5
xdotool mousemove $((E2E_X + 360)) $((E2E_Y + 205)) mousedown 1
glide $((E2E_X + 360)) $((E2E_Y + 205)) $((E2E_X + 360)) $((E2E_Y + 60))
glide $((E2E_X + 360)) $((E2E_Y + 60)) 1450 90
shot 3-dragging-out
xdotool mouseup 1
for _ in $(seq 40); do kill -0 "$target_pid" 2>/dev/null || break; sleep 0.25; done
shot 4-after-drop

received=$(ls "$E2E_WORK/received"/VST_Clip_*.mid 2>/dev/null | head -1 || true)
[ -n "$received" ] || { echo "FAIL: the drop target received no clip file"; cat "$E2E_WORK/received/dropped.txt" 2>/dev/null; exit 1; }
echo "received $(basename "$received")"
/usr/bin/python3 - "$received" <<'PY'
import sys, mido
mid = mido.MidiFile(sys.argv[1])
ons = [(m.note, m.channel) for m in mid.tracks[0] if m.type == 'note_on' and m.velocity > 0]
assert ons == [(60, 0), (67, 0)], ons
print("the received file holds the clip's two notes on MIDI channel 1")
PY
echo "PASS: a file dragged in became a clip, and the clip dragged out arrived as a MIDI file (screenshots in $out)"
