#!/usr/bin/env bash
# The wendrel program in a real terminal (tmux): a first run with no settings
# file, menu choices, stepped and typed values, a play of a set duration to its
# end, the saved settings file, a restart, a second start while one runs, exit
# while playing (through the output -D names), the bottom row's play time,
# and a terminal that goes away. The played samples must equal
# the renderer's for the saved record.
#
# Usage: end_to_end_test.sh WENDREL WENDREL_RENDER
set -euo pipefail

wendrel=$1
render=$2
source "$(dirname "${BASH_SOURCE[0]}")/../support/tmux_test.sh" e2e
columns=100
rows=30

# Everything the program finds in its environment is private to this test:
# the settings folder, the folder where running instances can be found, the
# audio sink.
export XDG_CONFIG_HOME="$tmp/config"
export XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
settings="$XDG_CONFIG_HOME/wendrel/Current.tdf"

# start SESSION WAV [named]: runs wendrel in a new terminal that stays after
# it ends, playing into WAV as WENDREL_AUDIO names it; with "named", as -D
# names it, while WENDREL_AUDIO names a decoy that must stay unused.
start() {
  local audio="WENDREL_AUDIO='wav:$2'" device=""
  if [ "${3:-}" = named ]; then
    audio="WENDREL_AUDIO='wav:$tmp/decoy.wav'"
    device="-D 'wav:$2'"
  fi
  start_in_tmux "$1" "$columns" "$rows" \
    "env LANG=C.UTF-8 TERM=xterm-256color XDG_CONFIG_HOME='$XDG_CONFIG_HOME' XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR' $audio '$wendrel' $device"
}
# finish SESSION: the program has ended well; its terminal goes.
finish() {
  wait_exit "$1"
  tmux -L "$server" kill-session -t "$1"
}

# The parameter rows: the screen between the title row and the menu bar,
# without the mark of the focused row.
list_rows() {
  screen "$1" | sed -n "2,$((rows - 2))p" | sed -e 's/[[:space:]]*$//' -e 's/^\(▸\|>\| \)//' | grep -v '^$' || true
}

# menu SESSION KEY INDEX: opens a pop-up and chooses the item INDEX places
# below its first (separators do not count, greyed items do).
menu() {
  local session=$1 key=$2 index=$3 i
  keys "$session" "$key"
  wait_for "$session" "└"
  for ((i = 0; i < index; i++)); do keys "$session" Down; done
  keys "$session" Enter
  wait_gone "$session" "└"
}
# Items of the Tone pop-up.
STEREO=9 SWEEP_LINEAR=6 CONTINUOUS=4 VARIABLE_AMPLITUDE=10 NUMBER_OF_TONES=3 SQUARE=12
# Items of the File pop-up.
EXIT=2
SPECIFIED_DURATION=5

# edit_value SESSION TEXT: the value edit dialog for the focused row.
edit_value() {
  keys "$1" Enter
  wait_for "$1" "Cancel"
  keys "$1" -l -- "$2"
  keys "$1" Enter
  wait_gone "$1" "Cancel"
}

# looks SESSION TEXT: "dim" or "normal", as the screen shows the first
# appearance of TEXT (a greyed menu item is dim).
looks() {
  tmux -L "$server" capture-pane -p -e -t "$1" | python3 -c '
import re, sys
text = sys.argv[1]
for line in sys.stdin.read().split("\n"):
    plain, dims, dim = "", [], False
    for sgr, char in re.findall(r"\x1b\[([0-9;]*)m|([^\x1b])", line):
        if char:
            plain += char
            dims.append(dim)
            continue
        for code in (sgr or "0").split(";"):
            if code in ("", "0", "22"):
                dim = False
            elif code == "2":
                dim = True
    column = plain.find(text)
    if column >= 0:
        print("dim" if dims[column] else "normal")
        break
' "$2"
}
# wait_looks SESSION TEXT HOW
wait_looks() {
  local deadline=$((SECONDS + wait_seconds))
  until [ "$(looks "$1" "$2")" = "$3" ]; do
    [ $SECONDS -lt $deadline ] || fail "$1 never showed \"$2\" $3"
    sleep 0.05
  done
}

