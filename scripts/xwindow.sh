# Shared by the scripts that drive the real program under Xvfb (sourced, not run).
# Needs: bin (the program), work (a scratch folder), outdir (where pictures go), tag (message prefix).

# Starts the program in the background and sets wid to its main window; the program ends with the
# script.
start_main_window() {
    "$bin" &
    pid=$!
    cleanup() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
    trap cleanup EXIT
    wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Cheqora ' | head -n 1)
    [ -n "$wid" ] || { echo "$tag: the main window did not appear" >&2; exit 1; }
}

# photograph WINDOW_ID NAME MIN_COLOURS: saves the window as OUTDIR/NAME.png and fails when the
# picture is too small or has too few colours to be anything but blank.
photograph() {
    local id=$1 name=$2 min_colours=$3
    xwd -silent -id "$id" >"$work/$name.xwd"
    xwdtopnm "$work/$name.xwd" 2>/dev/null >"$work/$name.pnm"
    pnmtopng "$work/$name.pnm" >"$outdir/$name.png"
    local width height colours
    read -r width height < <(pnmfile "$work/$name.pnm" | sed -E 's/.* ([0-9]+) by ([0-9]+).*/\1 \2/')
    colours=$(ppmhist -noheader "$work/$name.pnm" | wc -l)
    echo "$outdir/$name.png: ${width}x${height}, $colours colours"
    if [ "$width" -lt 300 ] || [ "$height" -lt 200 ] || [ "$colours" -lt "$min_colours" ]; then
        echo "$tag: $name.png looks blank" >&2
        exit 1
    fi
}
