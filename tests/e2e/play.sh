#!/usr/bin/env bash
# Playing the real binary in a real X server, keys pressed as a player presses them:
#  1. a shell battle shows the first player's input panel, and holding D changes the charge, which
#     stops at its limit;
#  2. a shell launched from the keyboard draws its yellow trail up from the first player's base;
#     Ctrl+F2 brings the set-up prompts back, and a rocket battle shows the rocket panel;
#  3. a whole shell match: a scripted first player (e2e_aim) reads each round's battlefield off the
#     screen, aims and destroys the second player's base five times; "勝者" and "敗者" appear, "n" at
#     the restart prompt ends the program with status 0, and config.txt is left as it was.
#
#   play.sh KESTRUM_BINARY SCREENSHOT_FOLDER E2E_AIM
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u

binary=${1:?path of the kestrum binary}
shots=${2:?folder for the screenshots}
aim=${3:-}

source "$(dirname "$0")/lib.bash"

e2e_require_tools
[[ -n $aim && -x $aim ]] || e2e_fail "the scripted player e2e_aim was not built (Xlib headers missing?)"
mkdir -p "$shots"
rm -f "$shots"/*.png
e2e_start_x

# A fast tick (2 ms; the file may hold any 16-bit value, the dialog would refuse it) keeps the flights
# short. The game must never write this file.
config=$' 1 \r\n2\r\n'
e2e_make_program "$binary" "$config"
e2e_launch
window=$(e2e_find_window Kestrum)
[[ -n $window ]] || e2e_fail "the main window Kestrum did not appear"

look() { "$aim" "$window" "$@"; }
# The number of pixels of a colour in a rectangle of the window (-1 when the window cannot be read).
pixels() {
    look count "$@" || echo -1
}
# Waits up to `seconds` until `pixels ARGS` is at least `least`.
wait_pixels() {
    local seconds=$1 least=$2
    shift 2
    for _ in $(seq $((seconds * 10))); do
        (($(pixels "$@") >= least)) && return 0
        sleep 0.1
    done
    return 1
}
prompts_shown() { wait_pixels 5 20000 272 212 256 160 80FFFF; } # the set-up panel's background
answer() {
    local key
    for key in "$@"; do
        xdotool type --delay 50 "$key"
        sleep 0.2
    done
}
# The first player's input panel: white at its four corners.
panel_shown() {
    local spot
    for spot in "196 92" "196 212" "12 212" "100 182"; do
        # shellcheck disable=SC2086 # x and y
        (($(pixels $spot 1 1 FFFFFF) == 1)) || return 1
    done
}
wait_panel() {
    for _ in $(seq 50); do
        panel_shown && return 0
        sleep 0.1
    done
    return 1
}

prompts_shown || e2e_fail "the set-up prompts did not appear"
# Keys go to the window under the pointer; there is no window manager.
xdotool mousemove --window "$window" 396 40
xdotool windowfocus --sync "$window" 2>/dev/null

# ---- 1. Shell battle: the input panel, and a held D ----------------------------------------------
answer 1 n n
wait_panel || e2e_fail "no input panel for the first player in a shell battle"
e2e_shot 1-shell-panel
shell_caption=$(look sum 12 94 70 16) || e2e_fail "cannot read the window"

xdotool key s q q # the charge row, hundreds
sleep 0.3
charge0=$(look sum 100 110 60 17) || e2e_fail "cannot read the window"
xdotool keydown d
sleep 0.5
xdotool keyup d
sleep 0.3
charge1=$(look sum 100 110 60 17) || e2e_fail "cannot read the window"
[[ $charge0 == "$charge1" ]] && e2e_fail "holding D did not change the charge"
# 100 is all the hundreds place allows below the limit of 150: holding D again changes nothing.
xdotool keydown d
sleep 0.5
xdotool keyup d
sleep 0.3
charge2=$(look sum 100 110 60 17) || e2e_fail "cannot read the window"
[[ $charge1 == "$charge2" ]] || e2e_fail "the charge went past its limit of 150"
e2e_shot 1-charge-held
echo "ok: shell battle input panel; a held D changes the charge up to its limit"

# ---- 2. A shell from the keyboard, Ctrl+F2, a rocket battle --------------------------------------
xdotool key w # back to the slot row, units
sleep 0.3
# The scripted player reads the battlefield's scale, the base's top row and the launch column.
field=$(look shoot 100 60 60) || e2e_fail "could not launch a shell"
[[ $field =~ ^[0-9.]+\ [0-9]+\ [0-9]+$ ]] || e2e_fail "could not read the battlefield: $field"
read -r scale top0 launchx <<<"$field"
# The shell starts 55 m inside its base, 10 m below the top, hidden by the base picture; it leaves
# the picture at its top edge a few metres further on (60 degrees up) and climbs on.
reach=$(awk -v s="$scale" 'BEGIN { printf "%d", 12 * s + 4 }')
risen=
for _ in $(seq 100); do
    n=$(pixels 0 0 792 575 FFFF00)
    leaving=$(pixels $((launchx - 2)) $((top0 - 8)) $((reach + 2)) 8 FFFF00)
    high=$(pixels 0 0 792 $((top0 - 25)) FFFF00)
    if ((n > 20 && leaving > 0 && high > 0)); then
        risen=1
        break
    fi
    sleep 0.1
done
e2e_shot 2-trail
[[ -n $risen ]] || e2e_fail "no yellow trail rising from the first player's base (launch at x $launchx, top $top0)"
echo "ok: a launched shell draws a yellow trail up from the first player's base"

xdotool key ctrl+F2
prompts_shown || e2e_fail "Ctrl+F2 did not bring the set-up prompts back"
e2e_shot 3-prompts-again
answer 2 n n
wait_panel || e2e_fail "no input panel for the first player in a rocket battle"
# The rocket panel has its own caption "ミサイル設定" and two more rows, so it reaches lower.
rocket_caption=$(look sum 12 94 70 16) || e2e_fail "cannot read the window"
[[ $shell_caption == "$rocket_caption" ]] && e2e_fail "the rocket battle shows the shell panel"
(($(pixels 100 220 1 1 FFFFFF) == 1)) || e2e_fail "the rocket panel is not taller than the shell panel"
e2e_shot 3-rocket-panel
echo "ok: Ctrl+F2 reopens the prompts; a rocket battle shows the rocket panel"

# ---- 3. A whole match ----------------------------------------------------------------------------
xdotool key ctrl+F2
prompts_shown || e2e_fail "Ctrl+F2 did not bring the set-up prompts back from the rocket battle"
answer 1 n n
wait_panel || e2e_fail "no input panel at the start of the match"
# Where the result is printed: left (272, 400) and right (496, 400), size 12.
(($(pixels 268 396 40 22 dark) == 0 && $(pixels 492 396 40 22 dark) == 0)) ||
    e2e_fail "something dark stands where the result will be printed"
sleep 0.3
if ! timeout 420 "$aim" "$window" play; then
    e2e_wait_exit 1
    [[ $e2e_status == running ]] || e2e_fail "the program ended during the match with status $e2e_status"
    e2e_shot 4-unfinished
    e2e_fail "the scripted player did not finish the match"
fi
e2e_shot 4-result
winner=$(pixels 268 396 40 22 dark)
loser=$(pixels 492 396 40 22 dark)
((winner > 30 && loser > 30)) || e2e_fail "no result texts on the battlefield (dark pixels $winner and $loser)"
left=$(look sum 268 396 40 22) || e2e_fail "cannot read the window"
right=$(look sum 492 396 40 22) || e2e_fail "cannot read the window"
[[ $left == "$right" ]] && e2e_fail "the same text on both sides"
wait_pixels 2 1000 296 260 201 17 80FFFF || e2e_fail "no restart prompt after the match"

answer n
e2e_wait_exit 10
[[ $e2e_status == 0 ]] || e2e_fail "\"n\" at the restart prompt did not end the program with status 0 ($e2e_status)"
cmp -s <(printf '%s' "$config") "$e2e_program/config.txt" || e2e_fail "the game changed config.txt"
echo "PASS: panels, held keys, trail, Ctrl+F2, rocket panel and a 5-round match; screenshots in $shots"
