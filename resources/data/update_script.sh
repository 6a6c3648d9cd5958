#!/bin/sh
# Installs a downloaded update.
#   update_script.sh IMAGE BUNDLE HOME
# IMAGE is a verified tar archive holding one bundle folder (NAME.app with
# Contents/MacOS/Lumivane inside) made of folders and regular files only: a
# symbolic or hard link could lead the restart to a program outside the
# bundle, so an image with any other kind of member is refused. The new
# bundle is unpacked beside BUNDLE, BUNDLE is moved aside, the new one is
# moved into its place, and only then is the old one removed; if anything
# fails, BUNDLE is left as it was. Exits non-zero on any failure, after one
# line "update_script: <reason>" that the program shows the person, so each
# reason reads as the end of "The update could not be installed because".
set -eu

fail() {
    echo "update_script: $*" >&2
    exit 1
}

[ "$#" -eq 3 ] || fail "usage: update_script.sh IMAGE BUNDLE HOME"
image=$1
bundle=${2%/}

[ -f "$image" ] || fail "the downloaded update is missing"
[ -d "$bundle/Contents/MacOS" ] || fail "no installed bundle was found at $bundle"

parent=$(dirname -- "$bundle")
name=$(basename -- "$bundle")
[ -w "$parent" ] || fail "the folder $parent cannot be written to"

staging=$(mktemp -d "$parent/.$name.update.XXXXXX") || fail "no folder to unpack into could be made in $parent"
backup="$parent/.$name.old.$$"
restore() {
    # Put the old bundle back if the new one did not take its place.
    if [ -d "$backup" ] && [ ! -e "$bundle" ]; then
        mv -- "$backup" "$bundle"
    fi
    rm -rf -- "$staging"
}
trap restore EXIT
trap 'exit 1' HUP INT TERM

# Only folders and regular files: the first letter of each listed mode is
# the member's type ("-" file, "d" folder; "l" and "h" are links; anything
# else is a device, a pipe or a socket). Names are escaped, so every member
# is one line; a verbose line has five fields before the name.
listing=$(tar -t -v -f "$image" --quoting-style=escape) || fail "the update is not a readable archive"
names=$(tar -t -f "$image" --quoting-style=escape 2>/dev/null) || fail "the update is not a readable archive"
member() {
    sed -E -e 's/^([^ ]+ +){5}//' -e 's/ (->|link to) .*$//' | head -n 1
}
link=$(printf '%s\n' "$listing" | grep -e '^l' -e '^h' | member) || true
[ -z "$link" ] || fail "the update holds a link ($link)"
special=$(printf '%s\n' "$listing" | grep -v -e '^-' -e '^d' -e '^l' -e '^h' -e '^$' | member) || true
[ -z "$special" ] || fail "the update holds a device or other special file ($special)"
# A name from the root or through ".." points outside the bundle.
outside=$(printf '%s\n' "$names" | awk -F/ '/^\// { print; exit }
    { for (i = 1; i <= NF; i++) if ($i == "..") { print; exit } }') || true
[ -z "$outside" ] || fail "the update holds a name outside the bundle ($outside)"

# GNU tar keeps members inside the staging folder: leading slashes are
# dropped and names with ".." are refused.
tar -x -f "$image" -C "$staging" --no-same-owner --no-same-permissions \
    || fail "the update is not a readable archive"

count=0
new=
for entry in "$staging"/* "$staging"/.[!.]*; do
    [ -e "$entry" ] || continue
    count=$((count + 1))
    new=$entry
done
[ "$count" -eq 1 ] || fail "the update does not hold exactly one bundle folder"
# What was unpacked is checked again, whatever the listing said.
odd=$(find "$staging" \( ! -type f ! -type d \) -o \( -type f -links +1 \) | head -n 1)
[ -z "$odd" ] || fail "the update holds a link or a special file (${odd#"$staging"/})"
for dir in "$new" "$new/Contents" "$new/Contents/MacOS"; do
    [ -d "$dir" ] && [ ! -L "$dir" ] || fail "the update holds no bundle"
done
program="$new/Contents/MacOS/Lumivane"
[ -f "$program" ] && [ ! -L "$program" ] && [ -x "$program" ] || fail "the bundle in the update has no program"

mv -- "$bundle" "$backup" || fail "the installed bundle could not be moved aside"
if ! mv -- "$new" "$bundle"; then
    fail "the new bundle could not be moved into place"
fi
# The program the restart starts must be a regular file inside the bundle
# now in place; otherwise the old bundle goes back.
real=$(readlink -f -- "$bundle/Contents/MacOS/Lumivane") || real=
inside=$(readlink -f -- "$bundle")/Contents/MacOS/Lumivane
if [ -L "$bundle/Contents/MacOS" ] || [ -L "$bundle/Contents/MacOS/Lumivane" ] \
    || [ ! -f "$bundle/Contents/MacOS/Lumivane" ] || [ "$real" != "$inside" ]; then
    mv -- "$bundle" "$staging/rejected" || true
    fail "the new program is not a file inside the new bundle"
fi
rm -rf -- "$backup" || echo "update_script: the old bundle stays at $backup" >&2
exit 0
