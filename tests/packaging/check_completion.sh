#!/usr/bin/env bash
# The bash completion of quillseal, as bash calls it after a Tab, without
# bash-completion installed.
#   check_completion.sh COMPLETION_SCRIPT
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$1"
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data HOME=$work/home
mkdir -p "$XDG_DATA_HOME/quillseal/himitu" "$XDG_DATA_HOME/quillseal/koukai" "$work/files/sub"
touch "$XDG_DATA_HOME/quillseal/himitu/alice.velh" \
    "$XDG_DATA_HOME/quillseal/koukai/alice.velk" "$XDG_DATA_HOME/quillseal/koukai/bob.velk" \
    "$work/files/a.velm" "$work/files/b.txt" "$work/files/sub/k.velk"
cd "$work/files"

# expect "command line, the cursor at its end" word...
expect() {
    local line=$1
    shift
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _quillseal quillseal
    local got want
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ')
    want=$(printf '%s\n' "$@" | sort | paste -sd' ')
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line': got '$got', want '$want'"
        failures=$((failures + 1))
    fi
}

. "$here/completion_cases.sh"

echo "$failures failed"
((failures == 0))
