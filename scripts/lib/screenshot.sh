# Sourced by the scripts (after env.sh): a picture of Vexlorin's main window with its frame
# and title. Needs a display, WINEPREFIX, and the build's find_window.exe.
#   vexlorin_screenshot OUTPUT.png [EXE]
vexlorin_screenshot() {
  local out=$1 exe=${2:-$VEXLORIN_BUILD/vexlorin.exe}
  local finder=$VEXLORIN_BUILD/tests/tools/find_window.exe
  local desktop=VexlorinScreenshot
  # The title bar's buttons are drawn in the Marlett font, which Debian's Wine ships
  # (fonts-wine) but does not look for where it puts it.
  local marlett=/usr/share/wine/fonts/marlett.ttf fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
    ln -s "$marlett" "$fonts/marlett.ttf"
  fi

  # A Wine virtual desktop draws the frame and title where no window manager runs; it is a
  # little larger than the window, which opens centred on it.
  "$WINE" explorer "/desktop=$desktop,640x400" "$exe" >/dev/null 2>&1 &
  local shell_pid=$!
  local rect="" i
  for i in $(seq 1 150); do
    rect=$(timeout 30 "$WINE" "$finder" --desktop "$desktop" 2>/dev/null) && break
    rect=""
    sleep 0.2
  done
  if [ -z "$rect" ]; then
    echo "vexlorin_screenshot: the window did not open" >&2
    kill "$shell_pid" 2>/dev/null || true
    return 1
  fi
  local left top width height
  read -r left top width height <<<"$rect"
  sleep 1  # the first paint reaches the X server a moment after the window shows

  # The desktop's own X window; without it, the root window, where a desktop made on a
  # bare X server sits at the top-left corner.
  local source_window
  source_window=$(xwininfo -name "$desktop - Wine desktop" 2>/dev/null | awk '/Window id:/ { print $4 }' || true)
  mkdir -p "$(dirname "$out")"
  local status=0
  timeout 60 import -window "${source_window:-root}" -crop "${width}x${height}+${left}+${top}" +repage "$out" ||
    status=$?

  # Closed as its close button would; the desktop goes away with its last window.
  timeout 30 "$WINE" "$finder" --desktop "$desktop" --close >/dev/null 2>&1 || true
  for i in $(seq 1 100); do
    kill -0 "$shell_pid" 2>/dev/null || break
    sleep 0.1
  done
  return $status
}
