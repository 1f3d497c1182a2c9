#!/usr/bin/env bash
# First run of the real binary in a real X server: with no config.txt the settings dialog comes
# first, "保存" writes the defaults, the main window opens with the set-up prompts, and answering
# them starts a match on a battlefield with both bases and the ground strip.
#
#   startup.sh KESTRUM_BINARY SCREENSHOT_FOLDER E2E_AIM
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u

source "$(dirname "$0")/lib.bash"
e2e_begin "$@"
e2e_require_player
e2e_start_x
e2e_make_program "$binary" # no config.txt
e2e_launch

# First run: the settings dialog stands alone; "保存" sits at 164, 64 (57 x 25) in its client area.
dialog=$(e2e_find_window 初期設定)
[[ -n $dialog ]] || e2e_fail "the settings dialog 初期設定 did not appear"
[[ -e $e2e_program/config.txt ]] && e2e_fail "config.txt exists before saving"
e2e_shot 0-settings
# A click that comes before the dialog takes input is lost: click again until the file is there.
for _ in $(seq 6); do
    xdotool mousemove --window "$dialog" 192 76 click 1
    deadline=$((SECONDS + 10))
    while [[ ! -s $e2e_program/config.txt ]] && ((SECONDS <= deadline)); do sleep 0.1; done
    [[ -s $e2e_program/config.txt ]] && break
done
cmp -s <(printf ' 1 \r\n10\r\n') "$e2e_program/config.txt" ||
    e2e_fail "config.txt does not hold the defaults: $(od -c "$e2e_program/config.txt" 2>&1 | head -n 3)"

e2e_window=$(e2e_find_window Kestrum)
[[ -n $e2e_window ]] || e2e_fail "the main window Kestrum did not appear"
e2e_prompts_shown || e2e_fail "the set-up prompts did not appear"
e2e_shot 1-prompts

# Shell battle, no air resistance, no sound: the first player's input panel shows once the match runs.
e2e_answer 1 n n
e2e_wait_panel || e2e_fail "the match did not start after answering 1, n, n"
e2e_shot 2-match
# The battlefield as laid out: the left base at the left edge (red ends in 0), the right base at the
# right edge (ends in 1), the ground strip along the bottom (ends in 2), in the window's client area.
if [[ -f $shots/2-match.png ]]; then
    eval "$(xdotool getwindowgeometry --shell "$e2e_window")"
    kinds() { # counts of pixels per kind code in a client-area rectangle: W H X Y
        convert "$shots/2-match.png" -crop "$1x$2+$((X + $3))+$((Y + $4))" -depth 8 txt:- 2>/dev/null |
            awk -F'[(,)]' 'NR > 1 { n[$3 % 4]++ } END { printf "%d %d %d %d", n[0], n[1], n[2], n[3] }'
    }
    read -r l0 _ _ _ <<<"$(kinds 100 345 0 230)"
    read -r _ r1 _ _ <<<"$(kinds 100 345 692 230)"
    read -r _ _ g2 _ <<<"$(kinds 792 6 0 569)"
    ((l0 > 10)) || e2e_fail "no left base (kind 0) at the left edge"
    ((r1 > 10)) || e2e_fail "no right base (kind 1) at the right edge"
    ((g2 > 792 * 6 / 2)) || e2e_fail "no ground strip (kind 2) along the bottom"
fi

kill -0 "$e2e_app_pid" 2>/dev/null || e2e_fail "the program ended after the prompts were answered"
echo "PASS: dialog, config.txt, main window and prompts; screenshots in $shots"
