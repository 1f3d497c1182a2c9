#!/usr/bin/env bash
# Playing the real binary in a real X server, keys pressed as a player presses them:
#  1. a shell battle shows the first player's input panel, and holding D changes the charge, which
#     stops at its limit;
#  2. a shell launched from the keyboard draws its yellow trail up from the first player's base;
#     Ctrl+F2 brings the set-up prompts back, and a rocket battle shows the rocket panel;
#  3. a whole shell match: a scripted first player (e2e_aim) reads each round's battlefield off the
#     screen, aims and destroys the second player's base five times; "勝者" and "敗者" appear, "n" at
#     the restart prompt ends the program with status 0, and config.txt is left as it was;
#  4. the match's replay, the newest file in the program folder's replays/: --check-replay passes it, and
#     --replay shows it: Space pauses, → steps one tick, 8 speeds up, PageDown jumps rounds to the end,
#     where the window shows the same pixels as the live game did at its restart prompt; Escape ends.
# Every step waits for what the screen shows, never for a fixed time, so a busy machine only slows it.
#
#   play.sh KESTRUM_BINARY SCREENSHOT_FOLDER E2E_AIM
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u

source "$(dirname "$0")/lib.bash"
e2e_begin "$@"
e2e_require_player
e2e_start_x

# A fast tick (2 ms; the file may hold any 16-bit value, the dialog would refuse it) keeps the flights
# short. The game must never write this file.
config=$' 1 \r\n2\r\n'
e2e_make_program "$binary" "$config"
e2e_launch
e2e_window=$(e2e_find_window Kestrum)
[[ -n $e2e_window ]] || e2e_fail "the main window Kestrum did not appear"
e2e_prompts_shown || e2e_fail "the set-up prompts did not appear"

# ---- 1. Shell battle: the input panel, and a held D ----------------------------------------------
e2e_answer 1 n n
e2e_wait_panel || e2e_fail "no input panel for the first player in a shell battle"
e2e_shot 1-shell-panel
shell_caption=$(e2e_look sum 12 94 70 16) || e2e_fail "cannot read the window"
# The charge row at the hundreds: a held D makes 100, and 200 would pass the limit of 150.
e2e_look limit || e2e_fail "holding D on the charge did not stop at its limit"
e2e_shot 1-charge-held
echo "ok: shell battle input panel; a held D changes the charge up to its limit"

# ---- 2. A shell from the keyboard, Ctrl+F2, a rocket battle --------------------------------------
# The scripted player reads the battlefield's scale, the base's top row and the launch column.
field=$(e2e_look shoot 100 60 60) || e2e_fail "could not launch a shell"
[[ $field =~ ^[0-9.]+\ [0-9]+\ [0-9]+$ ]] || e2e_fail "could not read the battlefield: $field"
read -r scale top0 launchx <<<"$field"
# The shell starts 55 m inside its base, 10 m below the top, hidden by the base picture; it leaves
# the picture at its top edge a few metres further on (60 degrees up) and climbs on.
reach=$(awk -v s="$scale" 'BEGIN { printf "%d", 12 * s + 4 }')
risen=
deadline=$((SECONDS + 120))
while ((SECONDS <= deadline)); do
    n=$(e2e_pixels 0 0 792 575 FFFF00)
    leaving=$(e2e_pixels $((launchx - 2)) $((top0 - 8)) $((reach + 2)) 8 FFFF00)
    high=$(e2e_pixels 0 0 792 $((top0 - 25)) FFFF00)
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
e2e_prompts_shown || e2e_fail "Ctrl+F2 did not bring the set-up prompts back"
e2e_shot 3-prompts-again
e2e_answer 2 n n
e2e_wait_panel || e2e_fail "no input panel for the first player in a rocket battle"
# The rocket panel has its own caption "ミサイル設定" and two more rows, so it reaches lower.
rocket_caption=$(e2e_look sum 12 94 70 16) || e2e_fail "cannot read the window"
[[ $shell_caption == "$rocket_caption" ]] && e2e_fail "the rocket battle shows the shell panel"
(($(e2e_pixels 100 220 1 1 FFFFFF) == 1)) || e2e_fail "the rocket panel is not taller than the shell panel"
e2e_shot 3-rocket-panel
echo "ok: Ctrl+F2 reopens the prompts; a rocket battle shows the rocket panel"

# ---- 3. A whole match ----------------------------------------------------------------------------
xdotool key ctrl+F2
e2e_prompts_shown || e2e_fail "Ctrl+F2 did not bring the set-up prompts back from the rocket battle"
e2e_answer 1 n n
e2e_wait_panel || e2e_fail "no input panel at the start of the match"
# Where the result is printed: left (272, 400) and right (496, 400), size 12.
(($(e2e_pixels 268 396 40 22 dark) == 0 && $(e2e_pixels 492 396 40 22 dark) == 0)) ||
    e2e_fail "something dark stands where the result will be printed"
