#!/usr/bin/env bash
# Fuzzes the speech decoder and the player core (AVI reading, both video
# decoders) for a bounded time each: builds the libFuzzer harnesses with clang
# (AddressSanitizer, UndefinedBehaviorSanitizer) and runs each from its kept
# corpus and reproducers. Skips with a message when clang or libFuzzer is
# missing.
#
# Usage: scripts/fuzz.sh [SECONDS]   (per harness, default 60)
# Environment: FUZZ_BUILD_DIR (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build/fuzz}

if ! command -v clang++ >/dev/null || ! command -v clang >/dev/null; then
  echo "fuzz: clang not found; skipping (install clang and libclang-rt-14-dev to fuzz)"
  exit 0
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  echo "fuzz: clang cannot link libFuzzer with the sanitizers; skipping (install libclang-rt-14-dev)"
  exit 0
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DSPEECHDEC_FUZZ=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target speechdec_fuzz avsplayer_fuzz -j2 >/dev/null

# Runs one harness: NAME, its program, its kept inputs. New inputs go to a
# scratch corpus in the build tree; the kept ones are read only.
fuzz() {
  local name=$1 program=$2 seeds=$3
  local work="$build/$name-corpus" artifacts="$build/$name-artifacts" log="$build/$name.log"
  mkdir -p "$work" "$artifacts"
  local kept=("$seeds/corpus")
  [ -d "$seeds/crashes" ] && kept+=("$seeds/crashes")
  echo "fuzz: running the $name harness for ${seconds}s (log: $log)"
  set +e
  "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "${kept[@]}" >"$log" 2>&1
  local status=$?
  set -e
  grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units|stat::new_units_added' "$log" || true
  if [ $status -ne 0 ]; then
    tail -n 40 "$log"
    echo "fuzz: $name FAILED; reproducer(s) in $artifacts/ - add them to $seeds/crashes/ with the fix" >&2
    return 1
  fi
}

status=0
fuzz decoder "$build/tests/decoder/fuzz/speechdec_fuzz" tests/decoder/fuzz || status=1
fuzz player "$build/tests/player/fuzz/avsplayer_fuzz" tests/player/fuzz || status=1
[ $status -eq 0 ] && echo "fuzz: no failure found"
exit $status
