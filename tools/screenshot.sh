#!/usr/bin/env bash
# Starts the application in a virtual X display with CJK fonts and saves a
# screenshot of the whole screen to <build>/screenshot.png. Further arguments go
# to the application (default: -l zh_CN).
set -euo pipefail
build=${1:-build}
shift || true
[ $# -gt 0 ] || set -- -l zh_CN
out="$build/screenshot.png"
display=:${TRELVO_SCREENSHOT_DISPLAY:-97}
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/bin/trelvo" "$@" >/dev/null 2>&1 &
app=$!
sleep ${TRELVO_SCREENSHOT_WAIT:-4}
DISPLAY=$display import -window root "$out"
echo "screenshot: $out"
