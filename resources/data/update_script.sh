#!/bin/sh
# Installs a downloaded update.
#   update_script.sh IMAGE BUNDLE HOME
# IMAGE is a verified tar archive holding one bundle folder (NAME.app with
# Contents/MacOS inside). The new bundle is unpacked beside BUNDLE, BUNDLE
# is moved aside, the new one is moved into its place, and only then is the
# old one removed; if anything fails, BUNDLE is left as it was. Exits
# non-zero on any failure.
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
[ -d "$new/Contents/MacOS" ] && [ ! -L "$new" ] || fail "the image holds no bundle"
found=no
for exe in "$new"/Contents/MacOS/*; do
    if [ -f "$exe" ] && [ -x "$exe" ]; then
        found=yes
    fi
done
[ "$found" = yes ] || fail "the bundle in the image has no program"

mv -- "$bundle" "$backup" || fail "cannot move the installed bundle aside"
if ! mv -- "$new" "$bundle"; then
    fail "cannot move the new bundle into place"
fi
rm -rf -- "$backup" || echo "update_script: the old bundle stays at $backup" >&2
exit 0
