#!/bin/bash
# The intro starts in borderless full screen over the whole virtual screen; F11 returns to the
# maximised framed window and F11 again restores full screen. Alt+Enter does nothing (DXGI's own
# exclusive full screen would add a system menu and always-on-top, which F11 would then leave on
# a framed window), and Escape still ends the show.
source "$(dirname "$0")/lib.sh"

# True when the probe shows a borderless window exactly over the virtual screen.
CoversVirtualScreen() {
  local x y width height
  read -r x y width height <<<"${probe[virtual]}"
  [[ ${probe[window]} == "$x $y $((x + width)) $((y + height))" && ${probe[popup]} == 1 &&
    ${probe[caption]} == 0 && ${probe[thickframe]} == 0 && ${probe[visible]} == 1 ]]
}

FullScreenNow() { ProbeWindow && CoversVirtualScreen; }
FramedNow() { ProbeWindow && [[ ${probe[caption]} == 1 ]]; }

# FramesLater N: waits until N more frames have been presented; the loop handles the messages
# waiting for it before each frame.
FramesLater() {
  local stamp next count=0
  ReadProbe frame || return 1
  stamp=${probe[frame_ms]}
  while ((count < $1)); do
    WaitFor 60 eval 'ReadProbe frame && ((probe[frame_ms] != stamp))' || return 1
    stamp=${probe[frame_ms]} count=$((count + 1))
  done
}

StartIntroSilenced
Require "the sound warning is dismissed" DismissSoundWarning 120
Require "the intro window appears" WaitForIntroWindow

Expect "borderless full screen over the virtual screen" CoversVirtualScreen
ExpectEqual "client area is the screen" "0 0 ${probe[screen]}" "${probe[client]}"
read -r screenWidth screenHeight <<<"$(ScreenSize)"
xWindow=$(IntroXWindow)
eval "$(xdotool getwindowgeometry --shell "$xWindow" 2>/dev/null)"
ExpectEqual "X sees it over the whole display" "0 0 $screenWidth $screenHeight" "${X:-} ${Y:-} ${WIDTH:-} ${HEIGHT:-}"
Screenshot fullscreen >/dev/null

SendKey F11
Expect "F11 gives a framed window" WaitFor 30 FramedNow
ExpectEqual "with caption and sizing frame, no popup style" "1 1 0" "${probe[caption]} ${probe[thickframe]} ${probe[popup]}"
Expect "maximised" test "${probe[zoomed]}" == 1
read -r clientWidth clientHeight <<<"$(RectSize "${probe[client]}")"
Expect "its client area is smaller than the screen" test $((clientWidth * clientHeight)) -lt $((screenWidth * screenHeight))
framedRect=${probe[window]}
Screenshot framed >/dev/null

SendKey F11
Expect "F11 again restores full screen" WaitFor 30 FullScreenNow

SendKey F11
Expect "a third F11 frames it again" WaitFor 30 FramedNow
ExpectEqual "at the same rectangle as before" "$framedRect" "${probe[window]}"

SendKey F11
Expect "and F11 restores full screen again" WaitFor 30 FullScreenNow
SendKey alt+Return
Require "the show goes on" FramesLater 2
ProbeWindow
Expect "Alt+Enter leaves the borderless full screen as it was" CoversVirtualScreen
Expect "with no system menu and not always on top" eval '(((probe[style] & 0x80000) == 0 && (probe[exstyle] & 0x8) == 0))'
SendKey F11
Expect "F11 then frames it" WaitFor 30 FramedNow
ExpectEqual "at the same rectangle" "$framedRect" "${probe[window]}"
Expect "not always on top" eval '(((probe[exstyle] & 0x8) == 0))'

Expect "no crash" eval '! IntroCrashed'
SendKey Escape
Expect "Escape still ends the show" WaitForExit 30
ExpectEqual "exit code 0" 0 "$INTRO_STATUS"
Finish
