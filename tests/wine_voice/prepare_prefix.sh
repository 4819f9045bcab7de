#!/usr/bin/env bash
# Test fixture: builds the espeak-ng voice, registers it in the Wine voice tests'
# own prefix ($WINEPREFIX) and renders every sample text with espeak-ng itself
# into $VEXLORIN_VOICE_REFERENCES, for the tests to compare with what they hear.
set -eo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/lib/env.sh"
source "$here/../../scripts/lib/wine-voice.sh"
: "${WINEPREFIX:?}" "${VEXLORIN_VOICE_REFERENCES:?}"

vexlorin_build_wine_voice
vexlorin_ensure_prefix
# One server for the whole test run; it leaves by itself once the tests are done.
"$WINESERVER" -p30 </dev/null >/dev/null 2>&1 || true
# Sound goes through ALSA, whose default device the tests make a WAV file.
VEXLORIN_WINE_AUDIO_DRIVER=alsa vexlorin_register_wine_voice

mkdir -p "$VEXLORIN_VOICE_REFERENCES"
while IFS=$'\t' read -r name token rate voice words_per_minute text; do
  [[ -z $name || $name == \#* ]] && continue
  espeak-ng -v "$voice" -s "$words_per_minute" -w "$VEXLORIN_VOICE_REFERENCES/$name.wav" "$text"
done <"$here/voice_samples.tsv"
echo "wine voice registered in $WINEPREFIX"
