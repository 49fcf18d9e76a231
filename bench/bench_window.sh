#!/usr/bin/env bash
# The same comparison clicked in the real window under Xvfb and run by cheqora-cli, in the same run:
# the window's time (from the key press on the compare button to its viewer showing the report) over
# the CLI's. Trees: 8 files of 64 MiB per side (4 changed), 20,000 files of 1-8 KiB in 200 folders
# per side (10% changed), and TINY files of 100-500 bytes in TINY / 200 folders per side (1%
# changed; 200,000 by default); warm page cache, best of RUNS runs (3 by default).
#
# usage: bench/bench_window.sh BUILD_DIR   (TINY=N for another number of tiny files)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: bench_window.sh BUILD_DIR}" && pwd)
bin=$build/bin/cheqora
cli=$build/bin/cheqora-cli
RUNS=${RUNS:-3}

if [ "${CHEQORA_BENCH_INSIDE:-}" != 1 ]; then
    for program in "$bin" "$cli"; do
        [ -x "$program" ] || { echo "no $program: build first" >&2; exit 2; }
    done
    for tool in xvfb-run xdotool bc perl; do
        command -v "$tool" >/dev/null || { echo "$tool is not installed (make deps)" >&2; exit 2; }
    done
    work=$(mktemp -d "${TMPDIR:-/tmp}/cheqora-bench-window.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/home/.config"
    HOME=$work/home XDG_CONFIG_HOME=$work/home/.config CHEQORA_BENCH_INSIDE=1 BENCH_WORK=$work \
        LANG=C.UTF-8 TZ=UTC xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$build"
    exit $?
fi

# Inside Xvfb from here on.
work=$BENCH_WORK
outdir=$work
tag=bench_window
now_ns() { date +%s%N; }

make_trees() {
    mkdir -p "$work/a/old" "$work/a/new"
    for i in 1 2 3 4 5 6 7 8; do
        head -c $((64 << 20)) /dev/urandom >"$work/a/old/big$i.bin"
        cp "$work/a/old/big$i.bin" "$work/a/new/big$i.bin"
        [ "$i" -gt 4 ] || printf 'changed' | dd of="$work/a/new/big$i.bin" bs=1 seek=$((i * 1000003)) conv=notrunc status=none
    done
    perl -e '
        use strict; use File::Path qw(make_path);
        my ($root) = @ARGV; srand(42);
        for my $side ("old", "new") { make_path("$root/$side/d$_") for 0 .. 199; }
        for my $i (0 .. 19999) {
            my $rel = sprintf("d%d/file%05d.dat", $i % 200, $i);
            my $data = substr(join("", map { chr(int(rand(256))) } 1 .. 64) x 130, 0, 1024 + int(rand(7 * 1024 + 1)));
            open(my $o, ">", "$root/old/$rel") or die; binmode $o; print $o $data; close $o;
            substr($data, 10, 1) = chr((ord(substr($data, 10, 1)) + 1) % 256) if $i % 10 == 0;
            open(my $n, ">", "$root/new/$rel") or die; binmode $n; print $n $data; close $n;
        }' "$work/b"
    perl "$here/bench/make_tiny_trees.pl" "$work/c" "${TINY:-200000}"
}

# window_ms DIR: one comparison clicked in a freshly started window, in milliseconds.
window_ms() {
    local dir=$1 report=$1/window-report.txt
    # The saved state (see scripts/e2e.sh): subfolders included, no overwrite question, no line limit.
    printf 'placeholder\r\n' >"$report"
    mkdir -p "$XDG_CONFIG_HOME/Vantorel"
    printf '"%s"\r\n' "" "" "$report" "$dir/old" "$dir/new" >"$XDG_CONFIG_HOME/Vantorel/chqr.usr"
    printf '%s\r\n' " 1 " " 0 " '""' " 0 " "0" " 0 " " 0 " '"100"' >>"$XDG_CONFIG_HOME/Vantorel/chqr.usr"
    start_main_window
    sleep 2
    xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
    xdotool key --delay 50 shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
    local t0 line id=""
    # Windows being mapped are heard from one waiting xev rather than polled for: the processes of a
    # poll would take the processor from the comparison being timed.
    coproc XEV { exec xev -root -event substructure; }
    sleep 0.5
    t0=$(now_ns)
    xdotool key space
    while IFS= read -r -t 600 line <&"${XEV[0]}"; do
        [[ $line == MapNotify* ]] || continue
        IFS= read -r line <&"${XEV[0]}"
        id=$(sed -n 's/.* window \(0x[0-9a-f]*\),.*/\1/p' <<<"$line")
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$report" ] && break
    done
    local t1
    t1=$(now_ns)
    [ -n "$id" ] && [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$report" ] \
        || { echo "$tag: no viewer after 10 minutes" >&2; exit 1; }
    kill "$XEV_PID" "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    trap - EXIT
    echo $(((t1 - t0) / 1000000))
}

cli_ms() {
    local t0 t1
    t0=$(now_ns)
    "$cli" compare "$1/old" "$1/new" "$1/cli-report.txt" --recursive --force --no-line-limit >/dev/null || [ $? -le 1 ]
    t1=$(now_ns)
    echo $(((t1 - t0) / 1000000))
}

# shellcheck source=scripts/xwindow.sh
. "$here/scripts/xwindow.sh"
echo "Building the trees in $work ..."
make_trees
for tree in a b c; do
    dir=$work/$tree
    cli_ms "$dir" >/dev/null # warm the page cache
    best_cli="" best_window=""
    for ((r = 0; r < RUNS; r++)); do
        c=$(cli_ms "$dir")
        w=$(window_ms "$dir")
        if [ -z "$best_cli" ] || [ "$c" -lt "$best_cli" ]; then best_cli=$c; fi
        if [ -z "$best_window" ] || [ "$w" -lt "$best_window" ]; then best_window=$w; fi
    done
    cmp -s "$dir/window-report.txt" "$dir/cli-report.txt" || { echo "$tag: the window's report differs from the CLI's" >&2; exit 1; }
    case $tree in
    a) echo "Tree (a): 8 files of 64 MiB per side" ;;
    b) echo "Tree (b): 20,000 files of 1-8 KiB in 200 folders per side" ;;
    c) echo "Tree (c): ${TINY:-200000} files of 100-500 bytes in $(((${TINY:-200000} + 199) / 200)) folders per side" ;;
    esac
    printf '  cheqora-cli compare --recursive   %8.3f s\n' "$(echo "$best_cli / 1000" | bc -l)"
    printf '  the window, click to viewer       %8.3f s\n' "$(echo "$best_window / 1000" | bc -l)"
    printf '  ratio window / cli:               %.2f   (target: at most 1.15)\n' "$(echo "$best_window / $best_cli" | bc -l)"
done
