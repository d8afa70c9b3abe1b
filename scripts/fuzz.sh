#!/usr/bin/env bash
# Builds the libFuzzer harnesses (the fuzz preset: clang, ASan, UBSan) and
# runs each over its seed corpus in fuzz/corpus/<harness>/ for the given
# number of seconds.
#
#   scripts/fuzz.sh [seconds per harness, default 60] [harness ...]
#
# New inputs go to build-fuzz/corpus/<harness>/, never into the committed
# seeds; an input that breaks a harness is kept in build-fuzz/artifacts/ and
# the script ends with a failure after trying every harness.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for src in fuzz/*.cpp; do harnesses+=("$(basename "$src" .cpp)"); done
fi

failed=()
for h in "${harnesses[@]}"; do
  mkdir -p "build-fuzz/corpus/$h" "build-fuzz/artifacts/$h"
  echo "== fuzz $h for ${seconds}s"
  if ! "build-fuzz/fuzz/qimbra_fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$h/" \
      "build-fuzz/corpus/$h" "fuzz/corpus/$h" 2> "build-fuzz/artifacts/$h/log.txt"; then
    failed+=("$h")
    tail -n 40 "build-fuzz/artifacts/$h/log.txt"
  else
    grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/artifacts/$h/log.txt" || true
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: broken: ${failed[*]} (inputs in build-fuzz/artifacts/)"
  exit 1
fi
