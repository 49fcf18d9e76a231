#!/usr/bin/env bash
# Photographs the built main window as an X server draws it (Xvfb), once as it starts and once with a
# digest shown, and checks that neither picture is blank. Builds nothing.
#
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT_DIR]
#
# Writes OUTPUT_DIR/mainwindow.png and OUTPUT_DIR/mainwindow-digest.png (default: BUILD_DIR).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
outdir=${2:-$build}
bin=$build/bin/cheqora

if [ "${CHEQORA_SCREENSHOT_INSIDE:-}" != 1 ]; then
    [ -x "$bin" ] || { echo "screenshot: $bin not found; build first (make build)" >&2; exit 2; }
    for tool in xvfb-run xdotool xwd xwdtopnm pnmtopng pnmfile ppmhist; do
        command -v "$tool" >/dev/null || { echo "screenshot: $tool is not installed" >&2; exit 2; }
    done
    mkdir -p "$outdir"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    # A home of its own, so that no saved state of the person running it shows up.
    mkdir -p "$work/home"
    HOME=$work/home XDG_CONFIG_HOME=$work/home/.config CHEQORA_SCREENSHOT_INSIDE=1 SCREENSHOT_WORK=$work \
        LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$build" "$(cd "$outdir" && pwd)"
    exit $?
fi

# Inside Xvfb from here on.
work=$SCREENSHOT_WORK
"$bin" &
pid=$!
cleanup() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
trap cleanup EXIT

wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Cheqora ' | head -n 1)
[ -n "$wid" ] || { echo "screenshot: the window did not appear" >&2; exit 1; }

# The window is mapped before Qt has painted it; give the first paint a moment.
sleep 1

check_and_save() {
    local name=$1
    xwd -silent -id "$wid" >"$work/$name.xwd"
    xwdtopnm "$work/$name.xwd" 2>/dev/null >"$work/$name.pnm"
    pnmtopng "$work/$name.pnm" >"$outdir/$name.png"
    read -r width height < <(pnmfile "$work/$name.pnm" | sed -E 's/.* ([0-9]+) by ([0-9]+).*/\1 \2/')
    local colours
    colours=$(ppmhist -noheader "$work/$name.pnm" | wc -l)
    echo "$outdir/$name.png: ${width}x${height}, $colours colours"
    if [ "$width" -lt 300 ] || [ "$height" -lt 200 ] || [ "$colours" -lt 16 ]; then
        echo "screenshot: $name.png looks blank" >&2
        exit 1
    fi
}

check_and_save mainwindow

# The first file box is next after the focused "1st file" button: type a path and press Enter.
xdotool windowfocus "$wid" 2>/dev/null || true
xdotool key --window "$wid" Tab 2>/dev/null
xdotool type --window "$wid" --delay 5 "$bin" 2>/dev/null
xdotool key --window "$wid" Return 2>/dev/null
sleep 1
check_and_save mainwindow-digest
