#!/usr/bin/env bash
# Times a digest list of a million entries (written, read into scan records, sorted, every path looked
# up) against a plain walk of a generated tree of TREE_FILES empty files, timed in the same run by the
# driver itself and by `find`. The per-file ratio is printed; targets: under 3 s and 300 MB.
#
# usage: bench/bench_digestlist.sh BUILD_DIR   (ENTRIES=1000000, TREE_FILES=200000 by default)
set -euo pipefail

BUILD=${1:?usage: bench_digestlist.sh BUILD_DIR}
ENTRIES=${ENTRIES:-1000000}
TREE_FILES=${TREE_FILES:-200000}
DRIVER=$BUILD/bin/bench_digestlist
[ -x "$DRIVER" ] || { echo "no $DRIVER: build first" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/cheqora-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

echo "Building a tree of $TREE_FILES empty files in $WORK ..."
perl -e '
    use strict; use File::Path qw(make_path);
    my ($root, $n) = @ARGV;
    make_path(sprintf("%s/d%03d/s%02d", $root, $_ % 200, int($_ / 200))) for 0 .. 3999;
    for my $i (0 .. $n - 1) {
        my $f = sprintf("%s/d%03d/s%02d/Photo_%07d.JPG", $root, $i % 200, int($i / 200) % 20, $i);
        open(my $o, ">", $f) or die "$f: $!"; close $o;
    }' "$WORK/tree" "$TREE_FILES"

t0=$(date +%s%N)
find "$WORK/tree" -type f | wc -l >/dev/null
t1=$(date +%s%N)
echo "find over the tree: $(( (t1 - t0) / 1000000 )) ms for $TREE_FILES files"

status=0
for mode in stream held; do
    echo "-- $mode"
    "$DRIVER" "$mode" "$ENTRIES" "$WORK/tree" | sed 's/^/  /' || status=1
done

# The whole command: two saved lists of ENTRIES files compared by cheqora-cli, one in a thousand
# changed, against sorting and joining the same lists with sort and join.
CLI=$BUILD/bin/cheqora-cli
if [ -x "$CLI" ]; then
    echo "-- cheqora-cli compare LIST LIST, $ENTRIES entries"
    perl -e '
        my ($n, $old, $new) = @ARGV;
        open(my $a, ">", $old) or die; open(my $b, ">", $new) or die;
        for my $i (0 .. $n - 1) {
            my $d = sprintf("%032x", $i * 2654435761 % 4294967296);
            my $p = sprintf("d%03d/s%02d/Photo_%07d.JPG", $i % 200, int($i / 200) % 20, $i);
            print $a "$d  $p\n";
            print $b (($i % 1000) ? $d : "f" x 32), "  $p\n";
        }' "$ENTRIES" "$WORK/old.md5" "$WORK/new.md5"
    t0=$(date +%s%N)
    /usr/bin/env time -f "%M" -o "$WORK/rss" "$CLI" compare -f -q -r "$WORK/old.md5" "$WORK/new.md5" "$WORK/r.txt" \
        >/dev/null || [ $? -eq 1 ] || status=1
    t1=$(date +%s%N)
    sort -k2 "$WORK/old.md5" > "$WORK/o.s"; sort -k2 "$WORK/new.md5" > "$WORK/n.s"
    join -1 2 -2 2 "$WORK/o.s" "$WORK/n.s" | awk '$2 != $3' | wc -l >/dev/null
    t2=$(date +%s%N)
    ms=$(( (t1 - t0) / 1000000 )); ref=$(( (t2 - t1) / 1000000 ))
    echo "  cheqora-cli: $ms ms, peak $(( $(tail -n 1 "$WORK/rss") / 1024 )) MB;" \
         "sort+join: $ref ms; ratio $(awk -v a="$ms" -v b="$ref" 'BEGIN { printf "%.2f", a / (b ? b : 1) }')"
fi
exit $status
