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
exit $status