# played_time SESSION: the seconds the bottom row says the tone has played
# ("▶ 12.3 s" at its right end), or nothing while it says nothing.
played_time() {
  screen "$1" | sed -n "${rows}p" | sed -n -e 's/.* ▶ \([0-9]*\.[0-9]\) s *$/\1/p'
}
# wait_played_time SESSION AFTER: the bottom row shows a time later than AFTER
# (-1 for any), without a key; prints it.
wait_played_time() {
  local deadline=$((SECONDS + wait_seconds)) seconds
  until seconds=$(played_time "$1") && [ -n "$seconds" ] && awk "BEGIN { exit !($seconds > $2) }"; do
    [ $SECONDS -lt $deadline ] || fail "$1 never showed a play time after $2 s on its bottom row"
    sleep 0.05
  done
  echo "$seconds"
}

# wav_frames FILE: frames in a finished WAV file, or nothing while it is not.
wav_frames() {
  python3 - "$1" <<'PY' 2>/dev/null || true
import os, sys, wave
path = sys.argv[1]
with wave.open(path) as w:
    frames = w.getnframes()
    if frames > 0 and 44 + frames * w.getnchannels() * 2 == os.path.getsize(path):
        print(frames)
PY
}

# same_samples PLAYED RENDERED: the sample data of two WAV files are equal, the
# second cut to the length of the first.
same_samples() {
  python3 - "$1" "$2" <<'PY'
import sys, wave
with wave.open(sys.argv[1]) as a, wave.open(sys.argv[2]) as b:
    if a.getparams()[:3] != b.getparams()[:3]:
        sys.exit(f"formats differ: {a.getparams()} and {b.getparams()}")
    played = a.readframes(a.getnframes())
    rendered = b.readframes(a.getnframes())
    if played != rendered:
        sys.exit(f"{len(played)} played bytes differ from the renderer's")
PY
}

# ---------------------------------------------------------------------------
# First run: defaults, menu choices, stepped and typed values, a play of the
# specified duration to its end, exit from the menu.

start one "$tmp/one.wav"
wait_for one "Sine 1 Frequency"
wait_for one "1000.00Hz"
[ ! -e "$settings" ] || fail "a settings file exists before the first exit"

menu one M-t $STEREO
wait_for one "Sine 1 Right Frequency"
menu one M-t $SWEEP_LINEAR
wait_for one "Sine 1 End Right Frequency"
keys one M-t
wait_for one "Number of Tones"
for ((i = 0; i < NUMBER_OF_TONES; i++)); do keys one Down; done
keys one Right
wait_for one "16"
keys one Down Down Enter
wait_for one "Sine 3 End Right Frequency"
menu one M-t $VARIABLE_AMPLITUDE
wait_for one "Sine 3 Relative Amplitude"

keys one Down +            # first row focused and selected, one semitone up
wait_for one "1059.46Hz"
keys one End               # the duration row
edit_value one 500
wait_for one "500ms"
keys one Home
for ((i = 0; i < 9; i++)); do keys one Down; done   # Sine 2 Relative Amplitude
edit_value one -6
wait_for one "-6dB"
first_rows=$(list_rows one)

keys one p
deadline=$((SECONDS + 30))
until [ "$(wav_frames "$tmp/one.wav")" = 22050 ]; do
  [ $SECONDS -lt $deadline ] || fail "the 500 ms play did not end with 22050 frames"
  sleep 0.1
done
menu one M-f $EXIT
finish one

python3 - "$settings" <<'PY' || fail "the saved settings are not the chosen ones"
import struct, sys
data = open(sys.argv[1], "rb").read()
left_start = [1000.0] * 16
left_start[0] = 1000.0 * 1.0594630943592953
amplitudes = [0] * 16
amplitudes[1] = -6
expected = struct.pack("<HBBI", 0x1D, 0, 3, 500)
expected += struct.pack("<16d", *left_start) + struct.pack("<48d", *([1000.0] * 48))
expected += struct.pack("<16b", *amplitudes)
if data != expected:
    sys.exit(f"{len(data)} bytes saved; first difference at byte "
             f"{next((i for i, (x, y) in enumerate(zip(data, expected)) if x != y), min(len(data), len(expected)))}")
