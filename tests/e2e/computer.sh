#!/usr/bin/env bash
# Playing alone against the computer, in the real binary in a real X server, nobody at the keys:
#  1. with "コンピュータ（強い）" on the second seat the first player's damage readout leaves 0 within
#     two minutes of game time (12000 ticks, at a 2 ms tick at most 24 s), and config.txt is untouched;
#  2. with a person chosen (a two-line config.txt) the second player does nothing by itself: its
#     panel stays as it was drawn, no trail appears and the first player's damage stays 0.
#
#   computer.sh KESTRUM_BINARY SCREENSHOT_FOLDER E2E_AIM
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u

source "$(dirname "$0")/lib.bash"
e2e_begin "$@"
e2e_require_player
e2e_start_x

# The first player's damage readout (right-aligned, ending at x 153, row 64), the second player's
# input panel, and the whole battlefield.
damage_sum() { e2e_look sum 60 64 98 17; }
right_panel_sum() { e2e_look sum 592 88 193 129; }

start_game() {
    e2e_make_program "$binary" "$1"
    e2e_launch
    e2e_window=$(e2e_find_window Kestrum)
    [[ -n $e2e_window ]] || e2e_fail "the main window Kestrum did not appear"
    e2e_prompts_shown || e2e_fail "the set-up prompts did not appear"
    e2e_answer 1 n n
    e2e_wait_panel 5 || e2e_fail "the match did not start"
}

stop_game() {
    kill "$e2e_app_pid" 2>/dev/null && wait "$e2e_app_pid" 2>/dev/null
    e2e_app_pid=
    rm -rf "$e2e_program"
    e2e_program=
}

# ---- 1. The computer plays the second seat ------------------------------------------------------
config=$' 1 \r\n2\r\n 4 \r\n'
start_game "$config"
untouched=$(damage_sum) || e2e_fail "cannot read the window"
e2e_shot 1-start
hit=
for _ in $(seq 240); do
    now=$(damage_sum) || e2e_fail "cannot read the window"
    if [[ $now != "$untouched" ]]; then
        hit=1
        break
    fi
    sleep 0.1
done
e2e_shot 1-hit
[[ -n $hit ]] || e2e_fail "the computer did not damage the first player's base within 24 s"
(($(e2e_pixels 0 0 792 575 FFFF00) > 0)) || echo "note: no trail on screen at the moment of the hit"
cmp -s <(printf '%s' "$config") "$e2e_program/config.txt" || e2e_fail "the game changed config.txt"
stop_game
echo "ok: the computer on the second seat damages the first player's base"

# ---- 2. A person on the second seat -------------------------------------------------------------
start_game $' 1 \r\n2\r\n'
sleep 0.5
panel=$(right_panel_sum) || e2e_fail "cannot read the window"
untouched=$(damage_sum) || e2e_fail "cannot read the window"
e2e_shot 2-start
# Five seconds: 2500 ticks, long enough for the computer to have launched (it takes under 400).
for _ in $(seq 50); do
    [[ $(right_panel_sum) == "$panel" ]] || e2e_fail "the second player's panel changed by itself"
    (($(e2e_pixels 0 0 792 575 FFFF00) == 0)) || e2e_fail "a trail appeared with nobody at the keys"
    sleep 0.1
done
[[ $(damage_sum) == "$untouched" ]] || e2e_fail "the first player's damage changed"
e2e_shot 2-quiet
stop_game
echo "PASS: the computer plays the second seat; a person's seat stays still; screenshots in $shots"
