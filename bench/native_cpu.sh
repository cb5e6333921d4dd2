#!/usr/bin/env bash
# CPU cost of the full-screen saver on a 1920x1080 Xvfb: the native qs3 and,
# when build/windows/qs3.scr exists and wine runs, qs3.scr under Wine.
# Not a test: it prints CPU seconds (utime+stime from /proc/PID/stat).
#
#   bench/native_cpu.sh [SECONDS]        (default 30)
set -euo pipefail

seconds=${1:-30}
repo=$(cd "$(dirname "$0")/.." && pwd)
qs3=$repo/build/linux/qs3
scr=$repo/build/windows/qs3.scr
work=$(mktemp -d)
ticks=$(getconf CLK_TCK)
pids=()

cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [[ -n ${WINEPREFIX:-} ]]; then WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# CPU seconds a process has used so far (0 when it is gone).
cpu_of() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
  # Fields after the command name, which may hold spaces: utime is 14, stime 15.
  awk -v t="$ticks" '{ print ($12 + $13) / t }' <<<"${stat##*) }"
}

free_display() {
  local n
  for n in $(seq 300 399); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || { echo "$n"; return; }
  done
  echo "no free display" >&2
  exit 1
}

# The newest process whose command line matches PATTERN and whose
# environment holds ENTRY (other sessions may run Wine at the same time).
pid_with_env() {  # PATTERN ENTRY
  local pid
  for pid in $(pgrep -f "$1" | sort -rn); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "$2"; then
      echo "$pid"
      return 0
    fi
  done
  return 0
}

start_xvfb() {
  local n
  n=$(free_display)
  Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  xvfb_pid=$!
  display=":$n"
}

report() {  # NAME CPU_SECONDS
  awk -v n="$1" -v c="$2" -v s="$seconds" \
    'BEGIN { printf "%-28s %7.2f CPU s in %d s (%.1f%% of one core)\n", n, c, s, 100 * c / s }'
}

# ----- native -----
start_xvfb
x0=$(cpu_of "$xvfb_pid")
mkdir -p "$work/native/home" "$work/native/cwd"
(cd "$work/native/cwd" && DISPLAY=$display HOME=$work/native/home \
   XDG_CONFIG_HOME=$work/native/home/.config SDL_AUDIODRIVER=dummy exec "$qs3" /s) &
saver=$!
pids+=("$saver")
sleep "$seconds"
report "qs3 /s (native)" "$(cpu_of "$saver")"
report "Xvfb (native run)" "$(awk -v a="$(cpu_of "$xvfb_pid")" -v b="$x0" 'BEGIN{print a-b}')"
kill "$saver" "$xvfb_pid"

# ----- Wine -----
if [[ ! -f $scr ]] || ! command -v wine >/dev/null; then
  echo "no $scr or no wine: the Wine run is skipped"
  exit 0
fi
start_xvfb
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=d" DISPLAY=$display
mkdir -p "$WINEPREFIX"
wineserver -p
wine wineboot -i >/dev/null 2>&1
server=$(pid_with_env '^[^ ]*wineserver' "WINEPREFIX=$WINEPREFIX")
x0=$(cpu_of "$xvfb_pid")
s0=$(cpu_of "$server")
(cd "$work" && exec wine "$scr" /s) >/dev/null 2>&1 &
pids+=($!)
# The saver's own process is the one whose command line names qs3.scr.
for _ in $(seq 100); do
  scr_pid=$(pid_with_env 'qs3\.scr' "WINEPREFIX=$WINEPREFIX")
  [[ -n $scr_pid && $(cpu_of "$scr_pid") != 0 ]] && break
  sleep 0.1
done
sleep "$seconds"
report "qs3.scr /s (Wine)" "$(cpu_of "$scr_pid")"
report "wineserver" "$(awk -v a="$(cpu_of "$server")" -v b="$s0" 'BEGIN{print a-b}')"
report "Xvfb (Wine run)" "$(awk -v a="$(cpu_of "$xvfb_pid")" -v b="$x0" 'BEGIN{print a-b}')"
