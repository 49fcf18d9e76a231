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
tag=screenshot
# shellcheck source=scripts/xwindow.sh
. "$here/scripts/xwindow.sh"
start_main_window

# The window is mapped before Qt has painted it; give the first paint a moment.
sleep 1

photograph "$wid" mainwindow 16

# The first file box is next after the focused "1st file" button: type a path and press Enter.
xdotool windowfocus "$wid" 2>/dev/null || true
xdotool key --window "$wid" Tab 2>/dev/null
xdotool type --window "$wid" --delay 5 "$bin" 2>/dev/null
xdotool key --window "$wid" Return 2>/dev/null
sleep 1
photograph "$wid" mainwindow-digest 16
