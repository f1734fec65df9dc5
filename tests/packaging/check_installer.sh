#!/usr/bin/env bash
# The Windows installer under Wine, silent as an administrator runs it from
# a script: installed three times (each over the one before, as an update
# does: without /PATH, with /PATH=USER, with /PATH=ALL) into Program Files
# with a Start-menu entry, the three file types of the list the programs
# compile in (FILE_TYPES_LIST, made from it by the build), Explorer's verbs
# and a Send To entry; files of each type opened and the verbs started with
# two items through the shell (file_types.exe); then uninstalled, after
# which no file, entry, registry key or PATH entry of it is left. The
# user's and the machine's PATH are longer than the installer's own strings
# (1,024 characters), and the program's folder is added to and taken off
# each with entries before and after it, which keep every character.
# Runs in the prefix of scripts/wine-env.
#   check_installer.sh INSTALLER FILE_TYPES_EXE VERSION FILE_TYPES_LIST PATH_ENTRY_EXE
set -euo pipefail
installer=$1 file_types=$2 version=$3 types=$4 path_entry=$5
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
work=$(mktemp -d)

drive_c=$WINEPREFIX/drive_c
folder="$drive_c/Program Files/Quillseal"
program='C:\Program Files\Quillseal\quillgui.exe'
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillseal"

# The default value of a registry key, or nothing when there is no such key.
default_value() {
    timeout 60 wine reg query "$1" /ve 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' |
        sed -n 's/.*REG_SZ[[:space:]]*//p'
}
# Every line of the machine's and the user's registry that names the
# program, its folder or its file types.
traces() {
    local hive
    for hive in HKLM HKCU; do
        timeout 60 wine reg export "$hive" "$work/$hive.reg" /y >/dev/null 2>&1 ||
            fail "cannot export $hive"
        iconv -f UTF-16 -t UTF-8 "$work/$hive.reg" | tr -d '\r'
    done | grep -iE 'quillseal|\.vel[mhk]\b' | sort || true
}

# A stored PATH as its type and text ("REG_EXPAND_SZ C:\..."), or nothing
# when there is none: the user's (user_env) or every user's (machine_env).
user_env='HKCU\Environment'
machine_env='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
stored_path() {
    { timeout 60 wine reg query "$1" /v Path 2>/dev/null || true; } | iconv -f CP932 -t UTF-8 |
        tr -d '\r' |
        sed -n 's/^[[:space:]]*Path[[:space:]]*\(REG_[A-Z_]*SZ\)[[:space:]]*/\1 /p'
}
store_path() {
    timeout 60 wine reg add "$1" /v Path /t "${2%% *}" /d "${2#* }" /f >/dev/null ||
        fail "cannot set the PATH of $1"
}
expect_path() {
    local got
    got=$(stored_path "$1")
    [ "$got" = "$2" ] || fail "$3: the PATH of $1 is
'$got', not
'$2'"
}
# The test's own PATHs go when it ends, and the prefix's come back.
user_original=$(stored_path "$user_env")
machine_original=$(stored_path "$machine_env")
restore_paths() {
    if [ -n "$user_original" ]; then
        store_path "$user_env" "$user_original"
    else
        timeout 60 wine reg delete "$user_env" /v Path /f >/dev/null 2>&1 || true
    fi
    store_path "$machine_env" "$machine_original"
}
trap 'restore_paths; rm -rf "$work"' EXIT
[ -n "$machine_original" ] || fail "the prefix has no PATH"

# 130 entries with Japanese names, about 2,500 characters.
entries() {
    local i
    for i in $(seq 100 229); do printf ';C:\\%s\\ツール%s\\bin' "$1" "$i"; done
}
# The user's ends in a separator, after an empty entry and one to expand.
user_long="REG_EXPAND_SZ %USERPROFILE%\bin;;C:\first$(entries user);"
machine_long="$machine_original$(entries machine)"
[ "${#user_long}" -gt 2000 ] && [ "${#machine_long}" -gt 2000 ] ||
    fail "the PATHs made for the test are too short"
store_path "$user_env" "$user_long"
store_path "$machine_env" "$machine_long"
folder_entry='C:\Program Files\Quillseal'

