#!/usr/bin/env bash
# The main window's controls in a real terminal (tmux, 80 x 24), driven by
# keys and by xterm SGR mouse reports typed into the pane: the title, the
# parameter rows, the soft menu bar with its tool bar images; the Tone pop-up
# opened by Alt+T (as Esc t, and as the ô a stock xterm sends) and by a
# click, an item chosen by a click; tool bar buttons by key and by click; the
# value edit dialog opened by Enter and by a double click, cancelled and
# confirmed by key and by click, its text taking ô as typed.
#
# Usage: terminal_test.sh TERMINAL_DEMO
set -euo pipefail

demo=$1
source "$(dirname "${BASH_SOURCE[0]}")/../support/tmux_test.sh" terminal
session=demo
columns=80
rows=24

mkdir -p "$tmp/run"
chmod 700 "$tmp/run"
start_in_tmux "$session" "$columns" "$rows" \
  "env LANG=C.UTF-8 TERM=xterm-256color XDG_CONFIG_HOME='$tmp/config' XDG_RUNTIME_DIR='$tmp/run' '$demo'"

# line N: row N of the screen (from 1), trailing blanks removed.
line() { screen "$session" | sed -n "${1}p" | sed -e 's/[[:space:]]*$//'; }
wait_line() {
  local row=$1 text=$2 deadline=$((SECONDS + wait_seconds))
  until [ "$(line "$row")" = "$text" ]; do
    [ $SECONDS -lt $deadline ] || fail "row $row never read \"$text\" (it reads \"$(line "$row")\")"
    sleep 0.05
  done
}

# cell TEXT: "COLUMN ROW" (both from 1, as the mouse reports count) of the
# first character of TEXT's first appearance on the screen.
cell() {
  screen "$session" | python3 -c '
import sys
text = sys.argv[1]
for row, line in enumerate(sys.stdin.read().split("\n"), 1):
    column = line.find(text)
    if column >= 0:
        print(column + 1, row)
        break
' "$1"
}
# The bytes an xterm sends for a left press and release at a cell, typed into
# the pane as they are, so they reach the program's input like a real click.
# A third argument is the report's modifier bits (16 Ctrl, 4 Shift).
press() { printf '\e[<%d;%d;%dM' "${3:-0}" "$1" "$2"; }
release() { printf '\e[<%d;%d;%dm' "${3:-0}" "$1" "$2"; }
click() { keys "$session" -l "$(press "$@")$(release "$@")"; }
# Both clicks in one write: well inside the double-click time however slow
# the machine.
double_click() { keys "$session" -l "$(press "$1" "$2")$(release "$1" "$2")$(press "$1" "$2")$(release "$1" "$2")"; }
# click_on TEXT [MODIFIERS]
click_on() {
  local position
  position=$(cell "$1")
  [ -n "$position" ] || fail "nothing reads \"$1\" to click on"
  # shellcheck disable=SC2086
  click $position "${2:-0}"
}

# dialog_shows LABEL: the value edit dialog's caption, the row above its edit
# box, is LABEL (cut where the narrow dialog ends it, but not to nothing).
dialog_shows() {
  screen "$session" | python3 -c '
import re, sys
label = sys.argv[1]
lines = sys.stdin.read().split("\n")
box = next((i for i, line in enumerate(lines) if "│┌" in line), None)
if box is None or box == 0:
    sys.exit(1)
caption = re.split(r"\s{2,}", lines[box - 1].strip())[0]
sys.exit(0 if len(caption) >= 12 and label.startswith(caption) else 1)
' "$1"
}
wait_dialog() {
  local label=$1 why=$2 deadline=$((SECONDS + 5))
  until dialog_shows "$label"; do
    [ $SECONDS -lt $deadline ] || fail "$why: no dialog for \"$label\""
    sleep 0.05
  done
}

