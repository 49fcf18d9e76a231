# Timing helpers the benchmark scripts source; RUNS is set by the script.

now_ns() { date +%s%N; }

# best_ms COMMAND...: runs the command RUNS times and prints its best wall time in milliseconds. An
# exit status of 1 (differences found) counts as a run like any other.
best_ms() {
    local best=""
    for ((r = 0; r < RUNS; r++)); do
        local t0 t1
        t0=$(now_ns)
        "$@" >/dev/null 2>&1 || [ $? -le 1 ]
        t1=$(now_ns)
        local ms=$(( (t1 - t0) / 1000000 ))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    echo "$best"
}

ratio() { printf "%.2f" "$(echo "$1 / $2" | bc -l)"; }
