#compdef quillseal
# zsh completion for quillseal, installed as _quillseal where compinit finds
# it: commands, their options, user IDs from the key folders after -k, -r
# and -s, and files and folders elsewhere. As the bash completion, it uses
# nothing but zsh and compadd.

# The user IDs of the key files with extension $2 in key folder $1.
_quillseal_user_ids() {
    local base=${XDG_DATA_HOME:-}
    [[ $base == /* ]] || base=$HOME/.local/share
    local file
    for file in $base/quillseal/$1/*$2(N.); do
        file=${file:t}
        print -r -- ${file%$2}
    done
}

# The folders (-/), the files and folders (''), or the folders and the files
# ending in $1 that begin with the word being completed.
_quillseal_files() {
    local -a found
    case $1 in
        -/) found=(${PREFIX}*(N-/)) ;;
        '') found=(${PREFIX}*(N)) ;;
        *) found=(${PREFIX}*(N-/) ${PREFIX}*$1(N)) ;;
    esac
    (( $#found )) && compadd -f -- $found
}

local prev=${words[CURRENT-1]}
local -a commands=(keygen encrypt decrypt list verify sha256 fingerprint password-from list-keys
    import export)
local -a passphrase=(--passphrase-file --passphrase-fd --passphrase-from)
local -a answers=(--overwrite --rename --skip)

local command= word
for word in ${words[2,CURRENT-1]}; do
    if (( ${commands[(Ie)$word]} )); then
        command=$word
        break
    fi
done

# The value of an option.
case $prev in
    -k | --secret-key)
        compadd -- $(_quillseal_user_ids himitu .velh)
        _quillseal_files ''
        return
        ;;
    -r | --recipient | -s | --sender)
        compadd -- $(_quillseal_user_ids koukai .velk)
        _quillseal_files ''
        return
        ;;
    -C | --directory | --out-dir)
        _quillseal_files -/
        return
        ;;
    -o | --output | --passphrase-file | --passphrase-from)
        _quillseal_files ''
        return
        ;;
    --passphrase-fd | --name | --as)
        return
        ;;
esac

if [[ -z $command ]]; then
    compadd -- $commands --help --version -V
    return
fi

local -a options
case $command in
    keygen) options=(--out-dir --overwrite $passphrase) ;;
    encrypt) options=(-k --secret-key -r --recipient -o --output --name --no-compress $passphrase
        $answers) ;;
    decrypt) options=(-k --secret-key -s --sender -C --directory -o --output --ignore-signature
        $passphrase $answers) ;;
    list) options=(-k --secret-key -s --sender --ignore-signature $passphrase) ;;
    verify) options=(-s --sender) ;;
    import) options=(--as --overwrite --skip) ;;
    export) options=(-o --output $answers) ;;
esac
if [[ $PREFIX == -* ]]; then
    compadd -- $options -q --quiet --help -V --version
    return
fi

# The operands: archives for the commands that read them, public keys for
# fingerprint and import, user IDs for export, any file or folder otherwise.
case $command in
    decrypt | list | verify) _quillseal_files .velm ;;
    fingerprint)
        compadd -- $(_quillseal_user_ids koukai .velk)
        _quillseal_files .velk
        ;;
    import) _quillseal_files .velk ;;
    export) compadd -- $(_quillseal_user_ids koukai .velk) ;;
    keygen | list-keys) ;;
    *) _quillseal_files '' ;;
esac
