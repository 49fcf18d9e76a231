#!/usr/bin/env bash
# Non-blank lines of the test suite against the program code (C++ outside tests/ and bench/).
set -euo pipefail
cd "$(dirname "$0")/.."
count() { if [ $# -eq 0 ]; then echo 0; else cat -- "$@" | grep -cv '^[[:space:]]*$' || true; fi; }
mapfile -t tests < <(git ls-files -co --exclude-standard tests)
mapfile -t code < <(git ls-files -co --exclude-standard '*.cpp' '*.h' | grep -v -e '^tests/' -e '^bench/')
t=$(count "${tests[@]}")
c=$(count "${code[@]}")
awk -v t="$t" -v c="$c" 'BEGIN { printf "tests %d / code %d non-blank lines = %.2f (at most 0.40)\n", t, c, t / c }'
