#!/usr/bin/env bash
# Photographs the built main window as an X server draws it (Xvfb): at its starting size, at
# 1500 x 900, and with a digest shown; checks that no picture is blank. Builds nothing.
#
#   scripts/screenshot.sh [BUILD_DIR] [OUTPUT_DIR]
#
# Writes OUTPUT_DIR/mainwindow.png, mainwindow-1500x900.png and mainwindow-digest.png (default: BUILD_DIR).
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
        LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96" "$0" "$build" "$(cd "$outdir" && pwd)"
    exit $?
fi

# Inside Xvfb from here on.
work=$SCREENSHOT_WORK
tag=screenshot
# shellcheck source=scripts/xwindow.sh
. "$here/scripts/xwindow.sh"
start_main_window

# The window is mapped before Qt has painted it; give the first paint a moment.
sleep 1

photograph "$wid" mainwindow 16

# Larger than it starts: the frames keep their height, the commands and links stay at the bottom.
read -r start_width start_height < <(xdotool getwindowgeometry "$wid" | sed -nE 's/.*Geometry: ([0-9]+)x([0-9]+).*/\1 \2/p')
xdotool windowsize --sync "$wid" 1500 900 2>/dev/null || xdotool windowsize "$wid" 1500 900
sleep 1
photograph "$wid" mainwindow-1500x900 16
xdotool windowsize "$wid" "$start_width" "$start_height"
sleep 1

# The first file box is next after the focused "1st file" button: type a path and press Enter.
xdotool windowfocus "$wid" 2>/dev/null || true
xdotool key --window "$wid" Tab 2>/dev/null
xdotool type --window "$wid" --delay 5 "$bin" 2>/dev/null
xdotool key --window "$wid" Return 2>/dev/null
sleep 1
photograph "$wid" mainwindow-digest 16
