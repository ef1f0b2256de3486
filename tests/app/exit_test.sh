#!/usr/bin/env bash
# Every way out of the wendrel program, with each thing that can be open at
# the time: Ctrl+Q, Ctrl+C, SIGINT, SIGTERM, SIGHUP and the terminal closed,
# each with nothing open, a pop-up opened by key and by click, the "Number of
# Tones" sub-menu, the help box, the about box, the "Sound Play Error" box and
# the value edit dialog. Each must end the program with status 0 at once,
# give the terminal back as it found it and leave the settings written. One
# row is one run in its own terminal and folders; the rows of one open thing
# run side by side.
#
# Usage: exit_test.sh WENDREL
set -euo pipefail

wendrel=$1
source "$(dirname "${BASH_SOURCE[0]}")/../support/tmux_test.sh" exit
columns=100
rows=30
# Seconds from the way out to the program's end: it is well under one; the
# margin is for a loaded machine, a hang still fails.
exit_limit=5

# What runs in each terminal: wendrel with the row's folders and sound
# output; its pid and the terminal's modes before and after go to the row's
# folder. The pane's shell ignores SIGHUP, so that it outlives a closed
# terminal long enough to report wendrel's status.
cat >"$tmp/run.sh" <<'SH'
dir=$1
stty -g >"$dir/before"
sh -c 'echo $$ >"$1/pid"; exec "$2"' sh "$dir" "$WENDREL"
status=$?
stty -g >"$dir/after" 2>/dev/null
exit $status
SH

# open THING SESSION: brings THING up and waits until it shows.
open() {
  local session=$2
  case $1 in
    nothing) ;;
    pop-up-by-key)
      keys "$session" M-f
      wait_for "$session" "Exit"
      ;;
    pop-up-by-click)
      # An xterm SGR press and release on the File button, bottom row but one.
      keys "$session" -l "$(printf '\e[<0;2;%dM\e[<0;2;%dm' $((rows - 1)) $((rows - 1)))"
      wait_for "$session" "Exit"
      ;;
    sub-menu)
      keys "$session" M-t Down Down Down Right
      wait_for "$session" "16"
      ;;
    help-box)
      keys "$session" F1
      wait_for "$session" "Wendrel Help"
      ;;
    about-box)
      keys "$session" M-h End Enter
      wait_for "$session" "About Wendrel"
      ;;
    play-error-box)
      keys "$session" p
      wait_for "$session" "Sound Play Error"
      ;;
    edit-dialog)
      keys "$session" Down Enter
      wait_for "$session" "Cancel"
      ;;
  esac
}

# leave WAY SESSION PID
leave() {
  local session=$2 pid=$3
  case $1 in
    ctrl-q) keys "$session" C-q ;;
    ctrl-c) keys "$session" C-c ;;
    sigint) kill -INT "$pid" ;;
    sigterm) kill -TERM "$pid" ;;
    sighup) kill -HUP "$pid" ;;
    terminal-closed) tmux -L "$server" kill-session -t "$session" ;;
  esac
}

# row THING WAY: one run, failing with a reason; prints the time the way out
# took in milliseconds.
row() {
  local thing=$1 way=$2 session="$1_$2"
  failing_session=$session
  local dir="$tmp/$session"
  mkdir -p "$dir/config" "$dir/run"
  chmod 700 "$dir/run"
  local audio=null
  [ "$thing" != play-error-box ] || audio=alsa:nonexistent
  start_in_tmux "$session" "$columns" "$rows" \
    "trap '' HUP; env LANG=C.UTF-8 TERM=xterm-256color XDG_CONFIG_HOME='$dir/config' XDG_RUNTIME_DIR='$dir/run' WENDREL_AUDIO=$audio WENDREL='$wendrel' sh '$tmp/run.sh' '$dir'"
  wait_for "$session" "1000.00Hz"
  open "$thing" "$session"
  local start pid
  pid=$(cat "$dir/pid")
  start=$(date +%s%N)
  leave "$way" "$session" "$pid"
  local deadline=$((SECONDS + exit_limit + 1))
  until [ -s "$tmp/$session.status" ]; do
    if [ $SECONDS -ge $deadline ]; then
      # A hung program ignores every polite signal: it must not outlive the test.
      kill -KILL "$pid" 2>/dev/null || true
      fail "$session: still running $exit_limit s after the way out"
    fi
    sleep 0.02
  done
  local took=$((($(date +%s%N) - start) / 1000000))
  [ "$took" -le $((exit_limit * 1000)) ] || fail "$session: ended $took ms after the way out"
  wait_exit "$session"
  if [ "$way" != terminal-closed ]; then
    cmp -s "$dir/before" "$dir/after" || fail "$session: terminal modes not restored: $(cat "$dir/after")"
  fi
  local settings="$dir/config/wendrel/Current.tdf"
  [ -f "$settings" ] || fail "$session: no settings written"
  [ "$(stat -c %s "$settings")" = 536 ] || fail "$session: settings of $(stat -c %s "$settings") bytes"
  tmux -L "$server" kill-session -t "$session" 2>/dev/null || true
  echo "$took"
}

things=(nothing pop-up-by-key pop-up-by-click sub-menu help-box about-box play-error-box edit-dialog)
ways=(ctrl-q ctrl-c sigint sigterm sighup terminal-closed)
failed=0
slowest=0
for thing in "${things[@]}"; do
  pids=()
  for way in "${ways[@]}"; do
    row "$thing" "$way" >"$tmp/${thing}_$way.took" &
    pids+=($!)
  done
  for i in "${!pids[@]}"; do
    if wait "${pids[$i]}"; then
      took=$(cat "$tmp/${thing}_${ways[$i]}.took")
      echo "ok: $thing, ${ways[$i]}: ended after $took ms"
      [ "$took" -le "$slowest" ] || slowest=$took
    else
      failed=1
    fi
  done
done
[ "$failed" = 0 ] || exit 1
echo "every way out: all $((${#things[@]} * ${#ways[@]})) passed, the slowest ended after $slowest ms"
