#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or $TIDEWELL_FUZZ_DIR) and runs them.
#   scripts/fuzz.sh                      build only
#   scripts/fuzz.sh replay               run every target once over the files of its corpus folders
#                                        (listed in fuzz/<target>/corpus-dirs, relative to the repository);
#                                        fails on any crash or sanitizer report
#   scripts/fuzz.sh run TARGET [ARGS]    fuzz TARGET, e.g. scripts/fuzz.sh run tnef -max_total_time=600
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build_dir="${TIDEWELL_FUZZ_DIR:-build-fuzz}"

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    generator=()
    if command -v ninja >/dev/null; then generator=(-G Ninja); fi
    CXX=clang++ cmake -S fuzz -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$build_dir" -j 2 >/dev/null

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

targets() {
    for dir in fuzz/*/; do
        name="$(basename "$dir")"
        if [ -x "$build_dir/$name/fuzz_$name" ]; then echo "$name"; fi
    done
}

corpus_files() { # the seed files of a target, one per line
    local list="fuzz/$1/corpus-dirs"
    [ -f "$list" ] || return 0
    while IFS= read -r dir; do
        [ -n "$dir" ] || continue
        if [ -d "$root/$dir" ]; then find "$root/$dir" -type f; else echo "fuzz: no corpus folder $dir" >&2; fi
    done <"$list"
}

case "${1:-build}" in
build) ;;
replay)
    for name in $(targets); do
        mapfile -t files < <(corpus_files "$name")
        if [ ${#files[@]} -eq 0 ]; then
            echo "fuzz: $name has no corpus files to replay"
            continue
        fi
        log="$build_dir/$name/replay.log"
        if ! "$build_dir/$name/fuzz_$name" "${files[@]}" >"$log" 2>&1; then
            cat "$log" >&2
            echo "fuzz: $name failed on its corpus (log: $log)" >&2
            exit 1
        fi
        echo "fuzz: $name replayed ${#files[@]} files without a finding"
    done
    ;;
run)
    name="${2:?usage: scripts/fuzz.sh run TARGET [libFuzzer options]}"
    shift 2
    work="$build_dir/$name/corpus"
    mkdir -p "$work"
    mapfile -t files < <(corpus_files "$name")
    if [ ${#files[@]} -gt 0 ]; then cp -n "${files[@]}" "$work/" 2>/dev/null || true; fi
    chmod -R u+w "$work"
    cd "$build_dir/$name"
    exec "./fuzz_$name" "$@" corpus
    ;;
*)
    echo "usage: scripts/fuzz.sh [build | replay | run TARGET [ARGS]]" >&2
    exit 2
    ;;
esac
