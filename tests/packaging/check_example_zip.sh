#!/usr/bin/env bash
# The library as a Windows program's developer gets it: the ZIP archive
# unpacked, and the example of docs/example/ built out of the tree against
# its quill.h, import library, pkg-config module and CMake package with
# MinGW-w64. Each program imports quill.dll and not quillcore.dll.
#   check_example_zip.sh build ZIP SOURCE_FOLDER WORK_FOLDER
# Then each program runs under Wine in an empty folder of its own, with
# quill.dll (and the MinGW-w64 thread library the example uses) beside it.
# Runs in the prefix of scripts/wine-env.
#   check_example_zip.sh run WORK_FOLDER
set -euo pipefail
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
mode=$1
case $mode in
    build) zip=$2 source=$3 work=$4 ;;
    run) work=$2 ;;
    *) fail "usage: check_example_zip.sh build|run ..." ;;
esac
programs=(pkg-config/quill_example.exe cmake/build/quill_example.exe)
cc=x86_64-w64-mingw32-gcc-posix

if [ "$mode" = run ]; then
    for program in "${programs[@]}"; do
        echo "== $program"
        folder=$(mktemp -d)
        (cd "$(dirname "$work/$program")" &&
            timeout 300 wine "$(basename "$program")" "$(winepath -w "$folder")" | tr -d '\r') || {
            rm -rf "$folder"
            fail "$program"
        }
        rm -rf "$folder"
    done
    echo "example runs passed"
    exit 0
fi

rm -rf "$work"
mkdir -p "$work/pkg-config" "$work/cmake"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work"
top=$(echo "$work"/quillseal-*-win64)
cp "$source/docs/example/quill_example.c" "$source/docs/example/CMakeLists.txt" "$work/cmake"

warnings=(-Wall -Wextra -Werror)
flags=$(PKG_CONFIG_LIBDIR=$top/lib/pkgconfig pkg-config --cflags --libs quillcore) ||
    fail "pkg-config finds no quillcore"
# shellcheck disable=SC2086 # the flags are words
$cc "${warnings[@]}" -o "$work/pkg-config/quill_example.exe" "$work/cmake/quill_example.c" \
    $flags -pthread || fail "the example does not build with pkg-config"
(cmake -S "$work/cmake" -B "$work/cmake/build" \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$top" \
    -DCMAKE_C_FLAGS="${warnings[*]}" && cmake --build "$work/cmake/build") >"$work/cmake.log" 2>&1 || {
    cat "$work/cmake.log"
    fail "the example does not build with CMake"
}

for program in "${programs[@]}"; do
    imports=$(LC_ALL=C x86_64-w64-mingw32-objdump -p "$work/$program" | sed -n 's/.*DLL Name: //p')
    [[ $imports == *quill.dll* && $imports != *quillcore.dll* ]] ||
        fail "$program imports: $imports"
    cp "$top/quill.dll" "$($cc -print-file-name=libwinpthread-1.dll)" "$(dirname "$work/$program")"
done
echo "example builds passed; run them with: $0 run $work"