if ! timeout 1500 "$e2e_aim" "$e2e_window" play; then
    e2e_wait_exit 1
    [[ $e2e_status == running ]] || e2e_fail "the program ended during the match with status $e2e_status"
    e2e_shot 4-unfinished
    e2e_fail "the scripted player did not finish the match"
fi
e2e_wait_pixels 60 1000 296 260 201 17 80FFFF || e2e_fail "no restart prompt after the match"
e2e_shot 4-result
winner=$(e2e_pixels 268 396 40 22 dark)
loser=$(e2e_pixels 492 396 40 22 dark)
((winner > 30 && loser > 30)) || e2e_fail "no result texts on the battlefield (dark pixels $winner and $loser)"
# The battlefield above and below the restart prompt's band (its box's cursor blinks), for the replay.
live_top=$(e2e_look sum 0 0 792 250) || e2e_fail "cannot read the window"
live_bottom=$(e2e_look sum 0 300 792 275) || e2e_fail "cannot read the window"
left=$(e2e_look sum 268 396 40 22) || e2e_fail "cannot read the window"
right=$(e2e_look sum 492 396 40 22) || e2e_fail "cannot read the window"
[[ $left == "$right" ]] && e2e_fail "the same text on both sides"

xdotool type n
e2e_wait_exit 60
[[ $e2e_status == 0 ]] || e2e_fail "\"n\" at the restart prompt did not end the program with status 0 ($e2e_status)"
cmp -s <(printf '%s' "$config") "$e2e_program/config.txt" || e2e_fail "the game changed config.txt"
echo "ok: a whole match to the restart prompt"

# ---- 4. The match's replay -----------------------------------------------------------------------
# The matches before were abandoned with Ctrl+F2: the newest file is the whole match.
replay=$(find "$e2e_program/replays" -name '*.kestrum-replay' | sort | tail -n 1)
[[ -n $replay ]] || e2e_fail "no replay in $e2e_program/replays"
(($(find "$e2e_program/replays" -name '*.kestrum-replay' | wc -l) == 3)) || e2e_fail "not one replay per match"
checked=$("$e2e_program/kestrum" --check-replay "$replay") || e2e_fail "--check-replay refused the match: $checked"
[[ $checked == *"5 rounds"* ]] || e2e_fail "the replay is not the whole match: $checked"
(cd "$e2e_program" && exec ./kestrum --replay "$replay") >>"$e2e_log" 2>&1 &
e2e_app_pid=$!
e2e_window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kestrum — ' 2>/dev/null | head -n 1)
[[ -n $e2e_window ]] || e2e_fail "the replay window did not appear"
title() { xdotool getwindowname "$e2e_window"; }
# Waits until the title matches a pattern; prints it.
wait_title() {
    local deadline=$((SECONDS + 60)) t
    while ((SECONDS <= deadline)); do
        t=$(title)
        [[ $t =~ $1 ]] && { echo "$t"; return 0; }
        sleep 0.1
    done
    echo "$t"
    return 1
}
tick_of() { [[ $1 =~ ティック\ ([0-9]+) ]] && echo "${BASH_REMATCH[1]}"; }
xdotool mousemove --window "$e2e_window" 396 40
xdotool windowfocus --sync "$e2e_window" 2>/dev/null
xdotool key space
paused=$(wait_title '一時停止') || e2e_fail "Space did not pause the replay: $paused"
xdotool key Right Right
stepped=$(wait_title "ティック $(($(tick_of "$paused") + 2)) ") || e2e_fail "→ did not step one tick at a time: $stepped"
xdotool key 8 space
wait_title '×8' >/dev/null || e2e_fail "8 did not set eight ticks a period"
xdotool key Next
wait_title 'ラウンド 2 ' >/dev/null || e2e_fail "PageDown did not jump to the second round"
e2e_shot 5-replay-round-2
xdotool key Next Next Next Next
ended=$(wait_title '終わり') || e2e_fail "PageDown did not play the replay to its end: $ended"
e2e_wait_pixels 60 1000 296 260 201 17 80FFFF || e2e_fail "no restart prompt at the end of the replay"
e2e_shot 5-replay-end
[[ $(e2e_look sum 0 0 792 250) == "$live_top" && $(e2e_look sum 0 300 792 275) == "$live_bottom" ]] ||
    e2e_fail "the replay's last tick is not the live game's picture"
xdotool key Escape
e2e_wait_exit 30
[[ $e2e_status == 0 ]] || e2e_fail "Escape did not end the replay with status 0 ($e2e_status)"
echo "ok: the replay checks, pauses, steps, speeds up, jumps rounds and ends on the live game's picture"
echo "PASS: panels, held keys, trail, Ctrl+F2, rocket panel, a 5-round match and its replay; screenshots in $shots"
