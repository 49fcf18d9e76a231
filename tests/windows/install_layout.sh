#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop needs from it: the program found
# through bin/ runs from the folder that holds its data files, the menu entry names it, the icon is
# where the icon theme looks.
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/pre fix"

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -L "$prefix/bin/cheqora" ] || fail "bin/cheqora is not a link"
program=$(readlink -f "$prefix/bin/cheqora")
[ -x "$program" ] || fail "bin/cheqora does not lead to an executable"
program_dir=$(dirname "$program")
[ "$program_dir" != "$(readlink -f "$prefix/bin")" ] || fail "data files would land in bin/"
[ -f "$program_dir/chqr_help.txt" ] || fail "chqr_help.txt is not beside the program"
[ -f "$program_dir/chqr.dat" ] || fail "chqr.dat is not beside the program"
[ -x "$prefix/bin/cheqora-cli" ] || fail "bin/cheqora-cli missing"

entry="$prefix/share/applications/cheqora.desktop"
[ -f "$entry" ] || fail "no desktop entry"
grep -qx "Exec=\"$prefix/bin/cheqora\" %F" "$entry" || fail "Exec does not name the installed program: $(grep ^Exec "$entry")"
grep -qx "MimeType=application/octet-stream;inode/directory;text/plain;" "$entry" || fail "no files or folders offered"
grep -qx "TryExec=$prefix/bin/cheqora" "$entry" || fail "TryExec does not name the installed program"
grep -qx "Icon=cheqora" "$entry" || fail "Icon is not the theme name"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop entry does not validate"
fi

icon="$prefix/share/icons/hicolor/scalable/apps/cheqora.svg"
[ -f "$icon" ] || fail "no scalable icon"
grep -q "<svg" "$icon" || fail "icon is not SVG"

grep -qx "$prefix/bin/cheqora" "$build_dir/install_manifest.txt" || fail "link missing from the manifest"
echo "install layout ok"