PY
"$render" --settings "$settings" "$tmp/rendered.wav" || fail "the renderer failed"
same_samples "$tmp/one.wav" "$tmp/rendered.wav" || fail "the played samples are not the renderer's"

# ---------------------------------------------------------------------------
# Restart: the same rows; a second start leaves everything alone; exit while
# a continuous tone plays stops it before the settings are written.

start two "$tmp/two.wav" named
wait_for two "Sine Duration"
[ "$(list_rows two)" = "$first_rows" ] || fail "a restart shows other rows"

cp "$settings" "$tmp/before.tdf"
before_time=$(stat -c %Y.%y "$settings")
second=$(env -u TMUX "$wendrel" </dev/null 2>&1) || fail "a second start ended with status $?"
[[ "$second" == *"already running"* ]] || fail "a second start said: $second"
[ "$(echo "$second" | wc -l)" = 1 ] || fail "a second start said more than one line: $second"
cmp -s "$settings" "$tmp/before.tdf" && [ "$(stat -c %Y.%y "$settings")" = "$before_time" ] ||
  fail "a second start touched the settings file"

menu two M-t $CONTINUOUS
wait_gone two "Sine Duration"
[ -z "$(played_time two)" ] || fail "the bottom row says a tone plays before Play"
keys two p
deadline=$((SECONDS + 30))
until [ "$(stat -c %s "$tmp/two.wav" 2>/dev/null || echo 0)" -gt 100000 ]; do
  [ $SECONDS -lt $deadline ] || fail "the continuous tone did not play"
  sleep 0.1
done
# The bottom row says that the tone plays and counts on by itself.
first_time=$(wait_played_time two -1)
wait_played_time two "$first_time" >/dev/null
keys two C-q
finish two
[ ! -e "$tmp/decoy.wav" ] || fail "-D named an output, but WENDREL_AUDIO's was played"
frames=$(wav_frames "$tmp/two.wav")
[ -n "$frames" ] || fail "the tone was not stopped (its WAV file is unfinished)"
python3 - "$tmp/two.wav" "$settings" <<'PY' || fail "the settings were written before the tone stopped"
import os, sys
if os.stat(sys.argv[1]).st_mtime_ns > os.stat(sys.argv[2]).st_mtime_ns:
    sys.exit(1)
PY
[ "$(od -An -tx2 -N2 "$settings" | tr -d ' ')" = 0014 ] || fail "continuous mode was not saved"
"$render" --settings "$settings" --frames "$frames" "$tmp/rendered-two.wav" || fail "the renderer failed"
same_samples "$tmp/two.wav" "$tmp/rendered-two.wav" || fail "the played samples are not the renderer's"

# ---------------------------------------------------------------------------
# A tone ends while the File pop-up is open: the pop-up follows at once, with
# Play enabled and Stop greyed again, without a key.

start ends "$tmp/ends.wav"
wait_for ends "Sine 3 Relative Amplitude"
menu ends M-t $SPECIFIED_DURATION
wait_for ends "Sine Duration"
keys ends End
edit_value ends 2000
wait_for ends "2000ms"
keys ends p M-f
wait_for ends "Exit"
wait_looks ends "Stop" normal
[ "$(looks ends Play)" = dim ] || fail "Play is not greyed while the tone plays"
wait_looks ends "Stop" dim
[ "$(looks ends Play)" = normal ] || fail "Play is still greyed after the tone ended"
deadline=$((SECONDS + wait_seconds))
until [ -z "$(played_time ends)" ]; do
  [ $SECONDS -lt $deadline ] || fail "the bottom row still says that a tone plays after its end"
  sleep 0.05
done
keys ends Escape
wait_gone ends "Exit"
keys ends C-q
finish ends

# ---------------------------------------------------------------------------
# The terminal goes away (SIGHUP): the settings are saved all the same.

start three "$tmp/three.wav"
wait_for three "Sine 3 Relative Amplitude"
menu three M-t $SQUARE
wait_for three "Square 1 Left Frequency"
tmux -L "$server" kill-session -t three
deadline=$((SECONDS + 20))
until [ "$(od -An -tu1 -j2 -N1 "$settings" | tr -d ' ')" = 1 ]; do
  [ $SECONDS -lt $deadline ] || fail "closing the terminal did not save the settings"
  sleep 0.1
done

echo "end-to-end: all passed"
