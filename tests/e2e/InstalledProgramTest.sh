#!/usr/bin/env bash
# The Debian package as a user meets it: built from this build folder, checked
# by Debian's and freedesktop's validators, unpacked into a scratch root and
# run from there offscreen by an unprivileged user with an empty home, a
# file-fed microphone speaking into it. The unpacked program folder is not
# the user's to write; a second run gets a work folder it cannot write either.
#   InstalledProgramTest.sh <build folder> <source folder>
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
id=example.orsolan.sonvelle
uid=65534

fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "run as root: the program is started as another user"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/sonvelle-installed.XXXXXXXX")
chmod 0755 "$scratch"
user=$scratch/user
home=$user/home
program_pid=
sound_exports=
cleanup() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  if [ -n "$sound_exports" ]; then as_user env SONVELLE_SOUND_DIR="$user/sound" bash "$scratch/sound-server" stop || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

user_env=(HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$user/run"
          XDG_DATA_HOME="$user/data" XDG_CONFIG_HOME="$user/config")
as_user() { setpriv --reuid=$uid --regid=$uid --clear-groups env -i "${user_env[@]}" "$@"; }

echo "== the package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/package/sonvelle_*.deb | head -n 1)
dpkg-deb -c "$deb" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }' > "$scratch/contents"
for path in ./usr/lib/sonvelle/sonvelle ./usr/lib/sonvelle/encodermp3.so ./usr/lib/sonvelle/Beep1.wav \
            ./usr/lib/sonvelle/html/Start.htm "./usr/bin/sonvelle -> ../lib/sonvelle/sonvelle" \
            ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/$id.svg ./usr/share/icons/hicolor/48x48/apps/$id.png \
            ./usr/share/icons/hicolor/256x256/apps/$id.png ./usr/share/doc/sonvelle/copyright; do
  grep -qxF "$path" "$scratch/contents" || fail "the package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 libpulse0 libmpg123-0 libsndfile1 \
               libgstreamer1.0-0 libmp3lame0 gstreamer1.0-plugins-base gstreamer1.0-plugins-good xdg-utils; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

# Every dependency names a package apt can install here.
apt-get install --simulate --no-install-recommends "$deb" > "$scratch/apt" 2>&1 ||
  fail "apt-get cannot install the package: $(cat "$scratch/apt")"

echo "== validators"
dpkg -x "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
status=0
lintian --allow-root --tag-display-limit 0 "$deb" > "$scratch/lintian" 2>&1 || status=$?
cat "$scratch/lintian"
[ $status -le 1 ] || fail "lintian did not run (status $status)"
if grep -q '^E:' "$scratch/lintian"; then fail "lintian reports errors"; fi

echo "== the installed program, run by an unprivileged user with an empty home"
mkdir -p "$home" "$user/run" "$user/data" "$user/config" "$user/readonly"
cp "$source/scripts/sound-server" "$scratch/sound-server"
# One second of quiet, four of a loud tone standing for a voice, eighteen of quiet: one call.
sox -n -r 32000 -b 16 -c 1 "$scratch/microphone.wav" synth 4 sine 440 vol 0.7 pad 1 18
chmod 0644 "$scratch/microphone.wav" "$scratch/sound-server"
chown -R $uid:$uid "$user"
chmod 0700 "$user" "$user/run"
sound_exports=$(as_user env SONVELLE_SOUND_DIR="$user/sound" bash "$scratch/sound-server" start)
pulse=$(sed -n 's/.*PULSE_SERVER=\([^ ]*\).*/\1/p' <<<"$sound_exports")
program_folder=$scratch/root/usr/lib/sonvelle
(cd "$program_folder" && find . | sort) > "$scratch/program-before"

