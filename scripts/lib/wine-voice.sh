# Sourced after env.sh: builds the espeak-ng SAPI voice for Wine (a Winelib DLL,
# wine/) and registers it in the current WINEPREFIX, so that the program is heard
# on Linux.  Wine's own SAPI voice cannot speak.

# The voice must have the bitness of the programs that load it.
vexlorin_wine_voice_dir() {
  echo "$VEXLORIN_BUILD/wine-voice/$VEXLORIN_ARCH"
}

vexlorin_wine_voice_dll() {
  echo "$(vexlorin_wine_voice_dir)/vexlorin_espeak.dll.so"
}

# Prints why the voice cannot be built here; prints nothing when it can.  The
# DLL has the programs' bitness; the renderer is a Linux program of the machine's.
vexlorin_wine_voice_missing() {
  if ! command -v winegcc >/dev/null 2>&1; then
    echo "winegcc is not installed (wine64-tools, or wine32-tools for i686)"
  elif ! command -v make >/dev/null 2>&1; then
    echo "make is not installed"
  elif ! printf '#include <espeak-ng/speak_lib.h>\n' | gcc -E -x c - >/dev/null 2>&1; then
    echo "the espeak-ng headers are not installed (libespeak-ng-dev)"
  fi
}

# Builds (incrementally) into $VEXLORIN_BUILD/wine-voice/<arch>.
vexlorin_build_wine_voice() {
  local missing
  missing=$(vexlorin_wine_voice_missing)
  if [ -n "$missing" ]; then
    echo "wine voice: cannot build: $missing" >&2
    return 1
  fi
  make --no-print-directory -s -C "$VEXLORIN_ROOT/wine" -j2 \
    O="$(vexlorin_wine_voice_dir)" ARCH="$VEXLORIN_ARCH" all
}

# The Windows path of a Unix file: through drive Z:, which Wine maps to / in
# every new prefix; asking winepath costs a Wine start-up.
vexlorin_dos_path() {
  local unix_path=$1
  if [ "$(readlink "$WINEPREFIX/dosdevices/z:" 2>/dev/null)" = / ]; then
    printf 'Z:%s\n' "${unix_path//\//\\}"
  else
    "$WINE" winepath -w "$unix_path" 2>/dev/null
  fi
}

# With no sound device on the machine, sends Wine's sound to a WAV file instead:
# exports ALSA_CONFIG_PATH (ALSA's file plugin over its null device) and
# VEXLORIN_WINE_AUDIO_DRIVER=alsa for the registration, and says where the file is.
# Each utterance (from the voice's opening of the device to its closing)
# replaces the file.
vexlorin_wav_audio_if_headless() {
  local runtime_dir=${XDG_RUNTIME_DIR:-/run/user/$(id -u)}
  if [ -n "${PULSE_SERVER:-}" ] || [ -S "$runtime_dir/pulse/native" ] \
    || compgen -G '/dev/snd/pcmC*p' >/dev/null; then
    return 0
  fi
  local dir wav
  dir=$(vexlorin_wine_voice_dir)
  wav="$dir/speech.wav"
  mkdir -p "$dir"
  printf '%s\n' 'pcm.!default {' '  type file' '  slave.pcm { type null }' \
    "  file \"$wav\"" '  format "wav"' '}' >"$dir/asound-wav.conf"
  export ALSA_CONFIG_PATH="$dir/asound-wav.conf"
  export VEXLORIN_WINE_AUDIO_DRIVER=alsa
  echo "No sound device: speech is written to $wav"
}

# Registers the voice DLL and its voice tokens in $WINEPREFIX, in the registry
# view of $VEXLORIN_ARCH, with one registry import.  Cheap enough to run before
# every start: `wineboot -u` restores Wine's own registration.  When
# VEXLORIN_WINE_AUDIO_DRIVER is set, the prefix's audio driver is set with it.
vexlorin_register_wine_voice() {
  local dll reg dos_dll content
  dll=$(vexlorin_wine_voice_dll)
  if [ ! -f "$dll" ]; then
    echo "wine voice: $dll is not built" >&2
    return 1
  fi
  dos_dll=$(vexlorin_dos_path "$dll")
  content=$(<"$VEXLORIN_ROOT/wine/voice-tokens.reg")
  content=${content//@VOICE_DLL@/"${dos_dll//\\/\\\\}"}
  if [ -n "${VEXLORIN_WINE_AUDIO_DRIVER:-}" ]; then
    content+=$'\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n"Audio"="'"$VEXLORIN_WINE_AUDIO_DRIVER"'"'
  fi
  reg="$(vexlorin_wine_voice_dir)/register.reg"
  # regedit reads UTF-16 with a byte order mark, whatever the code page.
  { printf '\xff\xfe'; printf '%s\n' "$content" | iconv -f UTF-8 -t UTF-16LE; } >"$reg" || return 1
  # Wine's helper processes outlive regedit and would hold on to our output.
  "$WINE" regedit /S "$(vexlorin_dos_path "$reg")" </dev/null >/dev/null 2>&1 \
    || { echo "wine voice: registering in $WINEPREFIX failed" >&2; return 1; }
}
