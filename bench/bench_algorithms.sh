#!/usr/bin/env bash
# Times SHA-256 against sha256sum on one core, in the same run, over tree (a) of bench_compare.sh
# (8 files of 64 MiB per side, half of them changed):
#   `cheqora-cli compare --recursive --algorithm sha256 old new` against `sha256sum` over both trees;
#   `cheqora-cli check` of a SHA256SUMS list of both trees against `sha256sum -c` of the same list.
# Then, as the yardstick MD5 stays by, `compare` (MD5) against md5sum over the same trees. Each tool
# runs on a warm page cache; the best of RUNS runs counts.
#
# usage: bench/bench_algorithms.sh BUILD_DIR   (RUNS=3 by default)
set -euo pipefail

BUILD=${1:?usage: bench_algorithms.sh BUILD_DIR}
RUNS=${RUNS:-3}
CLI=$(cd "$BUILD" && pwd)/bin/cheqora-cli
[ -x "$CLI" ] || { echo "no $CLI: build first" >&2; exit 2; }
command -v bc >/dev/null || { echo "bc is needed for the ratios" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/cheqora-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

. "$(dirname "$0")/timing.sh"

seconds() { printf '%8.3f s' "$(echo "$1 / 1000" | bc -l)"; }

D=$WORK/a
mkdir -p "$D/old" "$D/new"
for i in 1 2 3 4 5 6 7 8; do
    head -c $((64 << 20)) /dev/urandom >"$D/old/big$i.bin"
    cp "$D/old/big$i.bin" "$D/new/big$i.bin"
    if [ "$i" -le 4 ]; then
        printf 'changed' | dd of="$D/new/big$i.bin" bs=1 seek=$((i * 1000003)) conv=notrunc status=none
    fi
done
(cd "$D" && find old new -type f -print0 | sort -z | xargs -0 sha256sum >SHA256SUMS)

# One process, one file at a time: sha256sum on one core.
sha256sum_both() { (cd "$D" && find old new -type f -print0 | xargs -0 sha256sum); }
sha256sum_check() { (cd "$D" && sha256sum -c SHA256SUMS); }
md5sum_both() { (cd "$D" && find old new -type f -print0 | xargs -0 md5sum); }
compare() { "$CLI" compare "$D/old" "$D/new" "$D/report.txt" --recursive --force --no-line-limit "$@"; }
check() { (cd "$D" && "$CLI" check SHA256SUMS); }

echo "Tree (a): 8 files of 64 MiB per side, 4 changed; $(nproc) hardware threads"
sha256sum_both >/dev/null # warm the page cache
sha=$(best_ms sha256sum_both)
echo "  sha256sum (both trees)            $(seconds "$sha")"
cmp=$(best_ms compare --algorithm sha256)
echo "  cheqora-cli compare -a sha256     $(seconds "$cmp")   ratio $(ratio "$cmp" "$sha")   (target: at most 0.25)"
tail -n 3 "$D/report.txt" | tr -d '\r' | sed 's/^/    report: /'
shc=$(best_ms sha256sum_check)
echo "  sha256sum -c SHA256SUMS           $(seconds "$shc")"
chk=$(best_ms check)
echo "  cheqora-cli check SHA256SUMS      $(seconds "$chk")   ratio to sha256sum $(ratio "$chk" "$sha"), to sha256sum -c $(ratio "$chk" "$shc")   (target: at most 0.25)"
md5=$(best_ms md5sum_both)
echo "  md5sum (both trees)               $(seconds "$md5")"
cm=$(best_ms compare)
echo "  cheqora-cli compare (MD5)         $(seconds "$cm")   ratio $(ratio "$cm" "$md5")   (bench_compare.sh's tree (a) ratio)"
