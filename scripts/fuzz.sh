#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs each for a given time, two at a time.
#
#   scripts/fuzz.sh SECONDS [TARGET...]      e.g. scripts/fuzz.sh 600 profile_file
#
# Every target starts from its kept corpus in fuzz/corpus/TARGET; what it learns goes to
# build-fuzz/fuzz/work/TARGET (add the inputs worth keeping to the corpus by hand). An
# input that breaks a promise is saved in build-fuzz/fuzz/findings/TARGET/, and the script
# fails. Environment: LORVANT_FUZZ_JOBS (default 2), LORVANT_FUZZ_BUILD_DIR,
# LORVANT_BUILD_LOCK.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}"
shift
build="${LORVANT_FUZZ_BUILD_DIR:-$root/build-fuzz}"
jobs="${LORVANT_FUZZ_JOBS:-2}"

# On a shared machine LORVANT_BUILD_LOCK names a lock file held for the build step alone.
lock=()
[ -n "${LORVANT_BUILD_LOCK:-}" ] && lock=(flock "$LORVANT_BUILD_LOCK")
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLORVANT_FUZZ=ON -DLORVANT_SANITIZE=ON -DLORVANT_WERROR=ON >/dev/null
fi
"${lock[@]}" cmake --build "$build" -j2 --target fuzz_all >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n '/^set(LORVANT_FUZZ_TARGETS/,/)/p' "$root/fuzz/CMakeLists.txt" |
             grep -v 'set(' | tr -d ')' ))
fi

run_one() {
  local name="$1" work="$build/fuzz/work/$1" findings="$build/fuzz/findings/$1"
  mkdir -p "$work" "$findings"
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$work" "$root/fuzz/corpus/$name" \
    >"$build/fuzz/$name.log" 2>&1
}

# Two at a time by default: the machine has two cores.
pids=()
names=()
for name in "${targets[@]}"; do
  run_one "$name" &
  pids+=($!)
  names+=("$name")
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 1; done
done
failed=0
for i in "${!pids[@]}"; do wait "${pids[$i]}" || failed=1; done

printf '%-16s %12s %8s %8s %s\n' target executions exec/s corpus findings
for name in "${targets[@]}"; do
  log="$build/fuzz/$name.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  units=$(ls "$build/fuzz/work/$name" | wc -l)
  found=$(ls "$build/fuzz/findings/$name" | wc -l)
  printf '%-16s %12s %8s %8s %s\n' "$name" "${runs:-?}" "${speed:-?}" "$units" "$found"
  if [ "$found" -ne 0 ] || ! grep -q '^stat::number_of_executed_units' "$log"; then
    failed=1
    grep -E 'promise broken|ERROR|runtime error' "$log" | head -5 || true
  fi
done
exit "$failed"
