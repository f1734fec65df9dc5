# The tree of many small files both benchmarks time: a copy of this system's
# manual pages, C headers and time zones, as files and folders only (the
# links point back into /usr, or nowhere). Sourced; make_tree FOLDER.
make_tree() {
  mkdir "$1"
  for dir in /usr/share/man /usr/include /usr/share/zoneinfo; do
    if [[ -d $dir ]]; then cp -a "$dir" "$1"/; fi
  done
  find "$1" -type l -delete
}