title() { line 1 | sed -e 's/^ //'; }
wait_title() {
  local text=$1 deadline=$((SECONDS + 5))
  until [ "$(title)" = "$text" ]; do
    [ $SECONDS -lt $deadline ] || fail "the title never read \"$text\" (it reads \"$(title)\")"
    sleep 0.05
  done
}

# ---------------------------------------------------------------------------
# What the screen shows at start.

wait_for "$session" "Sine 3 Relative Amplitude"
[ "$(title)" = "Wendrel" ] || fail "the title row reads \"$(title)\""

expected_rows=(
  "Sine 1 Start Left Frequency|440.00Hz"
  "Sine 1 End Left Frequency|1000.00Hz"
  "Sine 1 Start Right Frequency|1000.00Hz"
  "Sine 1 End Right Frequency|1000.00Hz"
  "Sine 1 Relative Amplitude|0dB"
  "Sine 3 End Right Frequency|1000.00Hz"
  "Sine Duration|1000ms"
)
list_text=$(screen "$session" | sed -n "2,$((rows - 2))p")
for entry in "${expected_rows[@]}"; do
  label=${entry%%|*} value=${entry#*|}
  echo "$list_text" | grep -qE -- "^.${label} +${value}\$" || fail "no row \"$label\" showing $value"
done

# Clicks reach the program as bytes whatever it asked for; the terminal must
# also have been told to report them (xterm buttons, SGR form), or a real one
# would send nothing.
mouse_modes() { tmux -L "$server" display-message -p -t "$session" '#{mouse_standard_flag}#{mouse_sgr_flag}'; }
[ "$(mouse_modes)" = 11 ] || fail "mouse reporting is not on (standard, SGR: $(mouse_modes))"

bar=$(line $((rows - 1)))
[[ "$bar" =~ ^\ File\ +Tone\ +Help\ +▶\ +■\ +\+\ +−$ ]] || fail "the menu bar reads \"$bar\""

# ---------------------------------------------------------------------------
# The Tone pop-up by Alt+T, then by a click on its button; an item chosen by
# a click arrives as its command.

keys "$session" M-t
wait_for "$session" "Number of Tones"
wait_for "$session" "Sweep (Linear)"
keys "$session" Escape
wait_gone "$session" "Number of Tones"

# A stock xterm (8-bit input, no metaSendsEscape) sends Alt+T as ô.
keys "$session" -l "ô"
wait_for "$session" "Number of Tones"
keys "$session" Escape
wait_gone "$session" "Number of Tones"

click_on "Tone"
wait_for "$session" "Number of Tones"
click_on "Stereo"
wait_title "Wendrel: command 3032"
wait_gone "$session" "Number of Tones"

# The File pop-up by Alt+F; Esc closes it without a command.
keys "$session" M-f
wait_for "$session" "Exit"
keys "$session" Escape
wait_gone "$session" "Exit"
[ "$(title)" = "Wendrel: command 3032" ] || fail "closing a pop-up delivered a command: $(title)"

# ---------------------------------------------------------------------------
# Tool bar buttons: by key, by click.

keys "$session" s
wait_title "Wendrel: command 302"
click_on "▶"
wait_title "Wendrel: command 301"
click_on "−"
wait_title "Wendrel: command 304"
keys "$session" +
wait_title "Wendrel: command 303"

# ---------------------------------------------------------------------------
# The value edit dialog by keys: the first row, Enter; Esc cancels, Enter
# confirms a typed value.

keys "$session" Home
keys "$session" Enter
wait_for "$session" "Cancel"
wait_dialog "Sine 1 Start Left Frequency" "the dialog is not the first row's"
wait_for "$session" "│440.00Hz"
keys "$session" Escape
wait_gone "$session" "Cancel"
line 2 | grep -qE "440.00Hz$" || fail "a cancelled dialog changed the row: $(line 2)"

keys "$session" Enter
wait_for "$session" "│440.00Hz"
# In the value's text ô is a typed character, though an xterm sends Alt+T so.
keys "$session" -l "2ô"
wait_for "$session" "│2ô"
keys "$session" BSpace
keys "$session" -l 20
keys "$session" Enter
wait_gone "$session" "Cancel"
wait_for "$session" "220.00Hz"
line 2 | grep -qE "^.Sine 1 Start Left Frequency +220.00Hz$" || fail "the confirmed value is not in the first row: $(line 2)"

# ---------------------------------------------------------------------------
# The value edit dialog by mouse: a click selects a row; a double click on
# another row opens the dialog for it; its buttons answer clicks.

position=$(cell "Sine 2 Start Right Frequency")
[ -n "$position" ] || fail "no row \"Sine 2 Start Right Frequency\""
# shellcheck disable=SC2086
double_click $position
wait_for "$session" "Cancel"
wait_dialog "Sine 2 Start Right Frequency" "the dialog is not the double-clicked row's"
click_on "Cancel"
wait_gone "$session" "Cancel"

# A single click on one row then Enter edits that row alone.
click_on "Sine 2 Relative Amplitude"
keys "$session" Enter
wait_for "$session" "Cancel"
wait_for "$session" "│0dB"
wait_dialog "Sine 2 Relative Amplitude" "Enter after a click did not edit the clicked row"
keys "$session" -l -- -6
click_on "OK"
wait_gone "$session" "Cancel"
screen "$session" | grep -qE "Sine 2 Relative Amplitude +-6dB$" || fail "the value confirmed by a click did not reach the row"

# Ctrl+click adds a row to the selection: Enter then offers both rows, in
# list order, one dialog after the other.
click_on "Sine 3 Relative Amplitude"
click_on "Sine 1 Relative Amplitude" 16
keys "$session" Enter
wait_for "$session" "Cancel"
wait_dialog "Sine 1 Relative Amplitude" "the first of two selected rows was not offered first"
keys "$session" -l -- -3
wait_for "$session" "│-3"
keys "$session" Enter
wait_for "$session" "│0dB"
wait_dialog "Sine 3 Relative Amplitude" "the second of two selected rows was not offered"
keys "$session" -l -- -9
wait_for "$session" "│-9"
keys "$session" Enter
wait_gone "$session" "Cancel"
screen "$session" | grep -qE "Sine 1 Relative Amplitude +-3dB$" || fail "the first of two rows did not take its value"
screen "$session" | grep -qE "Sine 3 Relative Amplitude +-9dB$" || fail "the second of two rows did not take its value"
screen "$session" | grep -qE "Sine 2 Relative Amplitude +-6dB$" || fail "a row outside the selection changed"

# ---------------------------------------------------------------------------
# The terminal changes size: the menu bar keeps to the bottom rows and the
# list fills what lies between, scrolling within its new height.

tmux -L "$server" resize-window -t "$session" -x 60 -y 12
wait_line 12 " Alt+letter/F10 menu  p s + - tool bar"
bar=$(line 11)
[[ "$bar" =~ ^\ File\ +Tone\ +Help\ +▶\ +■\ +\+\ +−$ ]] || fail "after shrinking, row 11 reads \"$bar\""
keys "$session" End
wait_for "$session" "Sine Duration"
screen "$session" | grep -qF "Sine 1 Start Left Frequency" && fail "the first row is still shown with the last in 9 rows"
keys "$session" Home
wait_for "$session" "Sine 1 Start Left Frequency"

tmux -L "$server" resize-window -t "$session" -x 100 -y 30
wait_line 30 " Alt+letter/F10 menu  p s + - tool bar"
wait_for "$session" "Sine Duration"
screen "$session" | grep -qF "Sine 1 Start Left Frequency" || fail "all 16 rows fit in 27 rows, but the first is not shown"

# ---------------------------------------------------------------------------
# Ctrl+Q closes the window and the program ends well.

keys "$session" C-q
wait_exit "$session"
[ "$(mouse_modes)" = 00 ] || fail "the terminal was left reporting the mouse (standard, SGR: $(mouse_modes))"

echo "terminal: all passed"
