#!/usr/bin/env bash
# CTest test_voice_registered_dll: registers vexlorin_test_voice.dll in its own prefix with
# scripts/lib/test-voice.sh and runs test_voice_probe.exe, which reaches it through the
# registry with CoCreateInstance(..., 7, ...); then checks the DLL's log, the cheap
# re-registration, and DllUnregisterServer/DllRegisterServer through regsvr32.
# Usage: registered_dll_test.sh PROBE_EXE DLL PREFIX
set -u
probe=$(readlink -f "$1") dll=$(readlink -f "$2")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
source "$root/scripts/lib/env.sh"
source "$root/scripts/lib/test-voice.sh"
mkdir -p "$3"
export WINEPREFIX=$(cd "$3" && pwd)   # Wine wants an absolute prefix
vexlorin_ensure_prefix

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_log() { grep -qF -- "$1" "$log" || fail "log lacks: $1"; }

log=$(mktemp "${TMPDIR:-/tmp}/test-voice-log.XXXXXX")
trap 'rm -f "$log"' EXIT

vexlorin_test_voice_register --force "$dll" || fail "registration"
# Called again with nothing changed, it must not import again (it rewrites its stamp only
# when it does).
stamp=$(stat -c %y "$WINEPREFIX/.vexlorin-test-voice")
sleep 0.1
vexlorin_test_voice_register "$dll" || fail "second registration"
[ "$(stat -c %y "$WINEPREFIX/.vexlorin-test-voice")" = "$stamp" ] || fail "a second registration imported again"

: >"$log"
VEXLORIN_TEST_VOICE_LOG=$log VEXLORIN_TEST_VOICE_MS_PER_CHAR=10 \
VEXLORIN_TEST_VOICE_TOKENS='ZH|中文|804=中文女声|409=Chinese;EN|English voice|409=Anna' \
  "$WINE" "$probe" || fail "probe exit code $?"
cat "$log"
expect_log "config pid="
expect_log "dll load path="
expect_log "factory:SpVoice CreateInstance iid=\"{6C44DF74-72B9-4992-A1EC-EF996E0422D4}\" object=\"voice#1\" -> 0x00000000"
expect_log "voice#1 SetInterest event=0x240000006 queued=0x240000006 -> 0x00000000"
expect_log "token#1 GetStringValue name=\"804\" value=\"中文女声\" -> 0x00000000"
expect_log "voice#1 SetVoice token=\"ZH\" -> 0x00000000"
expect_log "voice#1 Speak text=\"你好，世界\" flags=0x1 stream=1 -> 0x00000000"
expect_log "voice#1 @EndStream stream=1 offset=10 queued=1"
expect_log "voice#1 @Notify"
expect_log "voice#1 Release refs=0"
expect_log "dll unload live_objects=0"

if [ "$failures" -eq 0 ]; then
  # DllUnregisterServer removes the keys (the voice is then not creatable), DllRegisterServer
  # puts them back.
  "$_tv_wine" regsvr32 /u /s "$(_vexlorin_win_path "$(readlink -f "$dll")")" || fail "regsvr32 /u"
  "$WINE" "$probe" absent || fail "voice still creatable after DllUnregisterServer"
  "$_tv_wine" regsvr32 /s "$(_vexlorin_win_path "$(readlink -f "$dll")")" || fail "regsvr32"
  : >"$log"
  VEXLORIN_TEST_VOICE_LOG=$log VEXLORIN_TEST_VOICE_TOKENS='ZH|中文|804=中文女声' \
    "$WINE" "$probe" || fail "probe after DllRegisterServer"
  expect_log "voice#1 Release refs=0"
fi

[ "$failures" -eq 0 ] && echo "test_voice_registered_dll: passed"
exit $((failures > 0))
