#!/usr/bin/env python3
"""End-to-end cases for the native qs3 (SDL2 + X11) on private Xvfb displays.

    run.py [options] setup        start an 800x600 and a 640x480 Xvfb
    run.py [options] CASE...      run cases against the running displays
    run.py [options] cleanup      stop both displays and whatever a case left
    run.py list                   name every case
    run.py [options] monitors-setup     start an Xorg with two monitors
    run.py [options] monitors_CASE...   run cases against it
    run.py [options] monitors-cleanup   stop it
    run.py list-monitors                name every case of several monitors

Options name the programs under test: --build-dir (default build/linux of
this checkout), --qs3, --renderer (qs3_render), --x11host and --sdl-monitors
(the probe of SDL's displays). The displays
live in BUILD/native_e2e/state.json between setup and cleanup (the Xorg in
BUILD/native_e2e/monitors/state.json); each case gets its own HOME,
XDG_CONFIG_HOME and XDG_DATA_HOME under BUILD/native_e2e/cases.
Python standard library only; needs Xvfb, xdotool, xwininfo, xprop, import,
and for the monitor cases Xorg (the dummy driver) and xrandr.
"""

from __future__ import annotations

import argparse
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "common"))

import desk_frames  # noqa: E402
from xorg_monitors import (ONE_MONITOR, OTHER_MONITOR_ONLY, PRIMARY_LEFT,  # noqa: E402
                           PRIMARY_RIGHT, ROOT_RGB, Layout, Monitor, XorgFailure, XorgMonitors,
                           bounding_size, primary_first, primary_of, wait_covered)

REPO = Path(__file__).resolve().parents[2]
DATA_DIR = REPO / "data"  # holds the signature file and QS3/BGM10.SSS
MUSIC_FILE = DATA_DIR / "QS3" / "BGM10.SSS"
SCREEN = (800, 600)
SMALL_SCREEN = (640, 480)  # the quartet has one fixed place on it
SAVER_TITLE = "QS3_10"
PREVIEW_TITLE = "SSPREVIEW"
SETTINGS_TITLE = "弦楽四重奏の設定"
SETTINGS_SIZE = (344, 288)
OK_BUTTON, CANCEL_BUTTON, MUSIC_SWITCH = (120, 239, 96, 32), (223, 239, 96, 32), (60, 187, 80, 28)
PREVIEW_SIZE = (152, 112)

SHOW_TIMEOUT = 10  # seconds a window gets to appear
EXIT_TIMEOUT = 10  # seconds qs3 gets to end after what ends it
STILL_RUNNING_AFTER = 2.0  # seconds qs3 must survive what must not end it
REFUSED_TIMEOUT = 3  # seconds a refused start gets to end by itself
DRAW_TIMEOUT = 10  # seconds a window gets to show non-black pixels
LOOK_TIMEOUT = 5  # seconds the settings window gets to show a click's look
MATCH_TIMEOUT = 40  # seconds of screenshots before one must equal a renderer frame
CHANGE_TIMEOUT = 10  # seconds the saver gets to cover a changed layout

MUSIC_RATE = 22050  # bytes a second: 8-bit mono
SILENCE = 0x80
MUSIC_IN_ORDER = 45  # seconds of music that must come out byte for byte
CUE_WINDOW = (47.0, 58.0)  # seconds of music within which the ending cue stops it
RESTART_GAP = (3.0, 5.5)  # seconds of silence between the cue and the restart
MUSIC_RUN_LIMIT = 80  # seconds the music case waits for its output at most


class CaseFailure(Exception):
    """A check of a case did not hold."""


def expect(condition: bool, message: str) -> None:
    if not condition:
        raise CaseFailure(message)


def read_ppm(path: Path) -> tuple[tuple[int, int], bytes]:
    data = path.read_bytes()
    fields = data.split(maxsplit=4)
    if len(fields) < 5 or fields[0] != b"P6" or fields[3] != b"255":
        raise CaseFailure(f"{path} is not an 8-bit P6 picture")
    width, height = int(fields[1]), int(fields[2])
    return (width, height), fields[4][:width * height * 3]


def write_ppm(path: Path, size: tuple[int, int], pixels: bytes) -> Path:
    path.write_bytes(b"P6\n%d %d\n255\n" % size + pixels)
    return path


def differing_pixels(a: bytes, b: bytes) -> int:
    if len(a) != len(b):
        return max(len(a), len(b)) // 3
    return sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])


def non_black_pixels(pixels: bytes) -> int:
    return sum(1 for i in range(0, len(pixels), 3) if pixels[i:i + 3] != b"\0\0\0")


def wave_data(path: Path) -> bytes:
    """The samples of a RIFF WAVE file's "data" chunk."""
    data = path.read_bytes()
    expect(data[:4] == b"RIFF" and data[8:12] == b"WAVE", f"{path} is not a WAVE file")
    at = 12
    while at + 8 <= len(data):
        chunk, size = data[at:at + 4], int.from_bytes(data[at + 4:at + 8], "little")
        if chunk == b"data":
            return data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    raise CaseFailure(f"{path} has no data chunk")


