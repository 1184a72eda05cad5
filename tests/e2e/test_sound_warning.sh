#!/bin/bash
# Without working sound the intro shows one "Lyd" warning, owned by its window, with the pointer
# to click it with, and runs on once it is dismissed, the pointer hidden again.
source "$(dirname "$0")/lib.sh"

StartIntroSilenced
Require 'a "Lyd" box appears' WaitForMessageBox Lyd 120
ProbeBox Lyd
ExpectEqual "its text names the embedded MP3" "Kunne ikke starte innebygd MP3 (IDR_RCDATA1)." "${probe[text]:-}"
ExpectEqual "it is owned by the intro window" HTN_D3D11_IntroWnd "${probe[owner]:-}"
ExpectEqual "the pointer shows while it is up" 1 "${probe[pointer]:-}"
Require "the harness dismisses it" DismissSoundWarning 30
sleep 1
Expect "the intro runs on after it" IntroRunning
Expect "its window is still there" ProbeWindow
ExpectEqual "the pointer is hidden again" 0 "${probe[pointer]:-}"
Expect "no other box follows" eval '! WaitFor 2 FindXWindowByName "^(Lyd|Error)$"'
Expect "no crash" eval '! IntroCrashed'

PostClose
Expect "it still closes" WaitForExit 30
Finish
