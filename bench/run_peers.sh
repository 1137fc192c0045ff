#!/usr/bin/env bash
# Times whole runs of varlen-cli beside two peers on the trusses run_benchmarks.sh uses: a plain
# numpy/scipy solver (bench/peers/scipy_truss.py) and CalculiX's ccx, on a deck of T3D2 trusses and on
# one of SPRINGA springs converted from the same file (bench/peers/sma_to_calculix.py, not timed).
# Each program runs three times, interleaved; the table shows the median wall time and that run's peak
# memory. Usage: bench/run_peers.sh [--large]
#   --large adds the 1,000,000-joint lattice (minutes and gigabytes: see bench/README.md).
# The peers come from bench/install-peers.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

large=no
for arg in "$@"; do
    case "$arg" in
        --large) large=yes ;;
        *)
            echo "usage: bench/run_peers.sh [--large]" >&2
            exit 2
            ;;
    esac
done

data=build/bench-data
out=$PWD/$data/peers
gen=build/release/bench/generate_truss
cli=build/release/src/cli/varlen-cli
python=/usr/bin/python3 # Debian's, where python3-scipy puts scipy
peers=bench/peers

if [ ! -x "$cli" ] || [ ! -x "$gen" ]; then scripts/build.sh >/dev/null; fi
if ! "$python" -c 'import scipy' 2>/dev/null || ! command -v ccx >/dev/null || [ ! -x /usr/bin/time ]; then
    echo "run_peers: scipy for $python, ccx or /usr/bin/time is missing; run bench/install-peers.sh" >&2
    exit 1
fi
mkdir -p "$out"

sizes=("girder 907 girder_1816" "lattice 32 lattice_1024" "lattice 100 lattice_10000" "lattice 316 lattice_99856")
if [ "$large" = yes ]; then sizes+=("lattice 1000 lattice_1000000"); fi

for spec in "${sizes[@]}"; do
    read -r kind size name <<<"$spec"
    [ -f "$data/$name.sma" ] || "$gen" "$kind" "$size" "$data/$name.sma"
done

# A peer that outgrows the machine should fail on its own rather than push the rest of it into swap or
# the OOM killer: the peers get three quarters of the memory available at the start.
limit_kib=$(awk '/^MemAvailable:/ { print int($2 * 3 / 4) }' /proc/meminfo)
limit_gib=$(awk -v k="$limit_kib" 'BEGIN { printf "%.1f", k / 1048576 }')

# ccx's default is one thread whenever OMP_NUM_THREADS (and its own CCX_NPROC_* variables) are unset;
# that default is what is timed.
unset OMP_NUM_THREADS CCX_NPROC_EQUATION_SOLVER CCX_NPROC_STIFFNESS CCX_NPROC_RESULTS

# run LOG DIR LIMIT COMMAND...: runs COMMAND once in DIR, under LIMIT KiB of address space unless LIMIT
# is "none", its output to LOG. Prints "WALL KIB": seconds from bash's clock (/usr/bin/time rounds to
# 10 ms) and the peak resident memory from /usr/bin/time. Prints "failed WALL KIB" when the command
# failed, or when LOG lacks ccx's closing words: ccx exits 0 from some of its errors.
run() {
    local log=$1 dir=$2 limit=$3 start end status=ok
    shift 3
    start=$EPOCHREALTIME
    (
        cd "$dir"
        if [ "$limit" != none ]; then ulimit -v "$limit"; fi
        exec /usr/bin/time -f "%M" -o "$out/time.txt" "$@"
    ) >"$log" 2>&1 || status=failed
    end=$EPOCHREALTIME
    if [ "$1" = ccx ] && ! grep -q "Job finished" "$log"; then status=failed; fi
    if [ "$status" = failed ]; then printf 'failed '; fi
    echo "$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }') $(tail -n 1 "$out/time.txt")"
}

programs=(varlen scipy ccx springs)
declare -A broken=() # a program that failed on a smaller truss is not tried on a larger one
notes=()

