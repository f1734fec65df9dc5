#!/usr/bin/env bash
# The Windows ZIP archive: exactly the programs, the DLLs, the cursor, the
# help file, the read-me, the licence and the third-party notices in one
# folder, and below it the files for building against quill.dll (quill.h,
# the import library, the pkg-config module, the CMake package), stored in
# the order of their names; the read-me in code page 932,
# the licence and the notices in ASCII, all three with CR LF; and the program
# unpacked from it runs under Wine with the DLL beside it. Runs in the prefix
# of scripts/wine-env.
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
    "$zip" | grep -v '/$' >"$work/files"
printf "$top/%s\n" Quillseal.chm quillcore.dll quill.dll quillgui.exe quillseal.exe readme.txt \
    tokei.cur LICENSE.txt THIRD-PARTY-NOTICES.txt include/quill.h lib/libquill.dll.a \
    lib/pkgconfig/quillcore.pc lib/cmake/Quillcore/QuillcoreConfig.cmake \
    lib/cmake/Quillcore/QuillcoreConfigVersion.cmake lib/cmake/Quillcore/QuillcoreTargets.cmake \
    lib/cmake/Quillcore/QuillcoreTargets-release.cmake | sort >"$work/expected"
diff -u "$work/expected" <(sort "$work/files") || fail "the archive's files differ"
LC_ALL=C sort -c "$work/files" || fail "the archive's members are not in the order of their names"

python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work"
# Every line of a text file ends in CR LF.
crlf() {
    [ "$(grep -c $'\r$' "$1")" = "$(wc -l <"$1")" ] || fail "$(basename "$1") has lines without CR"
}
readme=$work/$top/readme.txt
iconv -f CP932 -t UTF-8 "$readme" >"$work/readme" || fail "the read-me is not code page 932"
grep -q "^Quillseal Ver$version"$'\r'"\$" "$work/readme" || fail "the read-me's first line"
crlf "$readme"
for text in LICENSE.txt THIRD-PARTY-NOTICES.txt; do
    crlf "$work/$top/$text"
    ! LC_ALL=C grep -q '[^[:print:][:space:]]' "$work/$top/$text" || fail "$text is not ASCII"
done

out=$(cd "$work/$top" && timeout 60 wine quillseal.exe --version | tr -d '\r')
[ "$out" = "quillseal $version" ] || fail "quillseal.exe --version printed '$out'"
echo "zip checks passed"
