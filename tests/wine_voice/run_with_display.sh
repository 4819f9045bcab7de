#!/usr/bin/env bash
# Runs a test program under Wine with an X display: the one given, or a private
# Xvfb that lives as long as the test.  A Wine session keeps the display it
# started with, so with a private display the prefix's session starts afresh
# before the test and ends before the display goes.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/env.sh"
vexlorin_ensure_display || exit 1
if [ -n "${VEXLORIN_STARTED_XVFB:-}" ]; then
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  trap '"$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w; kill "$VEXLORIN_XVFB_PID" 2>/dev/null' EXIT
fi
"$VEXLORIN_ROOT/scripts/lib/wine-exec" "$@"