data=$user/data/Sonvelle
recordings=$data/Recordings
# wait_for <seconds> <command...>: polls until the command succeeds.
wait_for() {
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq 1 "$limit"); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}
alive() { kill -0 "$program_pid" 2>/dev/null; }
ended() { ! alive; }
start_program() {
  # exec: the background job is the program itself, so that signals reach it.
  (exec setpriv --reuid=$uid --regid=$uid --clear-groups env -i "${user_env[@]}" PULSE_SERVER="$pulse" \
    QT_QPA_PLATFORM=offscreen SONVELLE_WAVE_INPUT="$scratch/microphone.wav" SONVELLE_WAVE_INPUT_SPEED=4 "$scratch/root/usr/bin/sonvelle" > "$scratch/program.out" 2>&1) &
  program_pid=$!
}
stop_program() {
  kill -TERM "$program_pid"
  wait_for 30 ended || fail "the program did not end on SIGTERM"
  wait "$program_pid" || fail "the program ended with status $?"
  program_pid=
}
temporary_has_audio() { [ -s "$1/tmp_nome_reg.dtm" ]; }
# The call has ended when the writer's file has stopped growing for a while.
last_size=
last_change=0
temporary_settled() {
  local size now
  size=$(stat -c %s "$1/tmp_nome_reg.dtm" 2>/dev/null || echo none)
  now=$(date +%s%N)
  if [ "$size" != "$last_size" ]; then
    last_size=$size
    last_change=$now
    return 1
  fi
  [ $(( now - last_change )) -gt 1500000000 ]
}

start_program
wait_for 30 temporary_has_audio "$recordings" || fail "no recording started in $recordings: $(cat "$scratch/program.out")"
# At four times the pace the call ends about 5 s after it starts, 15 s of scene after the voice.
wait_for 30 temporary_settled "$recordings" || fail "the call did not end"
alive || fail "the program ended by itself: $(cat "$scratch/program.out")"
stop_program

shopt -s nullglob
calls=("$recordings"/*.mp3)
[ ${#calls[@]} -eq 1 ] || fail "expected one recording in $recordings, found: $(ls -A "$recordings")"
call=${calls[0]}
[ "$(stat -c %a "$call")" = 600 ] || fail "$call is readable by others"
[ "$(stat -c %a "$data")" = 700 ] || fail "$data is open to others"
[ -s "$data/SN.log" ] || fail "the log is not in $data"
mpg123 -q -w "$scratch/decoded.wav" "$call" || fail "mpg123 cannot decode $call"
seconds=$(soxi -D "$scratch/decoded.wav")
awk -v s="$seconds" 'BEGIN { exit !(s >= 3.5 && s <= 25) }' || fail "$call holds $seconds s instead of the call"
(cd "$program_folder" && find . | sort) > "$scratch/program-after"
diff -u "$scratch/program-before" "$scratch/program-after" || fail "the program wrote into its own folder"
echo "recorded $(basename "$call"): $seconds s"

echo "== a work folder the user cannot write"
readonly_work=$user/readonly
cp -p "$call" "$readonly_work/"
kept=$readonly_work/$(basename "$call")
digest=$(sha256sum < "$kept")
chmod 0500 "$readonly_work"
settings=$user/config/Software/Orsolan/Sonvelle.conf
[ -f "$settings" ] || fail "no settings at $settings"
as_user sed -i "s|^WorkDir\t.*|WorkDir\t$readonly_work/|" "$settings"
grep -qxF "WorkDir	$readonly_work/" "$settings" || fail "cannot point the settings at $readonly_work"
start_program
# The writer cannot make its file: the user is told the recording is cut short.
wait_for 30 grep -q "Errore di scrittura" "$data/SN.log" || fail "the failed recording was not noticed"
alive || fail "the program ended by itself: $(cat "$scratch/program.out")"
stop_program
[ "$(sha256sum < "$kept")" = "$digest" ] || fail "the stored recording changed"
[ "$(ls -A "$readonly_work")" = "$(basename "$call")" ] || fail "the work folder changed: $(ls -A "$readonly_work")"
echo "PASS"
