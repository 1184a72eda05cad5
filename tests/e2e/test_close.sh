#!/bin/bash
# Closing the window at once ends the intro with exit code 0, whichever way it is closed.
source "$(dirname "$0")/lib.sh"

# CloseAndCheck HOW COMMAND...: starts the intro, closes it with the command, checks the exit.
CloseAndCheck() {
  local how=$1
  shift
  echo " $how"
  StartIntroSilenced
  Require "the sound warning is dismissed" DismissSoundWarning 120
  Require "the intro window appears" WaitForIntroWindow
  "$@"
  # Not a timing test: a hung shutdown would otherwise hold the run until its time limit.
  if WaitForExit 30; then
    Pass "the process ends"
    ExpectEqual "exit code 0" 0 "$INTRO_STATUS"
  else
    Fail "the process ends" "still running 30 s after the close"
  fi
  Expect "no crash" eval '! IntroCrashed'
}

CloseByButtonWhenFramed() {
  SendKey F11
  WaitFor 30 eval 'ProbeWindow && [[ ${probe[caption]} == 1 ]]'
  CloseLikeCloseButton
}

CloseAndCheck "WM_CLOSE" PostClose
CloseAndCheck "close button (window manager's close request)" CloseByButtonWhenFramed
CloseAndCheck "Alt+F4" SendKey alt+F4
Finish
