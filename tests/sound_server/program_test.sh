#!/usr/bin/env bash
# The wendrel program in a real terminal (tmux), playing through a private
# sound server (PulseAudio or PipeWire, reached through ALSA), its output
# recorded and measured: Play then Stop after a second sounds that long and
# leaves no tail; semitone steps while playing each change the pitch within
# 100 ms of the key and leave no hole of silence between the old sound and
# the new; Stop with the server frozen returns at once and keeps the program
# responsive, and Play plays again once the server answers; the server killed during a play ends the play.
#
# Usage: program_test.sh WENDREL RECORDING_METER pulse|pipewire [PLUGIN_ROOT]
set -euo pipefail

wendrel=$1
meter=$2
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../support/tmux_test.sh" "sound-server-$3"
source "$here/../support/sound_server.sh" "$3" "${4:-}"
trap 'server_stop; cleanup' EXIT

mkdir -p "$tmp/run"
chmod 700 "$tmp/run"
server_start "$tmp/server" || fail "no sound server"
start_in_tmux program 100 30 \
  "env LANG=C.UTF-8 TERM=xterm-256color XDG_CONFIG_HOME='$tmp/config' XDG_RUNTIME_DIR='$tmp/run' $(server_env) WENDREL_AUDIO=$server_output '$wendrel'"
wait_for program "1000.00Hz"
keys program End

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# pieces FILE: the recording's pieces of sound, "start end length hz" each.
pieces() { "$meter" --rate "$server_rate" "$1"; }
# near A B TOLERANCE: |A - B| <= TOLERANCE.
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }
field() { echo "$1" | awk -v n="$2" '{ print $n }'; }

# Play, then Stop a second later: the sound lasts as long as the keys were
# apart, and nothing of it comes after.
server_record_start "$tmp/stop.raw" || fail "no recording"
keys program p
played=$(now_ms)
sleep 1
keys program s
stopped=$(now_ms)
sleep 0.5
server_record_stop
found=$(pieces "$tmp/stop.raw")
[ "$(echo "$found" | wc -l)" = 1 ] || fail "play and stop: pieces of sound: $found"
expected=$(awk -v ms=$((stopped - played)) 'BEGIN { print ms / 1000 }')
near "$(field "$found" 3)" "$expected" 0.05 || fail "play and stop: sounded $found, keys $expected s apart"
near "$(field "$found" 4)" 1000 2 || fail "play and stop: pitch of $found"
echo "ok: play and stop after $expected s sounded $(field "$found" 3) s"

# Twenty semitones up while playing, a key every 0.3 s: each new pitch sounds
# within 100 ms of its key, and the restart behind each step leaves no
# silence longer than 5 ms between the old sound and the new.
steps=20
server_record_start "$tmp/step.raw" || fail "no recording"
keys program p
sleep 0.6
key_times=()
for _ in $(seq $steps); do
  # The key is the terminal's once tmux returns, which on a busy machine can
  # take a while after it was asked: the time it took is added.
  at=$(server_record_now)
  asked=$(now_ms)
  keys program +
  key_times+=("$(awk -v a="$at" -v ms=$(($(now_ms) - asked)) 'BEGIN { printf "%.4f", a + ms / 1000 }')")
  sleep 0.3
done
wait_for program "3174.80Hz"
keys program s
sleep 0.3
server_record_stop
found=$(pieces "$tmp/step.raw")
near "$(field "$(echo "$found" | head -1)" 4)" 1000 2 || fail "semitone steps: first piece of $found"
# The gaps between pieces that follow one another, over the whole run.
gaps=$(echo "$found" | awk 'NR > 1 { printf "%.1f\n", ($1 - end) * 1000 } { end = $2 }')
echo "$found" >"$tmp/step.pieces"
worst=$(echo "$gaps" | sort -n | tail -1)
awk -v w="${worst:-0}" 'BEGIN { exit !(w <= 5) }' || fail "semitone steps: a hole of $worst ms in: $found"
lates=""
for step in $(seq $steps); do
  hz=$(awk -v s="$step" 'BEGIN { printf "%.2f", 1000 * 2 ^ (s / 12) }')
  new=$(echo "$found" | awk -v f="$hz" '$3 >= 0.05 && $4 > f * 0.99 && $4 < f * 1.01' | head -1)
  [ -n "$new" ] || fail "semitone step $step: no piece at $hz Hz in: $found"
  lates+=" $(awk -v s="$(field "$new" 1)" -v k="${key_times[step - 1]}" -v l="$server_record_lag" \
    'BEGIN { printf "%.3f", s - k - l }')"
done
latest=$(echo $lates | tr ' ' '\n' | sort -n | tail -1)
awk -v l="$latest" 'BEGIN { exit !(l <= 0.1) }' || fail "semitone steps: new pitches heard after the keys by$lates s ($found)"
echo "ok: $steps semitone steps, each heard at most $latest s after its key; the longest hole $worst ms"

# The server frozen while playing: Stop returns within its budgets and the
# program answers keys at once. Meanwhile PulseAudio's ALSA device refuses an
# open (Play says so in its message box); PipeWire's opens without asking the
# server and then takes no sound, so there Play plays nothing until Stop,
# and the keys still answer.
keys program p
sleep 1
server_freeze
sleep 0.3
begin=$(now_ms)
keys program s +
wait_for program "3363.59Hz"
stop_ms=$(($(now_ms) - begin))
[ "$stop_ms" -le 6000 ] || fail "frozen server: Stop took $stop_ms ms"
begin=$(now_ms)
keys program p
if [ "$server_kind" = pulse ]; then
  wait_for program "Unable to start playback."
  keys program Enter
  wait_gone program "Unable to start playback."
else
  sleep 0.5
  keys program s -
  wait_for program "3174.80Hz"
  keys program +
  wait_for program "3363.59Hz"
fi
play_ms=$(($(now_ms) - begin))
echo "ok: frozen server: Stop and the next key took $stop_ms ms, Play and what followed $play_ms ms"

# The server answers again: Play plays the new pitch.
# What the server still held from the frozen time may sound as it resumes,
# before the key: only what follows the key counts.
server_thaw
server_record_start "$tmp/thawed.raw" || fail "no recording"
key_at=$(server_record_seconds)
keys program p
sleep 1
keys program s
sleep 0.3
server_record_stop
found=$(pieces "$tmp/thawed.raw" | awk -v k="$key_at" '$1 >= k')
[ "$(echo "$found" | wc -l)" = 1 ] && near "$(field "$found" 4)" 3363.59 4 ||
  fail "after the thaw: pieces of sound: $found"
echo "ok: after the thaw Play sounded $(field "$found" 3) s at $(field "$found" 4) Hz"

# The server killed during a play: the play ends by itself, so a step
# afterwards only changes the value; had the player gone on "playing", the
# step would restart it and fail with the message box.
keys program p
sleep 1
server_kill
sleep 1.5
keys program +
wait_for program "3563.59Hz"
sleep 1
! screen program | grep -qF "Unable to start playback." || fail "killed server: the play had not ended"
echo "ok: killed server ended the play"

keys program C-q
wait_exit program
