#!/usr/bin/env bash
# Fuzzes the speech decoder for a bounded time: builds the libFuzzer harness
# with clang (AddressSanitizer, UndefinedBehaviorSanitizer) and runs it from
# the kept corpus and reproducers. Skips with a message when clang or
# libFuzzer is missing.
#
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
# Environment: FUZZ_BUILD_DIR (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build/fuzz}
seeds=tests/decoder/fuzz

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
cmake --build "$build" --target speechdec_fuzz -j2 >/dev/null

# New inputs go to a scratch corpus in the build tree; the kept ones are read only.
work="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$work" "$artifacts"
log="$build/fuzz.log"
echo "fuzz: running the decoder harness for ${seconds}s (log: $log)"
set +e
"$build/tests/decoder/fuzz/speechdec_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$seeds/corpus" "$seeds/crashes" >"$log" 2>&1
status=$?
set -e
grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units|stat::new_units_added' "$log" || true
if [ $status -ne 0 ]; then
  tail -n 40 "$log"
  echo "fuzz: FAILED; reproducer(s) in $artifacts/ - add them to $seeds/crashes/ with the fix" >&2
  exit 1
fi
echo "fuzz: no failure found"
