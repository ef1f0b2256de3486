#!/usr/bin/env bash
# wendrel-render --play through a private sound server (PulseAudio or
# PipeWire, reached through ALSA), its output recorded and measured: a 2000 ms
# tone sounds 2.00 s at its pitch, whole, and the command returns soon after
# it ends; the server killed during a play ends the play at once with status
# 1 and one line, without spinning or growing meanwhile.
#
# Usage: render_play_test.sh WENDREL_RENDER RECORDING_METER pulse|pipewire
#          PLUGIN_ROOT|- [LAUNCHER]
# PLUGIN_ROOT: where the pipewire-alsa package was unpacked (pipewire only).
# LAUNCHER runs both programs (the Windows build's wine-run: there the play
# goes through winmm's waveOut and Wine's PulseAudio driver).
set -euo pipefail

render=$1
meter=$2
kind=$3
launcher=${5:-}
play=(${launcher:+"$launcher"} "$render" --play)
tmp=$(mktemp -d "/tmp/wendrel-render-play-$kind-XXXXXX")
source "$(dirname "${BASH_SOURCE[0]}")/../support/sound_server.sh" "$kind" "$4"
trap 'server_stop; rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Through PipeWire the render plays to ALSA's default device, as a desktop's
# pipewire-alsa makes it.
if [ "$kind" = pipewire ]; then server_output=alsa:default; fi
export WENDREL_AUDIO=$server_output
# within A B TOLERANCE: |A - B| <= TOLERANCE.
within() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }

server_start "$tmp/server" || fail "no sound server"
server_record_start "$tmp/tone.raw" || fail "no recording"
timeout 20 "${play[@]}" --mode duration --duration 2000 --freq 1=440 2>"$tmp/tone.err" ||
  fail "a 2000 ms play: status $?: $(tr '\r' '\n' <"$tmp/tone.err" | tail -1)"
returned=$(server_record_seconds)
sleep 0.3
server_record_stop
found=$(${launcher:+"$launcher"} "$meter" --rate "$server_rate" "$tmp/tone.raw" | tr -d '\r')
[ "$(echo "$found" | wc -l)" = 1 ] || fail "a 2000 ms play: pieces of sound: $found"
read -r start end length hz <<<"$found"
within "$length" 2.0 0.02 || fail "a 2000 ms play sounded $length s"
within "$hz" 440 0.5 || fail "a 2000 ms play of 440 Hz sounded at $hz Hz"
after=$(awk -v r="$returned" -v e="$end" 'BEGIN { print r - e }')
awk -v a="$after" 'BEGIN { exit !(a <= 0.6) }' || fail "the command returned $after s after the tone ended"
echo "ok: a 2000 ms play sounded $length s at $hz Hz; the command returned $after s after its end"

# The server killed 2 s into a 10 s play. Wine's waveOut goes on accepting
# buffers from a dead server and completes none, so there the play ends by the
# player's stall rule, half a minute later; only the Linux output notices.
[ -z "$launcher" ] || exit 0

timeout 30 "${play[@]}" --mode duration --duration 10000 --freq 1=440 2>"$tmp/kill.err" &
play=$!
sleep 2
# Resident kilobytes and processor ticks of the playing process (timeout's
# child), from /proc.
player=$(pgrep -P "$play" | head -1)
resident() { awk '/^VmRSS:/ { print $2 }' "/proc/$player/status" 2>/dev/null || echo 0; }
ticks() { awk '{ print $14 + $15 }' "/proc/$player/stat" 2>/dev/null || echo 0; }
before_kb=$(resident)
killed=$(date +%s%N)
server_kill
# While the process lives on after the kill, it must neither spin nor grow.
ticks_at_kill=$(ticks)
after_kb=$before_kb
while kill -0 "$play" 2>/dev/null && [ $((($(date +%s%N) - killed) / 1000000)) -lt 1000 ]; do
  now_kb=$(resident)
  [ "${now_kb:-0}" -le "$after_kb" ] || after_kb=$now_kb
  now_ticks=$(ticks)
  [ "$now_ticks" -lt "$ticks_at_kill" ] || busy_ticks=$((now_ticks - ticks_at_kill))
  sleep 0.05
done
busy_ticks=${busy_ticks:-0}
status=0
wait "$play" || status=$?
ended_ms=$((($(date +%s%N) - killed) / 1000000))
[ "$status" = 1 ] || fail "killed server: status $status"
lines=$(tr '\r' '\n' <"$tmp/kill.err" | grep -c '^wendrel-render:' || true)
[ "$lines" = 1 ] || fail "killed server: $lines error lines: $(cat "$tmp/kill.err")"
[ "$ended_ms" -le 1500 ] || fail "killed server: the play went on for $ended_ms ms"
# At 100 ticks a second, 10 % of a core over at most a second is 10 ticks.
[ "$busy_ticks" -le 10 ] || fail "killed server: $busy_ticks ticks of processor time after the kill"
[ $((after_kb - before_kb)) -le 4096 ] || fail "killed server: resident memory grew from $before_kb to $after_kb kB"
echo "ok: killed server ended the play after $ended_ms ms ($busy_ticks ticks of processor time;" \
  "resident $before_kb -> $after_kb kB):" \
  "$(tr '\r' '\n' <"$tmp/kill.err" | grep '^wendrel-render:')"
