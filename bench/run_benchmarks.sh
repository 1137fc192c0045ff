#!/usr/bin/env bash
# Times whole runs of varlen-cli on generated trusses (median of three, peak memory), then the phase
# benchmarks with their baselines, then the same trusses beside the peers (bench/run_peers.sh).
# Usage: bench/run_benchmarks.sh [--large] [--no-peers]
#   --large adds the 1,000,000-joint lattice (about a minute a run and 3 GB of memory).
#   --no-peers leaves out the peers (which bench/install-peers.sh installs).
set -euo pipefail
cd "$(dirname "$0")/.."

large=no
peers=yes
for arg in "$@"; do
    case "$arg" in
        --large) large=yes ;;
        --no-peers) peers=no ;;
        *)
            echo "usage: bench/run_benchmarks.sh [--large] [--no-peers]" >&2
            exit 2
            ;;
    esac
done

scripts/build.sh >/dev/null

data=build/bench-data
mkdir -p "$data"
gen=build/release/bench/generate_truss
cli=build/release/src/cli/varlen-cli

sizes=("girder 907 girder_1816" "lattice 32 lattice_1024" "lattice 100 lattice_10000" "lattice 316 lattice_99856")
if [ "$large" = yes ]; then sizes+=("lattice 1000 lattice_1000000"); fi

for spec in "${sizes[@]}"; do
    read -r kind size name <<<"$spec"
    [ -f "$data/$name.sma" ] || "$gen" "$kind" "$size" "$data/$name.sma"
done

printf '| truss | joints | members | read s | assemble s | order s | factor s | solve s | output s | whole s (median of 3) | peak MiB |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|\n'
for spec in "${sizes[@]}"; do
    read -r kind size name <<<"$spec"
    runs=()
    for attempt in 1 2 3; do
        /usr/bin/time -f "%e %M" -o "$data/time.txt" \
            "$cli" analyse "$data/$name.sma" --quiet --timings --results "$data/$name.txt" --json "$data/$name.json" \
            2>"$data/timings-$attempt.txt"
        runs+=("$(cat "$data/time.txt") $attempt")
    done
    median=$(printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p)
    read -r wall kib attempt <<<"$median"
    t="$data/timings-$attempt.txt"
    field() { grep -o "$1 [0-9.]* s" "$t" | head -n 1 | awk '{print $2}'; }
    joints=$(grep -o 'joints [0-9]*' "$t" | awk '{print $2}')
    members=$(grep -o 'members [0-9]*' "$t" | awk '{print $2}')
    printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %.0f |\n' "$name" "$joints" "$members" \
        "$(field read)" "$(field assemble)" "$(field order)" "$(field factor)" "$(field solve)" "$(field output)" \
        "$wall" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')"
    rm -f "$data/$name.txt" "$data/$name.json"
done

echo
echo "Phase benchmarks and their baselines:"
build/release/bench/varlen_bench "$data" --benchmark_min_time=0.2

if [ "$peers" = yes ]; then
    echo
    echo "Beside the peers:"
    if [ "$large" = yes ]; then bench/run_peers.sh --large; else bench/run_peers.sh; fi
fi
