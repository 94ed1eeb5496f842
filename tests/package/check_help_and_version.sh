#!/usr/bin/env bash
# Every program answers --version with its name and the package's version, and --help with
# its options, without a display (the windowed one included) and without starting.
#   check_help_and_version.sh VERSION PROGRAM...
set -uo pipefail
version="$1"
shift
status=0
for program in "$@"; do
  name="$(basename "$program")"
  answer="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$program" --version)"
  [ "$answer" = "$name $version" ] || { echo "$name --version: \"$answer\""; status=1; }
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$program" --help | grep -q -e "--version" \
    || { echo "$name --help does not list --version"; status=1; }
done
exit $status
