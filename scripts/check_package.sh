#!/usr/bin/env bash
# Unpacks the Debian package into a scratch root (dpkg -x, as any user) and checks what installing it
# gives: the control fields, cheqora-cli digesting a file from there as md5sum does, the window program
# reached through its link with its data files beside it, the menu entry, icon, manual pages, copyright
# file, changelog and AppStream metadata; then lintian and appstreamcli validate, where installed.
# Usage: scripts/check_package.sh [BUILD_DIR | PACKAGE.deb]
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

target=${1:-build}
if [ -d "$target" ]; then
  shopt -s nullglob
  debs=("$target"/cheqora_*.deb)
  [ ${#debs[@]} -eq 1 ] || fail "expected one cheqora_*.deb in $target, found ${#debs[@]}"
  deb=${debs[0]}
else
  deb=$target
fi
[ -f "$deb" ] || fail "no package $deb"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = cheqora ] || fail "Package is $(field Package)"
[ "$(field Section)" = utils ] || fail "Section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
for lib in libqt6core6 libqt6widgets6 libssl; do
  field Depends | grep -q "$lib" || fail "Depends lacks $lib: $(field Depends)"
done
if dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./usr/' | grep -qv '^\./$'; then
  fail "files outside /usr"
fi

cli="$root/usr/bin/cheqora-cli"
[ -x "$cli" ] || fail "usr/bin/cheqora-cli missing"
for program in "$cli" "$root/usr/lib/cheqora/cheqora"; do
  ! ldd "$program" | grep -q "not found" || fail "$program lacks libraries: $(ldd "$program" | grep 'not found')"
done
sample="$root/sample file.txt"
printf 'Cheqora from its package.\n' > "$sample"
expected=$(md5sum < "$sample" | cut -c1-32 | tr a-f A-F)
line=$("$cli" digest "$sample")
case "$line" in
  "$expected  $sample,26 bytes "*) ;;
  *) fail "digest line: $line (expected $expected)" ;;
esac
[ "$("$cli" --version)" = "cheqora-cli $(field Version | cut -d- -f1)" ] || fail "version: $("$cli" --version)"

link="$root/usr/bin/cheqora"
[ -L "$link" ] || fail "usr/bin/cheqora is not a link"
[ "$(readlink -f "$link")" = "$root/usr/lib/cheqora/cheqora" ] || fail "usr/bin/cheqora leads to $(readlink "$link")"
for data in chqr.dat chqr_help.txt; do
  [ -f "$root/usr/lib/cheqora/$data" ] || fail "$data is not beside the program"
done

entry="$root/usr/share/applications/cheqora.desktop"
grep -qx "Exec=/usr/bin/cheqora %F" "$entry" || fail "menu entry: $(grep ^Exec "$entry")"
grep -qx "Icon=cheqora" "$entry" || fail "menu entry names no theme icon"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/cheqora.svg" ] || fail "no icon"
for page in cheqora cheqora-cli; do
  manual="$root/usr/share/man/man1/$page.1.gz"
  zcat "$manual" | grep -q "^\.TH ${page^^} 1" || fail "no manual page for $page"
  if command -v man >/dev/null; then
    warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "manual page of $page: $warnings"
  fi
done
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/lib/cheqora/cheqora" --version)" = "cheqora $(field Version | cut -d- -f1)" ] \
  || fail "cheqora --version needs a display or names another version"
grep -qx "MimeType=application/octet-stream;inode/directory;text/plain;" "$entry" || fail "menu entry offers no files"
field Recommends | grep -q libqt6svg6 || fail "the SVG plugins are not recommended: $(field Recommends)"
doc="$root/usr/share/doc/cheqora"
grep -q "^Copyright: " "$doc/copyright" || fail "no copyright file"
zcat "$doc/changelog.Debian.gz" | head -1 | grep -q "^cheqora ($(field Version))" || fail "changelog is not of $(field Version)"
metainfo="$root/usr/share/metainfo/example.vantorel.cheqora.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream metadata"

# Debian's and AppStream's own checks, where they are installed (make package installs them).
if command -v lintian >/dev/null; then
  found=$(lintian --fail-on warning --tag-display-limit 0 "$deb" 2>&1) || fail "lintian:"$'\n'"$found"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "menu entry does not validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >/dev/null || fail "AppStream: $(appstreamcli validate --no-net "$metainfo")"
fi
echo "package ok: $deb ($(field Depends))"
