#!/usr/bin/env bash
# Sound files that are not files: BAN.WAV and BIGBAN.WAV are named pipes that nobody writes. A whole
# shell match with the sounds on (a scripted first player destroys the other base five times, so
# both sounds are asked for again and again) stays silent and runs on; "n" at the restart prompt
# then ends the program at once with status 0, instead of waiting for a pipe to be opened.
#
#   sound_fifo.sh KESTRUM_BINARY SCREENSHOT_FOLDER E2E_AIM
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u

source "$(dirname "$0")/lib.bash"
e2e_begin "$@"
e2e_require_player
e2e_start_x

e2e_make_program "$binary" $' 1 \r\n2\r\n'
rm -f "$e2e_program/BAN.WAV" "$e2e_program/BIGBAN.WAV"
mkfifo "$e2e_program/BAN.WAV" "$e2e_program/BIGBAN.WAV" || e2e_fail "cannot make the pipes"
e2e_launch
e2e_window=$(e2e_find_window Kestrum)
[[ -n $e2e_window ]] || e2e_fail "the main window Kestrum did not appear"
e2e_prompts_shown || e2e_fail "the set-up prompts did not appear"
e2e_answer 1 n y # shell battle, no air resistance, sounds on
e2e_wait_panel 5 || e2e_fail "no input panel at the start of the match"
sleep 0.3
if ! timeout 420 "$e2e_aim" "$e2e_window" play; then
    e2e_wait_exit 1
    [[ $e2e_status == running ]] || e2e_fail "the program ended during the match with status $e2e_status"
    e2e_shot unfinished
    e2e_fail "the scripted player did not finish the match"
fi
e2e_shot result
e2e_wait_pixels 2 1000 296 260 201 17 80FFFF || e2e_fail "no restart prompt after the match"

xdotool type "n"
e2e_wait_exit 5
[[ $e2e_status == running ]] && e2e_fail "\"n\" at the restart prompt did not end the program within 5 s"
[[ $e2e_status == 0 ]] || e2e_fail "the program ended with status $e2e_status"
echo "PASS: a whole match with pipes for sound files, and a prompt exit"
