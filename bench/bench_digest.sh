#!/usr/bin/env bash
# Digest throughput of digestOfFile against md5sum on the same 256 MiB random file, in one run.
# Usage: bench/bench_digest.sh BUILD_DIR [SIZE_MIB]
# Both tools read a file that is already in the page cache; each is timed as a whole process, and the
# best of three runs counts. The target is a ratio of at least 0.95.
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [SIZE_MIB]" >&2
    exit 2
fi
build_dir=$(cd "$1" && pwd)
size_mib=${2:-256}
driver="$build_dir/bin/bench_digest"
runs=3
target=0.95

if [ ! -x "$driver" ]; then
    echo "bench_digest: $driver is missing; build first (make build)" >&2
    exit 1
fi
command -v md5sum >/dev/null || { echo "bench_digest: md5sum is missing" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/cheqora-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
file="$work/random.bin"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$file"

# Warm the page cache so that both tools measure hashing, not the disk.
cat "$file" >/dev/null
cat "$file" >/dev/null

now_ns() { date +%s%N; }

# Runs of the two tools alternate so that neither profits from running second or from a quiet moment
# of the machine; for each tool the shortest wall time counts.
md5_ns=""
ours_ns=""
md5_out=""
ours_out=""
for _ in $(seq "$runs"); do
    start=$(now_ns); md5_out=$(md5sum "$file"); end=$(now_ns)
    took=$((end - start))
    if [ -z "$md5_ns" ] || [ "$took" -lt "$md5_ns" ]; then md5_ns=$took; fi
    start=$(now_ns); ours_out=$("$driver" "$file"); end=$(now_ns)
    took=$((end - start))
    if [ -z "$ours_ns" ] || [ "$took" -lt "$ours_ns" ]; then ours_ns=$took; fi
done

md5_digest=$(echo "$md5_out" | cut -c1-32 | tr 'a-f' 'A-F')
if [ "$ours_out" != "$md5_digest" ]; then
    echo "bench_digest: digests differ: digestOfFile $ours_out, md5sum $md5_digest" >&2
    exit 1
fi

awk -v size="$size_mib" -v md5="$md5_ns" -v ours="$ours_ns" -v target="$target" 'BEGIN {
    md5_rate = size / (md5 / 1e9)
    ours_rate = size / (ours / 1e9)
    ratio = ours_rate / md5_rate
    printf "file:        %d MiB random, cached; best of 3 runs each\n", size
    printf "md5sum:      %8.1f MiB/s (%.3f s)\n", md5_rate, md5 / 1e9
    printf "digestOfFile: %8.1f MiB/s (%.3f s)\n", ours_rate, ours / 1e9
    printf "ratio:       %8.3f (target >= %.2f) %s\n", ratio, target, (ratio >= target) ? "ok" : "BELOW TARGET"
}'
