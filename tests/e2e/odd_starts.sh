#!/usr/bin/env bash
# Starts that once went wrong, with the real binary:
# - no display: one line naming the display tried, status 1 (no abort);
# - a program folder whose name is not UTF-8 (Shift-JIS bytes, bytes like \xff\xfe): config.txt is
#   written and read there, never at the root or in the working folder;
# - the first-run dialog left with Escape, where no config.txt can be read (a folder in its place):
#   the program ends at once with status 0.
#
#   odd_starts.sh KESTRUM_BINARY SCREENSHOT_FOLDER
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u
binary=${1:?path of the kestrum binary}
shots=${2:?folder for the screenshots}
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
[[ -x $binary ]] || e2e_fail "no binary at $binary"
mkdir -p "$shots"
e2e_program=$(mktemp -d "${TMPDIR:-/tmp}/kestrum-e2e.XXXXXX")
elsewhere=$e2e_program/elsewhere # the working folder of every run here
mkdir -p "$elsewhere"

# --- No display ---
for n in $(seq 4000 4100); do [[ -e /tmp/.X11-unix/X$n ]] || break; done
for display in ":$n" ""; do
    out=$(cd "$elsewhere" && env -u WAYLAND_DISPLAY DISPLAY="$display" QT_QPA_PLATFORM=xcb "$binary" 2>&1)
    status=$?
    [[ $status == 1 ]] || e2e_fail "with DISPLAY='$display': status $status, not 1; said: $out"
    [[ $(printf '%s\n' "$out" | wc -l) == 1 ]] || e2e_fail "with DISPLAY='$display' more than one line: $out"
    expected=${display:+DISPLAY=$display}
    [[ $out == *"${expected:-DISPLAY is not set}"* ]] || e2e_fail "the display tried is not named: $out"
done

e2e_require_tools
e2e_start_x

# A new program folder of this name (bytes) with the binary.
prepare() {
    program=$e2e_program/$1
    mkdir -p "$program"
    cp "$binary" "$program/kestrum"
}
# Starts the game of the last folder prepared, from elsewhere (under the words of `wrapper`, if any).
wrapper=()
launch() {
    e2e_log=$shots/kestrum-$1.log
    (cd "$elsewhere" && exec "${wrapper[@]}" "$program/kestrum") >"$e2e_log" 2>&1 &
    e2e_app_pid=$!
}
# Ends the game (by its window's process id too: under strace the child is the tracer).
stop_game() {
    local window pid
    window=$(xdotool search --onlyvisible --name '^Kestrum$' 2>/dev/null | head -n 1)
    pid=${window:+$(xdotool getwindowpid "$window" 2>/dev/null)}
    [[ -n $pid ]] && kill "$pid" 2>/dev/null
    kill "$e2e_app_pid" 2>/dev/null
    wait "$e2e_app_pid" 2>/dev/null
    e2e_app_pid=
}

# --- A folder named in Shift-JIS ("ゲーム") and in bytes that are no encoding at all ---
# Which files it opens shows that nothing is looked for at the root (other programs on the machine
# may touch /config.txt meanwhile, so its time stamp would prove nothing).
odd=$'\x83\x51\x81\x5b\x83\x80-\xff\xfe'
prepare "$odd"
trace=$shots/odd-folder.trace
if command -v strace >/dev/null && strace -qq -o /dev/null true 2>/dev/null; then
    wrapper=(strace -f -qq -e trace=open,openat,rename,renameat,renameat2 -o "$trace")
else
    echo "note: no strace here, the files opened at the root are not checked"
fi
launch odd-folder
dialog=$(e2e_find_window 初期設定)
[[ -n $dialog ]] || e2e_fail "the settings dialog did not appear in the odd folder"
e2e_shot odd-0-settings
xdotool mousemove --window "$dialog" 192 76 click 1 # 保存
[[ -n $(e2e_find_window Kestrum) ]] || e2e_fail "the main window did not appear after saving"
cmp -s <(printf ' 1 \r\n10\r\n') "$program/config.txt" || e2e_fail "config.txt was not written in the odd folder"
stop_game
wrapper=()
at_root='"/(\.?config\.txt|ban\.wav|bigban\.wav)'
if [[ -s $trace ]] && grep -qiE "$at_root" "$trace"; then
    e2e_fail "files looked for at the root: $(grep -iE "$at_root" "$trace" | head -n 3)"
fi
[[ -z $(ls -A "$elsewhere") ]] || e2e_fail "files in the working folder: $(ls -A "$elsewhere")"

# Again: the file is read there, so the main window comes without the dialog.
printf ' 0 \r\n25\r\n' >"$program/config.txt"
launch odd-again
[[ -n $(e2e_find_window Kestrum) ]] || e2e_fail "the main window did not appear with config.txt in the odd folder"
[[ -z $(xdotool search --onlyvisible --name '^初期設定$' 2>/dev/null) ]] || e2e_fail "the dialog came though config.txt is there"
e2e_shot odd-1-main
stop_game

# --- Escape in the first-run dialog where no save can succeed ---
prepare unsaveable
mkdir "$program/config.txt"
launch escape
dialog=$(e2e_find_window 初期設定)
[[ -n $dialog ]] || e2e_fail "the settings dialog did not appear"
xdotool windowfocus --sync "$dialog" 2>/dev/null
xdotool key --window "$dialog" Escape
e2e_wait_exit 20
[[ $e2e_status == 0 ]] || e2e_fail "Escape in the first-run dialog: status $e2e_status, not 0"

echo "PASS: no display, odd program folder, Escape in the first-run dialog"
