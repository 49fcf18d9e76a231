#!/usr/bin/env bash
# Runs every bench/bench_*.sh against one build folder: bench/run_all.sh BUILD_DIR
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build_dir=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
status=0
shopt -s nullglob
for script in "$here"/bench_*.sh; do
    echo "== $(basename "$script")"
    bash "$script" "$build_dir" || status=1
done
exit $status
