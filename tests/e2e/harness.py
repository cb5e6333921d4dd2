"""Runs qs3.scr under Wine on a private Xvfb display and observes it.

One display and one Wine prefix serve every case: `setup` starts Xvfb on a free
display number, boots a fresh prefix under the build folder and keeps its
wineserver alive; `cleanup` stops both. The state between them lives in
BUILD/e2e/state.json, so each case runs as its own process. The cases of
several monitors have a harness of their own (`MonitorsHarness`): a private
Xorg with two monitors and a prefix of their own in BUILD/e2e_monitors.
Python standard library only.
"""

from __future__ import annotations

import json
import os
import select
import shutil
import signal
import subprocess
import tempfile
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "common"))

from xorg_monitors import PRIMARY_LEFT, Layout, XorgFailure, XorgMonitors  # noqa: E402

SCREEN_WIDTH, SCREEN_HEIGHT = 800, 600
WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winealsa.drv=d",
    "WINEARCH": "win64",
}
SAVER_TITLE = "QS3_10"
PREVIEW_TITLE = "SSPREVIEW"
SETTINGS_CLASS = "QS3_10"  # the settings window's class; its title is Japanese
SETTINGS_FILE = "ORN3CFG.INI"
# A Wine virtual desktop of this size, opened at the top-left of the display
# for the cases that compare pixels with the renderer's frames.
SMALL_DESKTOP = "qs3e2e"
SMALL_SCREEN = (640, 480)
RENDERER_MISSING = "build the linux preset first: the renderer draws the expected frames"


class CaseFailure(Exception):
    """A check of a case did not hold."""


def windows_path(path: Path) -> str:
    """The path as a Wine program sees it through drive Z:."""
    return "Z:" + str(path.resolve()).replace("/", "\\")


def parse_report(text: str) -> dict[str, str]:
    """key=value lines; a repeated key keeps every value, joined by newlines."""
    report: dict[str, str] = {}
    for line in text.splitlines():
        key, sep, value = line.strip().partition("=")
        if sep:
            report[key] = report[key] + "\n" + value if key in report else value
    return report


