#!/usr/bin/env bash
# Start-up of the installed program, from exec to its window shown on a private
# X display, with 10,000 recordings in the work folder: with their index, and
# with none (every tag read). The package comes from the build folder and is
# unpacked into a scratch root; an unprivileged user runs it. Prints figures,
# asserts nothing. The page cache is warm: the first start is not counted.
#   bench/install/ColdStartBench.sh <build folder> [runs]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-5}
count=10000
source=$(cd "$(dirname "$0")/../.." && pwd)
uid=65534
[ "$(id -u)" -eq 0 ] || { echo "run as root: the program is started as another user" >&2; exit 2; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/sonvelle-startbench.XXXXXXXX")
chmod 0755 "$scratch"
user=$scratch/user
home=$user/home
xvfb_pid=
xev_pid=
program_pid=
sound_started=no
cleanup() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  if [ "$sound_started" = yes ]; then as_user env SONVELLE_SOUND_DIR="$user/sound" bash "$scratch/sound-server" stop || true; fi
  if [ -n "$xev_pid" ]; then kill "$xev_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
as_user() {
  setpriv --reuid=$uid --regid=$uid --clear-groups \
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$user/run" "$@"
}

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/package/sonvelle_*.deb | head -n 1)
dpkg -x "$deb" "$scratch/root"
mkdir -p "$home" "$user/run"
cp "$source/scripts/sound-server" "$scratch/sound-server"
chmod 0644 "$scratch/sound-server"
chown -R $uid:$uid "$user"
chmod 0700 "$user" "$user/run"
exports=$(as_user env SONVELLE_SOUND_DIR="$user/sound" bash "$scratch/sound-server" start)
sound_started=yes
pulse=$(sed -n 's/.*PULSE_SERVER=\([^ ]*\).*/\1/p' <<<"$exports")

# A display of its own, away from the numbers test runners pick.
display=
for number in $(shuf -i 400-899 -n 20); do
  [ -e "/tmp/.X$number-lock" ] && continue
  Xvfb ":$number" -ac -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    kill -0 "$xvfb_pid" 2>/dev/null || break
    if xwininfo -display ":$number" -root >/dev/null 2>&1; then display=:$number; break; fi
    sleep 0.1
  done
  [ -n "$display" ] && break
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
done
[ -n "$display" ] || { echo "no virtual display" >&2; exit 1; }

caption="Orsolan Sonvelle"
recordings=$home/.local/share/Sonvelle/Recordings
# One connection watches windows being mapped: polling the display with a new
# connection each time makes it refuse the program's own under load.
xev -display "$display" -root -event substructure > "$scratch/events" 2>/dev/null &
xev_pid=$!
# Milliseconds from exec to the main window mapped, into $ms.
ms=0
start() {
  local begin end seen
  seen=$(grep -c MapNotify "$scratch/events" || true)
  begin=$(date +%s%N)
  (exec setpriv --reuid=$uid --regid=$uid --clear-groups env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    XDG_RUNTIME_DIR="$user/run" DISPLAY="$display" PULSE_SERVER="$pulse" QT_QPA_PLATFORM=xcb \
    "$scratch/root/usr/bin/sonvelle" >/dev/null 2>&1) &
  program_pid=$!
  until [ "$(grep -c MapNotify "$scratch/events")" -gt "$seen" ]; do
    kill -0 "$program_pid" 2>/dev/null || { echo "the program ended before its window showed" >&2; exit 1; }
    sleep 0.005
  done
  end=$(date +%s%N)
  xwininfo -display "$display" -name "$caption" 2>/dev/null | grep -q IsViewable ||
    { echo "the first window shown is not the main window" >&2; exit 1; }
  ms=$(( (end - begin) / 1000000 ))
}
# The close writes the index. The log tells how long the list took to load, into $list_ms.
list_ms=0
stop() {
  kill -TERM "$program_pid"
  wait "$program_pid" || true
  program_pid=
  list_ms=$(sed -n 's/^Tempo Carica Lista = \([0-9]*\).*/\1/p' "$home/.local/share/Sonvelle/SN.log" | tail -n 1)
}
# median and minimum of the arguments
summary() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { printf "median %d ms, min %d ms (%d runs)", v[int((NR + 1) / 2)], v[1], NR }'; }

start  # the first start makes the settings and the default work folder
stop
empty=()
for _ in $(seq 1 "$runs"); do start; empty+=("$ms"); stop; done
echo "empty work folder:                $(summary "${empty[@]}")"

"$build/bin/bench_make_recordings" "$recordings" "$count"
chown -R $uid:$uid "$recordings"
rm -f "$recordings/Index.txt"
start
stop
without=() without_list=()
for _ in $(seq 1 "$runs"); do
  rm -f "$recordings/Index.txt"
  start
  without+=("$ms")
  stop
  without_list+=("$list_ms")
done
with=() with_list=()
for _ in $(seq 1 "$runs"); do
  [ -s "$recordings/Index.txt" ] || { echo "no index after the close" >&2; exit 1; }
  start
  with+=("$ms")
  stop
  with_list+=("$list_ms")
done
echo "$count recordings with the index: $(summary "${with[@]}")   (goal: under 500 ms)"
echo "   of which loading the list:     $(summary "${with_list[@]}")"
echo "$count recordings, no index:      $(summary "${without[@]}")"
echo "   of which loading the list:     $(summary "${without_list[@]}")"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors"
