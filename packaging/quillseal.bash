# bash completion for quillseal: commands, their options, user IDs from the
# key folders after -k, -r and -s, and files and folders elsewhere. It uses
# nothing but bash itself, so it works with or without bash-completion.

# The user IDs of the key files with extension $2 in key folder $1.
_quillseal_user_ids() {
    local base=${XDG_DATA_HOME:-}
    [[ $base == /* ]] || base=$HOME/.local/share
    local file
    for file in "$base/quillseal/$1"/*"$2"; do
        [[ -f $file ]] || continue
        file=${file##*/}
        printf '%s\n' "${file%"$2"}"
    done
}

# Adds words of $2 (one a line) that start with $1 to COMPREPLY.
_quillseal_add() {
    local word
    while IFS= read -r word; do
        [[ -n $word && $word == "$1"* ]] && COMPREPLY+=("$word")
    done <<<"$2"
}

_quillseal() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="keygen encrypt decrypt list verify sha256 fingerprint password-from list-keys import export"
    local passphrase="--passphrase-file --passphrase-fd --passphrase-from"
    local answers="--overwrite --rename --skip"
    COMPREPLY=()

    local command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ " $commands " == *" ${COMP_WORDS[i]} "* ]]; then
            command=${COMP_WORDS[i]}
            break
        fi
    done

    # The value of an option.
    case $prev in
        -k | --secret-key)
            _quillseal_add "$cur" "$(_quillseal_user_ids himitu .velh)"
            compopt -o filenames 2>/dev/null
            _quillseal_add "$cur" "$(compgen -f -- "$cur")"
            return
            ;;
        -r | --recipient | -s | --sender)
            _quillseal_add "$cur" "$(_quillseal_user_ids koukai .velk)"
            compopt -o filenames 2>/dev/null
            _quillseal_add "$cur" "$(compgen -f -- "$cur")"
            return
            ;;
        -C | --directory | --out-dir)
            compopt -o filenames 2>/dev/null
            _quillseal_add "$cur" "$(compgen -d -- "$cur")"
            return
            ;;
        -o | --output | --passphrase-file | --passphrase-from)
            compopt -o filenames 2>/dev/null
            _quillseal_add "$cur" "$(compgen -f -- "$cur")"
            return
            ;;
        --passphrase-fd | --name | --as)
            return
            ;;
    esac

    if [[ -z $command ]]; then
        _quillseal_add "$cur" "$(printf '%s\n' $commands --help --version -V)"
        return
    fi

    local options
    case $command in
        keygen) options="--out-dir --overwrite $passphrase" ;;
        encrypt) options="-k --secret-key -r --recipient -o --output --name --no-compress $passphrase $answers" ;;
        decrypt) options="-k --secret-key -s --sender -C --directory -o --output --ignore-signature $passphrase $answers" ;;
        list) options="-k --secret-key -s --sender --ignore-signature $passphrase" ;;
        verify) options="-s --sender" ;;
        import) options="--as --overwrite --skip" ;;
        export) options="-o --output $answers" ;;
        *) options="" ;;
    esac
    if [[ $cur == -* ]]; then
        _quillseal_add "$cur" "$(printf '%s\n' $options -q --quiet --help -V --version)"
        return
    fi

    # The operands: archives for the commands that read them, public keys
    # for fingerprint and import, user IDs for export, any file or folder
    # otherwise.
    compopt -o filenames 2>/dev/null
    case $command in
        decrypt | list | verify)
            _quillseal_add "$cur" "$(compgen -d -- "$cur")"
            _quillseal_add "$cur" "$(compgen -f -X '!*.velm' -- "$cur")"
            ;;
        fingerprint | import)
            [[ $command == import ]] || _quillseal_add "$cur" "$(_quillseal_user_ids koukai .velk)"
            _quillseal_add "$cur" "$(compgen -d -- "$cur")"
            _quillseal_add "$cur" "$(compgen -f -X '!*.velk' -- "$cur")"
            ;;
        export) _quillseal_add "$cur" "$(_quillseal_user_ids koukai .velk)" ;;
        list-keys) ;;
        keygen) ;;
        *) _quillseal_add "$cur" "$(compgen -f -- "$cur")" ;;
    esac
}
complete -F _quillseal quillseal
