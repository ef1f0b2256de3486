# A private PulseAudio sound server for tests, and a recording of what it
# plays: its own socket, configuration and runtime folder under a folder the
# caller gives, a null sink "wendrel_test" at 44100 Hz s16le stereo as the
# default sink, and a silent stream that keeps the sink running, so that its
# monitor records silence between sounds too. Clients reach it through the
# exported PULSE_SERVER (ALSA programs through the "pulse" device, so
# WENDREL_AUDIO=alsa:pulse) and never start a server of their own. Works as
# root (CI) and as an ordinary user.
#
# Usage: source pulse_server.sh, then
#   pulse_start DIR            start the server (DIR is created; remove it yourself)
#   pulse_record_start FILE    record the sink's monitor, raw s16le stereo; returns
#                              once the recording runs
#   pulse_record_seconds       seconds recorded so far (the recording's "now")
#   pulse_record_stop          end the recording, every sample written
#   pulse_freeze, pulse_thaw   stop and continue the server (SIGSTOP, SIGCONT)
#   pulse_kill                 kill the server at once (SIGKILL)
#   pulse_stop                 end the recording, the keep-alive and the server
# A failure prints one line on standard error and returns 1.

pulse_pid=""
pulse_keepalive_pid=""
pulse_record_pid=""
pulse_record_file=""
pulse_wait_seconds=20

pulse_start() {
  local dir=$1
  mkdir -p "$dir/runtime" "$dir/home" "$dir/config" || return 1
  chmod 700 "$dir/runtime"
  cat >"$dir/server.pa" <<EOF
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/runtime/native
load-module module-null-sink sink_name=wendrel_test rate=44100 format=s16le channels=2
set-default-sink wendrel_test
EOF
  # A client that loses the server must fail, not start a server of its own.
  printf 'autospawn = no\n' >"$dir/client.conf"
  export PULSE_SERVER="unix:$dir/runtime/native"
  export PULSE_CLIENTCONFIG="$dir/client.conf"
  # As root the server warns but runs, given a home and a runtime folder of
  # its own; -n and -F replace the system's configuration by ours, and without
  # a pid file a second private server never finds the first.
  HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime" \
    PULSE_RUNTIME_PATH="$dir/runtime" PULSE_STATE_PATH="$dir/runtime" \
    pulseaudio --daemonize=no --exit-idle-time=-1 --use-pid-file=no -n -F "$dir/server.pa" \
    --log-target="file:$dir/server.log" </dev/null >/dev/null 2>&1 &
  pulse_pid=$!
  local deadline=$((SECONDS + pulse_wait_seconds))
  until pactl info >/dev/null 2>&1; do
    if ! kill -0 "$pulse_pid" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
      echo "pulse_server: the server did not start; its log:" >&2
      cat "$dir/server.log" >&2 2>/dev/null
      return 1
    fi
    sleep 0.05
  done
  pacat -p --raw --format=s16le --rate=44100 --channels=2 --device=wendrel_test /dev/zero \
    </dev/null >/dev/null 2>&1 &
  pulse_keepalive_pid=$!
}

pulse_record_start() {
  pulse_record_file=$1
  : >"$pulse_record_file"
  parec --raw --format=s16le --rate=44100 --channels=2 --device=wendrel_test.monitor \
    --latency-msec=10 >"$pulse_record_file" 2>/dev/null &
  pulse_record_pid=$!
  # parec can take a second to connect; a tenth of a second recorded means it runs.
  local deadline=$((SECONDS + pulse_wait_seconds))
  until [ "$(stat -c %s "$pulse_record_file")" -ge 17640 ]; do
    if [ $SECONDS -ge $deadline ]; then
      echo "pulse_server: the recording never started" >&2
      return 1
    fi
    sleep 0.02
  done
}

pulse_record_seconds() {
  local bytes
  bytes=$(stat -c %s "$pulse_record_file")
  echo "$bytes" | awk '{ printf "%.4f\n", $1 / 176400 }'
}

pulse_record_stop() {
  [ -n "$pulse_record_pid" ] || return 0
  kill -INT "$pulse_record_pid" 2>/dev/null || true
  wait "$pulse_record_pid" 2>/dev/null || true
  pulse_record_pid=""
}

pulse_freeze() { kill -STOP "$pulse_pid"; }
pulse_thaw() { kill -CONT "$pulse_pid"; }

pulse_kill() {
  kill -KILL "$pulse_pid" 2>/dev/null || true
  wait "$pulse_pid" 2>/dev/null || true
  pulse_pid=""
}

pulse_stop() {
  pulse_record_stop
  if [ -n "$pulse_keepalive_pid" ]; then
    kill "$pulse_keepalive_pid" 2>/dev/null || true
    wait "$pulse_keepalive_pid" 2>/dev/null || true
    pulse_keepalive_pid=""
  fi
  if [ -n "$pulse_pid" ]; then
    kill -CONT "$pulse_pid" 2>/dev/null || true
    kill "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
    pulse_pid=""
  fi
}