group() { sed ':a;s/\B[0-9]\{3\}\>/,&/;ta'; }
cell() {
    local wall=$1 kib=$2
    awk -v w="$wall" -v k="$kib" 'BEGIN { printf "%.3f (%.0f MiB)", w, k / 1024 }'
}

echo "varlen-cli analyse FILE --quiet --results R --json J; scipy $("$python" -c 'import scipy; print(scipy.__version__)')" \
    "(spsolve, SuperLU); $(ccx -v 2>/dev/null | grep -m 1 -o 'Version [0-9.]*' | sed 's/Version/CalculiX/')" \
    "(ccx -i, one thread by default); the peers limited to $limit_gib GiB"
echo
printf '| truss | joints | varlen s | scipy s | CalculiX s | CalculiX springs s | varlen / best peer |\n'
printf '|---|---|---|---|---|---|---|\n'
for spec in "${sizes[@]}"; do
    read -r kind size name <<<"$spec"
    sma=$PWD/$data/$name.sma
    "$python" "$peers/sma_to_calculix.py" "$sma" "$out/$name.inp"
    "$python" "$peers/sma_to_calculix.py" --springs "$sma" "$out/${name}_springs.inp"

    declare -A runs=()
    for program in "${programs[@]}"; do runs[$program]=""; done
    for _ in 1 2 3; do
        for program in "${programs[@]}"; do
            [ -z "${broken[$program]:-}" ] || continue
            log=$out/$name-$program.log
            case "$program" in
                varlen)
                    result=$(run "$log" "$PWD" none "$cli" analyse "$sma" --quiet \
                        --results "$out/$name-varlen.txt" --json "$out/$name-varlen.json")
                    rm -f "$out/$name-varlen.txt" "$out/$name-varlen.json"
                    ;;
                scipy)
                    result=$(run "$log" "$PWD" "$limit_kib" "$python" "$peers/scipy_truss.py" "$sma" "$out/$name-scipy.txt")
                    rm -f "$out/$name-scipy.txt"
                    ;;
                ccx | springs)
                    job=$name
                    if [ "$program" = springs ]; then job=${name}_springs; fi
                    result=$(run "$log" "$out" "$limit_kib" ccx -i "$job")
                    rm -f "$out/$job".{dat,frd,12d,sta,cvg} "$out/spooles.out"
                    ;;
            esac
            if [ "${result%% *}" = failed ]; then
                broken[$program]=$name
                read -r _ wall kib <<<"$result"
                # /usr/bin/time says how it ended; the program's own last line, where it was.
                why=$(grep -m 1 '^Command' "$out/time.txt" || echo "Command exited 0 without finishing")
                last=$(grep -v '^ *$' "$log" | tail -n 1 | sed 's/^ *//' || true)
                gib=$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1048576 }')
                notes+=("$program on $name: $why after $wall s at $gib GiB (the peers' limit: $limit_gib GiB); its last line: $last")
                continue
            fi
            runs[$program]+="$result"$'\n'
        done
    done

    cells=()
    best=""
    for program in "${programs[@]}"; do
        if [ "${broken[$program]:-}" = "$name" ]; then
            cells+=("failed")
        elif [ -n "${broken[$program]:-}" ]; then
            cells+=("not run")
        else
            read -r wall kib <<<"$(printf '%s' "${runs[$program]}" | sort -n | sed -n 2p)"
            cells+=("$(cell "$wall" "$kib")")
            if [ "$program" = varlen ]; then
                ours=$wall
            elif [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then
                best=$wall
            fi
        fi
    done
    ratio="-"
    if [ -n "$best" ] && [ -z "${broken[varlen]:-}" ]; then
        ratio=$(awk -v a="$ours" -v b="$best" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    fi
    joints=$(sed -n 6p "$sma" | tr -d '\r ' | group)
    printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$name" "$joints" "${cells[@]}" "$ratio"
    rm -f "$out/$name.inp" "$out/${name}_springs.inp"
    unset runs
done

for note in "${notes[@]}"; do echo "$note"; done
rm -f "$out/time.txt"
