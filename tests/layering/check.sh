#!/usr/bin/env bash
# Includes run one way: the Qt shell, then the game, then the modules, then the battlefield, then the
# number helpers, the laws of motion, the keyboard and the replay file's format. A file may include from its own level or below,
# never from above, and nothing below the shell includes Qt. The modules (settings, sound, the
# computer) stand side by side and do not include one another; the computer sees the match only
# through its own view of the screen, which the game fills in.
#
#   check.sh <src folder>      exit 0 when every include respects the levels, 1 with a list otherwise
set -u
root=${1:?usage: check.sh <src folder>}

level() {
    case $1 in
    numbers | physics | keyboard | replay) echo 0 ;;
    field) echo 1 ;;
    settings | sound | computer) echo 2 ;;
    game) echo 3 ;;
    qt) echo 4 ;;
    *) echo '' ;;
    esac
}

# The folders a module may include from besides its own; empty for a folder the levels alone govern.
allowed() {
    case $1 in
    computer) echo 'physics keyboard numbers' ;;
    settings) echo 'keyboard numbers' ;;
    sound) echo 'numbers' ;;
    replay) echo '-' ;; # nothing but its own folder
    *) echo '' ;;
    esac
}

shell=$(level qt)
game=$(level game)

status=0
while IFS= read -r -d '' file; do
    rel=${file#"$root"/}
    area=${rel%%/*}
    own=$(level "$area")
    if [[ -z $own ]]; then
        echo "$rel: the folder '$area' has no place in the layering (add it to tests/layering/check.sh)"
        status=1
        continue
    fi
    mine=$(allowed "$area")
    while IFS= read -r line; do
        number=${line%%:*}
        target=${line#*:}
        if [[ $target =~ ^#include[[:space:]]*\"([a-z_]+)/ ]]; then
            other=${BASH_REMATCH[1]}
            theirs=$(level "$other")
            if [[ -z $theirs || $theirs -gt $own ]]; then
                if [[ $own -lt $game && -n $theirs && $theirs -ge $game ]]; then
                    echo "$rel:$number: $area/ is a module and must not include from $other/"
                else
                    echo "$rel:$number: $area/ must not include from $other/"
                fi
                status=1
            elif [[ -n $mine && $other != "$area" && " $mine " != *" $other "* ]]; then
                folders=$(printf '%s/, ' $mine)
                [[ $mine == - ]] && folders='nothing else, '
                echo "$rel:$number: $area/ may include only from its own folder and ${folders%, }, not $other/"
                status=1
            fi
        elif [[ $own -lt $shell && $target =~ ^#include[[:space:]]*\<Q ]]; then
            echo "$rel:$number: only the Qt shell may include Qt"
            status=1
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" | sed 's/:[[:space:]]*#[[:space:]]*/:#/')
done < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
exit $status
