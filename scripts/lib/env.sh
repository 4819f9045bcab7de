# Sourced by the project's scripts: where things are, which Wine to use, and the
# environment every Wine process of ours gets (code page 936, no debug noise).

VEXLORIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
VEXLORIN_BUILD=${VEXLORIN_BUILD:-$VEXLORIN_ROOT/build}

# The product is a 32-bit program. Some Linux kernels (paravirtualised guests among
# them) cannot execute 32-bit code at all; there Wine's 32-bit loader fails with
# "Exec format error" and we run and test the same sources built for x86_64 instead,
# while the 32-bit exe is still built and checked.
vexlorin_detect_arch() {
  if [ -n "${VEXLORIN_ARCH:-}" ]; then echo "$VEXLORIN_ARCH"; return; fi
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
  elif [ -x /usr/lib/wine/wine ] || ! [ -x /usr/lib/wine/wine64 ]; then
    # wine32 installed but not runnable, or nothing installed yet: probe the kernel.
    if vexlorin_can_run_32bit; then echo i686; else echo x86_64; fi
  else
    echo x86_64
  fi
}

# A 45-byte i386 ELF that calls exit(0): runs only where the kernel executes 32-bit code.
vexlorin_can_run_32bit() {
  local probe
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  local rc=$?
  rm -f "$probe"
  [ $rc -eq 0 ]
}

VEXLORIN_ARCH=$(vexlorin_detect_arch)
export VEXLORIN_ARCH

if [ "$VEXLORIN_ARCH" = i686 ]; then
  WINE=/usr/lib/wine/wine
  WINESERVER=/usr/lib/wine/wineserver32
else
  WINE=/usr/lib/wine/wine64
  WINESERVER=/usr/lib/wine/wineserver64
fi
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
export WINE WINESERVER

export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing of ours needs them, and asking for them stalls wineboot.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Starts a virtual X display when there is none; sets VEXLORIN_STARTED_XVFB.
vexlorin_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 120); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
    VEXLORIN_XVFB_PID=$!
    export DISPLAY=:$n
    local i
    for i in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && { VEXLORIN_STARTED_XVFB=1; return 0; }
      sleep 0.1
    done
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Creates a Wine prefix once (WINEPREFIX must be set); later calls only check it.
vexlorin_ensure_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    # Let the new prefix settle (services started, registry written) before it is used.
    timeout 120 "$WINESERVER" -w 2>/dev/null || true
  fi
}

# Keeps one wine server alive for the prefix, so each program starts fast. It must
# not inherit our output: a pipe held open by it would never reach end of file.
vexlorin_keep_wineserver() {
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
}

# Windows of a prefix for tests are not handed to a window manager: with none
# running (Xvfb), Wine would wait two seconds for each window to be unmapped.
vexlorin_unmanaged_windows() {
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    echo "note: could not keep test windows away from a window manager" >&2
}
