#include "render/end_card_close.h"

bool ShouldCloseWindow(bool windowDestroyed, float exitT) { return !windowDestroyed && exitT >= kEndCardSeconds; }
