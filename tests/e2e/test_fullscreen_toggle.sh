#!/bin/bash
# The intro starts in borderless full screen over the whole virtual screen; F11 returns to the
# maximised framed window and F11 again restores full screen.
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

StartIntroSilenced
Require "the sound warning is dismissed" DismissSoundWarning 30
Require "the intro window appears" WaitForIntroWindow

Expect "borderless full screen over the virtual screen" CoversVirtualScreen
ExpectEqual "client area is the screen" "0 0 ${probe[screen]}" "${probe[client]}"
read -r screenWidth screenHeight <<<"$(ScreenSize)"
xWindow=$(IntroXWindow)
eval "$(xdotool getwindowgeometry --shell "$xWindow" 2>/dev/null)"
ExpectEqual "X sees it over the whole display" "0 0 $screenWidth $screenHeight" "${X:-} ${Y:-} ${WIDTH:-} ${HEIGHT:-}"
Screenshot fullscreen >/dev/null

SendKey F11
Expect "F11 gives a framed window" WaitFor 5 FramedNow
ExpectEqual "with caption and sizing frame, no popup style" "1 1 0" "${probe[caption]} ${probe[thickframe]} ${probe[popup]}"
Expect "maximised" test "${probe[zoomed]}" == 1
read -r clientWidth clientHeight <<<"$(RectSize "${probe[client]}")"
Expect "its client area is smaller than the screen" test $((clientWidth * clientHeight)) -lt $((screenWidth * screenHeight))
framedRect=${probe[window]}
Screenshot framed >/dev/null

SendKey F11
Expect "F11 again restores full screen" WaitFor 5 FullScreenNow

SendKey F11
Expect "a third F11 frames it again" WaitFor 5 FramedNow
ExpectEqual "at the same rectangle as before" "$framedRect" "${probe[window]}"

Expect "no crash" eval '! IntroCrashed'
PostClose
Expect "it still closes" WaitForExit 10
Finish
