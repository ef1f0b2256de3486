# One private sound server for a test, PulseAudio or PipeWire, behind one set
# of calls, so that each sound-server check runs the same way through both.
#
# Usage: source sound_server.sh KIND [PLUGIN_ROOT]
#   KIND pulse or pipewire; PLUGIN_ROOT is where scripts/test unpacked the
#   pipewire-alsa package (pipewire only). Sets server_rate (the rate of the
#   recordings), server_output (the WENDREL_AUDIO that plays to the server),
#   server_record_lag (seconds by which a recording's "now" trails what the
#   server plays: the recorder gets each chunk after the server has played
#   it) and defines
#   server_start DIR           start the server under DIR
#   server_env                 prints the variables a program needs to reach
#                              the server, as NAME='VALUE' words for env
#   server_record_now          waits for the recording to grow, then prints
#                              its seconds: a key sent right after happens
#                              then, to within a few milliseconds, not up to
#                              a whole chunk of the recorder later
#   server_record_start FILE, server_record_seconds, server_record_stop,
#   server_freeze, server_thaw, server_kill, server_stop
#                              as in pulse_server.sh and pipewire_server.sh
# The server's own variables are also exported.

server_kind=$1
server_plugins=${2:-}
server_support=$(dirname "${BASH_SOURCE[0]}")

case "$server_kind" in
  pulse)
    source "$server_support/pulse_server.sh"
    server_rate=44100
    server_output=alsa:pulse
    # parec asks for 10 ms chunks; counted as nothing, to stay strict.
    server_record_lag=0
    server_start() { pulse_start "$1"; }
    server_env() { echo "PULSE_SERVER='$PULSE_SERVER' PULSE_CLIENTCONFIG='$PULSE_CLIENTCONFIG'"; }
    ;;
  pipewire)
    source "$server_support/pipewire_server.sh"
    # A desktop's usual rate: the player's 44100 Hz stream is resampled.
    server_rate=48000
    server_output=alsa:pipewire
    # One quantum of the graph (pipewire_server.sh fixes it at 1024 frames).
    server_record_lag=$(awk -v r="$server_rate" 'BEGIN { printf "%.4f", 1024 / r }')
    server_start() { pipewire_start "$1" "$server_rate" "$server_plugins"; }
    server_env() { echo "PIPEWIRE_RUNTIME_DIR='$PIPEWIRE_RUNTIME_DIR' ALSA_CONFIG_PATH='$ALSA_CONFIG_PATH'"; }
    ;;
  *)
    echo "sound_server: no server kind $server_kind" >&2
    return 1
    ;;
esac

server_record_start() { "${server_kind}_record_start" "$@"; }
server_record_seconds() { "${server_kind}_record_seconds"; }
server_record_now() {
  local before now deadline=$((SECONDS + 2))
  before=$(server_record_seconds)
  now=$before
  while [ "$now" = "$before" ] && [ $SECONDS -lt $deadline ]; do
    now=$(server_record_seconds)
  done
  echo "$now"
}
server_record_stop() { "${server_kind}_record_stop"; }
server_freeze() { "${server_kind}_freeze"; }
server_thaw() { "${server_kind}_thaw"; }
server_kill() { "${server_kind}_kill"; }
server_stop() { "${server_kind}_stop"; }
