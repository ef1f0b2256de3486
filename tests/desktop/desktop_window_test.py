#!/usr/bin/env python3
"""The Windows program as a desktop window, under Wine on a private Xvfb display with a window manager
(Openbox), as a user meets it: its frame lets it be resized, maximised and minimised; the list and the bar
follow every size, the bar along the bottom of the client area; minimised, nothing of it stays on the
screen; another program's window in front covers the bar too; a second start brings the first forward with
the keyboard, and exits 0. Places are read from inside the program by wendrel_probe, what the screen shows
by ImageMagick.

  desktop_window_test.py WENDREL_EXE RENDER_EXE PROBE_EXE WINE_PREFIX SHOT_PNG

SHOT_PNG gets the framed window with 16 stereo sweeps, as doc/windows.png shows it.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

# The shared helpers are imported from the source tree, which must stay clean.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from play_actions import check_layout, rect_of  # noqa: E402

WAIT_SECONDS = 30
# 16 stereo linear sweeps with variable amplitudes: five rows a tone and the duration.
ROWS = 81
# The play image's green, which only the bar shows.
PLAY_GREEN = (0, 128, 0)


def fail(message, state=""):
    sys.stderr.write(f"FAIL: {message}\n")
    if state:
        sys.stderr.write(f"--- what the program showed:\n{state}\n")
    sys.exit(1)


class WineDesktop:
    def __init__(self, tmp, exe, render, probe, prefix):
        self.tmp, self.exe, self.probe_exe = tmp, exe, probe
        self.children = []
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                      "-br"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        display = self.xvfb.stdout.readline().decode().strip()
        if not display:
            fail("Xvfb did not start")
        home = os.path.join(tmp, "home")
        run = os.path.join(tmp, "run")
        os.makedirs(home)
        os.makedirs(run, mode=0o700)
        self.env = dict(os.environ, DISPLAY=":" + display, WINEPREFIX=prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        XDG_RUNTIME_DIR=run)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.children.append(subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                              stderr=subprocess.DEVNULL))
        # A server left by an interrupted run would still serve its old display.
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            subprocess.run(["wineboot", "-i"], env=self.env, capture_output=True)
        profiles = glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming"))
        if not profiles:
            fail(f"the Wine prefix {prefix} has no user profile")
        folder = os.path.join(profiles[0], "Wendrel")
        os.makedirs(folder, exist_ok=True)
        self.settings = os.path.join(folder, "Current.tdf")
        subprocess.run(["wine", render, "--tones", "16", "--stereo", "--mode", "linear", "--variable-amplitude",
                        "--save", "Current.tdf"], env=self.env, cwd=folder, check=True, capture_output=True)
        self.saved = open(self.settings, "rb").read()
        self.program = self.start()

    def start(self):
        return subprocess.Popen(["wine", self.exe], env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def run(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True).stdout

    def state(self):
        try:
            result = subprocess.run(["wine", self.probe_exe], env=self.env, capture_output=True, timeout=60)
        except subprocess.TimeoutExpired:
            return ""
        return result.stdout.decode("utf-8", "replace").replace("\r\n", "\n") if result.returncode == 0 else ""

    def wait(self, what, holds, seconds=WAIT_SECONDS):
        deadline = time.time() + seconds
        while True:
            state = self.state()
            if state and holds(state):
                return state
            if time.time() > deadline:
                fail(what, state)
            time.sleep(0.3)

    def x_window(self, name):
        found = self.run("xdotool", "search", "--name", name).split()
        return found[0] if found else None

    def active_name(self):
        return self.run("xdotool", "getactivewindow", "getwindowname").strip()

    def pixels(self, rect):
        """Counts of the screen's colours inside rect: {(r, g, b): count}."""
        left, top, right, bottom = rect
        shot = os.path.join(self.tmp, "part.png")
        subprocess.run(["import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                        "+repage", shot], env=self.env, check=True)
        histogram = subprocess.run(["convert", shot, "-format", "%c", "histogram:info:-"], capture_output=True,
                                   text=True, check=True).stdout
        counts = {}
        for line in histogram.split("\n"):
            match = re.match(r"\s*(\d+):\s*\(\s*(\d+),\s*(\d+),\s*(\d+)", line)
            if match:
                counts[tuple(int(v) for v in match.groups()[1:])] = int(match.group(1))
        return counts

    def wait_screen(self, what, place, holds, seconds=WAIT_SECONDS):
        """Waits until the colours the screen shows at place(state) satisfy holds; the state then."""
        deadline = time.time() + seconds
        while True:
            state = self.state()
            rect = place(state) if state else None
            if rect and rect[0] >= 0 and rect[1] >= 0 and rect[2] <= 1024 and rect[3] <= 768 and \
                    holds(self.pixels(rect)):
                return state
            if time.time() > deadline:
                fail(what, state + self.run("xwininfo", "-root", "-tree"))
            time.sleep(0.3)

    def close(self):
        if self.program.poll() is None:
            self.program.kill()
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        for child in self.children:
            child.terminate()
            child.wait()
        self.xvfb.terminate()
        self.xvfb.wait()


def line_of(state, name):
    return next((line for line in state.split("\n") if line.startswith(name + " ")), "")


def laid_out(state):
    """The bar along the bottom of the client area, the list over the rest, the columns filling the list's
    width with no horizontal scroll bar, the labels' column fitted to the labels rather than 70 %."""
    columns = re.match(r"columns (\d+) (\d+) of (\d+)(.*)", line_of(state, "columns"))
    if not columns or not check_layout(rect_of(state, "client"), rect_of(state, "bar"), rect_of(state, "list")):
        return False
    label, value, width = (int(columns.group(i)) for i in (1, 2, 3))
    return label + value == width and "hscroll" not in columns.group(4) and label < width * 70 // 100


def client_size(state):
    left, top, right, bottom = rect_of(state, "client")
    return right - left, bottom - top


def green_in(counts):
    return counts.get(PLAY_GREEN, 0)


def main():
    exe, render, probe, prefix, shot = (os.path.abspath(a) for a in sys.argv[1:6])
    tmp = tempfile.mkdtemp(prefix="wendrel-window-")
    desk = None
    try:
        desk = WineDesktop(tmp, exe, render, probe, prefix)
        # Wine's first process on a fresh server starts its services first.
        state = desk.wait("the program never showed its 81 rows, laid out in its window",
                             lambda s: s.count("\nrow ") == ROWS and "state normal foreground" in s and laid_out(s),
                             120)
        if "frame size minimize maximize sysmenu" not in state:
            fail("the frame does not offer sizing, minimise and maximise", state)
        x_id = desk.x_window("^Wendrel$")
        actions = desk.run("xprop", "-id", x_id, "_NET_WM_ALLOWED_ACTIONS")
        for action in ("RESIZE", "MINIMIZE", "MAXIMIZE_HORZ", "MAXIMIZE_VERT"):
            if f"_NET_WM_ACTION_{action}" not in actions:
                fail(f"the window manager does not allow {action}: {actions}", state)
        if "vscroll" not in line_of(state, "columns"):
            fail("81 rows at the default size and no vertical scroll bar", state)
        width, height = client_size(state)
        print(f"ok: default client {width} x {height}, {line_of(state, 'columns')}; allowed: {actions.strip()}")

        # Larger and smaller, as the window manager sizes it.
        for size in ((760, 560), (360, 240)):
            desk.run("xdotool", "windowsize", x_id, str(size[0]), str(size[1]))
            state = desk.wait(f"sized to {size}: list, bar or columns out of place",
                                 lambda s: client_size(s) == size and laid_out(s))
            print(f"ok: sized {size[0]} x {size[1]}: {line_of(state, 'list')}; {line_of(state, 'bar')}; "
                  f"{line_of(state, 'columns')}")

        # Maximised by a double click on the title bar, and back.
        left, top = rect_of(state, "client")[:2]
        desk.run("xdotool", "mousemove", str(left + 60), str(top - 8), "click", "--repeat", "2", "--delay", "80",
                    "1")
        state = desk.wait("a double click on the title bar did not maximise the window",
                             lambda s: "state maximized" in s and laid_out(s))
        if rect_of(state, "bar")[3] != 768 or rect_of(state, "bar")[2] != 1024:
            fail("the maximised window's bar is not along the screen's bottom", state)
        print(f"ok: maximised: {line_of(state, 'client')}; {line_of(state, 'list')}; {line_of(state, 'bar')}")
        left, top = rect_of(state, "client")[:2]
        desk.run("xdotool", "mousemove", str(left + 60), str(top - 8), "click", "--repeat", "2", "--delay", "80",
                    "1")
        state = desk.wait("a second double click did not restore the window",
                             lambda s: "state normal" in s and client_size(s) == (360, 240) and laid_out(s))
        desk.run("xdotool", "windowsize", x_id, "480", "360")
        state = desk.wait("not back to 480 x 360", lambda s: client_size(s) == (480, 360) and laid_out(s))
        desk.wait_screen("the screen shows no play button in the bar", lambda s: rect_of(s, "bar"), green_in)

        # Minimised: nothing of the program stays on the (black) screen; restored, the bar is back.
        desk.run("xdotool", "windowminimize", x_id)
        desk.wait("not minimised", lambda s: "state minimized" in s)
        desk.wait_screen("with the window minimised the screen still shows something", lambda s: [0, 0, 1024, 768],
                            lambda counts: list(counts) == [(0, 0, 0)])
        desk.run("xdotool", "windowactivate", x_id)
        state = desk.wait("not restored", lambda s: "state normal foreground" in s and laid_out(s))
        state = desk.wait_screen("restored, the screen shows no play button in the bar",
                                    lambda s: rect_of(s, "bar"), green_in)
        print("ok: minimised, the screen is empty; restored, the bar shows again")

        # The framed window, as the README shows it, with the frame the window manager puts around it.
        left, top, right, bottom = rect_of(state, "client")
        extents = re.findall(r"\d+", desk.run("xprop", "-id", x_id, "_NET_FRAME_EXTENTS").split("=")[-1])
        if len(extents) != 4:
            fail("the window manager gives the window no frame", state)
        frame_left, frame_right, frame_top, frame_bottom = map(int, extents)
        frame = [left - frame_left, top - frame_top, right + frame_right, bottom + frame_bottom]
        subprocess.run(["import", "-window", "root", "-crop",
                        f"{frame[2] - frame[0]}x{frame[3] - frame[1]}+{frame[0]}+{frame[1]}", "+repage", shot],
                       env=desk.env, check=True)
        title = desk.pixels([left + 40, top - 16, right - 80, top - 4])
        if (255, 255, 255) in title and title[(255, 255, 255)] > sum(title.values()) // 2:
            fail("the screenshot's title bar is blank", state)

        # Another program in front: its window covers the bar like the rest.
        notepad = subprocess.Popen(["wine", "notepad"], env=desk.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        desk.children.append(notepad)
        deadline = time.time() + 60
        while desk.active_name() != "Untitled - Notepad":
            if time.time() > deadline:
                fail("Notepad did not come up in front")
            time.sleep(0.3)
        notepad_id = desk.x_window("Notepad")
        desk.run("xdotool", "windowmove", notepad_id, "0", str(top + 40), "windowsize", notepad_id, "900", "500")
        desk.wait("Wendrel stayed in the foreground under Notepad", lambda s: "state normal background" in s)
        desk.wait_screen("the bar shows over Notepad", lambda s: rect_of(s, "bar"),
                            lambda counts: green_in(counts) == 0)
        print("ok: Notepad in front covers the bar")

        # A second start: exits 0, and the first comes forward with the keyboard.
        def second_start(why):
            status = desk.start().wait(60)
            if status != 0:
                fail(f"{why}: the second start ended with status {status}")
            state = desk.wait(f"{why}: the first window did not come forward",
                                 lambda s: "state normal foreground" in s and laid_out(s))
            deadline = time.time() + WAIT_SECONDS
            while desk.active_name() != "Wendrel":
                if time.time() > deadline:
                    fail(f"{why}: the window manager's active window is {desk.active_name()}", state)
                time.sleep(0.3)
            return desk.wait_screen(f"{why}: the bar is not in front", lambda s: rect_of(s, "bar"), green_in)

        second_start("covered by Notepad")
        desk.run("xdotool", "key", "End")
        desk.wait("End did not reach the list", lambda s: f"\nrow {ROWS - 1} SF " in s)
        desk.run("xdotool", "key", "Return")
        desk.wait("Enter on the last row did not edit it", lambda s: "\ndialog Sine Duration|" in s)
        desk.run("xdotool", "key", "Escape")
        desk.wait("Escape did not close the dialog", lambda s: "\ndialog " not in s)
        print("ok: a second start brought the covered window forward; End and Enter reached the list")

        bar = rect_of(desk.state(), "bar")
        desk.run("xdotool", "windowminimize", x_id)
        desk.wait_screen("minimised, the bar still shows", lambda s: bar, lambda counts: green_in(counts) == 0)
        second_start("minimised")
        desk.run("xdotool", "key", "Home")
        desk.wait("Home did not reach the list", lambda s: "\nrow 0 SF " in s)
        print("ok: a second start restored the minimised window; Home reached the list")

        desk.run("xdotool", "key", "ctrl+q")
        try:
            status = desk.program.wait(WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            fail("Ctrl+Q did not end the program", desk.state())
        if status != 0:
            fail(f"the program ended with status {status}")
        if open(desk.settings, "rb").read() != desk.saved:
            fail("the saved Current.tdf differs from the one the program read")
        print("desktop window: all passed")
    finally:
        if desk is not None:
            desk.close()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
