# Helpers for driving the standalone app on a private virtual screen.
# Source this file; call e2e_start_screen first. Needs Xvfb, xdotool,
# ImageMagick (import, convert) and x11-utils (xdpyinfo).

# e2e_begin OUTPUT_FOLDER: the common start of a check, on a screen of its own.
# The app runs with a HOME of its own, so the standalone wrapper's settings file
# (~/.config/Carvolin.settings on Linux) is a fresh one and the user's is left
# alone; the app's output goes to OUTPUT_FOLDER/app.log; E2E_WORK is a scratch
# folder. When the script ends, the app, the screen, every process id the script
# added to E2E_PIDS, HOME and E2E_WORK go.
e2e_begin() {
    mkdir -p "$1"
    E2E_OUT=$1
    E2E_STEP=0
    export HOME=$(mktemp -d)
    export E2E_LOG="$1/app.log"
    E2E_WORK=$(mktemp -d)
    E2E_PIDS=()
    trap e2e_end EXIT
    e2e_start_screen
}

e2e_end() {
    local p
    [ -n "${E2E_SOUND:-}" ] && pulseaudio --kill 2>/dev/null || true
    for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    e2e_stop_screen
    rm -rf "$HOME" "$E2E_WORK"
}

# e2e_start_sound: a sound server of the check's own with a sink that plays
# into nothing in real time, and ALSA's default device going to it, so that the
# standalone app's audio device runs (and with it the plug-in's audio callback)
# on a machine without a sound card.
e2e_start_sound() {
    export XDG_RUNTIME_DIR="$HOME/run"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    printf 'pcm.!default { type pulse }\nctl.!default { type pulse }\n' >"$HOME/.asoundrc"
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --load="module-null-sink sink_name=nowhere" \
        --load="module-native-protocol-unix" --log-target=file:"$HOME/pulseaudio.log" || return 1
    E2E_SOUND=1
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "e2e: the sound server did not start" >&2
    return 1
}

e2e_start_screen() {
    local n
    for n in $(seq 70 99); do [ -e "/tmp/.X$n-lock" ] || break; done
    export DISPLAY=":$n"
    Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    E2E_XVFB_PID=$!
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "e2e: the virtual screen did not start" >&2
    return 1
}

e2e_stop_screen() {
    [ -n "${E2E_APP_PID:-}" ] && kill "$E2E_APP_PID" 2>/dev/null || true
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
    return 0
}

# e2e_start_app PROGRAM: starts it and waits for its window; sets E2E_WIN and
# the editor's origin on the screen (E2E_X, E2E_Y).
e2e_start_app() {
    "$@" >>"${E2E_LOG:-/dev/null}" 2>&1 &
    E2E_APP_PID=$!
    E2E_WIN=""
    for _ in $(seq 120); do
        E2E_WIN=$(xdotool search --onlyvisible --name 'Carvolin' 2>/dev/null | head -1 || true)
        [ -n "$E2E_WIN" ] && break
        kill -0 "$E2E_APP_PID" 2>/dev/null || { echo "e2e: the app exited" >&2; return 1; }
        sleep 0.25
    done
    [ -n "$E2E_WIN" ] || { echo "e2e: no window appeared" >&2; return 1; }
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$E2E_WIN")"
    # The standalone window draws its own title bar above the 1100 x 600 editor
    # and a thin border around it.
    local border=$(( (WIDTH - 1100) / 2 ))
    E2E_X=$(( X + border ))
    E2E_Y=$(( Y + HEIGHT - 600 - border ))
    E2E_WX=$X; E2E_WY=$Y; E2E_WW=$WIDTH; E2E_WH=$HEIGHT
}

