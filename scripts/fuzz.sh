#!/usr/bin/env bash
# Builds the readers' libFuzzer harnesses with clang (build/fuzz) and runs each for SECONDS_EACH
# seconds (default 60), after replaying every input a past run found (fuzz/regressions/), which must
# all pass. Seeds: the examples, the DXF test drawings and the small texts under fuzz/corpus/; what a
# run learns is kept in build/fuzz/corpus/ for the next. Arguments after the seconds go to every
# harness as they are (for instance -runs=10000000 for a run of a fixed length).
# A finding stops its harness, is written to build/fuzz/findings/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

if [ "${VARLEN_SKIP_INSTALL:-0}" != 1 ]; then scripts/install-deps.sh >/dev/null; fi
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVARLEN_FUZZ=ON -DVARLEN_BUILD_GUI=OFF -DVARLEN_BUILD_TESTS=OFF -DVARLEN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz -j 2 --target fuzz_project_file fuzz_dxf fuzz_number

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p build/fuzz/findings

# harness, the longest input it tries, its seed folders
run() {
    local harness=$1 maxLen=$2
    shift 2
    local program=build/fuzz/fuzz/fuzz_$harness
    local kept=(fuzz/regressions/"$harness"/*)
    if [ -e "${kept[0]}" ]; then
        echo "== $harness: replaying ${#kept[@]} kept inputs"
        "$program" -runs=0 "${kept[@]}" >/dev/null 2>build/fuzz/findings/"$harness"-replay.log ||
            { cat build/fuzz/findings/"$harness"-replay.log >&2; echo "fuzz: a kept $harness input fails again" >&2; return 1; }
    fi
    local dict=()
    if [ -f fuzz/"$harness".dict ]; then dict=(-dict=fuzz/"$harness".dict); fi
    echo "== $harness: ${seconds} s"
    mkdir -p build/fuzz/corpus/"$harness"
    "$program" -max_total_time="$seconds" -max_len="$maxLen" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix=build/fuzz/findings/"$harness"- "${dict[@]}" "${extra[@]}" \
        build/fuzz/corpus/"$harness" "$@" 2>build/fuzz/findings/"$harness".log ||
        { tail -n 60 build/fuzz/findings/"$harness".log >&2; echo "fuzz: $harness found a fault" >&2; return 1; }
    grep -E '^(stat::number_of_executed_units|Done [0-9]+ runs)' build/fuzz/findings/"$harness".log || true
}
extra=("$@")

run project_file 4096 examples fuzz/corpus/project_file
run dxf 8192 tests/data/dxf fuzz/corpus/dxf
run number 64 fuzz/corpus/number
