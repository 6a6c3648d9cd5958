#!/bin/sh
# Installs a downloaded update.
#   update_script.sh IMAGE BUNDLE HOME
# IMAGE is a verified tar archive holding one bundle folder (NAME.app with
# Contents/MacOS/Lumivane inside) made of folders and regular files only: a
# symbolic or hard link could lead the restart to a program outside the
# bundle, so an image with any other kind of member is refused. The new
# bundle is unpacked beside BUNDLE, BUNDLE is moved aside, the new one is
# moved into its place, and only then is the old one removed; if anything
# fails, BUNDLE is left as it was. Exits non-zero on any failure.
set -eu

fail() {
    echo "update_script: $*" >&2
    exit 1
}

[ "$#" -eq 3 ] || fail "usage: update_script.sh IMAGE BUNDLE HOME"
image=$1
bundle=${2%/}

[ -f "$image" ] || fail "no image at $image"
[ -d "$bundle/Contents/MacOS" ] || fail "no bundle at $bundle"

parent=$(dirname -- "$bundle")
name=$(basename -- "$bundle")
[ -w "$parent" ] || fail "cannot write to $parent"

staging=$(mktemp -d "$parent/.$name.update.XXXXXX") || fail "cannot make a staging folder"
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
# the member's type ("-" file, "d" folder; "l" and "h" are links). Names
# are escaped, so every member is one line.
listing=$(tar -t -v -f "$image" --quoting-style=escape) || fail "the image is not a readable archive"
bad=$(printf '%s\n' "$listing" | grep -v -e '^-' -e '^d' -e '^$' | head -n 1) || true
[ -z "$bad" ] || fail "the image holds a member that is not a file or a folder: $bad"

# GNU tar keeps members inside the staging folder: leading slashes are
# dropped and names with ".." are refused.
tar -x -f "$image" -C "$staging" --no-same-owner --no-same-permissions \
    || fail "the image is not a readable archive"

count=0
new=
for entry in "$staging"/* "$staging"/.[!.]*; do
    [ -e "$entry" ] || continue
    count=$((count + 1))
    new=$entry
done
[ "$count" -eq 1 ] || fail "the image must hold exactly one bundle folder"
# What was unpacked is checked again, whatever the listing said.
odd=$(find "$staging" \( ! -type f ! -type d \) -o \( -type f -links +1 \) | head -n 1)
[ -z "$odd" ] || fail "the image holds a link or a special file: $odd"
for dir in "$new" "$new/Contents" "$new/Contents/MacOS"; do
    [ -d "$dir" ] && [ ! -L "$dir" ] || fail "the image holds no bundle"
done
program="$new/Contents/MacOS/Lumivane"
[ -f "$program" ] && [ ! -L "$program" ] && [ -x "$program" ] || fail "the bundle in the image has no program"

mv -- "$bundle" "$backup" || fail "cannot move the installed bundle aside"
if ! mv -- "$new" "$bundle"; then
    fail "cannot move the new bundle into place"
fi
# The program the restart starts must be a regular file inside the bundle
# now in place; otherwise the old bundle goes back.
real=$(readlink -f -- "$bundle/Contents/MacOS/Lumivane") || real=
inside=$(readlink -f -- "$bundle")/Contents/MacOS/Lumivane
if [ -L "$bundle/Contents/MacOS" ] || [ -L "$bundle/Contents/MacOS/Lumivane" ] \
    || [ ! -f "$bundle/Contents/MacOS/Lumivane" ] || [ "$real" != "$inside" ]; then
    mv -- "$bundle" "$staging/rejected" || true
    fail "the installed program is not a file inside the new bundle"
fi
rm -rf -- "$backup" || echo "update_script: the old bundle stays at $backup" >&2
exit 0
