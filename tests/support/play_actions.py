#!/usr/bin/env python3
"""Plays tests/app/action_table.txt on the program and checks each step.

  play_actions.py terminal TABLE RC EXPECTED_TDF WENDREL
  play_actions.py desktop TABLE RC EXPECTED_TDF WENDREL_EXE PROBE_EXE SHOT_PNG

"terminal" runs the Linux program in a private tmux server and reads its
screen; "desktop" runs the Windows program under Wine on a private Xvfb
display, types with xdotool and reads the real controls through
wendrel_probe. Both play the same actions by the same keys, wait until each
step's checks hold, and compare the saved Current.tdf with EXPECTED_TDF. The
menu item positions come from the resource script RC, as the menus do.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

WAIT_SECONDS = 30


def fail(message, state=""):
    sys.stderr.write(f"FAIL: {message}\n")
    if state:
        sys.stderr.write(f"--- what the program showed:\n{state}\n")
    sys.exit(1)


def read_menus(rc_path):
    """{popup: [(text, submenu items or None)]} of the script's menu, separators left out."""
    menus, stack = {}, []
    in_menu = False
    for line in open(rc_path, encoding="utf-8"):
        line = line.strip()
        if re.match(r"^\d+\s+MENU\b", line):
            in_menu = True
            continue
        if not in_menu:
            continue
        popup = re.match(r'^POPUP\s+"([^"]*)"', line)
        item = re.match(r'^MENUITEM\s+"([^"]*)"', line)
        if popup:
            entry = (popup.group(1), [])
            if stack:
                stack[-1][1].append(entry)
            else:
                menus[popup.group(1)] = entry[1]
            stack.append(entry)
        elif item and stack:
            stack[-1][1].append((item.group(1), None))
        elif line == "END":
            if not stack:
                break
            stack.pop()
    return menus


def menu_keys(menus, popup, path):
    """Down presses to reach PATH in POPUP: [count in the pop-up, count in the sub-menu or None]."""
    names = path.split("/")
    items = menus[popup]
    index = [text for text, _ in items].index(names[0])
    if len(names) == 1:
        return index, None
    sub = dict(items)[names[0]]
    return index, [text for text, _ in sub].index(names[1])


def read_table(path):
    steps = []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        action, _, checks = line.partition("=>")
        verb, _, argument = action.strip().partition(" ")
        steps.append((number, verb, argument.strip(), [c.strip() for c in checks.split(";") if c.strip()]))
    return steps


