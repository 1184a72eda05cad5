#!/bin/bash
# Makes the template Wine prefix while the root is built (run through wine-session.sh), so that
# each run can stack a private overlay on it instead of spending 10 s on wineboot.
set -euo pipefail
wine wineboot -i
# A crash must end the program, not open a dialog that waits forever.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
wineserver -w
