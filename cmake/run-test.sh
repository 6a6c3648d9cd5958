#!/bin/sh
# Runs one test program from its bundle with empty settings and data
# folders of its own, and fails it when it changed its bundle's Resources:
# a test changes shipped files only in a copy (tests/ResourceCopy.h).
# Usage: run-test.sh <config folder> <data folder> <program> <Resources>
config=$1
data=$2
program=$3
resources=$4
rm -rf "$config" "$data"
before=$(mktemp)
after=$(mktemp)
trap 'rm -f "$before" "$after"' EXIT
# Name, size and both times: a file renamed and put back changes its ctime.
listing() { (cd "$resources" && find . -exec stat -c '%n %s %y %z' {} + | sort); }
listing >"$before"
"$program"
rc=$?
listing >"$after"
if ! cmp -s "$before" "$after"; then
  echo "FAIL: the test changed its bundle's Resources ($resources):" >&2
  diff "$before" "$after" >&2
  exit 1
fi
exit $rc
