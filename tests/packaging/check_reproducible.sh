#!/usr/bin/env bash
# The packages of one preset, built twice from the same sources in two
# folders of different names, one build after the other, the second in
# another time zone and locale, are the same bytes. The sources are the
# checkout's files as they are now (tracked and new, not ignored), dated by
# its last commit and built with the umask that scripts/package sets; each
# build leaves out the tests and benchmarks, which no package holds.
#   check_reproducible.sh SOURCE_FOLDER PRESET
set -euo pipefail
source=$1 preset=$2
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
git -C "$source" rev-parse --git-dir >/dev/null 2>&1 || {
    echo "not a git checkout: nothing to date the packages by"
    exit 77
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
umask 022
SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct)
export SOURCE_DATE_EPOCH

# Copies the sources into FOLDER, makes the packages there and writes the
# checksum of each to FOLDER.sums.
build() {
    mkdir -p "$1"
    git -C "$source" ls-files -z --cached --others --exclude-standard |
        (cd "$source" && tar --null --files-from=- --ignore-failed-read -cf -) | tar -xf - -C "$1"
    (cd "$1" && cmake --preset "$preset" -DQUILL_TESTS=OFF -DQUILL_BENCH=OFF &&
        cmake --build --preset "$preset" -j"$(nproc)" && cpack --preset "$preset") >"$1.log" 2>&1 || {
        cat "$1.log"
        fail "the build in $1 failed"
    }
    (cd "$1/build/$preset/packages" && for sum in *.sha256; do sha256sum "${sum%.sha256}"; done) >"$1.sums"
}

build "$work/one/quillseal"
# ZIP archives date their members to two seconds: a clock read by either
# build would show.
sleep 2
TZ=Asia/Tokyo LC_ALL=C build "$work/second-build/quillseal-copy"
cat "$work/one/quillseal.sums"
diff -u "$work/one/quillseal.sums" "$work/second-build/quillseal-copy.sums" ||
    fail "the packages differ between the two builds"
echo "reproducibility checks passed"
