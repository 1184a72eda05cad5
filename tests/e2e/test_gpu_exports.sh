#!/bin/bash
# direct3d: none
# On a laptop with two GPUs the drivers run a program on the fast one when it exports
# NvOptimusEnablement and AmdPowerXpressRequestHighPerformance as DWORDs holding 1.
source "$(dirname "$0")/lib.sh"

Require "the probe maps htn_intro.exe" ReadProbe exports "$(winepath -w "$INTRO_EXE" 2>/dev/null)"
ExpectEqual "it exports NvOptimusEnablement = 1" 1 "${probe[NvOptimusEnablement]:-}"
ExpectEqual "it exports AmdPowerXpressRequestHighPerformance = 1" 1 "${probe[AmdPowerXpressRequestHighPerformance]:-}"
Finish
