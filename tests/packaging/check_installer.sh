#!/usr/bin/env bash
# The Windows installer under Wine, silent as an administrator runs it from
# a script: installed twice (the second time over the first, as an update
# does, and asked to put the program's folder on PATH) into Program Files
# with a Start-menu entry, the three file types of the list the programs
# compile in (FILE_TYPES_LIST, made from it by the build), Explorer's verbs
# and a Send To entry; files of each type opened and the verbs started with
# two items through the shell (file_types.exe); then uninstalled, after
# which no file, entry, registry key or PATH entry of it is left.
# Runs in the prefix of scripts/wine-env.
#   check_installer.sh INSTALLER FILE_TYPES_EXE VERSION FILE_TYPES_LIST
set -euo pipefail
installer=$1 file_types=$2 version=$3 types=$4
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Wine would copy the Start-menu entry and the file types into this
# machine's own desktop menus.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"

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

# The PATH of every user, as programs started afterwards find it.
system_path() {
    timeout 60 wine reg query \
        'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' /v Path |
        tr -d '\r' | sed -n 's/.*REG_[A-Z_]*SZ[[:space:]]*//p'
}

traces >"$work/before"
path_before=$(system_path)
timeout 300 wine "$installer" /S || fail "the first installation failed"
[ "$(system_path)" = "$path_before" ] || fail "a silent install without /PATH changed PATH"
timeout 300 wine "$installer" /S /PATH=ALL || fail "the second installation failed"
case ";$(system_path);" in
*";C:\Program Files\Quillseal;"*) ;;
*) fail "the program's folder is not on PATH: $(system_path)" ;;
esac

for file in quillgui.exe quillseal.exe quillcore.dll tokei.cur Quillseal.chm readme.txt \
    LICENSE.txt THIRD-PARTY-NOTICES.txt Uninstall.exe; do
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
[ "$(system_path)" = "$path_before" ] || fail "left on PATH: $(system_path)"
[ ! -e "$menu" ] || fail "left in the Start menu: $(ls "$menu")"
diff -u "$work/before" "$work/after" || fail "left in the registry"
echo "installer checks passed"