class Harness:
    def __init__(self, options: argparse.Namespace):
        self.build_dir = options.build_dir.resolve()
        self.root = self.build_dir / "native_e2e"
        self.state_file = self.root / "state.json"
        self.qs3 = (options.qs3 or self.build_dir / "qs3").resolve()
        self.renderer = (options.renderer or self.build_dir / "tools" / "qs3_render").resolve()
        self.x11host = (options.x11host or self.build_dir / "tests" / "native_e2e" /
                        "qs3_x11host").resolve()
        self.sdl_monitors = (options.sdl_monitors or self.build_dir / "tests" / "native_e2e" /
                             "qs3_sdl_monitors").resolve()
        self.monitors_root = self.root / "monitors"
        self.monitors_state = self.monitors_root / "state.json"
        self.xorg: XorgMonitors | None = None
        self.displays: dict[str, str] = {}
        self.started: list[subprocess.Popen] = []
        self.case_dir = self.root / "cases" / "none"
        self.display = ""
        self.log: list[str] = []
        self.clock = time.monotonic()

    # ----- displays ----------------------------------------------------

    def setup(self) -> None:
        for tool in ("Xvfb", "xdotool", "xwininfo", "xprop", "import"):
            expect(shutil.which(tool) is not None, f"{tool} is not installed")
        for program in (self.qs3, self.renderer, self.x11host):
            expect(program.exists(), f"{program} has not been built")
        if self.state_file.exists():
            self.cleanup()
        self.root.mkdir(parents=True, exist_ok=True)
        state = {}
        for name, size in (("main", SCREEN), ("small", SMALL_SCREEN)):
            display, pid = self.start_xvfb(size, name)
            state[name] = {"display": display, "pid": pid}
            self.state_file.write_text(json.dumps(state))
            print(f"{name} display {display} {size[0]}x{size[1]} (Xvfb pid {pid})")

    def start_xvfb(self, size: tuple[int, int], name: str) -> tuple[str, int]:
        for number in range(200, 400):
            if Path(f"/tmp/.X{number}-lock").exists() or Path(f"/tmp/.X11-unix/X{number}").exists():
                continue
            with open(self.root / f"xvfb_{name}.log", "w") as log:
                xvfb = subprocess.Popen(
                    ["Xvfb", f":{number}", "-screen", "0", f"{size[0]}x{size[1]}x24",
                     "-nolisten", "tcp"],
                    stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
            socket = Path(f"/tmp/.X11-unix/X{number}")
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline and xvfb.poll() is None and not socket.exists():
                time.sleep(0.05)
            if xvfb.poll() is None and socket.exists():
                return f":{number}", xvfb.pid
            xvfb.kill()
            xvfb.wait(5)
        raise CaseFailure("no free X display number between :200 and :399")

    def cleanup(self) -> None:
        if not self.state_file.exists():
            print("nothing to clean up")
            return
        state = json.loads(self.state_file.read_text())
        for entry in state.values():
            self.display = entry["display"]
            self.kill_strays()
            cmdline = Path(f"/proc/{entry['pid']}/cmdline")
            if cmdline.exists() and b"Xvfb" in cmdline.read_bytes():
                os.kill(entry["pid"], signal.SIGTERM)
            print(f"stopped Xvfb {entry['display']}")
        self.state_file.unlink()

    def load_state(self, case: str) -> None:
        expect(self.state_file.exists(), f"no {self.state_file}: run setup first")
        state = json.loads(self.state_file.read_text())
        for name, entry in state.items():
            expect(Path(f"/proc/{entry['pid']}").exists(),
                   f"Xvfb {entry['display']} is gone: run setup again")
            self.displays[name] = entry["display"]
        self.display = self.displays["main"]
        self.make_case_dir(case)

    # ----- the X server with several monitors -----------------------------

    def monitors_setup(self) -> None:
        for tool in ("Xorg", "xrandr", "xwininfo", "import"):
            expect(shutil.which(tool) is not None, f"{tool} is not installed")
        expect(self.sdl_monitors.exists(), f"{self.sdl_monitors} has not been built")
        if self.monitors_state.exists():
            self.monitors_cleanup()
        server = XorgMonitors(self.monitors_root)
        try:
            display = server.start(PRIMARY_LEFT)
        except XorgFailure as failure:
            raise CaseFailure(str(failure)) from failure
        self.monitors_state.write_text(json.dumps(server.state()))
        print(f"Xorg {display} (pid {server.pid}) with two monitors, ready and laid out in "
              f"{server.start_seconds:.2f} s")

    def monitors_cleanup(self) -> None:
        if not self.monitors_state.exists():
            print("no Xorg to stop")
            return
        state = json.loads(self.monitors_state.read_text())
        self.display = state["display"]
        self.kill_strays()
        server = XorgMonitors(self.monitors_root)
        server.display, server.pid = state["display"], state["pid"]
        server.stop()
        self.monitors_state.unlink()
        print(f"stopped Xorg {state['display']}")

    def load_monitors(self, case: str) -> None:
        expect(self.monitors_state.exists(), f"no {self.monitors_state}: run monitors-setup first")
        try:
            self.xorg = XorgMonitors.attach(self.monitors_root,
                                            json.loads(self.monitors_state.read_text()))
        except XorgFailure as failure:
            raise CaseFailure(f"{failure}: run monitors-setup again") from failure
        self.displays = {"monitors": self.xorg.display}
        self.display = self.xorg.display
        self.make_case_dir(case)

    def use_layout(self, layout: Layout) -> None:
        assert self.xorg is not None
        try:
            self.xorg.apply(layout)
        except XorgFailure as failure:
            raise CaseFailure(str(failure)) from failure
        self.note("monitors " + ", ".join(f"{m.output} {m.width}x{m.height}+{m.x}+{m.y}"
                                          f"{' primary' if m.primary else ''}" for m in layout))

    def make_case_dir(self, case: str) -> None:
        self.case_dir = self.root / "cases" / case
        if self.case_dir.exists():
            shutil.rmtree(self.case_dir)
        for folder in ("home", "config", "data", "work", "shots"):
            (self.case_dir / folder).mkdir(parents=True)

    def kill_strays(self) -> None:
        """Ends any qs3 or x11host still attached to this run's displays
        (a case that failed half way may leave one)."""
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait(5)
        self.started.clear()
        for proc in Path("/proc").iterdir():
            if not proc.name.isdigit():
                continue
            try:
                environ = (proc / "environ").read_bytes().split(b"\0")
                exe = os.readlink(proc / "exe")
            except OSError:
                continue
            mine = exe in (str(self.qs3), str(self.x11host), str(self.sdl_monitors))
            if mine and f"DISPLAY={self.display}".encode() in environ:
                os.kill(int(proc.name), signal.SIGKILL)

    # ----- processes ---------------------------------------------------

    def env(self, extra: dict[str, str] | None = None) -> dict[str, str]:
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("XDG_", "SDL_", "XSCREENSAVER_"))}
        env.update({
            "DISPLAY": self.display,
            "HOME": str(self.case_dir / "home"),
            "XDG_CONFIG_HOME": str(self.case_dir / "config"),
            "XDG_DATA_HOME": str(self.case_dir / "data"),
        })
        env.update(extra or {})
        return env

    def start_qs3(self, *args: str, cwd: Path | None = None,
                  extra_env: dict[str, str] | None = None) -> subprocess.Popen:
        """qs3 ARGS; the current directory is an empty folder unless told,
        so no music is found by accident."""
        out = open(self.case_dir / f"qs3_{len(self.started)}.log", "w")
        process = subprocess.Popen([str(self.qs3), *args], env=self.env(extra_env),
                                   cwd=cwd or self.case_dir / "work", stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=subprocess.STDOUT)
        out.close()
        self.started.append(process)
        self.note(f"started qs3 {' '.join(args)} (pid {process.pid})")
        return process

    def qs3_output(self, process: subprocess.Popen) -> str:
        index = self.started.index(process)
        return (self.case_dir / f"qs3_{index}.log").read_text(errors="replace").strip()

    def wait_exit(self, process: subprocess.Popen, timeout: float) -> int | None:
        try:
            return process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def command(self, argv: list[str], timeout: float = 30, check: bool = True,
                extra_env: dict[str, str] | None = None) -> subprocess.CompletedProcess:
        try:
            result = subprocess.run(argv, env=self.env(extra_env), capture_output=True,
                                    timeout=timeout, stdin=subprocess.DEVNULL)
        except subprocess.TimeoutExpired as expired:
            raise CaseFailure(f"{' '.join(argv)} did not finish within {timeout} s") from expired
        result.stdout = result.stdout.decode(errors="replace")
        result.stderr = result.stderr.decode(errors="replace")
        if check and result.returncode != 0:
            raise CaseFailure(f"{' '.join(argv)} failed ({result.returncode}): "
                              f"{result.stdout}{result.stderr}")
        return result

    def note(self, text: str) -> None:
        self.log.append(f"{time.monotonic() - self.clock:7.2f} {text}")

    def dump_log(self) -> None:
        for line in self.log:
            print(f"  {line}")
        for index, _ in enumerate(self.started):
            path = self.case_dir / f"qs3_{index}.log"
            if path.exists() and path.stat().st_size:
                print(f"  qs3 #{index} said: {path.read_text(errors='replace').strip()[:2000]}")

    # ----- X11 ---------------------------------------------------------

    def xdotool(self, *args: str) -> str:
        return self.command(["xdotool", *args]).stdout

    def mouse_to(self, x: int, y: int) -> None:
        # --sync waits for the pointer to move, so it would hang on a move to
        # where the pointer already is.
        where = dict(line.split("=", 1) for line in
                     self.xdotool("getmouselocation", "--shell").split())
        if (where.get("X"), where.get("Y")) != (str(x), str(y)):
            self.xdotool("mousemove", "--sync", str(x), str(y))
        self.note(f"pointer to {x},{y}")

    def click_at(self, x: int, y: int) -> None:
        self.mouse_to(x, y)
        time.sleep(0.1)
        self.xdotool("click", "1")
        self.note(f"click at {x},{y}")
        time.sleep(0.3)

    def press_key(self, window: str, key: str = "a") -> None:
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", key)
        self.note(f"key {key} to {window}")

    def window_info(self, *selector: str) -> dict[str, str] | None:
        """xwininfo's fields of one window (-name NAME or -id ID); None when absent."""
        result = self.command(["xwininfo", *selector], check=False)
        if result.returncode != 0:
            return None
        info = {}
        for line in result.stdout.splitlines():
            line = line.strip().removeprefix("xwininfo:").strip()
            key, sep, value = line.partition(":")
            if sep:
                info[key.strip()] = value.strip()
        info["id"] = info["Window id"].split()[0]
        return info

    def wait_window(self, name: str, timeout: float = SHOW_TIMEOUT,
                    process: subprocess.Popen | None = None) -> dict[str, str]:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            info = self.window_info("-name", name)
            if info and info.get("Map State") == "IsViewable":
                self.note(f"window {name!r} is {info['id']}")
                return info
            if process is not None and process.poll() is not None:
                raise CaseFailure(f"qs3 ended with {process.returncode} before a viewable "
                                  f"window {name!r} appeared")
            time.sleep(0.1)
        raise CaseFailure(f"no viewable window named {name!r} within {timeout} s")

    def grab(self, x: int, y: int, width: int, height: int) -> bytes:
        """The screen's pixels in WIDTHxHEIGHT+X+Y, packed RGB."""
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "grab.ppm"
            self.command(["import", "-display", self.display, "-window", "root", "-crop",
                          f"{width}x{height}+{x}+{y}", "+repage", "-depth", "8", str(path)])
            size, pixels = read_ppm(path)
        expect(size == (width, height), f"screenshot is {size}, want {width}x{height}")
        return pixels

    def screenshot(self, name: str) -> Path:
        path = self.case_dir / "shots" / f"{name}.png"
        self.command(["import", "-display", self.display, "-window", "root", str(path)])
        return path

    def wait_drawn(self, area: tuple[int, int, int, int], what: str) -> int:
        """Waits until AREA shows a pixel that is not black; their count."""
        deadline = time.monotonic() + DRAW_TIMEOUT
        while time.monotonic() < deadline:
            count = non_black_pixels(self.grab(*area))
            if count:
                self.note(f"{what}: {count} pixels not black")
                return count
            time.sleep(0.3)
        raise CaseFailure(f"{what} stayed black for {DRAW_TIMEOUT} s")

    def render(self, *args: str) -> Path:
        folder = Path(tempfile.mkdtemp(prefix="render_", dir=self.case_dir))
        self.command([str(self.renderer), *args, "--ppm-dir", str(folder)], timeout=120)
        return folder


