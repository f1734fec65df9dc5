# fish completion for quillseal: commands, their options, user IDs from the
# key folders after -k, -r and -s, and files and folders elsewhere.

# The user IDs of the key files with extension $ext in key folder $folder.
function __quillseal_user_ids --argument-names folder ext
    set -l base $XDG_DATA_HOME
    string match -q -- '/*' "$base"; or set base $HOME/.local/share
    for file in $base/quillseal/$folder/*$ext
        test -f $file; or continue
        string replace -r -- '^.*/' '' $file | string replace -r -- (string escape --style=regex $ext)'$' ''
    end
end

# The folders, and the files ending in $ext, that begin with the word being
# completed.
function __quillseal_files --argument-names ext
    set -l word (commandline -ct)
    for path in $word*
        if test -d $path
            echo $path/
        else if string match -q -- "*$ext" $path
            echo $path
        end
    end
end

set -l commands keygen encrypt decrypt list verify sha256 fingerprint password-from list-keys import export
set -l no_command "not __fish_seen_subcommand_from $commands"
complete -c quillseal -f

complete -c quillseal -n $no_command -a keygen -d 秘密鍵・公開鍵ペアを作成します
complete -c quillseal -n $no_command -a encrypt -d '暗号化ファイル (.velm) を作成します'
complete -c quillseal -n $no_command -a decrypt -d 暗号化ファイルを確認して復号化します
complete -c quillseal -n $no_command -a list -d 暗号化ファイルの内容を表示します
complete -c quillseal -n $no_command -a verify -d 暗号化ファイルの改竄の有無を確認します
complete -c quillseal -n $no_command -a sha256 -d ファイルのSHA-256値を表示します
complete -c quillseal -n $no_command -a fingerprint -d 公開鍵の指紋を表示します
complete -c quillseal -n $no_command -a password-from -d ファイルからパスワードを作成します
complete -c quillseal -n $no_command -a list-keys -d 鍵のフォルダの鍵を表示します
complete -c quillseal -n $no_command -a import -d 相手の公開鍵を鍵のフォルダに取り込みます
complete -c quillseal -n $no_command -a export -d 自分の公開鍵を書き出します

# Every command's and the program's own.
complete -c quillseal -s h -l help -d 使い方を表示します
complete -c quillseal -s V -l version -d バージョンを表示します
complete -c quillseal -n "not $no_command" -s q -l quiet -d 進行状況を表示しません

# Keys: user IDs of the key folders, or key files.
complete -c quillseal -n '__fish_seen_subcommand_from encrypt decrypt list' -s k -l secret-key -r -F \
    -a '(__quillseal_user_ids himitu .velh)' -d 自分の秘密鍵
complete -c quillseal -n '__fish_seen_subcommand_from encrypt' -s r -l recipient -r -F \
    -a '(__quillseal_user_ids koukai .velk)' -d 相手の公開鍵
complete -c quillseal -n '__fish_seen_subcommand_from decrypt list verify' -s s -l sender -r -F \
    -a '(__quillseal_user_ids koukai .velk)' -d 送信者の公開鍵

# Passwords and existing files.
set -l password 'keygen encrypt decrypt list'
complete -c quillseal -n "__fish_seen_subcommand_from $password" -l passphrase-file -r -F
complete -c quillseal -n "__fish_seen_subcommand_from $password" -l passphrase-fd -x
complete -c quillseal -n "__fish_seen_subcommand_from $password" -l passphrase-from -r -F
complete -c quillseal -n '__fish_seen_subcommand_from encrypt decrypt export' -l rename
complete -c quillseal -n '__fish_seen_subcommand_from encrypt decrypt export keygen import' -l overwrite
complete -c quillseal -n '__fish_seen_subcommand_from encrypt decrypt export import' -l skip

# The rest, command by command.
complete -c quillseal -n '__fish_seen_subcommand_from keygen' -l out-dir -x -a '(__fish_complete_directories)'
complete -c quillseal -n '__fish_seen_subcommand_from encrypt decrypt export' -s o -l output -r -F
complete -c quillseal -n '__fish_seen_subcommand_from encrypt' -l name -x
complete -c quillseal -n '__fish_seen_subcommand_from encrypt' -l no-compress
complete -c quillseal -n '__fish_seen_subcommand_from decrypt' -s C -l directory -x \
    -a '(__fish_complete_directories)'
complete -c quillseal -n '__fish_seen_subcommand_from decrypt list' -l ignore-signature
complete -c quillseal -n '__fish_seen_subcommand_from import' -l as -x

# The operands: archives for the commands that read them, public keys for
# fingerprint and import, user IDs for export, any file or folder otherwise.
complete -c quillseal -n '__fish_seen_subcommand_from decrypt list verify' -a '(__quillseal_files .velm)'
complete -c quillseal -n '__fish_seen_subcommand_from fingerprint' -a '(__quillseal_user_ids koukai .velk)'
complete -c quillseal -n '__fish_seen_subcommand_from fingerprint import' -a '(__quillseal_files .velk)'
complete -c quillseal -n '__fish_seen_subcommand_from export' -a '(__quillseal_user_ids koukai .velk)'
complete -c quillseal -n '__fish_seen_subcommand_from encrypt sha256 password-from' -F
