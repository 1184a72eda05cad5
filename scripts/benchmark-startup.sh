#!/bin/bash
# Times the intro's start-up under Wine 10: launch until the window stands in borderless full
# screen, five runs and their median, on a 1280x720 virtual screen with the null sound sink.
#   scripts/benchmark-startup.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
HtnNeedRoot

"$HTN_REPO/scripts/build.sh" intro >/dev/null
work=$(mktemp -d)
trap 'rm -rf --one-file-system "$work"' EXIT
"$HTN_REPO/scripts/wine-run.sh" --out "$work" --timeout 600 tests/e2e/bench_startup.sh
