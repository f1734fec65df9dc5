#!/usr/bin/env bash
# The unpacked Debian packages at work: a key pair made, a folder encrypted
# and signed, the archive verified and decrypted into another folder, all by
# the installed program with the installed library and the passphrase in a
# file. Exits 77 (skipped) while the program has no keygen command yet.
#   deb_round_trip.sh PROGRAM_PACKAGE LIBRARY_PACKAGE
set -euo pipefail
deb=$1 library_deb=$2
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -x "$library_deb" "$work/root"
lib=$work/root/usr/lib/$(gcc -print-multiarch)
export LD_LIBRARY_PATH=$lib XDG_DATA_HOME=$work/data
quillseal() { "$work/root/usr/bin/quillseal" "$@" </dev/null; }

if ! quillseal keygen --help >/dev/null 2>&1; then
    echo "skipped: quillseal has no keygen command yet"
    exit 77
fi

# The program loads the package's library by its soname.
linked=$(ldd "$work/root/usr/bin/quillseal")
[[ $linked == *"libquillcore.so.1 => $lib/libquillcore.so.1 "* ]] ||
    fail "the library is not the package's: $linked"

printf 'correct horse battery\n' >"$work/pw"
mkdir -p "$work/in/写真" "$work/out"
printf 'first\n' >"$work/in/写真/a.txt"
head -c 100000 /dev/urandom >"$work/in/写真/b.bin"

quillseal keygen -q --passphrase-file "$work/pw" alice >/dev/null || fail "keygen"
[ -f "$work/data/quillseal/himitu/alice.velh" ] || fail "no secret key file"
[ -f "$work/data/quillseal/koukai/alice.velk" ] || fail "no public key file"
quillseal encrypt -q -k alice -r alice --passphrase-file "$work/pw" "$work/in/写真" >/dev/null ||
    fail "encrypt"
quillseal verify -s alice "$work/in/写真.velm" >/dev/null || fail "verify"
quillseal decrypt -q -k alice -s alice --passphrase-file "$work/pw" -C "$work/out" \
    "$work/in/写真.velm" >/dev/null || fail "decrypt"
diff -r "$work/in/写真" "$work/out/写真" || fail "the decrypted folder differs"
echo "round trip passed"
