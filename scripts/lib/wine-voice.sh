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

# Prints why the voice cannot be built here; prints nothing when it can.
vexlorin_wine_voice_missing() {
  local bits=-m64
  [ "$VEXLORIN_ARCH" = i686 ] && bits=-m32
  if ! command -v winegcc >/dev/null 2>&1; then
    echo "winegcc is not installed (wine64-tools, or wine32-tools for i686)"
  elif ! command -v make >/dev/null 2>&1; then
    echo "make is not installed"
  elif ! printf '#include <espeak-ng/speak_lib.h>\n' | gcc $bits -E -x c - >/dev/null 2>&1; then
    echo "the espeak-ng headers for $VEXLORIN_ARCH are not installed (libespeak-ng-dev)"
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

# Registers the voice DLL and its voice tokens in $WINEPREFIX, in the registry
# view of $VEXLORIN_ARCH, with one registry import.  Cheap enough to run before
# every start: `wineboot -u` restores Wine's own registration.  Extra .reg files
# (UTF-8, without the header line) given as arguments go into the same import.
vexlorin_register_wine_voice() {
  local dll reg dos_dll template content extra
  dll=$(vexlorin_wine_voice_dll)
  if [ ! -f "$dll" ]; then
    echo "wine voice: $dll is not built" >&2
    return 1
  fi
  template="$VEXLORIN_ROOT/wine/voice-tokens.reg"
  dos_dll=$(vexlorin_dos_path "$dll")
  content=$(<"$template")
  content=${content//@VOICE_DLL@/"${dos_dll//\\/\\\\}"}
  for extra in "$@"; do
    content+=$'\n\n'$(<"$extra")
  done
  reg="$(vexlorin_wine_voice_dir)/register.reg"
  # regedit reads UTF-16 with a byte order mark, whatever the code page.
  { printf '\xff\xfe'; printf '%s\n' "$content" | iconv -f UTF-8 -t UTF-16LE; } >"$reg" || return 1
  "$WINE" regedit /S "$(vexlorin_dos_path "$reg")"
}
