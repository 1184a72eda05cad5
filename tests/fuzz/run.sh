#!/bin/bash
# Builds the scroller text fuzz target into build/fuzz and runs it for SECONDS seconds.
# Exits non-zero when the fuzzer finds an input that breaks an invariant or trips a sanitizer.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"

if [ $# -ne 1 ]; then
    echo "usage: $0 SECONDS" >&2
    exit 2
fi
seconds=$1

build="$HTN_REPO/build/fuzz"
corpus="$build/corpus"
artifacts="$build/artifacts"

cmake -S "$HTN_REPO/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$HTN_BUILD_JOBS" >/dev/null

mkdir -p "$corpus" "$artifacts"
# Seeds in the target's alphabet encoding: bytes 0 '%', 1 ' ', 3 LF, 7 bullet, 9 'A', 10 'B'.
printf '\011\000\011\001\012\000\007\011\000\003' >"$corpus/seed-segment"
printf '\000\007\011\007\000\001\007\001\003\003\011\012' >"$corpus/seed-bullets"

exec "$build/scroller_text_fuzz" -max_total_time="$seconds" -max_len=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus"
