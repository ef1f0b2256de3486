# A private PulseAudio server for one test run: its own socket, runtime folder
# and configuration in a temporary folder, one null sink at 44100 Hz s16le
# stereo, so that nothing reaches or depends on a real sound server. Source
# this file, then:
#   wendrel_pulse_start    starts the server and exports PULSE_SERVER
#   wendrel_pulse_stop     stops it and removes its folder
# Checked here: the server needs its own XDG_RUNTIME_DIR (its pid file lives
# there), and answers within a second or two of its start.

wendrel_pulse_start() {
  WENDREL_PULSE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/wendrel-pulse.XXXXXX")
  mkdir -p "$WENDREL_PULSE_DIR/runtime"
  cat >"$WENDREL_PULSE_DIR/server.pa" <<PA
load-module module-native-protocol-unix socket=$WENDREL_PULSE_DIR/native auth-anonymous=1
load-module module-null-sink sink_name=wendrel_null rate=44100 format=s16le channels=2
set-default-sink wendrel_null
PA
  XDG_RUNTIME_DIR="$WENDREL_PULSE_DIR/runtime" HOME="$WENDREL_PULSE_DIR" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit -F "$WENDREL_PULSE_DIR/server.pa" \
    --log-target=file:"$WENDREL_PULSE_DIR/server.log" </dev/null >/dev/null 2>&1 &
  WENDREL_PULSE_PID=$!
  export PULSE_SERVER="unix:$WENDREL_PULSE_DIR/native"
  local tries
  for tries in $(seq 50); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "the private PulseAudio server did not start; its log:" >&2
  cat "$WENDREL_PULSE_DIR/server.log" >&2 || true
  return 1
}

wendrel_pulse_stop() {
  [ -n "${WENDREL_PULSE_PID:-}" ] && kill "$WENDREL_PULSE_PID" 2>/dev/null && wait "$WENDREL_PULSE_PID" 2>/dev/null
  [ -n "${WENDREL_PULSE_DIR:-}" ] && rm -rf "$WENDREL_PULSE_DIR"
  unset PULSE_SERVER WENDREL_PULSE_PID WENDREL_PULSE_DIR
  return 0
}
