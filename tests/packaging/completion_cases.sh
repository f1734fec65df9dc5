# The command lines both shells complete alike, as calls of the checker's
# expect "command line, the cursor at its end" word...
# Sourced by check_completion.sh (bash) and check_completion.zsh.
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
