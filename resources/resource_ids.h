#pragma once

// Resource ids shared by the resource script and the code.
#define IDI_APP_ICON 107
#define IDI_APP_ICON_SMALL 108
#define IDR_RCDATA1 129
