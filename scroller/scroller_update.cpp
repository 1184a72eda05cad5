#include "scroller/scroller.h"

#include "app/intro_state.h"
#include "scroller/scroll_motion.h"

void UpdateScroller(float t)
{
    ScrollerState& scroller = intro.scroller;
    const ScrollCourse course{intro.renderer.offscreenWidth, &scroller.stopPoints, scroller.scrollPeriod,
                              scroller.scrollLimit};
    UpdateScroller(scroller, t, course);
}
