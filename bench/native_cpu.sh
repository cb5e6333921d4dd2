#!/usr/bin/env bash
# CPU cost of the full-screen saver on Xvfb screens: the native qs3 and, when
# BUILD/windows/qs3.scr exists and wine runs, qs3.scr under Wine, for each
# screen size and each checkout given, all in one run so that the figures
# compare. Not a test: it prints CPU seconds (utime+stime from /proc/PID/stat)
# of the saver, the X server and (Wine) the wineserver over the same seconds
# of steady state, the saver's resident memory at the end (VmRSS) and its
# wake-ups (context switches of all its threads) per second.
#
#   bench/native_cpu.sh [-s SECONDS] [-w SECONDS] [-r WxH]... [NAME=CHECKOUT]...
#
# -s: seconds measured per saver (default 30); -w: seconds a freshly booted
# Wine prefix is left alone first (default 60: its services keep the
# wineserver busy for about a minute, which would be counted against the
# first saver). The sizes default to 1920x1080 and 3840x2160, the checkouts
# to this one ("this"); a checkout's builds are CHECKOUT/build/linux/qs3 and
# CHECKOUT/build/windows/qs3.scr. Example, the main branch beside this one:
#   git worktree add /tmp/before main && (cd /tmp/before && scripts/build linux windows)
#   bench/native_cpu.sh before=/tmp/before this=.
set -euo pipefail

seconds=30
wine_settle=60
sizes=()
while getopts "s:w:r:" option; do
  case $option in
    s) seconds=$OPTARG ;;
    w) wine_settle=$OPTARG ;;
    r) sizes+=("$OPTARG") ;;
    *) sed -n '2,21p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
((${#sizes[@]})) || sizes=(1920x1080 3840x2160)
repo=$(cd "$(dirname "$0")/.." && pwd)
builds=("$@")
((${#builds[@]})) || builds=("this=$repo")

work=$(mktemp -d)
ticks=$(getconf CLK_TCK)
pids=()
xvfb_pid=""
display=""

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

# Context switches, voluntary and not, of every thread of a process.
switches_of() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n + 0 }'
}

rss_mib_of() {
  awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status" 2>/dev/null || echo 0
}

minus() { awk -v a="$1" -v b="$2" 'BEGIN { print a - b }'; }

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

start_xvfb() {  # WxH
  local n
  n=$(free_display)
  Xvfb ":$n" -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  pids+=("$xvfb_pid")
  for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  display=":$n"
}

stop_xvfb() {
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}

printf '%-8s %-10s %-7s %9s %9s %11s %9s %9s %10s\n' build size saver "saver s" "X s" \
  "wineserver" "total s" "RSS MiB" "wakeups/s"
row() {  # BUILD SIZE SAVER SAVER_CPU X_CPU WINESERVER_CPU RSS SWITCHES
  awk -v b="$1" -v z="$2" -v p="$3" -v c="$4" -v x="$5" -v w="$6" -v r="$7" -v n="$8" \
    -v s="$seconds" 'BEGIN { printf "%-8s %-10s %-7s %9.2f %9.2f %11s %9.2f %9s %10.1f\n",
      b, z, p, c, x, (w == "-" ? "-" : sprintf("%.2f", w)), c + x + (w == "-" ? 0 : w), r, n / s }'
}

# Measures the steady state of a saver that is already running: SECONDS of
# its CPU, the X server's and the wineserver's (0 when none), then a row.
measure() {  # BUILD SIZE SAVER PID [WINESERVER_PID]
  local pid=$4 server=${5:-} c0 x0 s0 n0
  c0=$(cpu_of "$pid"); x0=$(cpu_of "$xvfb_pid"); n0=$(switches_of "$pid")
  s0=0; [[ -n $server ]] && s0=$(cpu_of "$server")
  sleep "$seconds"
  local c1 x1 s1=0 n1 rss
  c1=$(cpu_of "$pid"); x1=$(cpu_of "$xvfb_pid"); n1=$(switches_of "$pid"); rss=$(rss_mib_of "$pid")
  [[ -n $server ]] && s1=$(cpu_of "$server")
  row "$1" "$2" "$3" "$(minus "$c1" "$c0")" "$(minus "$x1" "$x0")" \
    "$([[ -n $server ]] && minus "$s1" "$s0" || echo -)" "$rss" "$((n1 - n0))"
}

# Seconds a saver runs before its figures are taken: past the set-up.
settle=3

run_native() {  # BUILD SIZE QS3
  local home=$work/native
  mkdir -p "$home/home" "$home/cwd"
  (cd "$home/cwd" && DISPLAY=$display HOME=$home/home XDG_CONFIG_HOME=$home/home/.config \
     SDL_AUDIODRIVER=dummy exec "$3" /s) >/dev/null 2>&1 &
  local saver=$!
  pids+=("$saver")
  sleep "$settle"
  measure "$1" "$2" native "$saver"
  kill "$saver" 2>/dev/null || true
  wait "$saver" 2>/dev/null || true
}

run_wine() {  # BUILD SIZE SCR SERVER_PID
  (cd "$work" && exec wine "$3" /s) >/dev/null 2>&1 &
  local launcher=$! scr_pid=""
  pids+=("$launcher")
  # The saver's own process is the one whose command line names qs3.scr.
  for _ in $(seq 100); do
    scr_pid=$(pid_with_env 'qs3\.scr' "WINEPREFIX=$WINEPREFIX")
    [[ -n $scr_pid && $(cpu_of "$scr_pid") != 0 ]] && break
    sleep 0.1
  done
  sleep "$settle"
  measure "$1" "$2" wine "$scr_pid" "$4"
  kill "$scr_pid" "$launcher" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$scr_pid" 2>/dev/null || break; sleep 0.1; done
}

have_wine=0
command -v wine >/dev/null && have_wine=1

for size in "${sizes[@]}"; do
  start_xvfb "$size"
  for build in "${builds[@]}"; do
    qs3=${build#*=}/build/linux/qs3
    [[ -x $qs3 ]] && run_native "${build%%=*}" "$size" "$qs3" || echo "no $qs3"
  done
  stop_xvfb

  ((have_wine)) || { echo "no wine: the Wine runs are skipped"; continue; }
  start_xvfb "$size"
  export WINEPREFIX=$work/prefix-$size WINEDEBUG=-all WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=d" DISPLAY=$display
  mkdir -p "$WINEPREFIX"
  wineserver -p
  wine wineboot -i >/dev/null 2>&1
  sleep "$wine_settle"
  server=$(pid_with_env '^[^ ]*wineserver' "WINEPREFIX=$WINEPREFIX")
  for build in "${builds[@]}"; do
    scr=${build#*=}/build/windows/qs3.scr
    [[ -f $scr ]] && run_wine "${build%%=*}" "$size" "$scr" "$server" || echo "no $scr"
  done
  wineserver -k 2>/dev/null || true
  stop_xvfb
done
