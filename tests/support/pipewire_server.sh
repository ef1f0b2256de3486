# A private PipeWire sound server for tests, with WirePlumber as its session
# manager, and a recording of what it plays: its own runtime, configuration
# and home folders under a folder the caller gives, a null sink "wendrel_test"
# as the default sink, its graph at the rate the caller gives. ALSA programs
# reach it through the pipewire-alsa plugin that scripts/test unpacks into the
# build tree (the package conflicts with pulseaudio, so it is never
# installed): the exported ALSA_CONFIG_PATH names the plugin for the processes
# started from here, so WENDREL_AUDIO=alsa:pipewire and alsa:default play to
# this server, and the machine's own ALSA and PipeWire configuration are left
# as they are. Works as root (CI) and as an ordinary user.
#
# Usage: source pipewire_server.sh, then
#   pipewire_start DIR RATE PLUGIN_ROOT
#                              start the server (DIR is created; remove it
#                              yourself); PLUGIN_ROOT is where the package was
#                              unpacked (it holds usr/lib/.../alsa-lib)
#   pipewire_record_start FILE record the sink, raw s16le stereo at RATE;
#                              returns once the recording runs
#   pipewire_record_seconds    seconds recorded so far (the recording's "now")
#   pipewire_record_stop       end the recording, every sample written
#   pipewire_freeze, pipewire_thaw
#                              stop and continue the server (SIGSTOP, SIGCONT)
#   pipewire_kill              kill the server at once (SIGKILL)
#   pipewire_stop              end the recording, the session manager and the server
# A failure prints one line on standard error and returns 1.

pipewire_pid=""
pipewire_session_pid=""
pipewire_record_pid=""
pipewire_record_file=""
pipewire_rate=48000
pipewire_wait_seconds=20

# The plugin's library and its ALSA configuration in one file, so that only a
# process given ALSA_CONFIG_PATH sees them.
pipewire_alsa_config() {
  local plugins=$1 out=$2 lib
  lib=$(find "$plugins" -name libasound_module_pcm_pipewire.so -print -quit)
  [ -n "$lib" ] || return 1
  local share
  share=$(find "$plugins" -type d -name alsa.conf.d -print -quit)
  {
    printf 'pcm_type.pipewire { lib "%s" }\n' "$lib"
    printf 'ctl_type.pipewire { lib "%s" }\n' "$(dirname "$lib")/libasound_module_ctl_pipewire.so"
    cat "$share/50-pipewire.conf" "$share/99-pipewire-default.conf"
  } >"$out"
}

