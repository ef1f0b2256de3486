#!/usr/bin/env bash
# The terminal program's command line, and what it tells standard error:
# --help, --version and --list-outputs print and end before anything looks
# for a running Wendrel, takes over the terminal or touches the settings; any
# other argument, and an output name this machine lacks, is refused on one
# line with status 2; an output that cannot be opened gets
# the message box, and once the terminal is given back, one line naming the
# output and where to find the usable ones.
#
# Usage: program_entry_test.sh WENDREL
set -euo pipefail

wendrel=$1
source "$(dirname "${BASH_SOURCE[0]}")/../support/tmux_test.sh" entry
export XDG_CONFIG_HOME="$tmp/config"
export XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# check_arguments: each row runs wendrel without a terminal, where a normal
# start would fail with status 1, so status 0 shows that nothing was started.
# Columns: arguments | status | pattern of the first line of standard output
# (empty: no output) | lines on standard error.
check_arguments() {
  local arguments status pattern err_lines
  while IFS='|' read -r arguments status pattern err_lines; do
    local got=0
    # shellcheck disable=SC2086 # the arguments are split on purpose
    env -u TMUX "$wendrel" $arguments </dev/null >"$tmp/out" 2>"$tmp/err" || got=$?
    [ "$got" = "$status" ] || fail "wendrel $arguments ended with status $got, not $status: $(cat "$tmp/err")"
    if [ -z "$pattern" ]; then
      [ ! -s "$tmp/out" ] || fail "wendrel $arguments printed: $(cat "$tmp/out")"
    else
      # shellcheck disable=SC2053 # a pattern, not a string
      [[ "$(head -n 1 "$tmp/out")" == $pattern ]] || fail "wendrel $arguments printed: $(cat "$tmp/out")"
    fi
    [ "$(wc -l <"$tmp/err")" = "$err_lines" ] || fail "wendrel $arguments said on stderr: $(cat "$tmp/err")"
    [ ! -e "$XDG_CONFIG_HOME" ] || fail "wendrel $arguments touched the settings folder"
  done
}
check_arguments <<'TABLE'
--help|0|Usage: wendrel *|0
-h|0|Usage: wendrel *|0
--version|0|wendrel [0-9]*.[0-9]*.[0-9]*|0
--version --help|0|Usage: wendrel *|0
--verbose|2||1
Current.tdf|2||1
--help extra|2||1
-|2||1
--list-outputs|0|alsa:*|0
-D alsa:no-such-output|2||1
--device=hw:0|2||1
--device|2||1
TABLE
# A name that does not exist is refused before the terminal would be needed
# (status 2, not the 1 of a start without one), on one line naming it.
env -u TMUX "$wendrel" -D alsa:no-such-output </dev/null 2>"$tmp/err" >/dev/null || true
[ "$(cat "$tmp/err")" = "wendrel: no sound output named 'alsa:no-such-output'; wendrel --list-outputs lists them" ] ||
  fail "a bad output name was refused with: $(cat "$tmp/err")"
version=$(env -u TMUX "$wendrel" --version </dev/null)

# A running Wendrel whose output cannot be opened.
start_in_tmux run 100 30 \
  "env LANG=C.UTF-8 TERM=xterm-256color XDG_CONFIG_HOME='$XDG_CONFIG_HOME' XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR' WENDREL_AUDIO=alsa:no-such-output '$wendrel' 2>'$tmp/run.err'"
wait_for run "Sine 1 Frequency"
# --version beside it still prints the version, not that one is running.
[ "$(env -u TMUX "$wendrel" --version </dev/null)" = "$version" ] ||
  fail "--version beside a running Wendrel printed something else"
keys run p
wait_for run "Unable to start playback."
keys run Enter
wait_gone run "Unable to start playback."
keys run C-q
wait_exit run
[ -s "$XDG_CONFIG_HOME/wendrel/Current.tdf" ] || fail "the settings were not saved at exit"
[ "$(wc -l <"$tmp/run.err")" = 1 ] || fail "expected one line on stderr at exit, got: $(cat "$tmp/run.err")"
grep -qF "wendrel: unable to start playback on alsa:no-such-output (" "$tmp/run.err" &&
  grep -qF "wendrel-render --list-outputs" "$tmp/run.err" ||
  fail "the line at exit does not name the output and the list: $(cat "$tmp/run.err")"

echo "program entry: all passed"
