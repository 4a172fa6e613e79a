#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs them.
#   scripts/fuzz.sh build                       only build
#   scripts/fuzz.sh test                        build, then the short runs (ctest)
#   scripts/fuzz.sh seconds S [TARGET...]       run each target for S seconds
#   scripts/fuzz.sh runs N [TARGET...]          run each target for N executions
# A long run keeps what it finds in build-fuzz/fuzz/corpus/TARGET and a
# crashing input as build-fuzz/fuzz/TARGET-crash-*; the figures of each
# run (executions, rate, coverage, corpus) are printed at its end.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${VMK_FUZZ_BUILD:-$top/build-fuzz}
mode=${1:-test}
shift || true

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$top"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVMK_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$dir" --target fuzzers --parallel "$(nproc)"

case "$mode" in
  build) exit 0 ;;
  test) cd "$dir" && exec ctest -L fuzz --output-on-failure --timeout 600 -j "$(nproc)" ;;
  seconds|runs) ;;
  *) echo "usage: $0 build|test|seconds S|runs N [TARGET...]" >&2; exit 2 ;;
esac

amount=${1:?a number of seconds or executions}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_replies fuzz_sim_requests fuzz_ini fuzz_comtrade fuzz_workbook)
limit=(-max_total_time="$amount")
[ "$mode" = runs ] && limit=(-runs="$amount")
# With TZ unset, glibc stats /etc/localtime at every local time conversion,
# which took half of the simulator target's time; naming the file keeps the
# same zone. Recording two frames of each allocation's stack instead of 30
# made the workbook's target more than twice as fast; a crashing input a
# run keeps is replayed with whole stacks.
export TZ=${TZ:-:/etc/localtime}
status=0
for t in "${targets[@]}"; do
  corpus="$dir/fuzz/corpus/$t"
  mkdir -p "$corpus"
  echo "== $t"
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=2} QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
    nice -n 19 "$dir/bin/$t" "${limit[@]}" -rss_limit_mb=2048 -timeout=60 -print_final_stats=1 \
    -artifact_prefix="$dir/fuzz/$t-" "$corpus" "$top/fuzz/corpus/$t" || status=1
done
exit $status
