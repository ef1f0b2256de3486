# Shared by the tests that drive a program in a real terminal: a private tmux
# server and temporary folder, both removed on exit; the screen read back;
# waits on what it shows and on the program's end. Nothing in a terminal can
# be waited on directly, so the screen is polled, with a time-out long enough
# for a loaded machine that still lets a fault fail.
#
# Usage: source tmux_test.sh NAME   (sets $tmp and $server)

tmp=$(mktemp -d "/tmp/wendrel-$1-XXXXXX")
server="wendrel-$1-$$"
wait_seconds=20

cleanup() {
  tmux -L "$server" kill-server 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

screen() { tmux -L "$server" capture-pane -p -t "$1"; }
keys() {
  local session=$1
  shift
  tmux -L "$server" send-keys -t "$session" "$@"
}

# fail MESSAGE: says why, shows every screen still there, ends the test. A
# part of a test that runs beside others in its own session sets
# failing_session, so that only that session's screen is shown.
failing_session=
fail() {
  echo "FAIL: $*" >&2
  local session
  for session in ${failing_session:-$(tmux -L "$server" list-sessions -F '#{session_name}' 2>/dev/null)}; do
    echo "--- screen of $session:" >&2
    screen "$session" >&2 || true
  done
  exit 1
}

wait_for() {
  local session=$1 text=$2 deadline=$((SECONDS + wait_seconds))
  until screen "$session" 2>/dev/null | grep -qF -- "$text"; do
    [ $SECONDS -lt $deadline ] || fail "$session never showed \"$text\""
    sleep 0.05
  done
}
wait_gone() {
  local session=$1 text=$2 deadline=$((SECONDS + wait_seconds))
  while screen "$session" | grep -qF -- "$text"; do
    [ $SECONDS -lt $deadline ] || fail "$session kept showing \"$text\""
    sleep 0.05
  done
}

# start_in_tmux SESSION COLUMNS ROWS COMMAND: runs COMMAND in a new terminal
# that stays after it ends. The exit status goes to a file: tmux can leave a
# finished program unreaped for seconds on a loaded machine, and its pane
# status with it.
start_in_tmux() {
  tmux -L "$server" new-session -d -s "$1" -x "$2" -y "$3" "$4; echo \$? >'$tmp/$1.status'"
  tmux -L "$server" set-option -t "$1" remain-on-exit on >/dev/null
}

# wait_exit SESSION: the program started by start_in_tmux ends with status 0.
wait_exit() {
  local session=$1 deadline=$((SECONDS + wait_seconds))
  until [ -s "$tmp/$session.status" ]; do
    [ $SECONDS -lt $deadline ] || fail "$session did not end"
    sleep 0.05
  done
  local status
  status=$(cat "$tmp/$session.status")
  [ "$status" = 0 ] || fail "$session ended with status $status"
}
