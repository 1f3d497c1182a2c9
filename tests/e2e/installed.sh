#!/usr/bin/env bash
# The game as a player installs it: `cmake --install` into a staging folder, then the installed
# binary started by an ordinary user with a fresh home (and, when the test runs as root, by root, who
# could write the installation). The first-run dialog's "保存" must create ~/.config/kestrum/config.txt
# with the default bytes in the player's own home; the sounds must come from the installed data folder
# and the sound output from the installed plugin; nothing may be written into the installation.
#
#   installed.sh KESTRUM_BINARY SCREENSHOT_FOLDER
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u

source "$(dirname "$0")/lib.bash"
e2e_begin "$@"
build=$(dirname "$binary") # the binary is built at the top of the build folder
e2e_start_x

# e2e_cleanup removes this folder: the staged installation and the player's home.
e2e_program=$(mktemp -d "${TMPDIR:-/tmp}/kestrum-installed.XXXXXX")
chmod 755 "$e2e_program"
stage=$e2e_program/stage home=$e2e_program/home
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$shots/install.log" 2>&1 ||
    e2e_fail "cmake --install failed: $(cat "$shots/install.log")"
installed=$stage/usr/bin/kestrum
[[ -x $installed ]] || e2e_fail "no installed binary at $installed"
for sound in BAN.WAV BIGBAN.WAV; do
    [[ -f $stage/usr/share/kestrum/$sound ]] || e2e_fail "$sound is not installed in share/kestrum"
    [[ -e $stage/usr/bin/$sound ]] && e2e_fail "$sound is installed beside the binary"
    # A read of the file moves its access time forward from the epoch (relatime does that).
    touch -a -d @0 "$stage/usr/share/kestrum/$sound"
done
chmod -R a+rX,go-w "$stage"
mkdir -m 700 "$home"

# Starts the installed game for a player with a fresh home, presses the first-run dialog's "保存" and
# checks that the defaults land in that home and the main window opens. The game is left running.
#   first_run HOME [COMMAND THAT RUNS AS THE PLAYER...]
first_run() {
    local home=$1
    shift
    e2e_log=$shots/kestrum-$(basename "$home").log
    env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" "$@" "$installed" >"$e2e_log" 2>&1 &
    e2e_app_pid=$!
    local dialog
    dialog=$(e2e_find_window 初期設定)
    [[ -n $dialog ]] || e2e_fail "the settings dialog 初期設定 did not appear"
    e2e_shot "0-settings-$(basename "$home")"
    config=$home/.config/kestrum/config.txt
    [[ -e $config ]] && e2e_fail "config.txt exists before saving"
    xdotool mousemove --window "$dialog" 192 76 click 1 # 保存
    for _ in $(seq 100); do
        [[ -s $config ]] && break
        sleep 0.1
    done
    cmp -s <(printf ' 1 \r\n10\r\n') "$config" ||
        e2e_fail "$config does not hold the defaults: $(od -c "$config" 2>&1 | head -n 3)"
    [[ -n $(e2e_find_window Kestrum) ]] || e2e_fail "the main window Kestrum did not appear after saving"
    [[ $(stat -c %a "$home/.config/kestrum") == 700 ]] || e2e_fail "the settings folder is not private"
    [[ -e $stage/usr/bin/config.txt ]] && e2e_fail "config.txt written beside the installed binary"
    return 0
}

# As a player: root may write any folder, so root plays as nobody; anyone else gets a binary folder
# they cannot write.
if [[ $(id -u) == 0 ]]; then
    command -v setpriv >/dev/null || e2e_fail "setpriv (util-linux) is needed to play as an ordinary user"
    chown nobody: "$home"
    first_run "$home" setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups
    e2e_shot 1-main
    owner=$(stat -c %U "$config")
    [[ $owner == nobody ]] || e2e_fail "config.txt belongs to $owner, not to the player"
    # Then root, who could write the installation's folder, gets settings of its own in its home.
    kill "$e2e_app_pid" && wait "$e2e_app_pid" 2>/dev/null
    root_home=$e2e_program/root-home
    mkdir -m 700 "$root_home"
    first_run "$root_home"
else
    chmod a-w "$stage/usr/bin"
    first_run "$home"
    e2e_shot 1-main
fi

leftovers=$(find "$stage" -newer "$installed" -type f)
[[ -z $leftovers ]] || e2e_fail "files written into the installation: $leftovers"
for sound in BAN.WAV BIGBAN.WAV; do
    for _ in $(seq 50); do
        (($(stat -c %X "$stage/usr/share/kestrum/$sound") > 0)) && break
        sleep 0.1
    done
    (($(stat -c %X "$stage/usr/share/kestrum/$sound") > 0)) || e2e_fail "the game never read share/kestrum/$sound"
done
# The sound output comes from the installed plugin, opened once the window is on screen.
plugin=$stage/usr/lib/kestrum/kestrum-sound.so
for _ in $(seq 50); do
    grep -qF "$plugin" "/proc/$e2e_app_pid/maps" 2>/dev/null && break
    sleep 0.1
done
grep -qF "$plugin" "/proc/$e2e_app_pid/maps" 2>/dev/null || e2e_fail "the game did not open $plugin"
grep -iE 'missing|no such file|not found|cannot (open|read)' "$e2e_log" | grep -qi 'wav' &&
    e2e_fail "a sound was reported missing"
kill -0 "$e2e_app_pid" 2>/dev/null || e2e_fail "the game ended"
echo "PASS: installed game, settings in \$HOME/.config/kestrum, sounds from share/kestrum, sound output from lib/kestrum; screenshots in $shots"
