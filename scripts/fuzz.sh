#!/usr/bin/env bash
# Builds the fuzz targets (clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in a tree of their own, build/fuzz, then for each
# target: reads every file of its corpus folders once, and fuzzes from them for
# a bounded time (ELDRAVIN_FUZZ_SECONDS, 30 by default). Any crash, leak of the
# bounds or sanitizer report fails the run and leaves the input in
# build/fuzz/artifacts. Arguments: names of targets to run (default: all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
seconds=${ELDRAVIN_FUZZ_SECONDS:-30}
shared=${ELDRAVIN_SHARED_DIR:-$(cd "$root/.." && pwd)/shared}
corpus="$shared/corpus"
if [ ! -d "$corpus" ]; then
  if [ "${CI:-}" = true ] || [ "${ELDRAVIN_REQUIRE_SHARED:-}" = 1 ]; then
    echo "fuzz: no corpus at $corpus" >&2
    exit 1
  fi
  echo "fuzz: no corpus at $corpus; fuzzing from empty inputs"
fi

out="$root/build/fuzz"
python3 "$root/tools/cp1252_tree.py" "$root" "$out/src"
cmake -S "$out/src" -B "$out/build" -G Ninja \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug \
  -DELDRAVIN_TESTS=OFF -DELDRAVIN_FUZZ=ON -DELDRAVIN_SOURCES_IN_CP1252=ON \
  -DELDRAVIN_SHARED_DIR="$shared" >/dev/null
cmake --build "$out/build"

mkdir -p "$out/artifacts" "$out/runs"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
while read -r target seeds; do
  [ -n "$target" ] || continue
  if [ $# -gt 0 ] && [[ " $* " != *" ${target#fuzz_} "* ]]; then
    continue
  fi
  dirs=()
  for s in $seeds; do
    # A seed folder is one of the corpus, or one the build made (an absolute path).
    if [[ $s == /* ]]; then
      [ -d "$s" ] && dirs+=("$s")
    else
      [ -d "$corpus/$s" ] && dirs+=("$corpus/$s")
    fi
  done
  exe="$out/build/fuzz/$target"
  runs="$out/runs/$target"
  mkdir -p "$runs"
  echo "== $target: corpus files"
  files=()
  if [ ${#dirs[@]} -gt 0 ]; then
    mapfile -t files < <(find "${dirs[@]}" -type f | sort)
  fi
  if [ ${#files[@]} -gt 0 ] && ! "$exe" -timeout=60 -rss_limit_mb=3072 -detect_leaks=0 \
      -artifact_prefix="$out/artifacts/$target-" "${files[@]}" >"$out/$target-corpus.log" 2>&1; then
    echo "fuzz: $target failed on a corpus file; see $out/$target-corpus.log" >&2
    tail -40 "$out/$target-corpus.log" >&2
    failed=1
    continue
  fi
  echo "== $target: fuzzing for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -max_len=65536 -detect_leaks=0 \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/$target-" \
      "$runs" "${dirs[@]}" >"$out/$target-fuzz.log" 2>&1; then
    echo "fuzz: $target failed; see $out/$target-fuzz.log" >&2
    tail -60 "$out/$target-fuzz.log" >&2
    failed=1
    continue
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$out/$target-fuzz.log" | tr '\n' ' '
  echo
done <"$out/build/fuzz/targets.txt"
exit $failed
