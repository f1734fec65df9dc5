#!/usr/bin/env bash
# The Debian package as a fresh Debian machine would take it: its fields and
# files, its dependencies resolved from Debian's archive alone, lintian's
# verdict, the copyright file, the manual pages, and the program unpacked and
# run with the library of the package.
#   check_deb.sh PACKAGE VERSION LICENSE
set -euo pipefail
deb=$1 version=$2 licence=$3
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ "$(dpkg-deb -f "$deb" Package)" = quillseal ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 zlib1g; do
    [[ ", $depends" == *", $lib "* ]] || fail "Depends lacks $lib: $depends"
done

# Exactly these files and links, nothing of the build tree.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 $7 $8 }' | sort >"$work/files"
sort >"$work/expected" <<EOF
./usr/bin/quillseal
./usr/include/quillcore.h
./usr/lib/libquillcore.so->libquillcore.so.1
./usr/lib/libquillcore.so.1->libquillcore.so.$version
./usr/lib/libquillcore.so.$version
./usr/share/bash-completion/completions/quillseal
./usr/share/fish/vendor_completions.d/quillseal.fish
./usr/share/zsh/vendor-completions/_quillseal
./usr/share/doc/quillseal/copyright
./usr/share/man/ja/man1/quillseal.1.gz
./usr/share/man/man1/quillseal.1.gz
EOF
diff -u "$work/expected" "$work/files" || fail "the package's files differ"

# Other packages can depend on the library; dpkg renews the linker cache.
dpkg-deb -e "$deb" "$work/control"
grep -qx "libquillcore 1 quillseal (>= $version)" "$work/control/shlibs" || fail "shlibs"
grep -qx "activate-noawait ldconfig" "$work/control/triggers" || fail "ldconfig trigger"

# On a machine with nothing installed every dependency comes from Debian.
: >"$work/status"
apt-get install --simulate -o Dir::State::status="$work/status" "$(realpath "$deb")" \
    >"$work/apt" 2>&1 || {
    cat "$work/apt"
    fail "apt cannot install the package on a fresh machine"
}
grep -q "^Conf quillseal ($version " "$work/apt" || fail "apt would not configure quillseal"

# Lintian's errors, less the one that waits for the project's change log.
lintian --suppress-tags no-changelog "$deb" >"$work/lintian" 2>&1 || true
if grep '^E:' "$work/lintian"; then fail "lintian errors"; fi

# The copyright file is machine-readable and grants the terms of LICENSE,
# word for word, to the holder LICENSE names.
dpkg-deb -x "$deb" "$work/root"
copyright=$work/root/usr/share/doc/quillseal/copyright
head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
holder=$(sed -n 's/^Copyright (c) //p' "$licence")
grep -qx "Copyright: $holder" "$copyright" || fail "the copyright file does not name '$holder'"
sed -n '/^License: Expat$/,$ { /^License:/d; s/^ //; s/^\.$//; p }' "$copyright" >"$work/terms"
sed -n '/^Permission/,$ p' "$licence" | diff -u - "$work/terms" || fail "the copyright file's terms differ"

# The manual pages render without a warning.
for page in man1 ja/man1; do
    if man --warnings -l "$work/root/usr/share/man/$page/quillseal.1.gz" 2>&1 >/dev/null | grep .; then
        fail "manual page warnings ($page)"
    fi
done

# The library has its soname, nothing has a run path, and the program runs.
root=$work/root
library=$(readelf -d "$root/usr/lib/libquillcore.so.$version")
program=$(readelf -d "$root/usr/bin/quillseal")
[[ $library == *"(SONAME)"*"[libquillcore.so.1]"* ]] || fail "soname"
[[ "$library$program" != *RPATH* && "$library$program" != *RUNPATH* ]] ||
    fail "a run path in the package"
export LD_LIBRARY_PATH=$root/usr/lib
[ "$("$root/usr/bin/quillseal" --version)" = "quillseal $version" ] || fail "--version"
echo "package checks passed"