class Harness:
    # Programs of the prefix that kill_leftovers ends: lower-case parts of
    # their command lines.
    LEFTOVERS: tuple[bytes, ...] = (b"qs3.scr", b"qs3_testhost")

    def __init__(self, build_dir: Path, name: str = "e2e",
                 screen: tuple[int, int] = (SCREEN_WIDTH, SCREEN_HEIGHT)):
        """NAME is the folder under BUILD_DIR that holds this harness's prefix,
        display state and screenshots, so that two tiers never share a prefix;
        SCREEN is the size of its display."""
        self.build_dir = build_dir.resolve()
        self.screen = screen
        self.root = self.build_dir / name
        self.state_file = self.root / "state.json"
        self.prefix = self.root / "prefix"
        self.work_dir = self.root / "work"  # the saver's current directory
        self.shots = self.root / "shots"
        self.saver = self.build_dir / "qs3.scr"
        self.testhost_exe = self.build_dir / "qs3_testhost.exe"
        self.renderer = self.build_dir.parent / "linux" / "tools" / "qs3_render"
        self.display = ""
        self.keeper_pid = 0
        self.started: list[subprocess.Popen] = []
        self.log: list[str] = []
        self.clock = time.monotonic()

    # ----- environment -------------------------------------------------

    def env(self) -> dict[str, str]:
        env = dict(os.environ)
        env.update(WINE_ENV)
        env["WINEPREFIX"] = str(self.prefix)
        env["DISPLAY"] = self.display
        return env

    def load_state(self) -> None:
        if not self.state_file.exists():
            raise CaseFailure(f"no {self.state_file}: run setup first")
        state = json.loads(self.state_file.read_text())
        self.display = state["display"]
        self.keeper_pid = state.get("keeper_pid", 0)
        if not Path(f"/proc/{state['xvfb_pid']}").exists():
            raise CaseFailure(f"Xvfb (pid {state['xvfb_pid']}) is gone: run setup again")

    def setup(self) -> None:
        for tool in ("Xvfb", "xdotool", "wine", "wineserver", "import"):
            if shutil.which(tool) is None:
                raise CaseFailure(f"{tool} is not installed")
        if self.state_file.exists():
            self.cleanup()
        self.root.mkdir(parents=True, exist_ok=True)
        if self.prefix.exists():
            shutil.rmtree(self.prefix)
        for folder in (self.prefix, self.work_dir, self.shots):
            folder.mkdir(parents=True, exist_ok=True)
        xvfb = self.start_xvfb()
        self.state_file.write_text(json.dumps({"display": self.display, "xvfb_pid": xvfb.pid}))
        # A persistent server keeps every later start near instant.
        # (it stays in the background, so it must not hold our output pipes)
        server = subprocess.run(["wineserver", "-p"], env=self.env(), timeout=30,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if server.returncode != 0:
            raise CaseFailure(f"wineserver -p failed with {server.returncode}")
        boot = self.command(["wine", "wineboot", "-i"], timeout=180)
        if boot.returncode != 0:
            raise CaseFailure(f"wineboot failed: {boot.stdout}{boot.stderr}")
        # With no window manager on the display, Wine draws captions and their
        # close buttons itself only when told to.
        decorated = self.reg("add", r"HKCU\Software\Wine\X11 Driver", "/v", "Decorated", "/d", "N",
                             "/f")
        if decorated.returncode != 0:
            raise CaseFailure(f"reg add Decorated failed: {decorated.stdout}{decorated.stderr}")
        keeper = subprocess.Popen(["wine", str(self.testhost_exe), "keep-desktop"],
                                  env=self.env(), cwd=self.work_dir, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, start_new_session=True)
        self.state_file.write_text(json.dumps(
            {"display": self.display, "xvfb_pid": xvfb.pid, "keeper_pid": keeper.pid}))
        if self.testhost("find", "QS3 test desktop keeper", "30000").get("found") != "1":
            raise CaseFailure("the desktop keeper did not start")
        print(f"display={self.display}\nprefix={self.prefix}\nxvfb_pid={xvfb.pid}")

    def side(self, name: str, screen: tuple[int, int]) -> "Harness":
        """A display and prefix of their own, under this one's folder, for a
        case that needs another screen size: Wine keeps one screen size per
        prefix. The same programs are tested; setup() and cleanup() as here."""
        other = Harness(self.build_dir, f"{self.root.name}/{name}", screen)
        other.saver, other.testhost_exe, other.renderer = self.saver, self.testhost_exe, \
            self.renderer
        return other

    def start_xvfb(self) -> subprocess.Popen:
        for number in range(90, 200):
            if Path(f"/tmp/.X{number}-lock").exists() or Path(f"/tmp/.X11-unix/X{number}").exists():
                continue
            log = open(self.root / "xvfb.log", "w")
            xvfb = subprocess.Popen(
                ["Xvfb", f":{number}", "-screen", "0", f"{self.screen[0]}x{self.screen[1]}x24",
                 "-nolisten", "tcp"],
                stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
            socket = Path(f"/tmp/.X11-unix/X{number}")
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline and xvfb.poll() is None and not socket.exists():
                time.sleep(0.05)
            if xvfb.poll() is None and socket.exists():
                self.display = f":{number}"
                return xvfb
            xvfb.kill()
            xvfb.wait(5)
        raise CaseFailure("no free X display number between :90 and :199")

    def cleanup(self) -> None:
        if not self.state_file.exists():
            print("nothing to clean up")
            return
        state = json.loads(self.state_file.read_text())
        self.display = state["display"]
        self.keeper_pid = state.get("keeper_pid", 0)
        try:
            self.kill_leftovers()
        except CaseFailure as failure:
            print(f"while stopping leftovers: {failure}")
        self.command(["wineserver", "-k"], timeout=30, check=False)
        pid = state["xvfb_pid"]
        cmdline = Path(f"/proc/{pid}/cmdline")
        if cmdline.exists() and b"Xvfb" in cmdline.read_bytes():
            os.kill(pid, signal.SIGTERM)
        self.state_file.unlink()
        print(f"stopped wineserver and Xvfb {self.display}")

    def command(self, argv: list[str], timeout: float,
                check: bool = False) -> subprocess.CompletedProcess:
        # Output goes through files, not pipes: a Wine program may leave a
        # helper (services.exe, winedevice.exe) behind that inherits them.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            cwd = self.work_dir if self.work_dir.exists() else None
            try:
                process = subprocess.run(argv, env=self.env(), cwd=cwd, stdout=out, stderr=err,
                                         timeout=timeout, stdin=subprocess.DEVNULL)
            except subprocess.TimeoutExpired as expired:
                raise CaseFailure(
                    f"{' '.join(argv)} did not finish within {timeout} s") from expired
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(
                argv, process.returncode, out.read().decode(errors="replace"),
                err.read().decode(errors="replace"))
        if check and result.returncode != 0:
            raise CaseFailure(f"{' '.join(argv)} failed ({result.returncode}): "
                              f"{result.stdout}{result.stderr}")
        return result

    # ----- processes ---------------------------------------------------

    def start_saver(self, *args: str) -> subprocess.Popen:
        """Starts `wine qs3.scr ARGS` the way the Display settings would."""
        if not self.saver.exists():
            raise CaseFailure(f"{self.saver} has not been built")
        process = subprocess.Popen(["wine", str(self.saver), *args], env=self.env(),
                                   cwd=self.work_dir, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.started.append(process)
        self.note(f"started qs3.scr {' '.join(args)} (pid {process.pid})")
        return process

    def start_saver_in(self, folder: Path, extra_env: dict[str, str],
                       *args: str) -> subprocess.Popen:
        """Starts qs3.scr with FOLDER as its current directory (a data folder
        with the signature file) and Wine's sound drivers enabled, so that the
        sound server named in EXTRA_ENV, if any, plays the music."""
        env = self.env()
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        env.update(extra_env)
        process = subprocess.Popen(["wine", str(self.saver), *args], env=env, cwd=folder,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.started.append(process)
        self.note(f"started qs3.scr {' '.join(args)} in {folder} (pid {process.pid})")
        return process

    def start_testhost(self, *args: str) -> subprocess.Popen:
        process = subprocess.Popen(["wine", str(self.testhost_exe), *args], env=self.env(),
                                   cwd=self.work_dir, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
        self.started.append(process)
        return process

    def testhost(self, *args: str, timeout: float = 30) -> dict[str, str]:
        """Runs the test host to the end and returns its report."""
        result = self.command(["wine", str(self.testhost_exe), *args], timeout=timeout)
        report = parse_report(result.stdout)
        report["rc"] = str(result.returncode)
        self.note(f"testhost {' '.join(args)} -> {report}")
        return report

    def read_until_ready(self, process: subprocess.Popen, timeout: float) -> dict[str, str]:
        """Reads a background test host's report up to its ready=1 line."""
        text = ""
        deadline = time.monotonic() + timeout
        assert process.stdout is not None
        while "ready=1" not in text and time.monotonic() < deadline:
            readable, _, _ = select.select([process.stdout], [], [], 0.2)
            if readable:
                chunk = os.read(process.stdout.fileno(), 4096).decode(errors="replace")
                if not chunk:
                    break
                text += chunk
        report = parse_report(text)
        self.note(f"background testhost -> {report}")
        if "ready=1" not in text:
            raise CaseFailure(f"background test host not ready within {timeout} s: {text!r}")
        return report

    def saver_windows_path(self) -> str:
        return windows_path(self.saver)

    def wait_exit(self, process: subprocess.Popen, timeout: float) -> int | None:
        try:
            return process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill_leftovers(self) -> None:
        """Kills what this run started, then any saver or test host still
        running in this prefix (one started by the test host, say)."""
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait(10)
        self.started.clear()
        marker = f"WINEPREFIX={self.prefix}".encode()
        for proc in Path("/proc").iterdir():
            if not proc.name.isdigit() or int(proc.name) == self.keeper_pid:
                continue
            try:
                cmdline = (proc / "cmdline").read_bytes().lower()
                if not any(name in cmdline for name in (*self.LEFTOVERS,
                                                        f"/desktop={SMALL_DESKTOP},".encode())):
                    continue
                if marker not in (proc / "environ").read_bytes().split(b"\0"):
                    continue
                os.kill(int(proc.name), signal.SIGKILL)
                self.note(f"killed leftover {cmdline!r} (pid {proc.name})")
            except (OSError, ProcessLookupError):
                continue
        self.wait_windows_gone()
        self.wait_small_desktop_gone()

    def linux_pids(self, name: bytes = b"qs3.scr") -> list[int]:
        """The Linux processes of this prefix whose command line holds NAME."""
        marker = f"WINEPREFIX={self.prefix}".encode()
        found = []
        for proc in Path("/proc").iterdir():
            if not proc.name.isdigit():
                continue
            try:
                if name in (proc / "cmdline").read_bytes().lower() and \
                        marker in (proc / "environ").read_bytes().split(b"\0"):
                    found.append(int(proc.name))
            except OSError:
                continue
        return found

    def memory_kb(self, name: bytes = b"qs3.scr") -> dict[str, int]:
        """VmRSS and VmHWM (the peak) of the one process of that name, in kB."""
        pids = self.linux_pids(name)
        expect(len(pids) == 1, f"want one {name.decode()} process, found {pids}")
        fields = {}
        for line in Path(f"/proc/{pids[0]}/status").read_text().splitlines():
            key, _, value = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                fields[key] = int(value.split()[0])
        return fields

    def wait_windows_gone(self, timeout: float = 5) -> None:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.testhost("find", SAVER_TITLE).get("found") == "0" and \
                    self.testhost("find", PREVIEW_TITLE).get("found") == "0" and \
                    self.testhost("find-class", SETTINGS_CLASS).get("found") == "0":
                return
            time.sleep(0.2)
        raise CaseFailure("a saver window outlived its process")

    # ----- the small virtual desktop ---------------------------------------

    def start_in_small_desktop(self, exe: Path, *args: str,
                               stdout: int = subprocess.DEVNULL) -> subprocess.Popen:
        """Starts EXE ARGS inside a Wine virtual desktop of SMALL_SCREEN; the
        programs in it see that as the whole screen."""
        if not exe.exists():
            raise CaseFailure(f"{exe} has not been built")
        width, height = SMALL_SCREEN
        process = subprocess.Popen(
            ["wine", "explorer", f"/desktop={SMALL_DESKTOP},{width}x{height}", windows_path(exe),
             *args], env=self.env(), cwd=self.work_dir, stdout=stdout,
            stderr=subprocess.DEVNULL)
        self.started.append(process)
        self.note(f"started {exe.name} {' '.join(args)} in desktop {SMALL_DESKTOP} "
                  f"(pid {process.pid})")
        return process

    def small_desktop_windows(self) -> list[str]:
        found = self.command(["xdotool", "search", "--name", f"^{SMALL_DESKTOP} - Wine desktop$"],
                             timeout=15)
        return found.stdout.split()

    def small_desktop_origin(self, timeout: float = 30) -> tuple[int, int]:
        """Where the virtual desktop's X window lies on the display, once it is
        there at its full size."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for window in self.small_desktop_windows():
                shape = dict(line.split("=", 1) for line in self.xdotool(
                    "getwindowgeometry", "--shell", window).splitlines() if "=" in line)
                if (int(shape["WIDTH"]), int(shape["HEIGHT"])) == SMALL_SCREEN:
                    self.note(f"desktop {SMALL_DESKTOP} at {shape['X']},{shape['Y']}")
                    return int(shape["X"]), int(shape["Y"])
            time.sleep(0.2)
        raise CaseFailure(f"no {SMALL_SCREEN[0]}x{SMALL_SCREEN[1]} X window for the Wine desktop "
                          f"{SMALL_DESKTOP!r} within {timeout} s")

    def wait_small_desktop_gone(self, timeout: float = 10) -> None:
        deadline = time.monotonic() + timeout
        while self.small_desktop_windows():
            if time.monotonic() > deadline:
                raise CaseFailure(f"the Wine desktop {SMALL_DESKTOP!r} outlived its programs")
            time.sleep(0.2)

    # ----- X input and pictures ------------------------------------------

    def xdotool(self, *args: str) -> str:
        return self.command(["xdotool", *args], timeout=15, check=True).stdout.strip()

    def mouse_to(self, x: int, y: int) -> None:
        self.xdotool("mousemove", str(x), str(y))
        self.note(f"mouse to {x},{y}")

    def click(self, button: int) -> None:
        self.xdotool("click", str(button))
        self.note(f"click {button}")

    def press_key(self, title: str, key: str = "a") -> None:
        """Gives the X window of the Wine window titled `title` the keyboard
        focus, then presses and releases a key."""
        found = self.command(["xdotool", "search", "--name", f"^{title}$"], timeout=15)
        ids = found.stdout.split()
        if not ids:
            raise CaseFailure(f"no X window named {title!r} for the key press")
        self.xdotool("windowfocus", "--sync", ids[0])
        self.xdotool("key", key)
        self.note(f"key {key} to X window {ids[0]}")

    def screenshot(self, name: str) -> Path:
        self.shots.mkdir(parents=True, exist_ok=True)
        path = self.shots / f"{name}.png"
        self.command(["import", "-display", self.display, "-window", "root", str(path)],
                     timeout=30, check=True)
        return path

    def grab(self, x: int, y: int, width: int, height: int) -> bytes:
        """The display's pixels in that rectangle, 3 bytes (R, G, B) each, rows
        top-down."""
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "grab.ppm"
            self.command(["import", "-display", self.display, "-window", "root", "-crop",
                          f"{width}x{height}+{x}+{y}", "+repage", "-depth", "8", str(path)],
                         timeout=30, check=True)
            size, pixels = read_ppm(path)
        if size != (width, height):
            raise CaseFailure(f"a {width}x{height} grab came back {size[0]}x{size[1]}")
        return pixels

    def render(self, name: str, *args: str) -> dict[bytes, int]:
        """The renderer's frames for ARGS, each distinct picture with the first
        tick that shows it."""
        if not self.renderer.exists():
            raise CaseFailure(f"no renderer at {self.renderer}: {RENDERER_MISSING}")
        folder = self.root / "expected" / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        self.command([str(self.renderer), *args, "--ppm-dir", str(folder)], timeout=60,
                     check=True)
        frames: dict[bytes, int] = {}
        for path in sorted(folder.glob("tick_*.ppm")):
            frames.setdefault(read_ppm(path)[1], int(path.stem.split("_")[1]))
        expect(bool(frames), f"the renderer wrote no frames for {' '.join(args)}")
        self.note(f"renderer {' '.join(args)}: {len(frames)} distinct frames")
        return frames

    def render_picture(self, name: str, *args: str) -> tuple[tuple[int, int], bytes]:
        """The one picture the renderer writes for ARGS (settings_window.ppm)."""
        if not self.renderer.exists():
            raise CaseFailure(f"no renderer at {self.renderer}: {RENDERER_MISSING}")
        folder = self.root / "expected" / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        self.command([str(self.renderer), *args, "--ppm-dir", str(folder)], timeout=60,
                     check=True)
        path = folder / "settings_window.ppm"
        expect(path.exists(), f"the renderer wrote no {path.name} for {' '.join(args)}")
        return read_ppm(path)

    def crop(self, shot: Path, x: int, y: int, width: int, height: int, out: Path) -> Path:
        self.command(["convert", str(shot), "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                      str(out)], timeout=30, check=True)
        return out

    # ----- registry and files in the prefix ----------------------------------

    def reg(self, *args: str) -> subprocess.CompletedProcess:
        return self.command(["wine", "reg", *args], timeout=30)

    def drive_c(self) -> Path:
        return self.prefix / "drive_c"

    def settings_files(self) -> list[Path]:
        """Every settings file on drive C: (the Windows folder's, a per-user copy)."""
        return [path for path in self.drive_c().rglob("*")
                if path.name.lower() == SETTINGS_FILE.lower()]

    def remove_settings_files(self) -> None:
        for path in self.settings_files():
            path.unlink()
            self.note(f"removed {path}")

    # ----- bookkeeping -------------------------------------------------

    def note(self, text: str) -> None:
        self.log.append(f"{time.monotonic() - self.clock:7.2f}s {text}")

    def dump_log(self) -> None:
        print("what was seen:")
        for line in self.log:
            print("  " + line)


class MonitorsHarness(Harness):
    """The same on a private Xorg with two monitors (tests/common/xorg_monitors)
    and a prefix of its own, booted on that server. Wine reads the monitors
    when its wineserver and desktop start, so each case lays the monitors out
    and then restarts the wineserver; no desktop keeper runs."""

    def __init__(self, build_dir: Path):
        super().__init__(build_dir, "e2e_monitors")
        self.xorg = XorgMonitors(self.root / "xorg")

    def setup(self) -> None:
        for tool in ("Xorg", "xrandr", "xdotool", "wine", "wineserver", "import"):
            if shutil.which(tool) is None:
                raise CaseFailure(f"{tool} is not installed")
        if self.state_file.exists():
            self.cleanup()
        if self.prefix.exists():
            shutil.rmtree(self.prefix)
        for folder in (self.prefix, self.work_dir, self.shots):
            folder.mkdir(parents=True, exist_ok=True)
        try:
            self.display = self.xorg.start(PRIMARY_LEFT)
        except XorgFailure as failure:
            raise CaseFailure(str(failure)) from failure
        self.state_file.write_text(json.dumps(self.xorg.state()))
        booted = time.monotonic()
        boot = self.command(["wine", "wineboot", "-i"], timeout=180)
        if boot.returncode != 0:
            raise CaseFailure(f"wineboot failed: {boot.stdout}{boot.stderr}")
        self.stop_wineserver()
        print(f"display={self.display} (Xorg pid {self.xorg.pid}, ready and laid out in "
              f"{self.xorg.start_seconds:.2f} s)\nprefix={self.prefix} (booted in "
              f"{time.monotonic() - booted:.1f} s)")

    def load_state(self) -> None:
        if not self.state_file.exists():
            raise CaseFailure(f"no {self.state_file}: run monitors-setup first")
        try:
            self.xorg = XorgMonitors.attach(self.xorg.folder,
                                            json.loads(self.state_file.read_text()))
        except XorgFailure as failure:
            raise CaseFailure(f"{failure}: run monitors-setup again") from failure
        self.display = self.xorg.display

    def cleanup(self) -> None:
        if not self.state_file.exists():
            print("nothing to clean up")
            return
        state = json.loads(self.state_file.read_text())
        self.display = state["display"]
        self.stop_wineserver()
        self.xorg.display, self.xorg.pid = state["display"], state["pid"]
        self.xorg.stop()
        self.state_file.unlink()
        print(f"stopped wineserver and Xorg {self.display}")

    def kill_leftovers(self) -> None:
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait(10)
        self.started.clear()
        self.stop_wineserver()

    def stop_wineserver(self) -> None:
        """Ends every process of the prefix and waits for the server to go.
        A wineserver that crashed leaves its services (services.exe,
        winedevice.exe, ...) running where `wineserver -k` cannot reach
        them; they are killed by the prefix in their environment."""
        self.command(["wineserver", "-k"], timeout=30)
        self.command(["wineserver", "-w"], timeout=30)
        marker = f"WINEPREFIX={self.prefix}".encode()
        for proc in Path("/proc").iterdir():
            if not proc.name.isdigit() or int(proc.name) == os.getpid():
                continue
            try:
                if marker in (proc / "environ").read_bytes().split(b"\0"):
                    os.kill(int(proc.name), signal.SIGKILL)
                    self.note(f"killed {(proc / 'cmdline').read_bytes()!r} (pid {proc.name})")
            except (OSError, ProcessLookupError):
                continue

    def use_layout(self, layout: Layout) -> None:
        """Lays the monitors out and starts Wine afresh, so that its next
        program is the first to see them."""
        try:
            self.xorg.apply(layout)
        except XorgFailure as failure:
            raise CaseFailure(str(failure)) from failure
        self.stop_wineserver()
        self.note("monitors " + ", ".join(f"{m.output} {m.width}x{m.height}+{m.x}+{m.y}"
                                          f"{' primary' if m.primary else ''}" for m in layout))

    def change_layout(self, layout: Layout) -> None:
        """Lays the monitors out anew under the running programs."""
        try:
            self.xorg.apply(layout)
        except XorgFailure as failure:
            raise CaseFailure(str(failure)) from failure
        self.note("monitors changed to " + ", ".join(
            f"{m.output} {m.width}x{m.height}+{m.x}+{m.y}" for m in layout))


def read_ppm(path: Path) -> tuple[tuple[int, int], bytes]:
    """Size and pixels of a binary (P6) PPM with 8-bit channels."""
    data = path.read_bytes()
    fields = data.split(maxsplit=4)
    if len(fields) < 5 or fields[0] != b"P6" or fields[3] != b"255":
        raise CaseFailure(f"{path} is not an 8-bit P6 picture")
    width, height = int(fields[1]), int(fields[2])
    return (width, height), data[len(data) - width * height * 3:]


def write_ppm(path: Path, size: tuple[int, int], pixels: bytes) -> Path:
    path.write_bytes(b"P6\n%d %d\n255\n" % size + pixels)
    return path


def differing_pixels(a: bytes, b: bytes, width: int) -> int:
    """How many pixels of two same-sized pictures differ; equal rows are skipped
    whole, which keeps near matches quick."""
    row = width * 3
    count = 0
    for start in range(0, len(a), row):
        if a[start:start + row] != b[start:start + row]:
            count += sum(a[i:i + 3] != b[i:i + 3] for i in range(start, start + row, 3))
    return count


def expect(condition: bool, message: str) -> None:
    if not condition:
        raise CaseFailure(message)


def expect_fields(report: dict[str, str], expected: dict[str, str], what: str) -> None:
    wrong = {key: (report.get(key), value) for key, value in expected.items()
             if report.get(key) != value}
    if wrong:
        details = ", ".join(f"{key}: saw {seen!r}, want {want!r}"
                            for key, (seen, want) in wrong.items())
        raise CaseFailure(f"{what}: {details}")
