#!/usr/bin/env bash
# End to end: the built program compares two folders under an X server of its own (Xvfb), as a user
# would, and its report must equal the one cheqora-cli writes for the same folders. Builds nothing.
#
#   scripts/e2e.sh [BUILD_DIR] [OUTPUT_DIR]
#
# 1. Makes two small folders (a file modified, one added, one removed, one unchanged) with fixed dates.
# 2. Fills the window's folder and report fields the way the program restores them at start-up: a
#    state file in the saved-state format in a private XDG_CONFIG_HOME. The report field is restored
#    only when it names a non-empty file, so a placeholder report is written first; "Warn on
#    overwrite" is off in that state, so no question comes up.
# 3. Starts the program, focuses its window and presses the button "List files added, removed or
#    common to both folders but are modified" from the keyboard: at start-up the focus is on the
#    "1st file" button, and six Shift+Tab steps back through the tab order (Quit, Help, Reset, Save
#    state, the duplicates button; Stop is hidden) reach the compare button, which Space presses.
# 4. Waits for the viewer, whose title is the report's path, and saves OUTPUT_DIR/e2e-viewer.png
#    (and the main window after the comparison as OUTPUT_DIR/e2e-mainwindow.png).
# 5. Compares the report with `cheqora-cli compare` on the same folders.
# 6. Quits with Ctrl+Q and checks that the program has ended.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
outdir=${2:-$build}
bin=$build/bin/cheqora
cli=$build/bin/cheqora-cli

if [ "${CHEQORA_E2E_INSIDE:-}" != 1 ]; then
    for program in "$bin" "$cli"; do
        [ -x "$program" ] || { echo "e2e: $program not found; build first (make build)" >&2; exit 2; }
    done
    for tool in xvfb-run xdotool xwd xwdtopnm pnmtopng pnmfile ppmhist cmp; do
        command -v "$tool" >/dev/null || { echo "e2e: $tool is not installed (make deps)" >&2; exit 2; }
    done
    mkdir -p "$outdir"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/home/.config"
    HOME=$work/home XDG_CONFIG_HOME=$work/home/.config CHEQORA_E2E_INSIDE=1 E2E_WORK=$work \
        LANG=C.UTF-8 TZ=UTC xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$build" "$(cd "$outdir" && pwd)"
    exit $?
fi

# Inside Xvfb from here on.
work=$E2E_WORK
old=$work/old
new=$work/new
report=$work/report.txt
expected=$work/expected.txt
mkdir -p "$old/docs" "$new/docs"
printf 'unchanged\r\n' >"$old/same.txt"
printf 'unchanged\r\n' >"$new/same.txt"
printf 'first version\r\n' >"$old/docs/notes.txt"
printf 'second version, longer\r\n' >"$new/docs/notes.txt"
printf 'only in the old folder\r\n' >"$old/gone.txt"
printf 'only in the new folder\r\n' >"$new/added.txt"
find "$old" "$new" -exec touch -h -d '2024-03-05 10:20:30' {} +
touch -d '2024-06-01 08:00:00' "$new/docs/notes.txt"

# The saved state: 13 lines, CR LF, texts in double quotes, check boxes as " 0 " / " 1 ".
printf 'placeholder\r\n' >"$report"
mkdir -p "$XDG_CONFIG_HOME/Vantorel"
printf '"%s"\r\n' "" "" "$report" "$old" "$new" >"$XDG_CONFIG_HOME/Vantorel/chqr.usr"
printf '%s\r\n' " 1 " " 0 " '""' " 0 " "0" " 0 " " 1 " '"100"' >>"$XDG_CONFIG_HOME/Vantorel/chqr.usr"

tag=e2e
# shellcheck source=scripts/xwindow.sh
. "$here/scripts/xwindow.sh"
title_pattern="^$(printf '%s' "$report" | sed 's/[][\\.^$*+?(){}|]/\\&/g')\$"
# A window just mapped may not take keys yet, and its compare button is enabled by the first tick of
# its timer. A window that has not opened the viewer after the keys is started afresh, with a longer
# pause each time, so the keys always start from the same focus (the report is replaced without asking).
vid=""
for pause in 2 4 8 16; do
    start_main_window
    sleep "$pause"
    xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
    xdotool key --delay 50 shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
    vid=$(timeout 20 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1 || true)
    [ -n "$vid" ] && break
    echo "e2e: no viewer after a pause of $pause s; starting the window again" >&2
    cleanup
done
[ -n "$vid" ] || { echo "e2e: the viewer did not open on $report" >&2; exit 1; }
sleep 1

photograph "$vid" e2e-viewer 8
# The main window with its final caption in lblInfo, once the viewer no longer covers it.
xdotool windowmove "$vid" 1300 0
sleep 1
photograph "$wid" e2e-mainwindow 8

status=0
"$cli" compare "$old" "$new" "$expected" --recursive >/dev/null || status=$?
[ "$status" = 1 ] || { echo "e2e: cheqora-cli compare ended with $status, expected 1 (found something)" >&2; exit 1; }
if ! cmp -s "$report" "$expected"; then
    echo "e2e: the window's report differs from cheqora-cli's:" >&2
    diff "$expected" "$report" >&2 || true
    exit 1
fi
cp "$report" "$outdir/e2e-report.txt"
echo "e2e: the window's report equals cheqora-cli's ($(wc -l <"$report") lines)"

# Ctrl+Q ends the program from the main window.
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
xdotool key ctrl+q 2>/dev/null || true
# Ended: gone, or a zombie waiting for this script.
running() { case "$(ps -o stat= -p "$pid" 2>/dev/null)" in "" | Z*) return 1 ;; *) return 0 ;; esac; }
for _ in $(seq 100); do
    running || break
    sleep 0.1
done
if running; then
    echo "e2e: Ctrl+Q did not end the program" >&2
    exit 1
fi
echo "e2e: Ctrl+Q ended the program"
