#!/usr/bin/env bash
# wendrel-render --play through a private PulseAudio server (ALSA's pulse
# device), its output recorded and measured: a 2000 ms tone sounds 2.00 s at
# its pitch, whole, and the command returns soon after it ends; the server
# killed during a play ends the play at once with status 1 and one line.
#
# Usage: render_play_test.sh WENDREL_RENDER RECORDING_METER [LAUNCHER]
# LAUNCHER runs both programs (the Windows build's wine-run: there the play
# goes through winmm's waveOut and Wine's PulseAudio driver).
set -euo pipefail

render=$1
meter=$2
launcher=${3:-}
play=(${launcher:+"$launcher"} "$render" --play)
tmp=$(mktemp -d /tmp/wendrel-render-play-XXXXXX)
source "$(dirname "${BASH_SOURCE[0]}")/../support/pulse_server.sh"
trap 'pulse_stop; rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
export WENDREL_AUDIO=alsa:pulse
# within A B TOLERANCE: |A - B| <= TOLERANCE.
within() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }

pulse_start "$tmp/pulse" || fail "no sound server"
pulse_record_start "$tmp/tone.raw" || fail "no recording"
timeout 20 "${play[@]}" --mode duration --duration 2000 --freq 1=440 2>"$tmp/tone.err" ||
  fail "a 2000 ms play: status $?: $(tr '\r' '\n' <"$tmp/tone.err" | tail -1)"
returned=$(pulse_record_seconds)
sleep 0.3
pulse_record_stop
found=$(${launcher:+"$launcher"} "$meter" "$tmp/tone.raw" | tr -d '\r')
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
killed=$(date +%s%N)
pulse_kill
status=0
wait "$play" || status=$?
ended_ms=$((($(date +%s%N) - killed) / 1000000))
[ "$status" = 1 ] || fail "killed server: status $status"
lines=$(tr '\r' '\n' <"$tmp/kill.err" | grep -c '^wendrel-render:' || true)
[ "$lines" = 1 ] || fail "killed server: $lines error lines: $(cat "$tmp/kill.err")"
[ "$ended_ms" -le 1500 ] || fail "killed server: the play went on for $ended_ms ms"
echo "ok: killed server ended the play after $ended_ms ms: $(tr '\r' '\n' <"$tmp/kill.err" | grep '^wendrel-render:')"
