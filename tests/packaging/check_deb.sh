#!/usr/bin/env bash
# The three Debian packages as a fresh Debian machine would take them:
# libquillcore1 (the shared libraries), libquillcore-dev (what building
# against them needs) and quillseal (the program). Their fields and files,
# the library package's control files (symbols, shlibs, the ldconfig
# trigger and no script that runs ldconfig once more), their dependencies
# resolved from Debian's archive and each other alone, lintian's verdict
# (nothing at all to say), the copyright file and change log of each, the
# manual pages, and the program unpacked and run with the library of the
# packages.
#   check_deb.sh PACKAGE_FOLDER VERSION LICENSE
set -euo pipefail
folder=$1 version=$2 licence=$3
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
packages=(libquillcore1 libquillcore-dev quillseal)
deb() { echo "$folder/$1_${version}_amd64.deb"; }
lib=usr/lib/$(gcc -print-multiarch)

# The fields of each, and the files and links of each, nothing of the build
# tree.
files() {
    case $1 in
        libquillcore1) cat <<EOF ;;
./$lib/libquill.so.1->libquill.so.$version
./$lib/libquill.so.$version
./$lib/libquillcore.so.1->libquillcore.so.$version
./$lib/libquillcore.so.$version
EOF
        libquillcore-dev) cat <<EOF ;;
./usr/include/quill.h
./usr/include/quillcore.h
./$lib/cmake/Quillcore/QuillcoreConfig.cmake
./$lib/cmake/Quillcore/QuillcoreConfigVersion.cmake
./$lib/cmake/Quillcore/QuillcoreTargets-relwithdebinfo.cmake
./$lib/cmake/Quillcore/QuillcoreTargets.cmake
./$lib/libquill.so->libquill.so.1
./$lib/libquillcore.so->libquillcore.so.1
./$lib/pkgconfig/quillcore.pc
EOF
        quillseal) cat <<EOF ;;
./usr/bin/quillseal
./usr/share/bash-completion/completions/quillseal
./usr/share/fish/vendor_completions.d/quillseal.fish
./usr/share/zsh/vendor-completions/_quillseal
./usr/share/man/ja/man1/quillseal.1.gz
./usr/share/man/man1/quillseal.1.gz
EOF
    esac
    printf './usr/share/doc/%s/%s\n' "$1" changelog.gz "$1" copyright
}
for package in "${packages[@]}"; do
    file=$(deb "$package")
    [ -f "$file" ] || fail "no package $file"
    [ "$(dpkg-deb -f "$file" Package)" = "$package" ] || fail "package name of $file"
    [ "$(dpkg-deb -f "$file" Version)" = "$version" ] || fail "version of $package"
    [ "$(dpkg-deb -f "$file" Source)" = quillseal ] || fail "source of $package"
    dpkg-deb -c "$file" | awk '$1 !~ /^d/ { print $6 $7 $8 }' | sort >"$work/$package.files"
    files "$package" | sort | diff -u - "$work/$package.files" || fail "the files of $package differ"
    dpkg-deb -x "$file" "$work/root"
    dpkg-deb -e "$file" "$work/$package.control"
    for script in preinst postinst prerm postrm; do
        [ ! -e "$work/$package.control/$script" ] || fail "$package has a $script"
    done
done
expect_depends() {
    local package=$1 dependency depends
    shift
    depends=$(dpkg-deb -f "$(deb "$package")" Depends)
    for dependency; do
        [[ ", $depends" == *", $dependency"* ]] || fail "Depends of $package lacks $dependency: $depends"
    done
}
expect_depends libquillcore1 "libc6 " "libstdc++6 " "zlib1g "
expect_depends libquillcore-dev "libquillcore1 (= $version)"
expect_depends quillseal "libquillcore1 (= $version)" "libc6 " "libstdc++6 "