class X11Host:
    """A top-level window of the test's own, made by x11host."""

    def __init__(self, h: Harness, width: int, height: int, x: int = 0, y: int = 0,
                 background: int | None = None):
        self.h = h
        self.area = (x, y, width, height)
        argv = [str(h.x11host), str(width), str(height), str(x), str(y)]
        if background is not None:
            argv.append(f"{background:#08x}")
        self.process = subprocess.Popen(argv, env=h.env(), stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        h.started.append(self.process)
        line = self.process.stdout.readline().strip()
        expect(line.startswith("window="), f"x11host said {line!r}")
        self.id = int(line.split("=")[1])
        h.note(f"host window {self.id} ({self.id:#x}) {width}x{height}+{x}+{y}")

    def ask(self, command: str, until: str) -> list[str]:
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        lines = []
        while True:
            line = self.process.stdout.readline()
            expect(line != "", f"x11host ended while answering {command}")
            lines.append(line.strip())
            if line.startswith(until):
                return lines

    def children(self) -> list[str]:
        answer = self.ask("children", "children=")
        count = int(answer[-1].split("=")[1])
        lines = [self.process.stdout.readline().strip() for _ in range(count)]
        return [line.split("=", 1)[1] for line in lines]

    def destroy(self) -> None:
        self.ask("destroy", "destroyed=")
        self.h.note(f"host window {self.id} destroyed")


class SdlMonitors:
    """The SDL display probe (sdl_monitors.c) running `cover PLACEMENT`: one
    full-screen window per display, each filled with its colour."""

    COLOURS = (b"\xff\x00\x00", b"\x00\xff\x00", b"\x00\x00\xff", b"\xff\xff\x00")
    WINDOW_TITLE = "QS3 monitor probe {}"

    def __init__(self, h: Harness, placement: str):
        self.h = h
        self.process = subprocess.Popen([str(h.sdl_monitors), "cover", placement], env=h.env(),
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        h.started.append(self.process)
        self.pending = b""
        self.ready = self.read_until("ready=")
        h.note(f"probe ready: {self.ready}")

    def read_until(self, key: str, timeout: float = SHOW_TIMEOUT) -> list[str]:
        """Its lines up to and including the first that starts with KEY."""
        lines: list[str] = []
        deadline = time.monotonic() + timeout
        while True:
            while b"\n" in self.pending:
                line, self.pending = self.pending.split(b"\n", 1)
                lines.append(line.decode(errors="replace").strip())
                expect(not lines[-1].startswith("error="), f"the probe failed: {lines[-1]}")
                if lines[-1].startswith(key):
                    return lines
            left = deadline - time.monotonic()
            expect(left > 0, f"the probe printed no {key} within {timeout} s: {lines}")
            readable, _, _ = select.select([self.process.stdout], [], [], left)
            if readable:
                chunk = os.read(self.process.stdout.fileno(), 4096)
                if not chunk:
                    raise CaseFailure(f"the probe ended ({self.h.wait_exit(self.process, 5)}) "
                                      f"after {lines}")
                self.pending += chunk

    def ask(self, command: str) -> list[str]:
        self.process.stdin.write(command.encode() + b"\n")
        self.process.stdin.flush()
        lines = self.read_until("reported=")
        self.h.note(f"probe {command}: {lines}")
        return lines

    def quit(self) -> None:
        self.process.stdin.write(b"quit\n")
        self.process.stdin.flush()
        expect(self.h.wait_exit(self.process, EXIT_TIMEOUT) == 0,
               f"the probe did not end with 0 on quit ({self.process.poll()})")


def sdl_displays(lines: list[str]) -> list[tuple[int, int, int, int]]:
    """display=I X Y W H lines as (x, y, width, height), in SDL's order."""
    found = [tuple(int(field) for field in line.split("=", 1)[1].split())
             for line in lines if line.startswith("display=")]
    expect([entry[0] for entry in found] == list(range(len(found))),
           f"the displays come out of order: {found}")
    return [entry[1:] for entry in found]


def expect_displays(lines: list[str], monitors: Layout, what: str) -> None:
    """SDL's displays are MONITORS, in that order."""
    want = [monitor.area for monitor in monitors]
    seen = sdl_displays(lines)
    expect(seen == want, f"{what}: SDL's displays are {seen}, want {want}")


# ----- shared steps -------------------------------------------------------

def centre(screen: tuple[int, int] = SCREEN) -> tuple[int, int]:
    return screen[0] // 2, screen[1] // 2


def expect_ends(h: Harness, process: subprocess.Popen, after: str, want: int = 0,
                timeout: float = EXIT_TIMEOUT) -> None:
    code = h.wait_exit(process, timeout)
    expect(code is not None, f"qs3 did not end within {timeout} s after {after}")
    expect(code == want, f"qs3 ended with exit code {code} after {after}, want {want}")
    h.note(f"qs3 ended with {code} after {after}")


def expect_still_running(h: Harness, process: subprocess.Popen, after: str) -> None:
    code = h.wait_exit(process, STILL_RUNNING_AFTER)
    expect(code is None, f"qs3 ended (exit code {code}) after {after}, which must not end it")


def start_full_screen(h: Harness, switch: str, **kwargs) -> tuple[subprocess.Popen, str]:
    h.mouse_to(*centre())
    saver = h.start_qs3(switch, **kwargs)
    info = h.wait_window(SAVER_TITLE, process=saver)
    geometry = (info["Absolute upper-left X"], info["Absolute upper-left Y"], info["Width"],
                info["Height"])
    expect(geometry == ("0", "0", str(SCREEN[0]), str(SCREEN[1])),
           f"the {switch} window is {geometry[2]}x{geometry[3]}+{geometry[0]}+{geometry[1]}, "
           f"want {SCREEN[0]}x{SCREEN[1]}+0+0")
    time.sleep(0.5)  # let the window take its place before input arrives
    return saver, info["id"]


# ----- full screen ----------------------------------------------------------

def fullscreen_covers_and_key_ends(h: Harness) -> None:
    saver, window = start_full_screen(h, "/s")
    h.wait_drawn((0, 0, *SCREEN), "the full-screen window")
    expect_still_running(h, saver, "no input")
    h.press_key(window)
    expect_ends(h, saver, "a key press")


def fullscreen_diagonal_move_ends(h: Harness) -> None:
    saver, _ = start_full_screen(h, "-s")
    x, y = centre()
    # A move counts when both coordinates differ from where the pointer was
    # at the start, so each one-axis move returns to the start before the next.
    for point, what in (((x + 120, y), "a horizontal mouse move"),
                        ((x, y), "a move back to the start"),
                        ((x, y + 90), "a vertical mouse move"),
                        ((x, y), "a move back to the start")):
        h.mouse_to(*point)
        expect_still_running(h, saver, what)
    h.mouse_to(x + 200, y + 170)
    expect_ends(h, saver, "a diagonal mouse move")


def second_fullscreen_refused(h: Harness) -> None:
    first, window = start_full_screen(h, "/s")
    second = h.start_qs3("/s")
    expect_ends(h, second, "starting beside a running /s", timeout=REFUSED_TIMEOUT)
    expect(first.poll() is None, "the first saver ended when the second started")
    expect(h.window_info("-name", SAVER_TITLE) is not None, "the first saver's window is gone")
    h.press_key(window)
    expect_ends(h, first, "a key press")


# ----- drawing into a window of another program ------------------------------

def expect_child_fills(h: Harness, host: X11Host, process: subprocess.Popen) -> None:
    deadline = time.monotonic() + SHOW_TIMEOUT
    children: list[str] = []
    while time.monotonic() < deadline and not children:
        expect(process.poll() is None, f"qs3 ended with {process.returncode} at once")
        children = host.children()
        time.sleep(0.1)
    width, height = host.area[2:]
    expect(len(children) == 1, f"host window has children {children}, want one {PREVIEW_TITLE}")
    fields = children[0].split(maxsplit=3)
    expect(fields[1:] == [f"{width}x{height}+0+0", "viewable", PREVIEW_TITLE],
           f"the child is {fields[1:]}, want a viewable {PREVIEW_TITLE} {width}x{height}+0+0")
    h.wait_drawn(host.area, f"the {PREVIEW_TITLE} child")


def preview_fills_and_ends_with_parent(form: str):
    def case(h: Harness) -> None:
        host = X11Host(h, *PREVIEW_SIZE, 100, 100)
        window = str(host.id) if form == "decimal" else f"{host.id:#x}"
        preview = h.start_qs3("/p", window)
        expect_child_fills(h, host, preview)
        expect_still_running(h, preview, "drawing the preview")
        host.destroy()
        expect_ends(h, preview, "its parent window was destroyed")
    return case


def preview_without_window(args: list[str]):
    def case(h: Harness) -> None:
        process = h.start_qs3(*args)
        expect_ends(h, process, f"qs3 {' '.join(args)}", timeout=REFUSED_TIMEOUT)
        expect(h.window_info("-name", PREVIEW_TITLE) is None, f"a {PREVIEW_TITLE} window exists")
    return case


def expect_sigterm_ends(h: Harness, process: subprocess.Popen) -> None:
    process.send_signal(signal.SIGTERM)
    h.note("sent SIGTERM")
    expect_ends(h, process, "SIGTERM", timeout=3)


def xscreensaver_root_env(h: Harness) -> None:
    host = X11Host(h, 320, 240, 50, 40)
    saver = h.start_qs3("--root", extra_env={"XSCREENSAVER_WINDOW": f"{host.id:#x}"})
    expect_child_fills(h, host, saver)
    expect_still_running(h, saver, "drawing into XSCREENSAVER_WINDOW")
    expect_sigterm_ends(h, saver)
    expect(host.children() == [], "the child window is left behind after SIGTERM")


def xscreensaver_window_id(h: Harness) -> None:
    host = X11Host(h, 400, 300, 200, 150)
    saver = h.start_qs3("--window-id", str(host.id), "--fps", "--install", "--visual", "default")
    expect_child_fills(h, host, saver)
    h.mouse_to(10, 10)
    h.mouse_to(300, 250)
    expect_still_running(h, saver, "a diagonal mouse move (a window of XScreenSaver takes no input)")
    expect_sigterm_ends(h, saver)


def xscreensaver_real_root(h: Harness) -> None:
    saver = h.start_qs3("--root")
    info = h.wait_window(PREVIEW_TITLE, process=saver)
    expect((info["Width"], info["Height"]) == tuple(map(str, SCREEN)),
           f"the {PREVIEW_TITLE} child of the root is {info['Width']}x{info['Height']}")
    h.wait_drawn((0, 0, *SCREEN), "the root window")
    expect_sigterm_ends(h, saver)


def xscreensaver_bad_window(h: Harness) -> None:
    for args, env in ((["--root"], {"XSCREENSAVER_WINDOW": "junk"}),
                      (["--window-id", "0xnothex"], {}), (["--window-id"], {})):
        process = h.start_qs3(*args, extra_env=env)
        what = f"qs3 {' '.join(args)} {env}"
        expect_ends(h, process, what, want=1, timeout=REFUSED_TIMEOUT)
        expect(h.qs3_output(process) != "", f"{what} said nothing about the bad id")


XSCREENSAVER_SETTINGS = """mode:\t\tone
selected:\t0
timeout:\t0:30:00
lock:\t\tFalse
splash:\t\tFalse
fade:\t\tFalse
unfade:\t\tFalse
programs:\t\t\t\t\t\t\t\t\\
\t\t"String Quartet"  {module} --root\t\t\\n\\

"""


def as_unprivileged(argv: list[str]) -> list[str]:
    """XScreenSaver runs no module as root; tests that run as root drop to nobody."""
    if os.geteuid() != 0:
        return argv
    return ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", *argv]


def module_processes(module: Path) -> list[int]:
    found = subprocess.run(["pgrep", "-f", f"^{module} --root"], capture_output=True, text=True)
    return [int(pid) for pid in found.stdout.split()]


def xscreensaver_runs_the_module(h: Harness) -> None:
    """XScreenSaver itself, told to blank, runs qs3 on its window; qs3 draws,
    and when XScreenSaver unblanks, its SIGTERM ends the module."""
    for tool in ("xscreensaver", "xscreensaver-command"):
        expect(shutil.which(tool) is not None, f"{tool} is not installed (scripts/setup)")
    # Everything the daemon's user reads or writes lives in one open folder.
    folder = Path(tempfile.mkdtemp(prefix="qs3-xss-"))
    folder.chmod(0o777)
    home = folder / "home"
    home.mkdir()
    module = folder / "qs3"
    shutil.copy(h.qs3, module)
    module.chmod(0o755)
    (home / ".xscreensaver").write_text(XSCREENSAVER_SETTINGS.format(module=module))
    for path in (home, home / ".xscreensaver"):
        path.chmod(0o777)
    env = h.env({"HOME": str(home)})
    log = open(folder / "daemon.log", "w")
    daemon = subprocess.Popen(as_unprivileged(["xscreensaver", "--no-splash", "--verbose"]),
                              env=env, stdout=log, stderr=subprocess.STDOUT, cwd=folder)
    try:
        command = as_unprivileged(["xscreensaver-command", "-activate"])
        deadline = time.monotonic() + 15
        while subprocess.run(command, env=env, capture_output=True).returncode != 0:
            expect(time.monotonic() < deadline, "xscreensaver did not answer -activate")
            time.sleep(0.5)
        h.note("xscreensaver blanks the screen")
        deadline = time.monotonic() + 10
        while not module_processes(module):
            expect(time.monotonic() < deadline, "xscreensaver did not start the module: "
                   + (folder / "daemon.log").read_text()[-600:])
            time.sleep(0.2)
        h.wait_drawn((0, 0, *SCREEN), "the module on xscreensaver's window")
        pids = module_processes(module)
        subprocess.run(as_unprivileged(["xscreensaver-command", "-deactivate"]), env=env,
                       capture_output=True, timeout=15)
        deadline = time.monotonic() + 5
        while module_processes(module):
            expect(time.monotonic() < deadline, f"the module {pids} outlived the unblanking")
            time.sleep(0.1)
        h.note(f"the module {pids} ended when xscreensaver unblanked")
        daemon_log = (folder / "daemon.log").read_text()
        expect("crashed" not in daemon_log and "exited abnormally" not in daemon_log,
               "xscreensaver logged the module as failed: " + daemon_log[-600:])
    finally:
        subprocess.run(as_unprivileged(["xscreensaver-command", "-exit"]), env=env,
                       capture_output=True, timeout=15)
        try:
            daemon.wait(timeout=5)
        except subprocess.TimeoutExpired:
            daemon.kill()
        for pid in module_processes(module):
            os.kill(pid, signal.SIGKILL)
        log.close()
        shutil.rmtree(folder, ignore_errors=True)


# ----- pixels -------------------------------------------------------------------

def fullscreen_frame_matches_renderer(h: Harness) -> None:
    """A screenshot of /s on 640x480 equals a frame of the renderer that is
    not black; one taken mid-update may miss, so it keeps trying."""
    folder = h.render("--screen", f"{SMALL_SCREEN[0]}x{SMALL_SCREEN[1]}", "--ticks", "0..189")
    frames: dict[bytes, int] = {}
    for path in sorted(folder.glob("tick_*.ppm")):
        size, pixels = read_ppm(path)
        if pixels.count(0) != len(pixels):
            frames.setdefault(pixels, int(path.stem.split("_")[1]))
    expect(len(frames) > 0, "the renderer drew only black frames")
    h.display = h.displays["small"]
    saver = h.start_qs3("/s")
    info = h.wait_window(SAVER_TITLE, process=saver)
    window = info["id"]
    shots, nearest = 0, None
    deadline = time.monotonic() + MATCH_TIMEOUT
    while time.monotonic() < deadline:
        pixels = h.grab(0, 0, *SMALL_SCREEN)
        shots += 1
        if pixels in frames:
            print(f"screenshot {shots} equals the frame of tick {frames[pixels]}")
            h.press_key(window)
            expect_ends(h, saver, "a key press")
            return
        if pixels.count(0) != len(pixels) and shots % 10 == 1:
            best = min((differing_pixels(pixels, frame), tick) for frame, tick in frames.items())
            nearest = min(nearest or best, best)
            write_ppm(h.case_dir / "shots" / "last_seen.ppm", SMALL_SCREEN, pixels)
        time.sleep(0.2)
    raise CaseFailure(f"none of {shots} screenshots equals a renderer frame; nearest "
                      f"(differing pixels, tick): {nearest}")


# A window over part of the quartet (performers 1 and 0 on the 640x480 screen)
# for a second, mapped while all four are fully drawn and their fade-out is far
# ahead; the saver must then show its whole frame again at once.
COVER = (200, 150, 240, 180)  # x, y, width, height
PREVIEW_COVER = (60, 30, 50, 50)  # over performer 0 in a 152x112 preview at 0,0
COVER_SECONDS = 1.0
COVER_COLOUR = 0xFF00FF
STEADY_TICKS = range(70, 121)  # all four players drawn in full, the fade-out 5 s away
AFTER_COVER = 1.5  # seconds: a screenshot must equal a frame this soon after the cover goes
# The preview's small frames change over most of a player at each new step,
# which would mend a hole within half a second: its check is quicker.
AFTER_PREVIEW_COVER = 0.3


def count_pixels(pixels: bytes, colour: int) -> int:
    rgb = colour.to_bytes(3, "big")
    return sum(1 for i in range(0, len(pixels), 3) if pixels[i:i + 3] == rgb)


def rendered_frames(h: Harness, *args: str) -> dict[bytes, int]:
    """The renderer's frames of ticks 0..189 that are not black, each with
    the first tick that shows it."""
    folder = h.render(*args, "--ticks", "0..189")
    frames: dict[bytes, int] = {}
    for path in sorted(folder.glob("tick_*.ppm")):
        size, pixels = read_ppm(path)
        if pixels.count(0) != len(pixels):
            frames.setdefault(pixels, int(path.stem.split("_")[1]))
    return frames


def expect_repainted_after_cover(h: Harness, frames: dict[bytes, int],
                                 area: tuple[int, int, int, int],
                                 cover_area: tuple[int, int, int, int],
                                 within: float = AFTER_COVER) -> None:
    """Once AREA shows a frame of STEADY_TICKS, a magenta window covers
    COVER_AREA for COVER_SECONDS; within WITHIN seconds of its going a
    screenshot of AREA equals a frame: nothing left of the cover, nothing
    black that should be drawn."""
    deadline = time.monotonic() + MATCH_TIMEOUT
    while frames.get(h.grab(*area)) not in STEADY_TICKS:
        expect(time.monotonic() < deadline, f"no screenshot equalled a frame of ticks "
               f"{STEADY_TICKS.start}..{STEADY_TICKS.stop - 1} within {MATCH_TIMEOUT} s")
        time.sleep(0.2)
    left, top, width, height = cover_area
    cover = X11Host(h, width, height, left, top, background=COVER_COLOUR)
    shown = 0
    deadline = time.monotonic() + SHOW_TIMEOUT
    while shown != width * height and time.monotonic() < deadline:
        shown = count_pixels(h.grab(*cover_area), COVER_COLOUR)
    expect(shown == width * height, f"the cover shows on {shown} of {width * height} pixels")
    time.sleep(COVER_SECONDS)
    cover.destroy()
    deadline = time.monotonic() + within
    shots = 0
    while True:
        pixels = h.grab(*area)
        shots += 1
        if pixels in frames:
            print(f"screenshot {shots} after the cover equals the frame of tick {frames[pixels]}")
            return
        if time.monotonic() >= deadline:
            break
    best = min((differing_pixels(pixels, frame), tick) for frame, tick in frames.items())
    write_ppm(h.case_dir / "shots" / "after_cover.ppm", (area[2], area[3]), pixels)
    raise CaseFailure(f"none of {shots} screenshots in {within} s after the cover equals "
                      f"a frame; nearest (differing pixels, tick): {best}, "
                      f"{count_pixels(pixels, COVER_COLOUR)} pixels show the cover")


def fullscreen_repaints_after_cover(h: Harness) -> None:
    frames = rendered_frames(h, "--screen", f"{SMALL_SCREEN[0]}x{SMALL_SCREEN[1]}")
    h.display = h.displays["small"]
    h.mouse_to(5, 5)  # away from the cover, whose coming and going moves nothing
    saver = h.start_qs3("/s")
    window = h.wait_window(SAVER_TITLE, process=saver)["id"]
    expect_repainted_after_cover(h, frames, (0, 0, *SMALL_SCREEN), COVER)
    h.press_key(window)
    expect_ends(h, saver, "a key press")


def preview_repaints_after_cover(h: Harness) -> None:
    """The preview's own X window is drawn again when uncovered: on 640x480
    its frames are those of the renderer's preview."""
    width, height = PREVIEW_SIZE
    frames = rendered_frames(h, "--screen", f"{SMALL_SCREEN[0]}x{SMALL_SCREEN[1]}",
                             "--preview", f"{width}x{height}")
    h.display = h.displays["small"]
    host = X11Host(h, width, height)
    saver = h.start_qs3("/p", str(host.id))
    h.wait_window(PREVIEW_TITLE, process=saver)
    expect_repainted_after_cover(h, frames, (0, 0, width, height), PREVIEW_COVER,
                                 AFTER_PREVIEW_COVER)
    host.destroy()
    expect_ends(h, saver, "its window was destroyed")


# ----- the settings window ------------------------------------------------------

class SettingsWindow:
    def __init__(self, h: Harness, process: subprocess.Popen, info: dict[str, str]):
        self.h = h
        self.process = process
        self.id = info["id"]
        self.origin = (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]))

    def click(self, button: tuple[int, int, int, int]) -> None:
        x, y, width, height = button
        self.h.click_at(self.origin[0] + x + width // 2, self.origin[1] + y + height // 2)

    def look(self, music: int) -> list:
        folder = self.h.render("--settings-window", f"{SETTINGS_SIZE[0]}x{SETTINGS_SIZE[1]}",
                               "--music-enabled", str(music))
        return read_ppm(folder / "settings_window.ppm")[1]

    def wait_drawn(self) -> None:
        """A click sent before the window has drawn its first look may be lost
        on a loaded machine, so the cases wait for either look first."""
        looks = [self.look(0), self.look(1)]
        self.h.mouse_to(0, 0)
        deadline = time.monotonic() + DRAW_TIMEOUT
        while self.h.grab(*self.origin, *SETTINGS_SIZE) not in looks:
            expect(time.monotonic() < deadline,
                   f"the settings window showed neither look within {DRAW_TIMEOUT} s")
            time.sleep(0.2)

    def expect_look(self, music: int) -> None:
        expected = self.look(music)
        self.h.mouse_to(0, 0)  # the pointer must not hover a button
        deadline = time.monotonic() + LOOK_TIMEOUT
        seen = self.h.grab(*self.origin, *SETTINGS_SIZE)
        while seen != expected and time.monotonic() < deadline:
            time.sleep(0.2)
            seen = self.h.grab(*self.origin, *SETTINGS_SIZE)
        if seen != expected:
            shots = self.h.case_dir / "shots"
            write_ppm(shots / f"seen_music_{music}.ppm", SETTINGS_SIZE, seen)
            write_ppm(shots / f"expected_music_{music}.ppm", SETTINGS_SIZE, expected)
            raise CaseFailure(f"the settings window differs from the renderer's look with music "
                              f"{music} in {differing_pixels(seen, expected)} pixels "
                              f"(pictures in {shots})")


def settings_file(h: Harness) -> Path:
    return h.case_dir / "config" / "qs3" / "ORN3CFG.INI"


def open_settings(h: Harness, *args: str) -> SettingsWindow:
    process = h.start_qs3(*args)
    info = h.wait_window(SETTINGS_TITLE, process=process)
    window = SettingsWindow(h, process, info)
    window.wait_drawn()
    return window


def settings_window_shape(h: Harness) -> None:
    window = open_settings(h, "/c")
    name = h.command(["xprop", "-id", window.id, "_NET_WM_NAME"]).stdout.strip()
    expect(name == f'_NET_WM_NAME(UTF8_STRING) = "{SETTINGS_TITLE}"', f"the title is {name}")
    want = (SCREEN[0] // 2 - SETTINGS_SIZE[0] // 2, SCREEN[1] // 2 - SETTINGS_SIZE[1] // 2)
    expect(window.origin == want, f"the settings window is at {window.origin}, want {want}")
    info = h.window_info("-id", window.id)
    size = (int(info["Width"]), int(info["Height"]))
    expect(size == SETTINGS_SIZE, f"the settings window is {size}, want {SETTINGS_SIZE}")
    window.expect_look(1)
    window.click(CANCEL_BUTTON)
    expect_ends(h, window.process, "CANCEL")


def settings_no_argument_opens(h: Harness) -> None:
    window = open_settings(h)
    window.click(CANCEL_BUTTON)
    expect_ends(h, window.process, "CANCEL")


PREPARED_SETTINGS = b"[Other]\nKEEP=this line\n\n[QS3_10]\nWAV=1\nEXTRA=5\n"


def settings_switch_then_ok_saves(h: Harness) -> None:
    path = settings_file(h)
    path.parent.mkdir(parents=True)
    path.write_bytes(PREPARED_SETTINGS)
    window = open_settings(h, "/c")
    window.expect_look(1)
    window.click(MUSIC_SWITCH)
    window.expect_look(0)
    expect(path.read_bytes() == PREPARED_SETTINGS, "the settings file changed before OK")
    window.click(OK_BUTTON)
    expect_ends(h, window.process, "OK")
    text = path.read_text(errors="replace")
    lines = [line.strip() for line in text.splitlines()]
    for line in ("[Other]", "KEEP=this line", "[QS3_10]", "WAV=0", "EXTRA=5"):
        expect(line in lines, f"{path} lacks the line {line!r} after OK: {text!r}")
    expect("WAV=1" not in lines, f"{path} still has WAV=1: {text!r}")
    section = lines[lines.index("[QS3_10]") + 1:]
    section = section[:next((i for i, line in enumerate(section) if line.startswith("[")),
                            len(section))]
    expect("WAV=0" in section, f"WAV=0 is not in [QS3_10]: {text!r}")


def settings_ok_creates_file(h: Harness) -> None:
    window = open_settings(h, "/c")
    window.click(MUSIC_SWITCH)
    window.click(MUSIC_SWITCH)
    window.click(OK_BUTTON)
    expect_ends(h, window.process, "OK")
    lines = [line.strip() for line in settings_file(h).read_text(errors="replace").splitlines()]
    expect(lines[:2] == ["[QS3_10]", "WAV=1"], f"the new settings file holds {lines}")


def settings_cancel_writes_nothing(h: Harness) -> None:
    window = open_settings(h, "/c")
    window.click(MUSIC_SWITCH)
    window.expect_look(0)
    window.click(CANCEL_BUTTON)
    expect_ends(h, window.process, "CANCEL")
    written = [str(path) for folder in ("config", "home", "data", "work")
               for path in (h.case_dir / folder).rglob("*") if path.is_file()]
    expect(written == [], f"CANCEL left files behind: {written}")


def settings_close_button_writes_nothing(h: Harness) -> None:
    """What a window manager's close button sends (WM_DELETE_WINDOW) closes
    the window without saving, like CANCEL."""
    window = open_settings(h, "/c")
    window.click(MUSIC_SWITCH)
    window.expect_look(0)
    h.command([str(h.x11host), "close", window.id])
    expect_ends(h, window.process, "the close button")
    written = [str(path) for folder in ("config", "home", "data", "work")
               for path in (h.case_dir / folder).rglob("*") if path.is_file()]
    expect(written == [], f"closing left files behind: {written}")


# ----- music ------------------------------------------------------------------

def prepared_data_folder(h: Harness) -> Path:
    folder = h.case_dir / "saver_data"
    (folder / "QS3").mkdir(parents=True)
    shutil.copy(DATA_DIR / "AFMSSV3C.SSS", folder)
    shutil.copy(MUSIC_FILE, folder / "QS3")
    return folder


def music_disk_audio(h: Harness) -> None:
    music = wave_data(MUSIC_FILE)
    lead_in_file = len(music) - len(music.lstrip(bytes([SILENCE])))
    out = h.case_dir / "played.raw"
    saver, window = start_full_screen(
        h, "/s", cwd=prepared_data_folder(h),
        extra_env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": str(out)})
    # The cue comes by 58 s of music and the restart some 4 s later; the disk
    # driver writes in real time, so wait for that much output.
    wanted = int((CUE_WINDOW[1] + RESTART_GAP[1] + 1.5) * MUSIC_RATE)
    deadline = time.monotonic() + MUSIC_RUN_LIMIT
    while time.monotonic() < deadline and (not out.exists() or out.stat().st_size < wanted):
        expect(saver.poll() is None, f"qs3 ended with {saver.returncode} while playing")
        time.sleep(1)
    h.press_key(window)
    expect_ends(h, saver, "a key press")
    played = out.read_bytes() if out.exists() else b""
    expect(len(played) >= wanted, f"only {len(played)} bytes were played, want {wanted}")

    # Leading silence, then the file's samples in order.
    lead_in = len(played) - len(played.lstrip(bytes([SILENCE])))
    start = lead_in - lead_in_file
    expect(start >= 0, f"the output starts with {lead_in} silent bytes, fewer than the file's "
                       f"{lead_in_file}")
    same = 0
    limit = min(len(music), len(played) - start)
    while same < limit and played[start + same] == music[same]:
        same += 1
    print(f"{start} bytes of silence ({start / MUSIC_RATE:.3f} s) before the music; "
          f"{same} bytes ({same / MUSIC_RATE:.2f} s) of the file in order")
    expect(same >= MUSIC_IN_ORDER * MUSIC_RATE,
           f"the output leaves the file's samples after {same / MUSIC_RATE:.2f} s of music "
           f"(byte {start + same}: {played[start + same]:#x}, file {music[same]:#x})")
    cue = same / MUSIC_RATE
    expect(CUE_WINDOW[0] <= cue <= CUE_WINDOW[1] and same < len(music),
           f"the music stops after {cue:.2f} s, want an ending cue within {CUE_WINDOW}")
    # Silence from the cue to the restart, then the file from its start again.
    after = played[start + same:]
    gap = len(after) - len(after.lstrip(bytes([SILENCE])))
    restart = start + same + gap - lead_in_file
    print(f"ending cue after {cue:.2f} s of music; {gap / MUSIC_RATE:.2f} s of silence")
    expect(RESTART_GAP[0] <= gap / MUSIC_RATE <= RESTART_GAP[1],
           f"{gap / MUSIC_RATE:.2f} s of silence follow the cue, want {RESTART_GAP} s")
    again = played[restart:restart + MUSIC_RATE]
    expect(again == music[:len(again)] and len(again) == MUSIC_RATE,
           f"the second second of output after the gap is not the file's first second")


def no_audio_device_runs_silent(h: Harness) -> None:
    saver, window = start_full_screen(h, "/s", cwd=prepared_data_folder(h),
                                      extra_env={"SDL_AUDIODRIVER": "nosuchdriver"})
    h.wait_drawn((0, 0, *SCREEN), "the full-screen window")
    expect_still_running(h, saver, "running without an audio device")
    h.press_key(window)
    expect_ends(h, saver, "a key press")


# ----- faults from outside -------------------------------------------------------

BIG_SCREEN = (8192, 5200)  # a stage of 42.6 million pixels, beyond the limit of 40 million
FAILURE_CAPTION = "ORN SAVER Vol.3"


def graphics_failure_message_box(h: Harness) -> None:
    """On a screen beyond the stage limit the graphics set-up fails: a message
    box titled "ORN SAVER Vol.3" appears, and Return (its one button) ends the
    saver with 0."""
    display, pid = h.start_xvfb(BIG_SCREEN, "big")
    try:
        h.display = display
        saver = h.start_qs3("/s")
        box = h.wait_window(FAILURE_CAPTION, timeout=20, process=saver)
        name = h.command(["xprop", "-id", box["id"], "_NET_WM_NAME"]).stdout.strip()
        expect(name == f'_NET_WM_NAME(UTF8_STRING) = "{FAILURE_CAPTION}"',
               f"the message box's title is {name}")
        expect(h.window_info("-name", SAVER_TITLE) is None or
               h.window_info("-name", SAVER_TITLE).get("Map State") != "IsViewable",
               "the saver's window is shown beside the message box")
        expect_still_running(h, saver, "showing the message box")
        h.press_key(box["id"], "Return")
        expect_ends(h, saver, "Return in the message box")
        expect(h.window_info("-name", FAILURE_CAPTION) is None, "the message box is left")
    finally:
        h.kill_strays()
        os.kill(pid, signal.SIGTERM)
        h.display = h.displays["main"]


def lit_bytes(pixels: bytes) -> int:
    return len(pixels) - pixels.count(0)


def pulse_session(h: Harness):
    sys.path.insert(0, str(REPO / "tests" / "e2e"))
    import audio  # noqa: E402  (the Wine tests' sound server with a null sink)
    expect(audio.PulseSession.available(), "pulseaudio and parecord are not installed")
    return audio, audio.PulseSession(h.case_dir / "pulse")


def sound_server_gone(h: Harness) -> None:
    """The sound server dies while SDL's pulse driver plays the music: the
    saver keeps drawing, follows the tick cues (the performance ends 37.5 s
    in; by the music's position it would end 49 s in or later) and a key
    still ends it with 0."""
    audio, session = pulse_session(h)
    with session as pulse:
        env = dict(pulse.env(), SDL_AUDIODRIVER="pulseaudio")
        env["HOME"] = str(h.case_dir / "home")
        started = time.monotonic()
        saver, window = start_full_screen(h, "/s", cwd=prepared_data_folder(h), extra_env=env)
        deadline = started + 15
        while pulse.captured_bytes() < 44 + audio.RATE and time.monotonic() < deadline:
            time.sleep(0.2)
        expect(pulse.captured_bytes() >= 44 + audio.RATE,
               "no music reached the sound server through SDL's pulse driver")
        time.sleep(1.0)
        pulse.kill_server()
        h.note(f"killed the sound server {time.monotonic() - started:.1f} s after the start")
        quartet, last, last_change, ending = 0, b"", time.monotonic(), None
        while ending is None and time.monotonic() < started + 90:
            pixels = h.grab(0, 0, *SCREEN)
            now = time.monotonic()
            if pixels != last:
                last, last_change = pixels, now
            expect(now - last_change < 5,
                   f"the screen stood still for 5 s, {now - started:.1f} s after the start")
            lit = lit_bytes(pixels)
            if lit > quartet * 1.2 or lit < quartet * 0.8:
                h.note(f"{now - started:.1f} s after the start: {lit} bytes drawn")
            quartet = max(quartet, lit)
            if quartet and lit < quartet * 0.4 and now - started > 25:
                ending = now - started
            time.sleep(0.2)
        expect(ending is not None, "the performance did not end within 90 s")
        print(f"the performance ended {ending:.1f} s after the start")
        expect(ending < 49.0, f"the performance ended {ending:.1f} s after the start: it "
                              f"followed a position, not the tick cues")
        expect_still_running(h, saver, "the sound server went away")
        h.press_key(window)
        expect_ends(h, saver, "a key press")


def wave_header(data_size: int, form: bytes = b"WAVE") -> bytes:
    fmt = b"fmt " + (16).to_bytes(4, "little") + bytes.fromhex("01000100225600002256000001000800")
    return (b"RIFF" + (4 + len(fmt) + 8 + data_size).to_bytes(4, "little") + form + fmt +
            b"data" + data_size.to_bytes(4, "little"))


HUGE_MUSIC = 300 * 1024 * 1024


def hostile_music_folder(h: Harness, name: str) -> Path:
    folder = prepared_data_folder(h)
    target = folder / "QS3" / "BGM10.SSS"
    music = MUSIC_FILE.read_bytes()
    contents = {
        "empty": b"",
        "cut_in_header": music[:30],
        "riff_of_another_form": wave_header(1000, b"AVI ") + bytes(1000),
        "data_claims_more": wave_header(200 * 1024 * 1024) + music[44:44 + 4096],
        "huge": wave_header(HUGE_MUSIC),
    }
    target.unlink()
    if name == "folder_in_its_place":
        target.mkdir()
    else:
        target.write_bytes(contents[name])
        if name == "huge":
            os.truncate(target, HUGE_MUSIC + 44)
    return folder


def peak_resident_mb(process: subprocess.Popen) -> tuple[float, float]:
    fields = {}
    for line in Path(f"/proc/{process.pid}/status").read_text().splitlines():
        key, _, value = line.partition(":")
        if key in ("VmRSS", "VmHWM"):
            fields[key] = int(value.split()[0]) / 1024
    return fields["VmHWM"], fields["VmRSS"]


def hostile_music_files(h: Harness) -> None:
    """Music files that must not play (empty, cut inside the header, a RIFF of
    another form, a "data" chunk claiming more than the file, 300 MB, a folder
    in the file's place): each run draws, plays nothing (the disk driver
    writes no sound), ends on a key with 0. The figures are start-up time and
    peak memory."""
    figures = []
    for name in ("empty", "cut_in_header", "riff_of_another_form", "data_claims_more", "huge",
                 "folder_in_its_place"):
        out = h.case_dir / f"{name}.raw"
        h.mouse_to(*centre())
        started = time.monotonic()
        saver = h.start_qs3("/s", cwd=hostile_music_folder(h, name),
                            extra_env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": str(out)})
        h.wait_window(SAVER_TITLE, process=saver)
        h.wait_drawn((0, 0, *SCREEN), f"the saver with the {name} music file")
        first = time.monotonic() - started
        expect_still_running(h, saver, f"starting with the {name} music file")
        peak, resident = peak_resident_mb(saver)
        h.press_key(h.window_info("-name", SAVER_TITLE)["id"])
        expect_ends(h, saver, "a key press")
        played = out.read_bytes() if out.exists() else b""
        expect(played.count(SILENCE) == len(played),
               f"the {name} music file played sound ({len(played)} bytes out)")
        figures.append(f"{name}: first frame after {first:.2f} s, peak resident {peak:.1f} MB, "
                       f"resident {resident:.1f} MB")
        shutil.rmtree(h.case_dir / "saver_data")
    print("\n".join(figures))


def music_from_folder_with_plus(h: Harness) -> None:
    """The data folder that the settings file names holds '+' in its name: the
    music plays from it, byte for byte."""
    folder = h.case_dir / "Music+Art"
    folder.mkdir()
    shutil.copy(MUSIC_FILE, folder / "BGM10.SSS")
    path = settings_file(h)
    path.parent.mkdir(parents=True)
    content = f"[QS3_DIR]\nQS3_DIR={folder}\n".encode()
    path.write_bytes(content)
    out = h.case_dir / "played.raw"
    saver, window = start_full_screen(
        h, "/s", extra_env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": str(out)})
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline and (not out.exists() or out.stat().st_size < 4 * MUSIC_RATE):
        time.sleep(0.2)
    h.press_key(window)
    expect_ends(h, saver, "a key press")
    music = wave_data(MUSIC_FILE)
    played = out.read_bytes() if out.exists() else b""
    sound = played.lstrip(bytes([SILENCE]))
    lead_in = len(music) - len(music.lstrip(bytes([SILENCE])))
    expect(len(sound) >= 2 * MUSIC_RATE and sound[:2 * MUSIC_RATE] ==
           music[lead_in:lead_in + 2 * MUSIC_RATE],
           f"the output ({len(played)} bytes) does not play {folder}/BGM10.SSS")
    expect(path.read_bytes() == content, "the settings file was rewritten")


LONG_FOLDER_SETTINGS = b"[QS3_10]\nWAV=1\n[QS3_DIR]\nQS3_DIR=/" + b"q" * 6000 + b"/music\n"
JUNK_SETTINGS = (b"\x00\xff\xfe[QS3_10\r\nWAV 1\r\n\x1a\x80\x81[QS3_DIR]\nQS3_DIR\n"
                 b"[QS3_10]\nWAV\n==\n[\n]\n" + bytes(range(256)) + b"\n[QS3_DIR\nQS3_DIR")


def hostile_settings(content: bytes | None):
    """The settings file holds CONTENT (a folder in its place when None): the
    saver runs, draws, ends on a key with 0, and nothing on disk changes."""
    def case(h: Harness) -> None:
        path = settings_file(h)
        path.parent.mkdir(parents=True)
        if content is None:
            path.mkdir()
        else:
            path.write_bytes(content)
        saver, window = start_full_screen(h, "/s", extra_env={"SDL_AUDIODRIVER": "disk",
                                                              "SDL_DISKAUDIOFILE": "/dev/null"})
        h.wait_drawn((0, 0, *SCREEN), "the full-screen window")
        expect_still_running(h, saver, "starting with that settings file")
        h.press_key(window)
        expect_ends(h, saver, "a key press")
        if content is None:
            expect(path.is_dir() and not any(path.iterdir()), f"the folder {path} changed")
        else:
            expect(path.read_bytes() == content, f"{path} was rewritten")
        written = [str(other) for folder in ("config", "home", "data", "work")
                   for other in (h.case_dir / folder).rglob("*")
                   if other.is_file() and other != path]
        expect(written == [], f"files were written: {written}")
    return case


# ----- several monitors (Xorg with the dummy driver) -------------------------------

PROBE_WINDOWED_SIZE = (640, 480)  # the size `cover undefined` asks for
# A primary monitor below a wider one, in a size the server has no mode for.
PRIMARY_BELOW = (Monitor("DUMMY0", 1000, 700, 0, 1080, True), Monitor("DUMMY1", 1920, 1080, 0, 0))


def listed_monitors(h: Harness) -> set[Monitor]:
    """RandR's own list of monitors (lines like " 0: +*DUMMY0 1280/339x1024/271+0+0  DUMMY0")."""
    monitors = set()
    for line in h.command(["xrandr", "--listmonitors"]).stdout.splitlines()[1:]:
        _, flags_name, geometry, _ = line.split()
        size, x, y = geometry.split("+")
        width, height = (int(part.split("/")[0]) for part in size.split("x"))
        monitors.add(Monitor(flags_name.lstrip("+*"), width, height, int(x), int(y),
                             "*" in flags_name))
    return monitors


def fixture_lays_out_monitors(h: Harness) -> None:
    """Each layout is what the server then reports, on a screen just large
    enough, and a monitor no window covers shows the root colour."""
    for layout in (ONE_MONITOR, PRIMARY_LEFT, PRIMARY_RIGHT, PRIMARY_BELOW, PRIMARY_LEFT):
        h.use_layout(layout)
        expect(listed_monitors(h) == set(layout),
               f"the server lists {listed_monitors(h)}, want {set(layout)}")
        root = h.window_info("-root")
        size = (int(root["Width"]), int(root["Height"]))
        expect(size == bounding_size(layout), f"the screen is {size}, want {bounding_size(layout)}")
        for monitor in layout:
            expect_filled(h, monitor, ROOT_RGB, "the root window")


def sdl_reports_displays(layout: Layout):
    """A fresh SDL lists the monitors, the primary one first, each with its
    output's name, and no part of any taken (no panels: no window manager)."""
    def case(h: Harness) -> None:
        h.use_layout(layout)
        lines = h.command([str(h.sdl_monitors), "report"]).stdout.splitlines()
        h.note(f"SDL reports {lines}")
        ordered = primary_first(layout)
        expect_displays(lines, ordered, "a fresh SDL")
        for index, monitor in enumerate(ordered):
            x, y, width, height = monitor.area
            for line in (f"usable={index} {x} {y} {width} {height}",
                         f"display_name={index} {monitor.output}"):
                expect(line in lines, f"SDL's report lacks {line!r}: {lines}")
    return case


def window_geometry(info: dict[str, str]) -> tuple[int, int, int, int]:
    return (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
            int(info["Width"]), int(info["Height"]))


def expect_filled(h: Harness, monitor: Monitor, colour: bytes, what: str) -> None:
    """Waits until every pixel of the monitor is COLOUR."""
    want = colour * (monitor.width * monitor.height)
    deadline = time.monotonic() + DRAW_TIMEOUT
    while True:
        seen = h.grab(*monitor.area)
        if seen == want:
            h.note(f"{monitor.output} is all {colour.hex()}")
            return
        if time.monotonic() > deadline:
            other = sum(1 for i in range(0, len(seen), 3) if seen[i:i + 3] != colour)
            raise CaseFailure(f"{what}: {other} pixels of {monitor.output} "
                              f"({monitor.width}x{monitor.height}+{monitor.x}+{monitor.y}) "
                              f"are not {colour.hex()}")
        time.sleep(0.3)


def sdl_windows_cover_displays(layout: Layout):
    """A FULLSCREEN_DESKTOP window made at a display's bounds covers exactly
    that monitor, every pixel."""
    def case(h: Harness) -> None:
        h.use_layout(layout)
        probe = SdlMonitors(h, "bounds")
        ordered = primary_first(layout)
        expect_displays(probe.ready, ordered, "the probe")
        for index, monitor in enumerate(ordered):
            info = h.wait_window(SdlMonitors.WINDOW_TITLE.format(index))
            expect(window_geometry(info) == monitor.area,
                   f"window {index} is at {window_geometry(info)}, want {monitor.area}")
        for index, monitor in enumerate(ordered):
            expect_filled(h, monitor, SdlMonitors.COLOURS[index], f"window {index}")
        probe.quit()
    return case


def sdl_undefined_position_keeps_windowed_size(h: Harness) -> None:
    """SDL_WINDOWPOS_UNDEFINED_DISPLAY(I) puts the window on display I, but
    with no window manager to make it full screen the X window keeps the
    windowed size, centred there, while SDL reports it at the display's
    bounds."""
    layout = PRIMARY_RIGHT
    h.use_layout(layout)
    probe = SdlMonitors(h, "undefined")
    for index, monitor in enumerate(primary_first(layout)):
        claimed = f"window={index} {' '.join(map(str, monitor.area))} {index}"
        expect(claimed in probe.ready, f"SDL does not claim {claimed!r}: {probe.ready}")
        width, height = PROBE_WINDOWED_SIZE
        want = (monitor.x + (monitor.width - width) // 2,
                monitor.y + (monitor.height - height) // 2, width, height)
        info = h.wait_window(SdlMonitors.WINDOW_TITLE.format(index))
        expect(window_geometry(info) == want,
               f"window {index} is at {window_geometry(info)}, want {want}")
        corner = h.grab(monitor.x, monitor.y, 1, 1)
        expect(corner == ROOT_RGB, f"the corner of {monitor.output} is {corner.hex()}, not "
                                   f"the root's {ROOT_RGB.hex()}: something covers it")
    probe.quit()


def sdl_layout_change(first: Layout, second: Layout):
    """What a running SDL 2.26 makes of a change from FIRST to SECOND: an
    output that comes on is a new display (SDL_DISPLAYEVENT_CONNECTED, with its
    bounds); a move or an output switched off goes unseen (no event, the old
    bounds) until SDL's video restarts."""
    def case(h: Harness) -> None:
        h.use_layout(first)
        probe = SdlMonitors(h, "bounds")
        h.use_layout(second)
        lines = probe.ask("report")
        known = {monitor.output for monitor in first}
        added = tuple(monitor for monitor in primary_first(second) if monitor.output not in known)
        events = [line for line in lines if line.startswith("event=display")]
        want_events = [f"event=display {len(first) + k} connected" for k in range(len(added))]
        expect(events == want_events, f"display events {events}, want {want_events}")
        expect_displays(lines, primary_first(first) + added, "SDL after the change")
        expect_displays(probe.ask("reinit"), primary_first(second), "SDL after its video restarted")
        probe.quit()
    return case


def saver_plays_on_each_monitor(layout: Layout):
    """The full-screen saver on two monitors: the first performance on the
    primary one equals the renderer's frame for that monitor's size while the
    other is black, the second on the other monitor while the primary is
    black; a pointer move along one axis onto the other monitor does not end
    it, a click there does."""
    def case(h: Harness) -> None:
        h.use_layout(layout)
        ordered = sorted(layout, key=lambda m: (m != primary_of(layout), m.x, m.y))
        areas = [m.area for m in ordered]
        rects = [m.rect for m in ordered]
        px, py, pw, ph = areas[0]
        h.mouse_to(px + pw // 2, py + ph // 2)
        started = int(time.time())
        saver = h.start_qs3("/s")
        h.wait_window(SAVER_TITLE, process=saver)
        shots = desk_frames.watch(h.grab, areas, still_running=lambda: saver.poll() is None)
        expect(saver.poll() is None, f"qs3 ended by itself ({saver.poll()})")
        seen, told = desk_frames.explain_run(str(h.renderer), shots, rects, started)
        expect(seen is not None, told)
        h.note(told)
        print(told)
        ox, oy, ow, oh = areas[1]
        h.mouse_to(ox + ow // 2, py + ph // 2)  # one axis only: that is no reason to end
        expect_still_running(h, saver, "a move along one axis onto the other monitor")
        h.xdotool("click", "1")
        expect_ends(h, saver, "a click on the other monitor")
    return case


def saver_follows_layout(first: Layout, second: Layout, quartet_to: str | None = None):
    """Monitors changed under the running saver: every monitor of the new
    layout is covered, none shows the root window, the quartet whose monitor
    went away goes on on QUARTET_TO, and the saver runs on until a key."""
    def case(h: Harness) -> None:
        h.use_layout(first)
        px, py, pw, ph = primary_of(first).area
        h.mouse_to(px + pw // 2, py + ph // 2)
        saver = h.start_qs3("/s")
        window = h.wait_window(SAVER_TITLE, process=saver)["id"]
        time.sleep(3)
        h.use_layout(second)
        failure = wait_covered(h.grab, second, lambda: saver.poll() is None, CHANGE_TIMEOUT,
                               quartet_to)
        expect(failure is None, failure or "")
        h.note(f"every monitor of {[m.output for m in second]} covered after the change"
               + (f", the quartet on {quartet_to}" if quartet_to else ""))
        expect_still_running(h, saver, "the layout change")
        h.press_key(window)
        expect_ends(h, saver, "a key after the layout change")
    return case


MONITOR_CASES = {
    "monitors_saver_primary_left": saver_plays_on_each_monitor(PRIMARY_LEFT),
    "monitors_saver_primary_right": saver_plays_on_each_monitor(PRIMARY_RIGHT),
    "monitors_saver_follows_sides_swapped": saver_follows_layout(PRIMARY_LEFT, PRIMARY_RIGHT),
    "monitors_saver_follows_monitor_added": saver_follows_layout(ONE_MONITOR, PRIMARY_LEFT),
    "monitors_saver_follows_playing_monitor_off": saver_follows_layout(
        PRIMARY_LEFT, OTHER_MONITOR_ONLY, quartet_to="DUMMY1"),
    "monitors_fixture_layouts": fixture_lays_out_monitors,
    "monitors_sdl_displays_primary_left": sdl_reports_displays(PRIMARY_LEFT),
    "monitors_sdl_displays_primary_right": sdl_reports_displays(PRIMARY_RIGHT),
    "monitors_sdl_windows_cover_primary_left": sdl_windows_cover_displays(PRIMARY_LEFT),
    "monitors_sdl_windows_cover_primary_right": sdl_windows_cover_displays(PRIMARY_RIGHT),
    "monitors_sdl_undefined_position_windowed": sdl_undefined_position_keeps_windowed_size,
    "monitors_sdl_display_added": sdl_layout_change(ONE_MONITOR, PRIMARY_LEFT),
    "monitors_sdl_display_removed": sdl_layout_change(PRIMARY_LEFT, ONE_MONITOR),
    "monitors_sdl_sides_swapped": sdl_layout_change(PRIMARY_LEFT, PRIMARY_RIGHT),
}


CASES = {
    "fullscreen_covers_and_key_ends": fullscreen_covers_and_key_ends,
    "fullscreen_diagonal_move_ends": fullscreen_diagonal_move_ends,
    "second_fullscreen_refused": second_fullscreen_refused,
    "preview_decimal_id": preview_fills_and_ends_with_parent("decimal"),
    "preview_hex_id": preview_fills_and_ends_with_parent("hex"),
    "preview_id_names_no_window": preview_without_window(["/p", "123456789"]),
    "preview_without_id": preview_without_window(["/p"]),
    "preview_id_zero": preview_without_window(["/p", "0"]),
    "xscreensaver_root_env": xscreensaver_root_env,
    "xscreensaver_window_id": xscreensaver_window_id,
    "xscreensaver_real_root": xscreensaver_real_root,
    "xscreensaver_bad_window": xscreensaver_bad_window,
    "xscreensaver_runs_the_module": xscreensaver_runs_the_module,
    "fullscreen_frame_matches_renderer": fullscreen_frame_matches_renderer,
    "fullscreen_repaints_after_cover": fullscreen_repaints_after_cover,
    "preview_repaints_after_cover": preview_repaints_after_cover,
    "settings_window_shape": settings_window_shape,
    "settings_no_argument_opens": settings_no_argument_opens,
    "settings_switch_then_ok_saves": settings_switch_then_ok_saves,
    "settings_ok_creates_file": settings_ok_creates_file,
    "settings_cancel_writes_nothing": settings_cancel_writes_nothing,
    "settings_close_button_writes_nothing": settings_close_button_writes_nothing,
    "music_disk_audio": music_disk_audio,
    "no_audio_device_runs_silent": no_audio_device_runs_silent,
    "graphics_failure_message_box": graphics_failure_message_box,
    "sound_server_gone": sound_server_gone,
    "hostile_music_files": hostile_music_files,
    "music_from_folder_with_plus": music_from_folder_with_plus,
    "settings_long_data_folder": hostile_settings(LONG_FOLDER_SETTINGS),
    "settings_junk": hostile_settings(JUNK_SETTINGS),
    "settings_folder_in_its_place": hostile_settings(None),
}


def run_case(h: Harness, name: str) -> bool:
    print(f"--- {name}")
    try:
        if name in MONITOR_CASES:
            h.load_monitors(name)
        else:
            h.load_state(name)
        h.kill_strays()
        h.log.clear()
        {**CASES, **MONITOR_CASES}[name](h)
        print(f"ok {name}")
        return True
    except CaseFailure as failure:
        print(f"FAILED {name}: {failure}")
        try:
            print(f"screenshot: {h.screenshot('failed')}")
        except CaseFailure as shot_failure:
            print(f"(no screenshot: {shot_failure})")
        h.dump_log()
        return False
    finally:
        for display in h.displays.values():
            h.display = display
            h.kill_strays()


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", type=Path, default=REPO / "build" / "linux")
    parser.add_argument("--qs3", type=Path)
    parser.add_argument("--renderer", type=Path)
    parser.add_argument("--x11host", type=Path)
    parser.add_argument("--sdl-monitors", type=Path)
    parser.add_argument("names", nargs="+", help="setup, cleanup, list, monitors-setup, "
                        "monitors-cleanup, list-monitors or case names")
    options = parser.parse_args()
    if options.names == ["list"]:
        print("\n".join(CASES))
        return 0
    if options.names == ["list-monitors"]:
        print("\n".join(MONITOR_CASES))
        return 0
    h = Harness(options)
    fixtures = {"setup": h.setup, "cleanup": h.cleanup, "monitors-setup": h.monitors_setup,
                "monitors-cleanup": h.monitors_cleanup}
    if len(options.names) == 1 and options.names[0] in fixtures:
        try:
            fixtures[options.names[0]]()
            return 0
        except CaseFailure as failure:
            print(f"FAILED {options.names[0]}: {failure}")
            return 1
    unknown = [name for name in options.names if name not in CASES and name not in MONITOR_CASES]
    if unknown:
        parser.error(f"unknown case {', '.join(unknown)}; try: run.py list")
    results = [run_case(h, name) for name in options.names]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
