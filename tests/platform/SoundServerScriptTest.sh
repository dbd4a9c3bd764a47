#!/usr/bin/env bash
# The private sound server's script: a failed start stops the caller, the
# server is this user's alone, and a caller stops only a server it started.
set -uo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/sound-server
work=$(mktemp -d)
failures=0
check() {  # check NAME COMMAND...
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
unset PULSE_SERVER SONVELLE_SOUND_DIR
SONVELLE_SOUND_STARTED="none"

# 1. A server that cannot start: the documented eval line must not run on.
mkdir "$work/bin"
printf '#!/bin/sh\nexit 1\n' > "$work/bin/pulseaudio"
chmod +x "$work/bin/pulseaudio"
out=$(PATH="$work/bin:$PATH" bash -c "set -e; eval \"\$(bash $script start)\"; echo ran-on" 2>&1)
check "failed start stops an eval under set -e" test "${out/ran-on/}" = "$out"
check "failed start says why" grep -q 'did not start' <<<"$out"

# 2. Started under a permissive umask: a private folder only this user can use.
exports=$(umask 000 && bash "$script" start) || { echo "FAIL start"; exit 1; }
eval "$exports"
check "started here" test "$SONVELLE_SOUND_STARTED" = yes
check "folder is 0700" test "$(stat -c %a "$SONVELLE_SOUND_DIR")" = 700
check "server answers its owner" bash -c "pactl info >/dev/null"
check "another user cannot connect" \
  bash -c '! setpriv --reuid=65534 --regid=65534 --clear-groups pactl info >/dev/null 2>&1'

# 3. A second start reuses the server and must not claim it; stop needs a name.
again=$(bash "$script" start)
check "reused server is not claimed" grep -q 'SONVELLE_SOUND_STARTED=no' <<<"$again"
check "stop without a folder refuses" bash -c "! env -u SONVELLE_SOUND_DIR bash $script stop 2>/dev/null"
check "refused stop left the server running" bash -c "pactl info >/dev/null"
dir=$SONVELLE_SOUND_DIR
bash "$script" stop
check "stop ends the server and removes its folder" bash -c "! pactl info >/dev/null 2>&1 && ! test -e $dir"

# 4. An override folder is made private and survives the stop.
export SONVELLE_SOUND_DIR=$work/override/server
eval "$(umask 000 && bash "$script" start)"
check "override folder is 0700" test "$(stat -c %a "$SONVELLE_SOUND_DIR")" = 700
check "override server answers" bash -c "pactl info >/dev/null"
bash "$script" stop
check "override folder kept" test -d "$SONVELLE_SOUND_DIR"

rm -rf "$work"
exit $((failures > 0))