class Terminal:
    """The Linux program in a private tmux server; the screen is all there is to read."""

    COLUMNS, ROWS = 100, 30
    KEYS = {"Return": "Enter", "Escape": "Escape", "shift+Down": "S-Down"}
    TOOLS = {"Play": "p", "Stop": "s", "Increase": "+", "Decrease": "-"}

    def __init__(self, tmp, wendrel):
        self.tmp = tmp
        self.server = f"wendrel-actions-{os.getpid()}"
        self.settings = os.path.join(tmp, "config", "wendrel", "Current.tdf")
        run = os.path.join(tmp, "run")
        os.makedirs(run, mode=0o700)
        self.status = os.path.join(tmp, "status")
        command = (f"env LANG=C.UTF-8 TERM=xterm-256color XDG_CONFIG_HOME='{tmp}/config' XDG_RUNTIME_DIR='{run}' "
                   f"WENDREL_AUDIO=null '{wendrel}'; echo $? >'{self.status}'")
        self.tmux("new-session", "-d", "-s", "main", "-x", str(self.COLUMNS), "-y", str(self.ROWS), command)
        self.tmux("set-option", "-t", "main", "remain-on-exit", "on")

    def tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.server, *args], check=True, capture_output=True,
                              text=True).stdout

    def keys(self, *names):
        for name in names:
            self.tmux("send-keys", "-t", "main", self.KEYS.get(name, name))
            time.sleep(0.05)

    def open_menu(self, popup):
        self.keys("M-" + popup[0].lower())

    def type(self, text):
        self.tmux("send-keys", "-t", "main", "-l", "--", text)

    def tool(self, name):
        self.keys(self.TOOLS[name])

    def double_tap(self):
        self.keys("Return")

    def screen(self):
        return self.tmux("capture-pane", "-p", "-t", "main")

    def state(self):
        return self.screen()

    def rows(self, screen):
        lines = screen.split("\n")[1:self.ROWS - 2]
        rows = []
        for line in lines:
            match = re.match(r"^[▸> ]?(\S.*?\S)\s{2,}(\S+)\s*$", line)
            if match and "│" not in line:
                rows.append((match.group(1), match.group(2)))
        return rows

    def dialog(self, screen):
        """Caption and text lines of a box on the screen, or None."""
        if "Cancel" not in screen and not re.search(r"\[\s*OK\s*\]", screen):
            return None
        return screen

    def check(self, screen, check):
        kind, _, value = check.partition(" ")
        if kind == "shows":
            return tuple(value.split("|")) in self.rows(screen)
        if kind == "rows":
            return len(self.rows(screen)) == int(value) or self.dialog(screen) is not None
        if kind == "dialog":
            caption, text = value.split("|")
            box = self.dialog(screen)
            return box is not None and caption in box and all(part in box for part in text.split("\\n"))
        if kind == "no-dialog":
            return self.dialog(screen) is None
        return True  # read on the desktop only

    def wait_end(self):
        deadline = time.time() + WAIT_SECONDS
        while not (os.path.exists(self.status) and open(self.status).read().strip()):
            if time.time() > deadline:
                fail("the program did not end", self.screen())
            time.sleep(0.1)
        status = open(self.status).read().strip()
        if status != "0":
            fail(f"the program ended with status {status}")

    def after_step(self):
        pass

    def close(self):
        subprocess.run(["tmux", "-L", self.server, "kill-server"], capture_output=True)


