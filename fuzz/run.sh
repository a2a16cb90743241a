#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#
#   fuzz/run.sh [seconds per target]      (default 60)
#
# The rules are checked against references written differently; any
# mismatch aborts and leaves the input as crash-* in the work folder, to be
# turned into a row of the unit tables.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=${FUZZ_OUT:-build/fuzz}
mkdir -p "$out"

# clang accepts only UTF-8 as execution character set, so the literals here
# stay UTF-8; the rules work on bytes and do not depend on it.
flags=(-std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
rules=(core/text_rules.cpp core/date_time.cpp)

for target in text_to_int number_to_text date_time; do
  clang++ "${flags[@]}" "fuzz/${target}_fuzz.cpp" "${rules[@]}" -o "$out/$target"
done
for target in text_to_int number_to_text date_time; do
  corpus=$out/corpus-$target
  mkdir -p "$corpus"
  echo "fuzz: $target for ${seconds}s"
  (cd "$out" && "./$target" -max_total_time="$seconds" -print_final_stats=1 "corpus-$target" \
    2>"$target.log") || { tail -40 "$out/$target.log"; echo "fuzz: $target FAILED"; exit 1; }
  grep -E 'stat::number_of_executed_units' "$out/$target.log" | sed "s/^/fuzz: $target /"
done
echo "fuzz: all targets clean"
