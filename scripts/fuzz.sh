#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (<name>_fuzz.cpp) with clang, with the address and
# undefined-behaviour sanitizers, in build/fuzz, and runs each one from its committed seed
# corpus tests/fuzz/corpus/<name>/.
#
#   scripts/fuzz.sh              5 minutes per target
#   scripts/fuzz.sh --short      about 20 seconds per target (part of scripts/test.sh)
#   scripts/fuzz.sh --time N     N seconds per target
#   scripts/fuzz.sh --seeds      rewrite the seed files that targets make with the program's own
#                                writers (targets that support QOR_WRITE_SEEDS), then stop
#   scripts/fuzz.sh ... NAME...  only these targets (e.g. settings menu backup)
#
# New inputs found while fuzzing go to build/fuzz/corpus/<name>/, never into the repository;
# a crashing input is kept in build/fuzz/crashes/<name>/. Prints the executions of every target
# and exits non-zero when a target did not build or found a crash. QOR_FUZZ_BUILD overrides the
# build folder.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${QOR_FUZZ_BUILD:-$repo/build/fuzz}"
seconds=300
write_seeds=0
only=()
while [ $# -gt 0 ]; do
    case "$1" in
        --short) seconds=20 ;;
        --time) shift; seconds="${1:?seconds}" ;;
        --seeds) write_seeds=1 ;;
        -h|--help) sed -n '2,18p' "$0"; exit 0 ;;
        *) only+=("$1") ;;
    esac
    shift
done

if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is not installed"
    exit 1
fi

names=()
for src in "$repo"/tests/fuzz/*_fuzz.cpp; do
    [ -f "$src" ] || continue
    name=$(basename "$src" _fuzz.cpp)
    if [ ${#only[@]} -gt 0 ] && [[ ! " ${only[*]} " =~ " $name " ]]; then
        continue
    fi
    names+=("$name")
done
if [ ${#names[@]} -eq 0 ]; then
    echo "fuzz: no targets"
    exit 0
fi

mkdir -p "$build"
# UBSan reports are fatal, so a finding stops the run and leaves its input behind.
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQOR_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fno-sanitize-recover=all" >"$build/configure.log" 2>&1 || {
    cat "$build/configure.log"
    echo "fuzz: configure failed"
    exit 1
}

status=0
built=()
for name in "${names[@]}"; do
    if ninja -C "$build" -j2 "${name}_fuzz" >"$build/${name}.build.log" 2>&1; then
        built+=("$name")
    else
        tail -n 30 "$build/${name}.build.log"
        echo "fuzz $name: build failed"
        status=1
    fi
done

if [ "$write_seeds" -eq 1 ]; then
    for name in "${built[@]}"; do
        grep -q WriteSeedsIfAsked "$repo/tests/fuzz/${name}_fuzz.cpp" || continue
        mkdir -p "$repo/tests/fuzz/corpus/$name"
        QOR_WRITE_SEEDS="$repo/tests/fuzz/corpus/$name" "$build/${name}_fuzz" || status=1
    done
    exit $status
fi

total=0
for name in "${built[@]}"; do
    seeds="$repo/tests/fuzz/corpus/$name"
    work="$build/corpus/$name"
    crashes="$build/crashes/$name"
    mkdir -p "$work" "$crashes" "$seeds"
    log="$build/${name}.log"
    # libFuzzer caps inputs at 1 MB unless told otherwise; seeds as large as a menu file
    # (1.3 MB) must fit whole.
    largest=$(find "$seeds" -type f -printf '%s\n' | sort -n | tail -n 1)
    max_len=$(( ${largest:-0} > 1048576 ? ${largest:-0} + 65536 : 1048576 ))
    "$build/${name}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
        -max_len="$max_len" \
        -timeout=30 -artifact_prefix="$crashes/" "$work" "$seeds" >"$log" 2>&1
    rc=$?
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n 1)
    execs=${execs:-0}
    total=$((total + execs))
    if [ "$rc" -eq 0 ]; then
        echo "fuzz $name: $execs executions in ${seconds}s, clean"
    else
        grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n 10
        echo "fuzz $name: FOUND A PROBLEM after $execs executions (log $log)"
        status=1
    fi
done
echo "fuzz: ${#built[@]} targets, $total executions in all"
exit $status
