#!/usr/bin/env bash
# The wendrel program in a real terminal (tmux), playing through a private
# PulseAudio server (ALSA's pulse device), its output recorded and measured:
# Play then Stop after a second sounds that long and leaves no tail; a
# semitone step while playing changes the pitch within 100 ms of the key; Stop
# with the server frozen returns at once and keeps the program responsive,
# Play then says "Unable to start playback.", and plays again once the server
# answers; the server killed during a play ends the play.
#
# Usage: program_test.sh WENDREL RECORDING_METER
set -euo pipefail

wendrel=$1
meter=$2
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../support/tmux_test.sh" sound-server
source "$here/../support/pulse_server.sh"
trap 'pulse_stop; cleanup' EXIT

mkdir -p "$tmp/run"
chmod 700 "$tmp/run"
pulse_start "$tmp/pulse" || fail "no sound server"
start_in_tmux program 100 30 \
  "env LANG=C.UTF-8 TERM=xterm-256color XDG_CONFIG_HOME='$tmp/config' XDG_RUNTIME_DIR='$tmp/run' PULSE_SERVER='$PULSE_SERVER' PULSE_CLIENTCONFIG='$PULSE_CLIENTCONFIG' WENDREL_AUDIO=alsa:pulse '$wendrel'"
wait_for program "1000.00Hz"
keys program End

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# pieces FILE: the recording's pieces of sound, "start end length hz" each.
pieces() { "$meter" "$1"; }
# near A B TOLERANCE: |A - B| <= TOLERANCE.
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }
field() { echo "$1" | awk -v n="$2" '{ print $n }'; }

# Play, then Stop a second later: the sound lasts as long as the keys were
# apart, and nothing of it comes after.
pulse_record_start "$tmp/stop.raw" || fail "no recording"
keys program p
played=$(now_ms)
sleep 1
keys program s
stopped=$(now_ms)
sleep 0.5
pulse_record_stop
found=$(pieces "$tmp/stop.raw")
[ "$(echo "$found" | wc -l)" = 1 ] || fail "play and stop: pieces of sound: $found"
expected=$(awk -v ms=$((stopped - played)) 'BEGIN { print ms / 1000 }')
near "$(field "$found" 3)" "$expected" 0.05 || fail "play and stop: sounded $found, keys $expected s apart"
near "$(field "$found" 4)" 1000 2 || fail "play and stop: pitch of $found"
echo "ok: play and stop after $expected s sounded $(field "$found" 3) s"

# A semitone up while playing: the new pitch sounds within 100 ms of the key.
pulse_record_start "$tmp/step.raw" || fail "no recording"
keys program p
sleep 1
key_at=$(pulse_record_seconds)
keys program +
wait_for program "1059.46Hz"
sleep 0.5
keys program s
sleep 0.3
pulse_record_stop
found=$(pieces "$tmp/step.raw")
old=$(echo "$found" | awk 'NR == 1')
new=$(echo "$found" | awk '$4 > 1050 && $4 < 1070' | head -1)
[ -n "$new" ] || fail "semitone step: no piece at 1059.46 Hz in: $found"
near "$(field "$old" 4)" 1000 2 || fail "semitone step: first piece $old"
late=$(awk -v s="$(field "$new" 1)" -v k="$key_at" 'BEGIN { print s - k }')
awk -v l="$late" 'BEGIN { exit !(l <= 0.1) }' || fail "semitone step: new pitch $late s after the key ($found)"
echo "ok: semitone step heard $late s after the key"

# The server frozen while playing: Stop returns within its budgets and the
# program answers keys at once; Play fails with its message box meanwhile.
keys program p
sleep 1
pulse_freeze
sleep 0.3
begin=$(now_ms)
keys program s +
wait_for program "1122.46Hz"
stop_ms=$(($(now_ms) - begin))
[ "$stop_ms" -le 6000 ] || fail "frozen server: Stop took $stop_ms ms"
begin=$(now_ms)
keys program p
wait_for program "Unable to start playback."
refused_ms=$(($(now_ms) - begin))
keys program Enter
wait_gone program "Unable to start playback."
echo "ok: frozen server: Stop and the next key took $stop_ms ms, Play was refused after $refused_ms ms"

# The server answers again: Play plays the new pitch.
pulse_thaw
pulse_record_start "$tmp/thawed.raw" || fail "no recording"
keys program p
sleep 1
keys program s
sleep 0.3
pulse_record_stop
found=$(pieces "$tmp/thawed.raw")
[ "$(echo "$found" | wc -l)" = 1 ] && near "$(field "$found" 4)" 1122.46 2 ||
  fail "after the thaw: pieces of sound: $found"
echo "ok: after the thaw Play sounded $(field "$found" 3) s at $(field "$found" 4) Hz"

# The server killed during a play: the play ends by itself, so a step
# afterwards only changes the value; had the player gone on "playing", the
# step would restart it and fail with the message box.
keys program p
sleep 1
pulse_kill
sleep 1.5
keys program +
wait_for program "1189.21Hz"
sleep 1
! screen program | grep -qF "Unable to start playback." || fail "killed server: the play had not ended"
echo "ok: killed server ended the play"

keys program C-q
wait_exit program
