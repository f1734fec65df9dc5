#!/usr/bin/env zsh
# The zsh completion of quillseal, loaded as compinit loads it (autoloaded
# from fpath) and called as the completion system calls it after a Tab.
# compadd is stood in for by a function that keeps the words it is given
# that match the word being completed, as the completion system keeps them.
#   check_completion.zsh COMPLETION_SCRIPT
here=${0:A:h}
failures=0
work=$(mktemp -d)
trap 'rm -rf $work' EXIT
cp $1 $work/_quillseal
fpath=($work $fpath)
autoload -Uz _quillseal
export XDG_DATA_HOME=$work/data HOME=$work/home
mkdir -p $XDG_DATA_HOME/quillseal/himitu $XDG_DATA_HOME/quillseal/koukai $work/files/sub
touch $XDG_DATA_HOME/quillseal/himitu/alice.velh $XDG_DATA_HOME/quillseal/koukai/alice.velk \
    $XDG_DATA_HOME/quillseal/koukai/bob.velk $work/files/a.velm $work/files/b.txt \
    $work/files/sub/k.velk
cd $work/files

typeset -a got
compadd() {
    local word
    for word in ${@[${@[(i)--]}+1,-1]}; do
        [[ $word == ${PREFIX}* ]] && got+=($word)
    done
    return 0
}

# expect "command line, the cursor at its end" word...
expect() {
    local line=$1
    shift
    words=(${(z)line})
    [[ $line == *' ' ]] && words+=('')
    CURRENT=$#words
    PREFIX=${words[CURRENT]}
    got=()
    _quillseal
    local have=${(j: :)${(o)got}} want=${(j: :)${(o)@}}
    if [[ $have != $want ]]; then
        print -r -- "FAIL: '$line': got '$have', want '$want'"
        (( failures++ ))
    fi
}

source $here/completion_cases.sh

print "$failures failed"
(( failures == 0 ))
