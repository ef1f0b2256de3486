#!/usr/bin/env bash
# The Windows program's playback under Wine, through a private PulseAudio
# (Wine's PulseAudio driver behind winmm), its output recorded and measured as
# the terminal program's is (tests/sound_server): Play then Stop a second later
# sounds that long at 1000 Hz; a semitone step while playing moves the pitch to
# 1059.46 Hz; a tone of a specified 1000 ms ends by itself after 1000 ms, and
# Play is enabled again. Keys by xdotool on a private Xvfb display.
#
# Usage: desktop_play_test.sh WENDREL_EXE PROBE_EXE METER_EXE WINE_PREFIX
set -euo pipefail

exe=$1
probe=$2
meter=$3
export WINEPREFIX=$4
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../support/pulse_server.sh"
tmp=$(mktemp -d /tmp/wendrel-desktop-play-XXXXXX)
xvfb_pid=""
cleanup() {
  pulse_stop
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

pulse_start "$tmp/pulse" || fail "no sound server"
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ xvfb_pid <&3
read -r display <&3 || fail "Xvfb did not start"
export DISPLAY=":$display"
wineserver -k 2>/dev/null || true
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d pulse /f >/dev/null 2>&1

state() { wine "$probe" 2>/dev/null | tr -d '\r'; }
wait_state() {
  local deadline=$((SECONDS + ${2:-30}))
  until state | grep -qF -- "$1"; do
    [ $SECONDS -lt $deadline ] || fail "the program never showed \"$1\"; it showed: $(state | grep -v '^menu 2')"
    sleep 0.2
  done
}
# Without a window manager nothing gives the focus back to the window when a
# pop-up closes; this does what one would.
focus_window() { xdotool search --name '^Wendrel$' windowfocus --sync >/dev/null 2>&1 || true; }
# menu LETTER DOWNS: chooses the item DOWNS places below the pop-up's first.
menu() {
  focus_window
  xdotool key "alt+$1"
  sleep 0.4
  local i
  for ((i = 0; i < $2; i++)); do xdotool key Down; done
  xdotool key Return
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
pieces() { wine "$meter" "Z:${1//\//\\}" 2>/dev/null | tr -d '\r'; }
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }
# The sound's span (first start to last end) and the pitch most of it has.
span() { echo "$1" | awk 'NR == 1 { s = $1 } { e = $2 } END { printf "%.4f\n", e - s }'; }
pitch() {
  echo "$1" | awk '{ t[$4] += $3 } END { for (p in t) if (t[p] > best) { best = t[p]; hz = p }; print hz }'
}

wine "$exe" >/dev/null 2>&1 &
wait_state "row 0 " 120

# Play, then Stop a second later.
pulse_record_start "$tmp/stop.raw" || fail "no recording"
menu f 0
played=$(now_ms)
sleep 1
menu f 1
stopped=$(now_ms)
sleep 0.5
pulse_record_stop
found=$(pieces "$tmp/stop.raw")
expected=$(awk -v ms=$((stopped - played)) 'BEGIN { print ms / 1000 }')
near "$(span "$found")" "$expected" 0.1 || fail "play and stop: sounded $(span "$found") s, keys $expected s apart: $found"
near "$(pitch "$found")" 1000 2 || fail "play and stop: pitch $(pitch "$found"): $found"
echo "ok: play and stop $expected s apart sounded $(span "$found") s at $(pitch "$found") Hz in $(echo "$found" | wc -l) pieces"

# A semitone up while playing: the first row selected, then Increase Value.
focus_window
xdotool key Down
wait_state "selected 1"
pulse_record_start "$tmp/step.raw" || fail "no recording"
menu f 0
sleep 1
menu t 0
wait_state "1059.46Hz"
sleep 1
menu f 1
sleep 0.3
pulse_record_stop
found=$(pieces "$tmp/step.raw")
after=$(echo "$found" | awk '$4 > 1050 && $4 < 1070 { t += $3 } END { printf "%.4f\n", t }')
awk -v t="$after" 'BEGIN { exit !(t >= 0.5) }' || fail "semitone step: $after s at 1059.46 Hz in: $found"
echo "ok: after the semitone step $after s sounded at 1059.46 Hz"

# A tone of a specified duration (1000 ms by default) ends by itself.
menu t 5
wait_state "Sine Duration|1000ms"
pulse_record_start "$tmp/timed.raw" || fail "no recording"
menu f 0
wait_state "menu 1002 enabled"
wait_state "menu 1001 enabled"
sleep 0.3
pulse_record_stop
found=$(pieces "$tmp/timed.raw")
near "$(span "$found")" 1 0.05 || fail "timed tone: sounded $(span "$found") s: $found"
near "$(pitch "$found")" 1059.46 2 || fail "timed tone: pitch $(pitch "$found"): $found"
echo "ok: the 1000 ms tone sounded $(span "$found") s at $(pitch "$found") Hz and ended by itself"

focus_window
xdotool key ctrl+q
deadline=$((SECONDS + 30))
while state | grep -q '^window '; do
  [ $SECONDS -lt $deadline ] || fail "Ctrl+Q did not close the program"
  sleep 0.2
done
echo "desktop play: all passed"
