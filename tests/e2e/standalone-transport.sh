#!/usr/bin/env bash
# The standalone app's transport and file round trip, used as a user would:
# a tempo of 240 BPM, a loop region dragged over bars 1 and 2 of the ruler,
# "Play" (the line goes round inside the loop), then "Import MIDI to
# Tracks..." from the lanes' right-click menu through the dialog: a file with
# notes on channels 1, 2 and 10 fills tracks 1, 2 and 10, and "Save MIDI"
# writes them back with the tempo. Screenshots of each step are kept.
#
#   standalone-transport.sh PATH/TO/Carvolin [OUTPUT_FOLDER]
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
e2e_drag 212 155 320 155                      # a clip over the first four bars
e2e_click 255 95                              # "Select"

# The tempo: typed into the box beside "Tempo".
e2e_click 300 25
xdotool key ctrl+a
xdotool type --delay 30 "240"
xdotool key Return
sleep 0.3

# The loop region: a drag in the ruler from bar 1 to bar 2 (quarters 4 to 12;
# 880 pixels show 128 quarters, so bar 1 starts at x 237 and bar 3 at x 292).
e2e_drag 242 121 285 121
shot tempo-and-loop
band=$(e2e_pixel "$last" 265 115)
ruler=$(e2e_pixel "$last" 500 115)
echo "ruler in the loop $band, outside $ruler"
[ "$band" != "$ruler" ] || fail "no loop band on the ruler"

# At 240 BPM a quarter lasts 0.25 s: quarter 12 comes after 3 s, then the
# line goes round between x 237 and 292.
e2e_click 55 105                              # "MIDI Out"
e2e_click 155 105                             # "Play"
sleep 3.9
for name in looping looping-later; do
    sleep 0.7
    shot "$name"
    x=$(line_x)
    echo "line at x $x"
    [ -n "$x" ] && [ "$x" -ge 236 ] && [ "$x" -le 293 ] || fail "the line is not inside the loop"
done
e2e_click 155 105                             # "Stop"

# A file with notes on channels 1, 2 and 10, imported through the dialog.
/usr/bin/python3 - "$E2E_WORK/band.mid" <<'PY'
import sys, mido
mid = mido.MidiFile(ticks_per_beat=480)
t = mido.MidiTrack()
mid.tracks.append(t)
t += [mido.Message('note_on', channel=0, note=60, velocity=100, time=7680), mido.Message('note_off', channel=0, note=60, time=480),
      mido.Message('note_on', channel=1, note=48, velocity=90, time=0), mido.Message('note_off', channel=1, note=48, time=960),
      mido.Message('note_on', channel=9, note=36, velocity=127, time=0), mido.Message('note_off', channel=9, note=36, time=240)]
mid.save(sys.argv[1])
PY
xdotool mousemove $((E2E_X + 700)) $((E2E_Y + 280)) click 3   # the lanes' menu, over no clip
sleep 0.5
shot menu
xdotool key Up Return                         # its last item: "Import MIDI to Tracks..."
e2e_next imported
SHOT=$E2E_NEXT e2e_dialog_choose "$E2E_WORK/band.mid"
sleep 0.5

# The window grew to show ten lanes (and the window manager may have moved
# it): the editor's origin again, and "Save MIDI" through its dialog, which
# stands in the middle of the taller editor.
top=$((E2E_Y - E2E_WY)) left=$((E2E_X - E2E_WX))
eval "$(xdotool getwindowgeometry --shell "$E2E_WIN")"
E2E_WX=$X; E2E_WY=$Y; E2E_WW=$WIDTH; E2E_WH=$HEIGHT
E2E_X=$((X + left)); E2E_Y=$((Y + top))
shot ten-tracks
e2e_click 885 25                              # "Save MIDI"
editor_height=$((HEIGHT - top - left))
E2E_Y=$((E2E_Y + (editor_height - 600) / 2))
e2e_next saved
SHOT=$E2E_NEXT e2e_dialog_choose "$E2E_WORK/roundtrip"
[ -f "$E2E_WORK/roundtrip.mid" ] || fail "nothing was saved"
cp "$E2E_WORK/roundtrip.mid" "$out/"
/usr/bin/python3 - "$E2E_WORK/roundtrip.mid" <<'PY'
import sys, mido
f = mido.MidiFile(sys.argv[1])
tick, notes, sounding, tempo = 0, [], {}, None
for m in f.tracks[0]:
    tick += m.time
    if m.type == 'set_tempo':
        tempo = mido.tempo2bpm(m.tempo)
    elif m.type == 'note_on' and m.velocity > 0:
        sounding[(m.channel, m.note)] = (tick, m.velocity)
    elif m.type in ('note_on', 'note_off'):
        start, velocity = sounding.pop((m.channel, m.note))
        notes.append((m.channel + 1, start, m.note, tick - start, velocity))
notes.sort()
print(tempo, notes)
assert round(tempo) == 240, tempo
imported = [n for n in notes if n[2] in (60, 48, 36)]
assert imported == [(1, 15360, 60, 960, 100), (2, 16320, 48, 1920, 90), (10, 18240, 36, 480, 127)], imported
print("saved file: the imported notes on channels 1, 2 and 10, at 240 BPM")
PY
e2e_close_window
echo "PASS: tempo, loop region, play and import to tracks (screenshots in $out)"
