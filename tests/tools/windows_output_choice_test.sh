#!/usr/bin/env bash
# The Windows build's outputs under Wine: --list-outputs of both programs
# lists the waveform output devices, and -D plays through the one it names as
# the list does: a private PulseAudio server with a second null sink ("Other")
# gives Wine two devices, and the tone sounds on the named one alone. A name
# this machine lacks is refused on one line with status 2 before anything
# plays, by the renderer and by the desktop program (which then opens no
# window). WENDREL_AUDIO sets the default, which -D replaces.
#
# Usage: windows_output_choice_test.sh WENDREL_RENDER WENDREL LAUNCHER
set -euo pipefail

render=$1
wendrel=$2
launcher=$3
tmp=$(mktemp -d /tmp/wendrel-output-choice-XXXXXX)
source "$(dirname "${BASH_SOURCE[0]}")/../support/pulse_server.sh"
other_pid=""
cleanup() {
  [ -z "$other_pid" ] || kill "$other_pid" 2>/dev/null || true
  pulse_stop
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
pulse_start "$tmp/pulse" || fail "no sound server"
pactl load-module module-null-sink sink_name=other rate=44100 format=s16le channels=2 \
  sink_properties=device.description=Other >/dev/null || fail "no second sink"
# A null sink's monitor delivers nothing while the sink is idle.
pacat -p --raw --format=s16le --rate=44100 --channels=2 --device=other /dev/zero </dev/null >/dev/null 2>&1 &
other_pid=$!
mkdir "$tmp/work"
cd "$tmp/work"

# run NAME PROGRAM ARGS...: status, standard output and error (without the
# carriage returns of Windows' line ends) in NAME.status, NAME.out, NAME.err.
run() {
  local name=$1 status=0
  shift
  timeout 60 "$launcher" "$@" >"$name.out" 2>"$name.err" </dev/null || status=$?
  echo "$status" >"$name.status"
  sed -i -e 's/\r$//' "$name.out"
  tr '\r' '\n' <"$name.err" >"$name.lines"
}

run list "$render" --list-outputs
[ "$(cat list.status)" = 0 ] || fail "--list-outputs: status $(cat list.status): $(cat list.err)"
[[ "$(head -n 1 list.out)" == "mapper "* ]] || fail "the list does not start with the wave mapper: $(cat list.out)"
other=$(awk '$2 == "Other" { print $1 }' list.out)
[[ "$other" =~ ^[0-9]+$ ]] || fail "the list names no device for the second sink: $(cat list.out)"
run program-list "$wendrel" --list-outputs
[ "$(cat program-list.status)" = 0 ] && cmp -s list.out program-list.out ||
  fail "wendrel --list-outputs (status $(cat program-list.status)) differs from the renderer's: $(cat program-list.out)"

# peak FILE: the largest sample of a raw s16le recording.
peak() {
  python3 -c 'import array, sys
data = open(sys.argv[1], "rb").read()
samples = array.array("h", data[: len(data) // 2 * 2])
print(max((abs(s) for s in samples), default=0))' "$1"
}

# A named device plays a 300 ms tone to its end, also where WENDREL_AUDIO
# names one this machine lacks, and it sounds there alone: device 0 (Wine's
# default, the server's default sink) or the second sink.
tone=(--mode duration --duration 300 --play)
for name in 0 "$other" mapper; do
  pulse_record_start "$tmp/default.raw" || fail "no recording"
  parec --raw --format=s16le --rate=44100 --channels=2 --device=other.monitor --latency-msec=10 \
    >"$tmp/other.raw" 2>/dev/null &
  recorder=$!
  # As pulse_record_start does: parec can take a second to connect.
  deadline=$((SECONDS + 20))
  until [ "$(stat -c %s "$tmp/other.raw")" -ge 17640 ]; do
    [ $SECONDS -lt $deadline ] || fail "the second sink's recording never started"
    sleep 0.02
  done
  WENDREL_AUDIO=99 run play "$render" "${tone[@]}" -D "$name"
  sleep 0.5
  pulse_record_stop
  kill -INT "$recorder"
  wait "$recorder" || true
  [ "$(cat play.status)" = 0 ] || fail "-D $name: status $(cat play.status): $(cat play.lines)"
  grep -qF "playing 0.3000 s of 0.3000 s" play.lines || fail "-D $name did not play to the end: $(cat play.lines)"
  [ "$name" != mapper ] || continue  # wherever the sound settings send it
  default_peak=$(peak "$tmp/default.raw") other_peak=$(peak "$tmp/other.raw")
  if [ "$name" = 0 ]; then
    [ "$default_peak" -gt 1000 ] && [ "$other_peak" = 0 ] ||
      fail "-D 0 sounded with peaks $default_peak on the default sink and $other_peak on the other"
  else
    [ "$other_peak" -gt 1000 ] && [ "$default_peak" = 0 ] ||
      fail "-D $name sounded with peaks $default_peak on the default sink and $other_peak on the other"
  fi
done
WENDREL_AUDIO=99 run default "$render" "${tone[@]}"
[ "$(cat default.status)" = 1 ] && grep -qF "unable to start playback on device 99 (" default.lines ||
  fail "WENDREL_AUDIO=99 without -D: status $(cat default.status): $(cat default.lines)"

for name in 99 speakers alsa:default; do
  run bad "$render" "${tone[@]}" -D "$name"
  [ "$(cat bad.status)" = 2 ] || fail "-D $name: status $(cat bad.status), not 2"
  [ "$(grep -c . bad.lines)" = 1 ] && grep -qF "no waveform output device named '$name'" bad.lines &&
    grep -qF -- "--list-outputs" bad.lines || fail "-D $name was refused with: $(cat bad.lines)"
  run program-bad "$wendrel" -D "$name"
  [ "$(cat program-bad.status)" = 2 ] || fail "wendrel -D $name: status $(cat program-bad.status), not 2"
  [ "$(cat program-bad.lines)" = "wendrel: no waveform output device named '$name' (the names are mapper and the device numbers); wendrel --list-outputs lists them" ] ||
    fail "wendrel -D $name was refused with: $(cat program-bad.lines)"
done
[ -z "$(ls -A | grep -v '\.\(out\|err\|lines\|status\)$')" ] || fail "something was written: $(ls -A)"

run help "$wendrel" --help
[ "$(cat help.status)" = 0 ] && grep -qF -- "-D, --device NAME" help.out && ! grep -q "ALSA\|alsa:" help.out ||
  fail "wendrel --help on Windows: $(cat help.out)"
run render-help "$render" --help
[ "$(cat render-help.status)" = 0 ] && grep -qF "mapper" render-help.out && ! grep -q "ALSA\|alsa:" render-help.out ||
  fail "wendrel-render --help on Windows: $(cat render-help.out)"
echo "windows outputs: -D 0 and -D $other sounded on their own sinks; bad names refused"
