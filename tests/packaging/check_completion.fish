#!/usr/bin/env fish
# The fish completion of quillseal, as fish completes a command line after a
# Tab (complete -C).
#   check_completion.fish COMPLETION_SCRIPT
source $argv[1]
set -g failures 0
set -l work (mktemp -d)
set -gx XDG_DATA_HOME $work/data
set -gx HOME $work/home
mkdir -p $XDG_DATA_HOME/quillseal/himitu $XDG_DATA_HOME/quillseal/koukai $work/files/sub
touch $XDG_DATA_HOME/quillseal/himitu/alice.velh $XDG_DATA_HOME/quillseal/koukai/alice.velk \
    $XDG_DATA_HOME/quillseal/koukai/bob.velk $work/files/a.velm $work/files/b.txt \
    $work/files/sub/k.velk
cd $work/files

# expect "command line, the cursor at its end" word...
function expect
    set -l line $argv[1]
    set -l got (complete -C "$line" | string replace -r '\t.*' '' | sort | string join ' ')
    set -l want (printf '%s\n' $argv[2..-1] | sort | string join ' ')
    if test "$got" != "$want"
        echo "FAIL: '$line': got '$got', want '$want'"
        set failures (math $failures + 1)
    end
end

expect "quillseal " keygen encrypt decrypt list verify sha256 fingerprint password-from \
    list-keys import export
expect "quillseal -" -h --help -V --version
expect "quillseal de" decrypt
expect "quillseal verify -" -s --sender -q --quiet -h --help -V --version
# Secret keys after -k, public keys after -r and -s, as user IDs and files.
expect "quillseal encrypt -k " alice a.velm b.txt sub/
expect "quillseal decrypt -k alice -s " alice bob a.velm b.txt sub/
expect "quillseal encrypt -k alice -r b" bob b.txt
# Archives for the commands that read them, folders to get there.
expect "quillseal decrypt -k alice -s bob " a.velm sub/
expect "quillseal decrypt -C " sub/
expect "quillseal fingerprint " alice bob sub/
expect "quillseal import sub/" sub/k.velk
expect "quillseal export " alice bob
expect "quillseal encrypt -k alice -r bob --passphrase-fd "
expect "quillseal encrypt -o " a.velm b.txt sub/
expect "quillseal list-keys "

rm -rf $work
echo "$failures failed"
test $failures -eq 0
