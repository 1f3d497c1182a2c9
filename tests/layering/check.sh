#!/usr/bin/env bash
# Includes run one way: the Qt shell, then the game areas, then the battlefield, then the number
# helpers and the laws of motion. A file may include from its own level or below, never from above,
# and nothing below the shell includes Qt. The computer opponent sees only what a person sees: of
# the game it may include the screen model alone.
#
#   check.sh <src folder>      exit 0 when every include respects the levels, 1 with a list otherwise
set -u
root=${1:?usage: check.sh <src folder>}

level() {
    case $1 in
    numbers | physics) echo 0 ;;
    field) echo 1 ;;
    app | settings | input | sim | ui | sound | computer) echo 2 ;;
    qt) echo 3 ;;
    *) echo '' ;;
    esac
}

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
    while IFS= read -r line; do
        number=${line%%:*}
        target=${line#*:}
        if [[ $target =~ ^#include[[:space:]]*\"([a-z_]+)/ ]]; then
            other=${BASH_REMATCH[1]}
            theirs=$(level "$other")
            if [[ -z $theirs || $theirs -gt $own ]]; then
                echo "$rel:$number: $area/ must not include from $other/"
                status=1
            elif [[ $area == computer && $other != computer && $theirs -eq 2 && ! $target =~ \"app/screen\.h\" ]]; then
                echo "$rel:$number: the computer may know the screen model only, not $other/"
                status=1
            fi
        elif [[ $own -lt 3 && $target =~ ^#include[[:space:]]*\<Q ]]; then
            echo "$rel:$number: only the Qt shell may include Qt"
            status=1
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" | sed 's/:[[:space:]]*#[[:space:]]*/:#/')
done < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
exit $status
