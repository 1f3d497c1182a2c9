# Shared steps of the end-to-end scripts: a private X server, a program folder, the running game and
# a clean exit. Source it, then call e2e_begin with the script's own arguments.
#
# Exit 77 (skipped) only where no X server can be had: Xvfb or xdotool missing, or none starts.
# shellcheck disable=SC2034 # e2e_status is read by the callers

e2e_xvfb_pid='' e2e_app_pid='' e2e_program='' e2e_log='' e2e_status='' e2e_aim='' e2e_window=''

e2e_skip() {
    echo "SKIP: $*"
    exit 77
}

e2e_fail() {
    echo "FAIL: $*" >&2
    if [[ -n $e2e_app_pid ]] && ! kill -0 "$e2e_app_pid" 2>/dev/null; then
        wait "$e2e_app_pid"
        echo "The program has ended with status $?." >&2
        e2e_app_pid=
    fi
    if [[ -n $e2e_log && -s $e2e_log ]]; then
        echo "--- program output ---" >&2
        cat "$e2e_log" >&2
    fi
    exit 1
}

e2e_cleanup() {
    [[ -n $e2e_app_pid ]] && kill "$e2e_app_pid" 2>/dev/null && wait "$e2e_app_pid" 2>/dev/null
    [[ -n $e2e_xvfb_pid ]] && kill "$e2e_xvfb_pid" 2>/dev/null && wait "$e2e_xvfb_pid" 2>/dev/null
    [[ -n $e2e_program ]] && rm -rf "$e2e_program"
    return 0
}
trap e2e_cleanup EXIT

# The start every script makes: its arguments (the binary, the screenshot folder and, for those that
# play, the scripted player) in `binary`, `shots` and `e2e_aim`, the tools checked, no old screenshots.
e2e_begin() {
    binary=${1:?path of the kestrum binary}
    shots=${2:?folder for the screenshots}
    e2e_aim=${3:-}
    e2e_require_tools
    mkdir -p "$shots"
    rm -f "$shots"/*.png
}

e2e_require_tools() {
    command -v Xvfb >/dev/null || e2e_skip "Xvfb is not installed (Debian package xvfb)"
    command -v xdotool >/dev/null || e2e_skip "xdotool is not installed (Debian package xdotool)"
}

# A private X server on a display number the server picks itself (-displayfd), so parallel runs and
# other servers on the machine never collide. The screen is 1024 x 768 unless a size is given.
e2e_start_x() {
    local numberfile size=${1:-1024x768}
    numberfile=$(mktemp "${TMPDIR:-/tmp}/kestrum-e2e-display.XXXXXX")
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
    e2e_xvfb_pid=$!
    local n=
    for _ in $(seq 600); do # a minute at most, for a busy machine
        kill -0 "$e2e_xvfb_pid" 2>/dev/null || break
        n=$(head -n 1 "$numberfile")
        [[ -n $n ]] && DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1 && break
        n=
        sleep 0.1
    done
    rm -f "$numberfile"
    if [[ -z $n ]]; then
        kill "$e2e_xvfb_pid" 2>/dev/null
        e2e_xvfb_pid=
        e2e_skip "no X server could be started"
    fi
    export DISPLAY=":$n"
    unset WAYLAND_DISPLAY QT_SCALE_FACTOR
    export QT_QPA_PLATFORM=xcb
}

# A program folder with the binary, its sounds and, if given, the bytes of config.txt.
e2e_make_program() {
    local binary=$1
    [[ -x $binary ]] || e2e_fail "no binary at $binary"
    e2e_program=$(mktemp -d "${TMPDIR:-/tmp}/kestrum-e2e.XXXXXX")
    cp "$binary" "$e2e_program/kestrum"
    local sound
    for sound in BAN.WAV BIGBAN.WAV; do
        [[ -f $(dirname "$binary")/$sound ]] && cp "$(dirname "$binary")/$sound" "$e2e_program/"
    done
    if [[ $# -ge 2 ]]; then printf '%s' "$2" >"$e2e_program/config.txt"; fi
    return 0
}

e2e_launch() {
    mkdir -p "${shots:?the screenshot folder}"
    e2e_log=$shots/kestrum.log
    (cd "$e2e_program" && exec ./kestrum) >"$e2e_log" 2>&1 &
    e2e_app_pid=$!
}

# The id of the visible window with exactly this title, waiting up to 30 s.
e2e_find_window() {
    timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

# Waits up to `seconds` for the game to end by itself; sets e2e_status to its exit status, or to
# "running". (Not in a subshell: only this shell can collect the status of its child.)
e2e_wait_exit() {
    local seconds=$1
    e2e_status=running
    for _ in $(seq $((seconds * 10))); do
        if ! kill -0 "$e2e_app_pid" 2>/dev/null; then
            wait "$e2e_app_pid"
            e2e_status=$?
            e2e_app_pid=
            return 0
        fi
        sleep 0.1
    done
}

# A screenshot of the whole screen, kept with the test's output (only with ImageMagick).
e2e_shot() {
    command -v import >/dev/null && import -window root "$shots/$1.png"
    return 0
}

# The scripted player (tests/e2e/aim.cpp) reads the window and presses keys; the caller sets e2e_aim
# to its path and e2e_window to the game window. Every wait below ends as soon as the screen shows
# what it waits for; the limits are only there to end a test that has gone wrong.
e2e_require_player() {
    [[ -n ${e2e_aim:-} && -x $e2e_aim ]] ||
        e2e_fail "the scripted player e2e_aim was not built (Xlib headers missing?)"
}
e2e_look() {
    "$e2e_aim" "$e2e_window" "$@"
}
# The number of pixels of a colour (RRGGBB or "dark") in a rectangle X Y W H; -1 when unreadable.
e2e_pixels() {
    e2e_look count "$@" || echo -1
}
# Waits up to `seconds` until `e2e_pixels ARGS` is at least `least`.
e2e_wait_pixels() {
    local seconds=$1 least=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        (($(e2e_pixels "$@") >= least)) && return 0
        sleep 0.1
    done
    return 1
}
e2e_prompts_shown() { # the set-up panel's background
    e2e_wait_pixels 60 20000 272 212 256 160 80FFFF
}
# The first player's input panel: white at its four corners.
e2e_panel_shown() {
    local spot
    for spot in "196 92" "196 212" "12 212" "100 182"; do
        # shellcheck disable=SC2086 # x and y
        (($(e2e_pixels $spot 1 1 FFFFFF) == 1)) || return 1
    done
}
e2e_wait_panel() {
    local deadline=$((SECONDS + ${1:-60}))
    while ((SECONDS <= deadline)); do
        e2e_panel_shown && return 0
        sleep 0.1
    done
    return 1
}
# Keys go to the window under the pointer (there is no window manager); each answer moves the focus
# on to the next prompt box as it is handled, so the keys need no pause between them.
e2e_answer() {
    xdotool mousemove --window "$e2e_window" 396 40
    xdotool windowfocus --sync "$e2e_window" 2>/dev/null
    xdotool type --delay 50 "$@"
}
