#!/usr/bin/env bash
# An archive made by the Linux build opens in the Windows build and the
# other way round. Arguments: the native interop program, the Windows one.
set -euo pipefail
native=$1
windows=$2
if [ ! -x "$native" ]; then
  echo "no native build at $native; build the linux preset first"
  exit 77
fi
work=$(mktemp -d "$PWD/interop.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/l2w" "$work/w2l"

"$native" make "$work/l2w"
"$(dirname "$0")/../scripts/wine-run" "$windows" open "$(winepath -w "$work/l2w")"
echo "Linux archive opened on Windows"

"$(dirname "$0")/../scripts/wine-run" "$windows" make "$(winepath -w "$work/w2l")"
"$native" open "$work/w2l"
echo "Windows archive opened on Linux"