traces >"$work/before"
timeout 300 wine "$installer" /S || fail "the first installation failed"
expect_path "$user_env" "$user_long" "a silent install without /PATH"
expect_path "$machine_env" "$machine_long" "a silent install without /PATH"
# Asked for the user's PATH: after the separator it ends in, and the
# machine's stays as it was.
timeout 300 wine "$installer" /S /PATH=USER || fail "the second installation failed"
expect_path "$user_env" "$user_long$folder_entry;" "installed with /PATH=USER"
expect_path "$machine_env" "$machine_long" "installed with /PATH=USER"
# The user adds an entry after the program's; the update takes the
# program's entry off the user's PATH, keeps that one, and puts the folder
# on every user's PATH instead.
store_path "$user_env" "$user_long$folder_entry;C:\後から"
timeout 300 wine "$installer" /S /PATH=ALL || fail "the third installation failed"
expect_path "$user_env" "${user_long}C:\後から" "updated with /PATH=ALL"
expect_path "$machine_env" "$machine_long;$folder_entry" "updated with /PATH=ALL"
store_path "$machine_env" "$machine_long;$folder_entry;C:\後から"

for file in quillgui.exe quillseal.exe quillcore.dll quill.dll include/quill.h tokei.cur \
    Quillseal.chm readme.txt LICENSE.txt THIRD-PARTY-NOTICES.txt Uninstall.exe; do
    [ -f "$folder/$file" ] || fail "$file is not installed"
done
[ -f "$menu/Quillseal.lnk" ] || fail "no Start-menu entry: $(ls "$menu" 2>&1)"

expect_value() {
    local got
    got=$(default_value "$1")
    [ "$got" = "$2" ] || fail "$1 is '$got', not '$2'"
}
[ -s "$types" ] || fail "no list of file types at $types"
while read -r extension prog_id description icon; do
    expect_value "HKCR\\$extension" "$prog_id"
    expect_value "HKCR\\$prog_id" "$description"
    expect_value "HKCR\\$prog_id\\DefaultIcon" "$program,$icon"
    expect_value "HKCR\\$prog_id\\shell\\open\\command" "\"$program\" \"%1\""
done <"$types"
for verb in '*\shell\Quillseal.Encrypt=Quillseal で暗号化' \
    'Directory\shell\Quillseal.Encrypt=Quillseal で暗号化' \
    'Quillseal.Archive\shell\Quillseal.Decrypt=Quillseal で復号化'; do
    expect_value "HKCR\\${verb%%=*}" "${verb#*=}"
    expect_value "HKCR\\${verb%%=*}\\command" "\"$program\" /shell \"%1\""
done
send_to=$(ls -d "$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/SendTo | head -1)
[ -f "$send_to/Quillseal.lnk" ] || fail "no Send To entry in $send_to"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillseal'
shown=$(timeout 60 wine reg query "$uninstall" /v DisplayVersion | tr -d '\r' |
    sed -n 's/.*REG_SZ[[:space:]]*//p')
[ "$shown" = "$version" ] || fail "installed programs show version '$shown'"
uninstall_keys=$(traces | grep -ci '\\Uninstall\\Quillseal\]' || true)
[ "$uninstall_keys" = 1 ] || fail "$uninstall_keys entries among the installed programs"

timeout 60 wine "$file_types" "$program" | tr -d '\r' || fail "file types"

# The uninstaller copies itself away and finishes in the background.
timeout 60 wine "$folder/Uninstall.exe" /S || fail "the uninstaller did not start"
for _ in $(seq 30); do
    traces >"$work/after"
    [ ! -e "$folder" ] && [ ! -e "$menu" ] && cmp -s "$work/before" "$work/after" && break
    sleep 1
done
[ ! -e "$folder" ] || fail "left in Program Files: $(ls "$folder")"
[ ! -e "$send_to/Quillseal.lnk" ] || fail "left in Send To"
expect_path "$machine_env" "$machine_long;C:\後から" "uninstalled"
expect_path "$user_env" "${user_long}C:\後から" "uninstalled"
[ ! -e "$menu" ] || fail "left in the Start menu: $(ls "$menu")"
diff -u "$work/before" "$work/after" || fail "left in the registry"

# The installer's helper where the user has no PATH of their own: the
# folder becomes it, is not added twice, and taking it away leaves no empty
# value behind.
timeout 60 wine reg delete "$user_env" /v Path /f >/dev/null || fail "cannot delete the user's PATH"
for step in "add 0" "add 10" "remove 0" "remove 10"; do
    code=0
    timeout 60 wine "$path_entry" ${step% *} USER "$folder_entry" || code=$?
    [ "$code" = "${step#* }" ] || fail "path_entry ${step% *} exits with $code, not ${step#* }"
done
expect_path "$user_env" "" "the folder added to no PATH and taken away"
echo "installer checks passed"
