#!/usr/bin/env bash
# The main window on screens of several sizes: where 792 x 575 (times the scale factor) fits, the
# window keeps exactly that size; where it does not, the whole window is still on screen, shrunk with
# its proportions kept, and the set-up prompt stands where it belongs in the shrunk picture.
#
#   fit.sh KESTRUM_BINARY SCREENSHOT_FOLDER
#
# Exit 77 (skipped) when Xvfb or xdotool is missing or no X server can be started.
set -u

source "$(dirname "$0")/lib.bash"
e2e_begin "$@"
command -v convert >/dev/null || e2e_fail "ImageMagick is needed to read the screenshots"

# The number of pixels of one colour (hex RRGGBB) in a rectangle W H X Y of a picture.
count() {
    convert "$1" -crop "$2x$3+$4+$5" +repage -fill black +opaque "#$6" -fill white -opaque "#$6" \
        -format '%[fx:round(mean*w*h)]' info:
}

# check NAME SCREEN SCALE_FACTOR: the window's physical size, where it stands, and the prompt panel.
check() {
    local name=$1 screen=$2 factor=$3
    local sw=${screen%x*} sh=${screen#*x}
    e2e_start_x "$screen"
    [[ $factor != 1 ]] && export QT_SCALE_FACTOR=$factor
    e2e_make_program "$binary" $' 1 \r\n10\r\n'
    e2e_launch
    local window
    window=$(e2e_find_window Kestrum)
    [[ -n $window ]] || e2e_fail "$name: the main window did not appear"
    # The prompt panel (background #80FFFF) shows after the start tick.
    local X Y WIDTH HEIGHT SCREEN WINDOW shot=$shots/$name.png
    for _ in $(seq 50); do
        eval "$(xdotool getwindowgeometry --shell "$window")"
        import -window root "$shot"
        (($(count "$shot" "$WIDTH" "$HEIGHT" "$X" "$Y" 80FFFF) > 1000)) && break
        sleep 0.1
    done
    echo "$name: window ${WIDTH}x$HEIGHT at $X,$Y on $screen (scale factor $factor)"
    ((X >= 0 && Y >= 0 && X + WIDTH <= sw && Y + HEIGHT <= sh)) ||
        e2e_fail "$name: the window ${WIDTH}x$HEIGHT at $X,$Y is not wholly on the $screen screen"
    local dw=$((792 * factor)) dh=$((575 * factor))
    if ((dw <= sw && dh <= sh)); then
        ((WIDTH == dw && HEIGHT == dh)) || e2e_fail "$name: the window fits as designed, yet is ${WIDTH}x$HEIGHT"
    else
        ((WIDTH < dw && HEIGHT < dh)) || e2e_fail "$name: the window was not shrunk"
        # Proportions kept: the height the width implies, within a (scaled) pixel of rounding.
        local implied=$((WIDTH * 575 / 792))
        ((HEIGHT - implied <= factor && implied - HEIGHT <= factor)) ||
            e2e_fail "$name: ${WIDTH}x$HEIGHT does not keep the 792 x 575 proportions"
    fi
    # The prompt panel, 257 x 161 at 272, 212 as designed, is found shrunk like the window: its
    # background fills the middle of where it should be and nothing left of it.
    local cx cy inside outside
    cx=$((X + (272 + 40) * WIDTH / 792)) cy=$((Y + (212 + 20) * WIDTH / 792))
    inside=$(count "$shot" $((177 * WIDTH / 792)) $((121 * WIDTH / 792)) "$cx" "$cy" 80FFFF)
    outside=$(count "$shot" $((40 * WIDTH / 792)) $((161 * WIDTH / 792)) $((X + 220 * WIDTH / 792)) $((Y + 212 * WIDTH / 792)) 80FFFF)
    ((inside > 177 * 121 * WIDTH / 792 * WIDTH / 792 / 2)) || e2e_fail "$name: the prompt panel is not where it belongs ($inside pixels)"
    ((outside == 0)) || e2e_fail "$name: the prompt panel spills to the left ($outside pixels)"
    kill -0 "$e2e_app_pid" 2>/dev/null || e2e_fail "$name: the game ended"
    e2e_cleanup
    e2e_app_pid='' e2e_xvfb_pid='' e2e_program=''
    unset QT_SCALE_FACTOR
}

check small 640x480 1
check double-1080 1920x1080 2
check roomy 1024x768 1
echo "PASS: the window is on screen whole at every size; screenshots in $shots"
