#!/bin/bash
# Quick native syntax check of shaders/intro.hlsl with glslang (package glslang-tools), before a
# Wine run. glslang is laxer than D3DCompile and has no profile check: the Wine tests
# (htn_windows_tests --gtest_filter='Shader*') remain the real test.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
command -v glslangValidator >/dev/null || { echo "check.sh: glslangValidator missing (apt-get install glslang-tools)" >&2; exit 1; }

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
for entry in VS:vert ScenePS:frag EndPS:frag CompositePS:frag; do
  if ! glslangValidator -D -V -e "${entry%%:*}" -S "${entry##*:}" -o /dev/null "$repo/shaders/intro.hlsl" >"$log" 2>&1; then
    echo "== ${entry%%:*}"
    cat "$log"
    status=1
  fi
done
exit $status