class Desktop:
    """The Windows program under Wine on a private Xvfb display, read through wendrel_probe."""

    TOOLS = {"Play": 301, "Stop": 302, "Increase": 303, "Decrease": 304}

    def __init__(self, tmp, exe, probe, prefix):
        self.tmp = tmp
        self.probe_exe = probe
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        display = self.xvfb.stdout.readline().decode().strip()
        if not display:
            fail("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + display, WINEPREFIX=prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("WAYLAND_DISPLAY", None)
        # A prefix of this test's own, so that its %APPDATA% can be a
        # temporary folder: Wine sets the variable from the user's profile for
        # every process, so the profile's folder is what changes. Its own
        # server keeps other Windows tests out of the way.
        # A server left by an interrupted run would still serve its old display.
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            subprocess.run(["wineboot", "-i"], env=self.env, capture_output=True)
        appdata = os.path.join(tmp, "appdata")
        os.makedirs(appdata)
        profiles = glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming"))
        if not profiles:
            fail(f"the Wine prefix {prefix} has no user profile")
        for roaming in profiles:
            if os.path.islink(roaming):
                os.remove(roaming)
            else:
                shutil.rmtree(roaming)
            os.symlink(appdata, roaming)
        self.settings = os.path.join(appdata, "Wendrel", "Current.tdf")
        self.program = subprocess.Popen(["wine", exe], env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, capture_output=True)

    def probe(self, *args):
        try:
            result = subprocess.run(["wine", self.probe_exe, *args], env=self.env, capture_output=True, timeout=60)
        except subprocess.TimeoutExpired:
            return ""
        # The probe writes text mode: CR LF line ends.
        return result.stdout.decode("utf-8", "replace").replace("\r\n", "\n") if result.returncode == 0 else ""

    def keys(self, *names):
        self.xdotool("key", "--delay", "60", *names)

    def open_menu(self, popup):
        self.keys("alt+" + popup[0].lower())

    def type(self, text):
        self.xdotool("type", "--delay", "60", "--", text)

    def click(self, rect, repeat=1):
        left, top, right, bottom = rect
        self.xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2), "click", "--repeat",
                     str(repeat), "--delay", "80", "1")

    def tool(self, name):
        self.click(self.button_rect(self.state(), self.TOOLS[name]))

    def double_tap(self):
        state = self.state()
        focused = [line for line in state.split("\n") if re.match(r"^row \d+ .F ", line)]
        if not focused:
            fail("no focused row to double-tap", state)
        self.click([int(n) for n in focused[0].split()[4:8]], repeat=2)

    @staticmethod
    def button_rect(state, command):
        for line in state.split("\n"):
            words = line.split()
            if words[:2] == ["button", str(command)]:
                return [int(n) for n in words[2:6]]
        fail(f"no tool bar button {command}", state)

    def state(self):
        return self.probe()

    @staticmethod
    def rows(state):
        return [tuple(line.split(" ", 8)[8].split("|")) for line in state.split("\n") if line.startswith("row ")]

    def check(self, state, check):
        kind, _, value = check.partition(" ")
        lines = state.split("\n")
        dialogs = [line[len("dialog "):] for line in lines if line.startswith("dialog ")]
        if kind == "shows":
            return tuple(value.split("|")) in self.rows(state)
        if kind == "rows":
            return len(self.rows(state)) == int(value)
        if kind == "selected":
            return f"selected {value}" in lines
        if kind == "dialog":
            caption, text = value.split("|")
            return any(d.split("|")[0] == caption and d.split("|", 1)[1].startswith(text) for d in dialogs)
        if kind == "no-dialog":
            return not dialogs
        if kind == "menu":
            states = dict(line.split(" ", 2)[1:] for line in lines if line.startswith("menu "))
            for expected in value.split():
                item, mark = expected.split("=")
                enabled, checked = states.get(item, "? ?").split()
                if mark in ("enabled", "grayed") and enabled != mark:
                    return False
                if mark in ("check", "radio", "-") and checked != mark:
                    return False
            return True
        fail(f"unknown check {check}")

    def check_window(self):
        """The window's class and title, and its bar along the bottom of its client area, under the list,
        wherever the window moves."""
        for args in ((), ("move",)):
            state = self.probe(*args)
            window = next((line for line in state.split("\n") if line.startswith("window ")), "")
            if not window.startswith("window LMainWindow|Wendrel|") or "\nbar menu_worker " not in state:
                fail("no window LMainWindow titled Wendrel with its menu bar", state)
            client, bar, listed = (rect_of(state, name) for name in ("client", "bar", "list"))
            if not check_layout(client, bar, listed):
                fail(f"the bar {bar} is not along the bottom of the client area {client} under the list {listed}",
                     state)
            if "focus SysListView32" not in state:
                fail("the list does not have the focus", state)

    def screenshot(self, path):
        """The window's client area and its bar, as the display shows them."""
        state = self.state()
        list_line = next(line for line in state.split("\n") if line.startswith("list "))
        bar = next(line for line in state.split("\n") if line.startswith("bar "))
        left, top = map(int, list_line.split()[2:4])
        right, bottom = map(int, bar.split()[4:6])
        subprocess.run(["import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                        "+repage", path], env=self.env, check=True)
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                              check=True).stdout.split()
        if list(map(int, size)) != [right - left, bottom - top]:
            fail(f"the screenshot is {size}, not the window's {right - left} x {bottom - top}")
        # Not blank: dark text on a light list, and more than two colours
        # (the tool bar's green play image).
        colours = subprocess.run(["identify", "-format", "%k %[fx:minima.intensity] %[fx:maxima.intensity]", path],
                                 capture_output=True, text=True, check=True).stdout.split()
        if int(colours[0]) < 3 or float(colours[1]) > 0.3 or float(colours[2]) < 0.7:
            fail(f"the screenshot looks blank: {colours[0]} colours, intensities {colours[1]} to {colours[2]}")

    def after_step(self):
        """Gives the main window the input focus back once no dialog is open.

        The display has no window manager, and without one nothing gives the
        focus back to a window when the dialog over it closes: keys would go
        nowhere. A window manager would give it back; this does the same."""
        if "\ndialog " in self.state():
            return
        found = subprocess.run(["xdotool", "search", "--name", "^Wendrel$"], env=self.env, capture_output=True,
                               text=True).stdout.split()
        if found:
            self.xdotool("windowfocus", "--sync", found[0])

    def wait_end(self):
        try:
            status = self.program.wait(WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            fail("the program did not end", self.state())
        if status != 0:
            fail(f"the program ended with status {status}")

    def close(self):
        if self.program.poll() is None:
            self.program.kill()
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        self.xvfb.terminate()
        self.xvfb.wait()


def rect_of(state, name):
    """The rectangle on the probe's line for name ("client", "list", "bar"), or None."""
    for line in state.split("\n"):
        words = line.split()
        if words and words[0] == name:
            numbers = [w for w in words[1:] if re.fullmatch(r"-?\d+", w)]
            return [int(n) for n in numbers[:4]] if len(numbers) >= 4 else None
    return None


def check_layout(client, bar, listed):
    """The bar across the bottom of the client area, at least the pocket computer's 26 pixels high, and the
    list over all the rest."""
    if not (client and bar and listed):
        return False
    left, top, right, bottom = client
    return (bar[0] == left and bar[2] == right and bar[3] == bottom and bar[3] - bar[1] >= 26
            and listed == [left, top, right, bar[1]])


def wait_checks(program, step, checks, seconds=WAIT_SECONDS):
    deadline = time.time() + seconds
    while True:
        state = program.state()
        failed = [c for c in checks if not program.check(state, c)]
        if not failed:
            return
        if time.time() > deadline:
            fail(f"line {step}: {'; '.join(failed)}", state)
        time.sleep(0.2)


def play(program, steps, menus):
    for number, verb, argument, checks in steps:
        if verb == "menu":
            popup, _, path = argument.partition(" ")
            index, sub = menu_keys(menus, popup, path)
            program.open_menu(popup)
            time.sleep(0.3)
            program.keys(*(["Down"] * index))
            if sub is not None:
                program.keys("Right", *(["Down"] * sub))
            program.keys("Return")
        elif verb == "key":
            program.keys(argument)
        elif verb == "type":
            program.type(argument)
        elif verb == "tool":
            program.tool(argument)
        elif verb == "double-tap":
            program.double_tap()
        else:
            fail(f"line {number}: unknown action {verb}")
        wait_checks(program, number, checks)
        program.after_step()
        # Keys of the next step must not reach a pop-up that is still closing.
        time.sleep(0.3)


def main():
    platform, table, rc, expected_tdf = sys.argv[1:5]
    tmp = tempfile.mkdtemp(prefix="wendrel-actions-")
    program = None
    try:
        if platform == "terminal":
            program = Terminal(tmp, sys.argv[5])
        else:
            exe, probe, shot = sys.argv[5:8]
            program = Desktop(tmp, exe, probe, os.path.join(os.path.dirname(os.path.abspath(shot)),
                                                            "wine-prefix-desktop"))
        # Wine's first process of a session starts its services first.
        wait_checks(program, 0, ["shows Sine 1 Frequency|1000.00Hz", "rows 1"], seconds=120)
        if os.path.exists(program.settings):
            fail("a settings file exists before the first exit")
        if platform == "desktop":
            program.check_window()
        steps = read_table(table)
        play(program, steps[:-1], read_menus(rc))
        if platform == "desktop":
            program.screenshot(sys.argv[7])
        play(program, steps[-1:], read_menus(rc))
        program.wait_end()
        saved = open(program.settings, "rb").read() if os.path.exists(program.settings) else b""
        expected = open(expected_tdf, "rb").read()
        if saved != expected:
            first = next((i for i, (a, b) in enumerate(zip(saved, expected)) if a != b), min(len(saved), len(expected)))
            shutil.copy(program.settings, os.path.join(tempfile.gettempdir(), "wendrel-actions-saved.tdf"))
            fail(f"the saved Current.tdf ({len(saved)} bytes) differs from {expected_tdf} at byte {first}")
        print(f"{platform}: {len(steps)} actions played, Current.tdf as expected")
    finally:
        if program is not None:
            program.close()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
