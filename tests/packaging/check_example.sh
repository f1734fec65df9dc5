#!/usr/bin/env bash
# The library as another program's developer gets it: the packages
# libquillcore1 and libquillcore-dev unpacked into a folder, and the example
# of docs/library.md (the same text as docs/example/) copied out of the tree
# and built against them with pkg-config and with CMake's find_package; a
# program of OpenSSL's libcrypto and the library, linked with -lcrypto first
# and last. Each needs libquill.so.1 and not libquillcore.so.1.
#   check_example.sh build LIBRARY_DEB DEV_DEB SOURCE_FOLDER WORK_FOLDER
# Then each program runs in an empty folder of its own with the unpacked
# library: the example's two encryptions on two threads and both decryptions,
# and OpenSSL's digest beside the library's.
#   check_example.sh run WORK_FOLDER
set -euo pipefail
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
mode=$1
case $mode in
    build) library_deb=$2 dev_deb=$3 source=$4 work=$5 ;;
    run) work=$2 ;;
    *) fail "usage: check_example.sh build|run ..." ;;
esac
root=$work/root
libdir=$root/usr/lib/$(gcc -print-multiarch)
programs=(pkg-config/quill_example cmake/build/quill_example crypto-first crypto-last)

if [ "$mode" = run ]; then
    for program in "${programs[@]}"; do
        folder=$(mktemp -d)
        echo "== $program"
        LD_LIBRARY_PATH=$libdir "$work/$program" "$folder" || {
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
dpkg-deb -x "$library_deb" "$root"
dpkg-deb -x "$dev_deb" "$root"

# The page shows the example's files as they are.
page=$source/docs/library.md
for block in c:quill_example.c cmake:CMakeLists.txt; do
    awk -v fence="\`\`\`${block%%:*}" '$0 == fence { on = 1; next } on && $0 == "```" { exit } on' \
        "$page" | diff -u "$source/docs/example/${block#*:}" - ||
        fail "docs/library.md does not show docs/example/${block#*:} as it is"
done
cp "$source/docs/example/quill_example.c" "$source/docs/example/CMakeLists.txt" "$work/cmake"

export PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$libdir/pkgconfig
flags=$(pkg-config --cflags --libs quillcore) || fail "pkg-config finds no quillcore"
cc=${CC:-cc}
warnings=(-Wall -Wextra -Werror)
# shellcheck disable=SC2086 # the flags are words
{
    $cc "${warnings[@]}" -o "$work/pkg-config/quill_example" "$work/cmake/quill_example.c" \
        $flags -pthread || fail "the example does not build with pkg-config"
    $cc "${warnings[@]}" -o "$work/crypto-first" "$source/tests/packaging/openssl_sha256.c" \
        -lcrypto $flags || fail "no build with -lcrypto first"
    $cc "${warnings[@]}" -o "$work/crypto-last" "$source/tests/packaging/openssl_sha256.c" \
        $flags -lcrypto || fail "no build with -lcrypto last"
}
(cmake -S "$work/cmake" -B "$work/cmake/build" -DCMAKE_PREFIX_PATH="$root/usr" \
    -DCMAKE_C_FLAGS="${warnings[*]}" && cmake --build "$work/cmake/build") >"$work/cmake.log" 2>&1 || {
    cat "$work/cmake.log"
    fail "the example does not build with CMake"
}

for program in "${programs[@]}"; do
    needed=$(readelf -d "$work/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    [[ $needed == *libquill.so.1* && $needed != *libquillcore* ]] ||
        fail "$program needs: $needed"
done
echo "example builds passed; run them with: $0 run $work"
