#!/usr/bin/env bash
# First run of the real binary in a real X server: with no config.txt the settings dialog comes
# first, "保存" writes the defaults, the main window opens with the set-up prompts, and answering
# them starts a match.
#
#   startup.sh KESTRUM_BINARY SCREENSHOT_FOLDER
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u

binary=${1:?path of the kestrum binary}
shots=${2:?folder for the screenshots}

skip() { echo "SKIP: $*"; exit 77; }
fail() {
    echo "FAIL: $*" >&2
    if [[ -n ${log:-} && -s $log ]]; then
        echo "--- program output ---" >&2
        cat "$log" >&2
    fi
    exit 1
}

command -v Xvfb >/dev/null || skip "Xvfb is not installed (Debian package xvfb)"
command -v xdotool >/dev/null || skip "xdotool is not installed (Debian package xdotool)"
[[ -x $binary ]] || fail "no binary at $binary"
have_import=1
command -v import >/dev/null || { have_import=0; echo "note: ImageMagick's import is missing, no screenshots"; }

xvfb_pid= app_pid= program= log=
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    [[ -n $program ]] && rm -rf "$program"
}
trap cleanup EXIT

# A free display: no lock file and no socket, and the server must still be alive once it is up.
for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1 && break 2
        sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
done
[[ -n $xvfb_pid ]] || skip "no X server could be started"
export DISPLAY=":$n"
unset WAYLAND_DISPLAY QT_SCALE_FACTOR
export QT_QPA_PLATFORM=xcb

# An empty program folder: the binary and its sounds, no config.txt.
program=$(mktemp -d "${TMPDIR:-/tmp}/kestrum-e2e.XXXXXX")
cp "$binary" "$program/kestrum"
for sound in BAN.WAV BIGBAN.WAV; do
    [[ -f $(dirname "$binary")/$sound ]] && cp "$(dirname "$binary")/$sound" "$program/"
done
mkdir -p "$shots"
log=$shots/kestrum.log
(cd "$program" && exec ./kestrum) >"$log" 2>&1 &
app_pid=$!

find_window() { timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }

# First run: the settings dialog stands alone; "保存" sits at 164, 64 (57 x 25) in its client area.
dialog=$(find_window 初期設定)
[[ -n $dialog ]] || fail "the settings dialog 初期設定 did not appear"
[[ -e $program/config.txt ]] && fail "config.txt exists before saving"
sleep 0.5
[[ $have_import == 1 ]] && import -window root "$shots/0-settings.png"
xdotool mousemove --window "$dialog" 192 76 click 1
for _ in $(seq 50); do
    [[ -s $program/config.txt ]] && break
    sleep 0.1
done
cmp -s <(printf ' 1 \r\n10\r\n') "$program/config.txt" ||
    fail "config.txt does not hold the defaults: $(od -c "$program/config.txt" 2>&1 | head -n 3)"

window=$(find_window Kestrum)
[[ -n $window ]] || fail "the main window Kestrum did not appear"
sleep 1 # the start tick opens the prompts
[[ $have_import == 1 ]] && import -window root "$shots/1-prompts.png"

# Answer the prompts: shell battle, no air resistance, no sound. The first player's input panel (white,
# at the top left) shows once the match runs; keys typed before the window had the keyboard are
# typed again.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | tail -n 1; }
started=0
for attempt in 1 2 3; do
    xdotool mousemove --window "$window" 396 40
    xdotool windowfocus --sync "$window" 2>/dev/null
    for key in 1 n n; do
        xdotool type --delay 100 "$key"
        sleep 0.3
    done
    sleep 2 # a few ticks of the match
    [[ $have_import == 1 ]] || { started=1; break; }
    import -window root "$shots/2-match.png"
    if pixel "$shots/2-match.png" 100 150 | grep -qi '#FFFFFF'; then
        started=1
        break
    fi
    echo "note: no input panel after attempt $attempt, typing the answers again"
done
[[ $started == 1 ]] || fail "the match did not start after answering 1, n, n (see $shots/2-match.png)"
# The battlefield as laid out: the left base at the left edge (red ends in 0), the right base at the
# right edge (ends in 1), the ground strip along the bottom (ends in 2), in the window's client area.
if [[ $have_import == 1 ]]; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    kinds() { # counts of pixels per kind code in a client-area rectangle: W H X Y
        convert "$shots/2-match.png" -crop "$1x$2+$((X + $3))+$((Y + $4))" -depth 8 txt:- 2>/dev/null |
            awk -F'[(,)]' 'NR > 1 { n[$3 % 4]++ } END { printf "%d %d %d %d", n[0], n[1], n[2], n[3] }'
    }
    read -r l0 _ _ _ <<<"$(kinds 100 345 0 230)"
    read -r _ r1 _ _ <<<"$(kinds 100 345 692 230)"
    read -r _ _ g2 _ <<<"$(kinds 792 6 0 569)"
    ((l0 > 10)) || fail "no left base (kind 0) at the left edge"
    ((r1 > 10)) || fail "no right base (kind 1) at the right edge"
    ((g2 > 792 * 6 / 2)) || fail "no ground strip (kind 2) along the bottom"
fi

kill -0 "$app_pid" 2>/dev/null || fail "the program ended after the prompts were answered"
echo "PASS: dialog, config.txt, main window and prompts; screenshots in $shots"