pipewire_start() {
  local dir=$1 rate=$2 plugins=$3
  pipewire_rate=$rate
  mkdir -p "$dir/runtime" "$dir/home" "$dir/config" "$dir/state" || return 1
  chmod 700 "$dir/runtime"
  if ! pipewire_alsa_config "$plugins" "$dir/alsa.conf"; then
    echo "pipewire_server: no pipewire-alsa plugin under $plugins" >&2
    return 1
  fi
  # The stock daemon configuration with the graph at our rate, its quantum
  # held at 1024 frames as a desktop with other streams runs it (a client's
  # wish for another is not granted), and a null sink that always exists and
  # drives the graph.
  awk -v rate="$rate" '
    /^context.properties = \{/ {
      print
      print "    default.clock.rate = " rate
      print "    default.clock.allowed-rates = [ " rate " ]"
      print "    default.clock.quantum = 1024"
      print "    default.clock.min-quantum = 1024"
      print "    default.clock.max-quantum = 1024"
      next
    }
    /^context.objects = \[/ {
      print
      print "    { factory = adapter"
      print "        args = {"
      print "            factory.name     = support.null-audio-sink"
      print "            node.name        = wendrel_test"
      print "            node.description = \"Wendrel test sink\""
      print "            media.class      = Audio/Sink"
      print "            object.linger    = true"
      print "            audio.position   = [ FL FR ]"
      print "            audio.rate       = " rate
      print "            priority.driver  = 300000"
      print "            priority.session = 300000"
      print "        }"
      print "    }"
      next
    }
    { print }' /usr/share/pipewire/pipewire.conf >"$dir/config/pipewire.conf"
  export PIPEWIRE_RUNTIME_DIR="$dir/runtime"
  export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$dir/alsa.conf"
  local private=(env HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_STATE_HOME="$dir/state"
    XDG_RUNTIME_DIR="$dir/runtime" PIPEWIRE_RUNTIME_DIR="$dir/runtime" DISPLAY= WAYLAND_DISPLAY=)
  # Only the daemon reads its configuration from there: clients look for
  # theirs in the same folder.
  "${private[@]}" PIPEWIRE_CONFIG_DIR="$dir/config" pipewire </dev/null >"$dir/server.log" 2>&1 &
  pipewire_pid=$!
  # WirePlumber links streams to the sink and makes it the default; it wants
  # a session bus, which dbus-run-session gives it privately.
  # It runs in a process group of its own, so that the bus goes with it
  # (setsid needs no fork here: a background job of a script leads no group).
  setsid "${private[@]}" dbus-run-session -- wireplumber </dev/null >"$dir/session.log" 2>&1 &
  pipewire_session_pid=$!
  local deadline=$((SECONDS + pipewire_wait_seconds))
  until "${private[@]}" wpctl status 2>/dev/null | grep -qE '^[^A-Za-z]*\*[^A-Za-z]*[0-9]+\. Wendrel test sink'; do
    if ! kill -0 "$pipewire_pid" 2>/dev/null || ! kill -0 "$pipewire_session_pid" 2>/dev/null ||
      [ $SECONDS -ge $deadline ]; then
      echo "pipewire_server: the server did not start; its logs:" >&2
      cat "$dir/server.log" "$dir/session.log" >&2 2>/dev/null
      return 1
    fi
    sleep 0.05
  done
}

pipewire_record_start() {
  pipewire_record_file=$1
  : >"$pipewire_record_file"
  pw-record --target wendrel_test -P '{ stream.capture.sink = true }' --format s16 \
    --rate "$pipewire_rate" --channels 2 - >"$pipewire_record_file" 2>/dev/null </dev/null &
  pipewire_record_pid=$!
  # A tenth of a second recorded means it runs.
  local deadline=$((SECONDS + pipewire_wait_seconds)) least=$((pipewire_rate * 4 / 10))
  until [ "$(stat -c %s "$pipewire_record_file")" -ge "$least" ]; do
    if [ $SECONDS -ge $deadline ] || ! kill -0 "$pipewire_record_pid" 2>/dev/null; then
      echo "pipewire_server: the recording never started" >&2
      return 1
    fi
    sleep 0.02
  done
}

pipewire_record_seconds() {
  stat -c %s "$pipewire_record_file" | awk -v r="$pipewire_rate" '{ printf "%.4f\n", $1 / (4 * r) }'
}

pipewire_record_stop() {
  [ -n "$pipewire_record_pid" ] || return 0
  kill -INT "$pipewire_record_pid" 2>/dev/null || true
  wait "$pipewire_record_pid" 2>/dev/null || true
  pipewire_record_pid=""
}

pipewire_freeze() { kill -STOP "$pipewire_pid"; }
pipewire_thaw() { kill -CONT "$pipewire_pid"; }

pipewire_kill() {
  kill -KILL "$pipewire_pid" 2>/dev/null || true
  wait "$pipewire_pid" 2>/dev/null || true
  pipewire_pid=""
}

pipewire_stop() {
  pipewire_record_stop
  if [ -n "$pipewire_pid" ]; then
    kill -CONT "$pipewire_pid" 2>/dev/null || true
    kill "$pipewire_pid" 2>/dev/null || true
    wait "$pipewire_pid" 2>/dev/null || true
    pipewire_pid=""
  fi
  if [ -n "$pipewire_session_pid" ]; then
    # WirePlumber ends when its server does, and dbus-run-session then ends
    # the bus; whatever of the group is left after two seconds is ended.
    local deadline=$((SECONDS + 2))
    while kill -0 "$pipewire_session_pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
    kill -- -"$pipewire_session_pid" 2>/dev/null || true
    wait "$pipewire_session_pid" 2>/dev/null || true
    pipewire_session_pid=""
  fi
}
