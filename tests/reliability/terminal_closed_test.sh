#!/usr/bin/env bash
# A terminal closed under a running, playing program: the tmux session killed
# (the program gets SIGHUP) and the whole tmux server killed. Either way the
# program must save the changed settings and end by itself.
#
# Usage: terminal_closed_test.sh WENDREL
set -euo pipefail

wendrel=$1
source "$(dirname "${BASH_SOURCE[0]}")/../support/tmux_test.sh" hup

export XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# drill HOW: runs wendrel, steps the frequency up, starts a play, closes the
# terminal the HOW way and checks the saved record.
drill() {
  local how=$1 session="drill-$1"
  local config="$tmp/config-$how"
  local settings="$config/wendrel/Current.tdf"
  tmux -L "$server" new-session -d -s "$session" -x 100 -y 30 \
    "exec env LANG=C.UTF-8 TERM=xterm-256color XDG_CONFIG_HOME='$config' XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR' WENDREL_AUDIO=null '$wendrel'"
  wait_for "$session" "1000.00Hz"
  local pid
  pid=$(tmux -L "$server" display-message -p -t "$session" '#{pane_pid}')
  keys "$session" End +
  wait_for "$session" "1059.46Hz"
  keys "$session" p
  [ ! -e "$settings" ] || fail "$how: settings written before the terminal closed"

  case $how in
    session) tmux -L "$server" kill-session -t "$session" ;;
    server) tmux -L "$server" kill-server ;;
  esac
  # Not our child, so it cannot be waited for; tail follows its pid to the end.
  timeout 20 tail --pid="$pid" -f /dev/null || fail "$how: wendrel still running 20 s after the terminal closed"

  [ -f "$settings" ] || fail "$how: no settings saved"
  [ "$(stat -c %s "$settings")" = 536 ] || fail "$how: settings file of $(stat -c %s "$settings") bytes"
  # The first frequency, a little-endian double at offset 8: 1000 Hz a semitone up.
  local hz
  hz=$(python3 -c 'import struct,sys; print("%.2f" % struct.unpack_from("<d", open(sys.argv[1],"rb").read(), 8)[0])' "$settings")
  [ "$hz" = 1059.46 ] || fail "$how: saved frequency $hz"
  echo "ok: $how"
}

drill session
drill server