# Other packages depend on the libraries through their symbols or shlibs;
# dpkg's trigger renews the linker cache, once.
control=$work/libquillcore1.control
grep -qx "libquillcore 1 libquillcore1 (>= $version)" "$control/shlibs" || fail "shlibs"
grep -qx "libquill 1 libquillcore1 (>= $version)" "$control/shlibs" || fail "shlibs"
grep -qx "activate-noawait ldconfig" "$control/triggers" || fail "ldconfig trigger"
# The symbols file lists, for each library, exactly the names it exports,
# each with the version node it carries, and the node itself.
for library in libquill libquillcore; do
    nm -D --defined-only "$work/root/$lib/$library.so.1" |
        awk '{ name = $3; if (!sub("@@", "@", name)) name = name "@" name; print name }' |
        sort >"$work/$library.exported"
    awk -v soname="$library.so.1" '/^[^ *]/ { on = ($1 == soname); next } on && /^ / { print $1 }' \
        "$control/symbols" | sort | diff -u - "$work/$library.exported" ||
        fail "the symbols file's names for $library.so.1 differ from its exports"
done

# On a machine with nothing installed every dependency comes from Debian.
: >"$work/status"
apt-get install --simulate -o Dir::State::status="$work/status" \
    "$(realpath "$(deb libquillcore-dev)")" "$(realpath "$(deb quillseal)")" \
    "$(realpath "$(deb libquillcore1)")" >"$work/apt" 2>&1 || {
    cat "$work/apt"
    fail "apt cannot install the packages on a fresh machine"
}
for package in "${packages[@]}"; do
    grep -q "^Conf $package ($version " "$work/apt" || fail "apt would not configure $package"
done

# Lintian has nothing to say of them, error or warning.
lintian "$(deb libquillcore1)" "$(deb libquillcore-dev)" "$(deb quillseal)" >"$work/lintian" 2>&1 || true
if grep -E '^[EW]:' "$work/lintian"; then fail "lintian"; fi

# The copyright file is machine-readable and grants the terms of LICENSE,
# word for word, to the holder LICENSE names; every package has the same,
# and a change log whose last entry is this version.
copyright=$work/root/usr/share/doc/quillseal/copyright
head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
holder=$(sed -n 's/^Copyright (c) //p' "$licence")
grep -qx "Copyright: $holder" "$copyright" || fail "the copyright file does not name '$holder'"
sed -n '/^License: Expat$/,$ { /^License:/d; s/^ //; s/^\.$//; p }' "$copyright" >"$work/terms"
sed -n '/^Permission/,$ p' "$licence" | diff -u - "$work/terms" || fail "the copyright file's terms differ"
for package in "${packages[@]}"; do
    cmp -s "$copyright" "$work/root/usr/share/doc/$package/copyright" ||
        fail "the copyright file of $package differs"
    zcat "$work/root/usr/share/doc/$package/changelog.gz" | head -n1 |
        grep -q "^quillseal ($version) " || fail "the change log of $package does not start at $version"
done

# The manual pages render without a warning.
for page in man1 ja/man1; do
    if man --warnings -l "$work/root/usr/share/man/$page/quillseal.1.gz" 2>&1 >/dev/null | grep .; then
        fail "manual page warnings ($page)"
    fi
done

# The libraries have their sonames, nothing has a run path, and the program
# runs.
root=$work/root
for library in libquill libquillcore; do
    [[ $(readelf -d "$root/$lib/$library.so.$version") == *"(SONAME)"*"[$library.so.1]"* ]] ||
        fail "soname of $library"
done
dynamic=$(for binary in "$root/$lib"/*.so."$version" "$root/usr/bin/quillseal"; do
    readelf -d "$binary"
done)
[[ $dynamic != *RPATH* && $dynamic != *RUNPATH* ]] || fail "a run path in the packages"
export LD_LIBRARY_PATH=$root/$lib
[ "$("$root/usr/bin/quillseal" --version)" = "quillseal $version" ] || fail "--version"
echo "package checks passed"
