#!/usr/bin/env bash
# The Windows ZIP archive: exactly the programs, the DLL, the cursor, the
# help file and the read-me in one folder; the read-me in code page 932 with
# CR LF; and the program unpacked from it runs under Wine with the DLL
# beside it. Runs in the prefix of scripts/wine-env.
#   check_zip.sh ZIP VERSION
set -euo pipefail
zip=$1 version=$2
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
top=quillseal-$version-win64

python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' \
    "$zip" | grep -v '/$' | sort >"$work/files"
printf "$top/%s\n" Quillseal.chm quillcore.dll quillgui.exe quillseal.exe readme.txt tokei.cur |
    sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the archive's files differ"

python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work"
readme=$work/$top/readme.txt
iconv -f CP932 -t UTF-8 "$readme" >"$work/readme" || fail "the read-me is not code page 932"
grep -q "^Quillseal Ver$version"$'\r'"\$" "$work/readme" || fail "the read-me's first line"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "the read-me has lines without CR"

out=$(cd "$work/$top" && timeout 60 wine quillseal.exe --version | tr -d '\r')
[ "$out" = "quillseal $version" ] || fail "quillseal.exe --version printed '$out'"
echo "zip checks passed"
