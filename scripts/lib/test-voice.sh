# The test voice (tests/support/test_voice) in a Wine prefix. Source after env.sh:
#
#   source scripts/lib/env.sh; source scripts/lib/test-voice.sh
#   export WINEPREFIX=...; vexlorin_ensure_prefix
#   vexlorin_test_voice_register [--force] [path/to/vexlorin_test_voice.dll]
#   VEXLORIN_TEST_VOICE_LOG=/tmp/voice.log VEXLORIN_TEST_VOICE_TOKENS='ZH|中文|804=中文女声' \
#     "$WINE" build/src/vexlorin.exe
#
# vexlorin_test_voice_register makes the DLL the in-process server of SpVoice and
# SpObjectTokenCategory in $WINEPREFIX (one regedit /S import of both CLSIDs' InprocServer32
# keys, ThreadingModel Both), replacing Wine's own sapi.dll for that prefix only. It is cheap
# to call before every launch: it remembers what it registered in
# $WINEPREFIX/.vexlorin-test-voice and runs no Wine process at all when that still holds.
# It registers again when the DLL path, the registry view or Wine's prefix stamp changed, or
# when Wine is about to update the prefix (Wine's version changed: the next Wine process
# would run "wineboot -u", which restores Wine's sapi registration), in which case it first
# runs that update itself. --force (or VEXLORIN_TEST_VOICE_FORCE=1) always registers, e.g.
# after a manual "wineboot -u" or "regsvr32 sapi.dll".
#
# Registry view: the DLL's own bitness decides. 64-bit DLL in a 64-bit prefix: the 64-bit
# view (HKLM\Software\Classes\CLSID, imported with wine64); 32-bit DLL in a 64-bit prefix:
# HKLM\Software\Classes\Wow6432Node\CLSID; a 32-bit prefix (32-bit Wine): the plain view.
#
# vexlorin_test_voice_unregister gives the classes back to Wine's sapi.dll (regsvr32).

VEXLORIN_TEST_VOICE_DLL=${VEXLORIN_TEST_VOICE_DLL:-$VEXLORIN_BUILD/tests/support/test_voice/vexlorin_test_voice.dll}

# x86_64, i686 or unknown, from the PE header.
_vexlorin_pe_machine() {
  local pe machine
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$pe" ] || { echo unknown; return; }
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    8664) echo x86_64 ;;
    014c) echo i686 ;;
    *) echo unknown ;;
  esac
}

# Windows form of an absolute Unix path through drive Z: (the Unix root in a default prefix).
_vexlorin_win_path() {
  local z
  z=$(readlink "$WINEPREFIX/dosdevices/z:" 2>/dev/null)
  if [ "$z" = / ] || [ "$z" = /. ]; then
    printf 'Z:%s' "${1//\//\\}"
  else
    "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'
  fi
}

# The mtime of wine.inf that Wine compares with $WINEPREFIX/.update-timestamp.
_vexlorin_wine_inf_stamp() {
  local f
  for f in /usr/share/wine/wine.inf /usr/share/wine/wine/wine.inf "$(dirname "$(readlink -f "$WINE")")/../../share/wine/wine.inf"; do
    [ -f "$f" ] && { stat -c %Y "$f"; return; }
  done
}

# Settles the registry view and the Wine loader for the DLL: sets _tv_base and _tv_wine.
_vexlorin_test_voice_view() {
  local dll=$1 arch machine
  arch=$(sed -n 's/^#arch=//p' "$WINEPREFIX/system.reg" | head -n 1)
  machine=$(_vexlorin_pe_machine "$dll")
  _tv_wine=$WINE
  case "$arch/$machine" in
    win32/i686) _tv_base='HKEY_LOCAL_MACHINE\Software\Classes\CLSID' ;;
    win64/x86_64) _tv_base='HKEY_LOCAL_MACHINE\Software\Classes\CLSID' ;;
    win64/i686) _tv_base='HKEY_LOCAL_MACHINE\Software\Classes\Wow6432Node\CLSID' ;;
    *) echo "test voice: a $machine DLL cannot serve the $arch prefix $WINEPREFIX" >&2; return 1 ;;
  esac
  # A 64-bit prefix: use the 64-bit loader so that the paths above mean what they say.
  if [ "$arch" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then _tv_wine=/usr/lib/wine/wine64; fi
}

vexlorin_test_voice_register() {
  local force=${VEXLORIN_TEST_VOICE_FORCE:-}
  if [ "${1:-}" = --force ]; then force=1; shift; fi
  local dll=${1:-$VEXLORIN_TEST_VOICE_DLL}
  : "${WINEPREFIX:?set WINEPREFIX first}"
  [ -f "$dll" ] || { echo "test voice: no DLL at $dll" >&2; return 1; }
  [ -f "$WINEPREFIX/system.reg" ] || vexlorin_ensure_prefix
  dll=$(readlink -f "$dll")
  _vexlorin_test_voice_view "$dll" || return 1

  local inf stamp_file=$WINEPREFIX/.vexlorin-test-voice prefix_stamp want
  inf=$(_vexlorin_wine_inf_stamp)
  prefix_stamp=$(tr -d '\r\n ' <"$WINEPREFIX/.update-timestamp" 2>/dev/null)
  if [ -n "$inf" ] && [ "$prefix_stamp" != disable ] && [ "$prefix_stamp" != "$inf" ]; then
    # Wine was updated: let it update the prefix now, not after our import.
    "$_tv_wine" wineboot -u >/dev/null 2>&1
    prefix_stamp=$(tr -d '\r\n ' <"$WINEPREFIX/.update-timestamp" 2>/dev/null)
    force=1
  fi
  want="$dll|$_tv_base|$prefix_stamp"
  if [ -z "$force" ] && [ "$(cat "$stamp_file" 2>/dev/null)" = "$want" ]; then return 0; fi

  local win reg clsid
  win=$(_vexlorin_win_path "$dll")
  win=${win//\\/\\\\}
  reg=$(mktemp "${TMPDIR:-/tmp}/vexlorin-test-voice.XXXXXX.reg")
  {
    printf 'Windows Registry Editor Version 5.00\r\n'
    for clsid in '{96749377-3391-11D2-9EE3-00C04F797396}' '{A910187F-0C7A-45AC-92CC-59EDAFB77B53}'; do
      printf '\r\n[%s\\%s\\InprocServer32]\r\n@="%s"\r\n"ThreadingModel"="Both"\r\n' "$_tv_base" "$clsid" "$win"
    done
  } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  "$_tv_wine" regedit /S "$(_vexlorin_win_path "$reg")" >/dev/null 2>&1
  local rc=$?
  rm -f "$reg"
  if [ $rc -ne 0 ]; then
    echo "test voice: regedit failed ($rc)" >&2
    return 1
  fi
  printf '%s\n' "$want" >"$stamp_file"
}

vexlorin_test_voice_unregister() {
  : "${WINEPREFIX:?set WINEPREFIX first}"
  local dll=${1:-$VEXLORIN_TEST_VOICE_DLL}
  rm -f "$WINEPREFIX/.vexlorin-test-voice"
  _vexlorin_test_voice_view "$(readlink -f "$dll")" || return 1
  if [[ $_tv_base == *Wow6432Node* ]]; then
    "$_tv_wine" 'C:\windows\syswow64\regsvr32.exe' /s sapi.dll >/dev/null 2>&1
  else
    "$_tv_wine" regsvr32 /s sapi.dll >/dev/null 2>&1
  fi
}
