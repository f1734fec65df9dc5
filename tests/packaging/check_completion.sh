#!/usr/bin/env bash
# The bash completion of quillseal, as bash calls it after a Tab, without
# bash-completion installed.
#   check_completion.sh COMPLETION_SCRIPT
set -uo pipefail
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

expect "quillseal " keygen encrypt decrypt list verify sha256 fingerprint password-from \
    list-keys import export --help --version -V
expect "quillseal de" decrypt
expect "quillseal verify -" -s --sender -q --quiet --help -V --version
# Secret keys after -k, public keys after -r and -s, as user IDs and files.
expect "quillseal encrypt -k " alice a.velm b.txt sub
expect "quillseal decrypt -k alice -s " alice bob a.velm b.txt sub
expect "quillseal encrypt -k alice -r b" bob b.txt
# Archives for the commands that read them, folders to get there.
expect "quillseal decrypt -k alice -s bob " a.velm sub
expect "quillseal decrypt -C " sub
expect "quillseal fingerprint " alice bob sub
expect "quillseal encrypt -k alice -r bob --passphrase-fd " 
expect "quillseal encrypt -o " a.velm b.txt sub
expect "quillseal import " sub
expect "quillseal import sub/" sub/k.velk
expect "quillseal export " alice bob
expect "quillseal list-keys "

echo "$failures failed"
((failures == 0))
