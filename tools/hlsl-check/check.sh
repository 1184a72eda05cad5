#!/bin/bash
# Quick native syntax check of shaders/intro.hlsl with glslang (package glslang-tools), before a
# Wine run. glslang is laxer than D3DCompile and has no profile check: the Wine tests
# (htn_windows_tests --gtest_filter='Shader*') remain the real test.
# The entry points are read from the shader text: the vertex shader VS and every pixel shader
# "float4 <Name>PS(", so a new pass is checked without an edit here.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
shader=$repo/shaders/intro.hlsl
command -v glslangValidator >/dev/null || { echo "check.sh: glslangValidator missing (apt-get install glslang-tools)" >&2; exit 1; }

grep -Eq '^[[:space:]]*[A-Za-z_][A-Za-z0-9_]*[[:space:]]+VS[[:space:]]*\(' "$shader" ||
  { echo "check.sh: no vertex shader VS in shaders/intro.hlsl" >&2; exit 1; }
mapfile -t pixelEntries < <(sed -nE 's/^[[:space:]]*float4[[:space:]]+([A-Za-z_][A-Za-z0-9_]*PS)[[:space:]]*\(.*/\1/p' "$shader")
((${#pixelEntries[@]} > 0)) || { echo "check.sh: no pixel shader entry (float4 ...PS() in shaders/intro.hlsl" >&2; exit 1; }

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
for entry in VS:vert "${pixelEntries[@]/%/:frag}"; do
  if ! glslangValidator -D -V -e "${entry%%:*}" -S "${entry##*:}" -o /dev/null "$shader" >"$log" 2>&1; then
    echo "== ${entry%%:*}"
    cat "$log"
    status=1
  fi
done
exit $status
