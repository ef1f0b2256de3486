#!/usr/bin/env bash
# The Windows build's outputs under Wine: --list-outputs of both programs
# lists the waveform output devices, and -D plays through one of them as the
# list names it; a name this machine lacks is refused on one line with status
# 2 before anything plays, by the renderer and by the desktop program (which
# then opens no window). WENDREL_AUDIO sets the default, which -D replaces.
# Needs a waveform output device: under Wine, a PulseAudio server (scripts/test
# starts one for the Windows stage).
#
# Usage: windows_output_choice_test.sh WENDREL_RENDER WENDREL LAUNCHER
set -euo pipefail

render=$1
wendrel=$2
launcher=$3
tmp=$(mktemp -d /tmp/wendrel-output-choice-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
cd "$tmp"

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
device=$(sed -n 2p list.out | cut -d' ' -f1)
[[ "$device" =~ ^[0-9]+$ ]] || fail "the list names no device after the mapper: $(cat list.out)"
run program-list "$wendrel" --list-outputs
[ "$(cat program-list.status)" = 0 ] && cmp -s list.out program-list.out ||
  fail "wendrel --list-outputs (status $(cat program-list.status)) differs from the renderer's: $(cat program-list.out)"

# A named device plays a 300 ms tone to its end, also where WENDREL_AUDIO
# names one this machine lacks; without -D that one is tried and refused.
tone=(--mode duration --duration 300 --play)
for name in "$device" mapper; do
  WENDREL_AUDIO=99 run play "$render" "${tone[@]}" -D "$name"
  [ "$(cat play.status)" = 0 ] || fail "-D $name: status $(cat play.status): $(cat play.lines)"
  grep -qF "playing 0.3000 s of 0.3000 s" play.lines || fail "-D $name did not play to the end: $(cat play.lines)"
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
echo "windows outputs: all passed"