# Pointer actions in editor coordinates.
e2e_click() { xdotool mousemove $((E2E_X + $1)) $((E2E_Y + $2)) click 1; sleep 0.3; }
e2e_double_click() { xdotool mousemove $((E2E_X + $1)) $((E2E_Y + $2)) click --repeat 2 --delay 80 1; sleep 0.4; }
e2e_drag() {
    xdotool mousemove $((E2E_X + $1)) $((E2E_Y + $2)) mousedown 1
    sleep 0.1
    xdotool mousemove $((E2E_X + ($1 + $3) / 2)) $((E2E_Y + ($2 + $4) / 2))
    sleep 0.1
    xdotool mousemove $((E2E_X + $3)) $((E2E_Y + $4)) mouseup 1
    sleep 0.3
}

# Clicks the close button of the standalone window's own title bar.
e2e_close_window() {
    xdotool mousemove $((E2E_WX + E2E_WW - 20)) $((E2E_WY + 15)) click 1
    for _ in $(seq 40); do kill -0 "$E2E_APP_PID" 2>/dev/null || { E2E_APP_PID=""; return 0; }; sleep 0.25; done
    echo "e2e: the app did not quit" >&2
    return 1
}

# e2e_shot FILE: a screenshot of the window.
e2e_shot() { import -window root -crop "${E2E_WW}x${E2E_WH}+${E2E_WX}+${E2E_WY}" "$1"; }

# e2e_next NAME: sets E2E_NEXT to the check's next numbered screenshot in its
# output folder (01-NAME.png, 02-...).
e2e_next() { E2E_STEP=$((E2E_STEP + 1)); E2E_NEXT="$E2E_OUT/$(printf %02d "$E2E_STEP")-$1.png"; }

# shot NAME: the next numbered screenshot of the window; $last is the newest.
shot() { e2e_next "$1"; last=$E2E_NEXT; e2e_shot "$last"; }

# line_x: the first column of the lanes (editor y 300) painted white in the last screenshot, or nothing.
line_x() {
    local ox=$((E2E_X - E2E_WX)) oy=$((E2E_Y - E2E_WY))
    convert "$last" +repage -crop "880x1+$((210 + ox))+$((300 + oy))" +repage txt:- \
        | awk -F'[,:]' '/#FFFFFF/ && ! found { print $1 + 210; found = 1 }'
}

# fail MESSAGE: ends the check with "FAIL: MESSAGE".
fail() { echo "FAIL: $*"; exit 1; }

# e2e_pixel FILE X Y: the colour at editor (X, Y) of a window screenshot, as "r,g,b".
e2e_pixel() {
    local ox=$((E2E_X - E2E_WX)) oy=$((E2E_Y - E2E_WY))
    convert "$1" -format "%[fx:int(255*p{$(($2 + ox)),$(($3 + oy))}.r)],%[fx:int(255*p{$(($2 + ox)),$(($3 + oy))}.g)],%[fx:int(255*p{$(($2 + ox)),$(($3 + oy))}.b)]" info:
}

# e2e_save_midi NAME: "Save MIDI" as E2E_WORK/NAME.mid through the dialog,
# the message that follows kept as the next numbered screenshot ("saved");
# fails when nothing was written, else keeps a copy in the output folder.
e2e_save_midi() {
    e2e_click 885 25                  # "Save MIDI"
    e2e_next saved
    SHOT=$E2E_NEXT e2e_dialog_choose "$E2E_WORK/$1"
    [ -f "$E2E_WORK/$1.mid" ] || fail "nothing was saved"
    cp "$E2E_WORK/$1.mid" "$E2E_OUT/$1.mid"
}

# e2e_dialog_choose PATH: in an open file dialog of the app (JUCE's own, laid over
# the editor), types PATH into its file name box and confirms with its
# "Save"/"Open" button; then dismisses the message box that follows with Return.
# SHOT, if set, is where to keep a screenshot of that message box.
e2e_dialog_choose() {
    sleep 1.5
    e2e_click 560 474                 # the file name box
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
    xdotool key Return                # goes to the folder, keeps the name
    sleep 0.5
    e2e_click 794 512                 # "Save" or "Open"
    sleep 1.5
    [ -n "${SHOT:-}" ] && import -window root "$SHOT"
    xdotool key Return
    sleep 0.5
}
