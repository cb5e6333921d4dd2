"""A private X server with several monitors, for the end-to-end tests.

Xvfb cannot show programs more than one monitor, but Xorg with the dummy
video driver can: one virtual graphics card whose RandR outputs (DUMMY0,
DUMMY1, ...) are laid out like monitors on a desk, where Wine and SDL find
them as they find real ones. `XorgMonitors` starts such a server on a free
display number with its configuration and log in a folder of the caller's,
lays the monitors out, lays them out anew while programs run, and stops it.
A harness whose cases run as separate processes keeps `state()` in its state
file and re-attaches with `XorgMonitors.attach`.

Needs the packages xserver-xorg-core, xserver-xorg-video-dummy (Xorg) and
x11-xserver-utils (xrandr, xsetroot). Python standard library only.
"""

from __future__ import annotations

import os
import select
import signal
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

DISPLAY_NUMBERS = range(400, 600)  # clear of the Xvfb harnesses' numbers
START_TIMEOUT = 30  # seconds Xorg gets to accept connections
STOP_TIMEOUT = 10  # seconds Xorg gets to end after SIGTERM
XRANDR_TIMEOUT = 15
LOG_TAIL_LINES = 30
# The colour of the X root window: what a monitor no window covers shows, so
# that a black monitor in a screenshot is one a program made black.
ROOT_COLOUR = "#336699"
ROOT_RGB = bytes.fromhex(ROOT_COLOUR[1:])


def shows_root(pixels: bytes) -> bool:
    """Whether a packed-RGB screenshot holds a pixel of the root window's
    colour, that is, a part of a monitor nothing covers."""
    at = pixels.find(ROOT_RGB)
    while at != -1:
        if at % 3 == 0:
            return True
        at = pixels.find(ROOT_RGB, at + 1)
    return False


def wait_covered(grab, layout: Layout, still_running, timeout: float,
                 quartet_to: str | None = None) -> str | None:
    """After the monitors changed to LAYOUT under a running saver: waits until
    no monitor shows the root window and, when QUARTET_TO names an output,
    until that monitor shows something not black (the quartet, whose monitor
    went away, going on there). None once so; else what was still wrong after
    TIMEOUT seconds, or that the saver ended. GRAB(x, y, width, height) gives
    packed RGB."""
    deadline = time.monotonic() + timeout
    while True:
        uncovered = [m.output for m in layout if shows_root(grab(*m.area))]
        if not uncovered:
            break
        if not still_running():
            return f"the saver ended with {uncovered} showing the root window"
        if time.monotonic() >= deadline:
            return f"{uncovered} still show the root window {timeout} s after the change"
        time.sleep(0.5)
    if quartet_to is None:
        return None
    monitor = next(m for m in layout if m.output == quartet_to)
    while not any(grab(*monitor.area)):
        if time.monotonic() >= deadline:
            return f"{quartet_to} stayed black {timeout} s after the quartet's monitor went away"
        time.sleep(0.5)
    return None


class XorgFailure(Exception):
    """The server could not be started, laid out or reached."""


@dataclass(frozen=True)
class Monitor:
    """One monitor: a RandR output showing WIDTHxHEIGHT at X,Y of the X screen
    (X11's coordinates never go below 0)."""
    output: str
    width: int
    height: int
    x: int
    y: int
    primary: bool = False

    @property
    def rect(self) -> tuple[int, int, int, int]:
        """left, top, right, bottom in X screen coordinates."""
        return self.x, self.y, self.x + self.width, self.y + self.height

    @property
    def area(self) -> tuple[int, int, int, int]:
        """x, y, width, height: what a screenshot crop takes."""
        return self.x, self.y, self.width, self.height


Layout = tuple[Monitor, ...]


def primary_of(layout: Layout) -> Monitor:
    marked = [monitor for monitor in layout if monitor.primary]
    return marked[0] if marked else layout[0]


def windows_rect(layout: Layout, monitor: Monitor) -> tuple[int, int, int, int]:
    """The monitor's left, top, right, bottom as Windows (and so Wine) counts
    them: the primary monitor's top-left corner is 0,0, so a monitor left of
    or above it has a negative origin."""
    origin = primary_of(layout)
    left, top = monitor.x - origin.x, monitor.y - origin.y
    return left, top, left + monitor.width, top + monitor.height


def primary_first(layout: Layout) -> Layout:
    """The order in which Wine and SDL both list the monitors: the primary
    one, then the others in the order of their outputs."""
    return tuple(sorted(layout, key=lambda monitor: (monitor != primary_of(layout),
                                                     monitor.output)))


def with_primary_marked(layout: Layout) -> Layout:
    """The layout with exactly its primary monitor marked primary."""
    origin = primary_of(layout)
    return tuple(Monitor(m.output, m.width, m.height, m.x, m.y, m == origin) for m in layout)


def bounding_size(layout: Layout) -> tuple[int, int]:
    """The X screen that holds every monitor of the layout."""
    return (max(monitor.x + monitor.width for monitor in layout),
            max(monitor.y + monitor.height for monitor in layout))


def side_by_side(left: tuple[int, int], right: tuple[int, int], primary_left: bool) -> Layout:
    """Two monitors of sizes LEFT and RIGHT, top edges aligned. The primary one
    is always DUMMY0, so a layout can swap sides while the server runs."""
    first = Monitor("DUMMY0" if primary_left else "DUMMY1", *left, 0, 0, primary_left)
    second = Monitor("DUMMY1" if primary_left else "DUMMY0", *right, left[0], 0,
                     not primary_left)
    return tuple(sorted((first, second), key=lambda monitor: monitor.output))


# The two layouts of the multi-monitor cases: a 1280x1024 primary monitor and
# a 1920x1080 one beside it, to its right or (negative origin under Wine) to
# its left.
PRIMARY_LEFT = side_by_side((1280, 1024), (1920, 1080), primary_left=True)
PRIMARY_RIGHT = side_by_side((1920, 1080), (1280, 1024), primary_left=False)
ONE_MONITOR = (Monitor("DUMMY0", 1280, 1024, 0, 0, True),)
# The primary monitor switched off: the other one alone, primary now.
OTHER_MONITOR_ONLY = (Monitor("DUMMY1", 1920, 1080, 0, 0, True),)


def config_text(virtual: tuple[int, int]) -> str:
    """xorg.conf for one dummy card. The server adds none of the machine's
    input devices (the XTest devices that xdotool drives are always there),
    never blanks the screen by itself, and its first screen is VIRTUAL in
    size, which also bounds the sizes of its built-in modes."""
    return f"""\
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "BlankTime" "0"
  Option "StandbyTime" "0"
  Option "SuspendTime" "0"
  Option "OffTime" "0"
EndSection

Section "Device"
  Identifier "qs3-dummy"
  Driver "dummy"
  VideoRam 256000
EndSection

Section "Monitor"
  Identifier "qs3-monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection

Section "Screen"
  Identifier "qs3-screen"
  Device "qs3-dummy"
  Monitor "qs3-monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual {virtual[0]} {virtual[1]}
  EndSubSection
EndSection
"""


def modeline(width: int, height: int) -> list[str]:
    """A 60 Hz mode of that size for `xrandr --newmode`; the dummy driver
    takes any timings, so small blanking intervals do."""
    h_total, v_total = width + 160, height + 30
    clock = h_total * v_total * 60 / 1e6
    return [f"{clock:.2f}", str(width), str(width + 48), str(width + 80), str(h_total),
            str(height), str(height + 3), str(height + 8), str(v_total), "+hsync", "-vsync"]


@dataclass
class OutputState:
    """One output as `xrandr --query` lists it."""
    name: str
    connected: bool
    primary: bool
    geometry: tuple[int, int, int, int] | None  # width, height, x, y when on
    modes: list[str]


def parse_query(text: str) -> tuple[dict[str, OutputState], set[str]]:
    """The outputs of an xrandr query and the names of every mode it lists."""
    outputs: dict[str, OutputState] = {}
    modes: set[str] = set()
    current: OutputState | None = None
    for line in text.splitlines():
        if line.startswith("Screen "):
            continue
        if not line.startswith(" "):
            fields = line.split()
            if len(fields) < 2:
                continue
            geometry = None
            for field in fields[2:]:
                size, plus, rest = field.partition("+")
                if plus and "x" in size:
                    width, height = size.split("x")
                    x, y = rest.split("+")
                    geometry = (int(width), int(height), int(x), int(y))
                    break
            current = OutputState(fields[0], fields[1] == "connected", "primary" in fields[2:],
                                  geometry, [])
            outputs[current.name] = current
            continue
        name = line.split()[0]
        modes.add(name)
        if current is not None:
            current.modes.append(name)
    return outputs, modes


class XorgMonitors:
    """One private Xorg with the dummy driver. `folder` holds its
    configuration, log and output."""

    def __init__(self, folder: Path):
        self.folder = folder.resolve()
        self.display = ""
        self.pid = 0
        self.process: subprocess.Popen | None = None
        self.start_seconds = 0.0  # how long the last start took, layout included

    # ----- life ---------------------------------------------------------

    def start(self, layout: Layout, numbers: range = DISPLAY_NUMBERS) -> str:
        """Starts the server on the first free display number of NUMBERS with
        LAYOUT; returns the display (":N")."""
        begun = time.monotonic()
        self.folder.mkdir(parents=True, exist_ok=True)
        config = self.folder / "xorg.conf"
        config.write_text(config_text(bounding_size(layout)))
        config_dir = self.folder / "xorg.conf.d"  # empty: no drop-ins of the machine's
        config_dir.mkdir(exist_ok=True)
        for number in numbers:
            if Path(f"/tmp/.X{number}-lock").exists() or \
                    Path(f"/tmp/.X11-unix/X{number}").exists():
                continue
            if self.try_start(number, config, config_dir):
                break
        else:
            raise XorgFailure(f"no free display number in {numbers.start}..{numbers.stop - 1}")
        try:
            self.apply(layout)
            self.run_tool("xsetroot", "-solid", ROOT_COLOUR)
        except XorgFailure:
            self.stop()
            raise
        self.start_seconds = time.monotonic() - begun
        return self.display

    def try_start(self, number: int, config: Path, config_dir: Path) -> bool:
        """Starts Xorg on :NUMBER and waits until it accepts connections: it
        writes its display number to -displayfd then. False when it ended
        first (another server took the number meanwhile)."""
        ready_read, ready_write = os.pipe()
        # -sharevts and -novtswitch: run as root on a machine with virtual
        # consoles, Xorg would otherwise take a free one, switch to it and set
        # it to graphics mode; sharing the active one it leaves the consoles
        # alone. Without /dev/tty0 (a container) it runs on no console at all.
        argv = ["Xorg", f":{number}", "-config", str(config), "-configdir", str(config_dir),
                "-logfile", str(self.folder / "xorg.log"), "-noreset", "-nolisten", "tcp",
                "-sharevts", "-novtswitch", "-displayfd", str(ready_write)]
        with open(self.folder / "xorg.out", "w") as out:
            process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=subprocess.STDOUT, pass_fds=(ready_write,),
                                       start_new_session=True)
        os.close(ready_write)
        said = b""
        try:
            deadline = time.monotonic() + START_TIMEOUT
            while not said.endswith(b"\n") and time.monotonic() < deadline:
                chunk = read_with_timeout(ready_read, deadline - time.monotonic())
                if not chunk:
                    break
                said += chunk
        finally:
            os.close(ready_read)
        if said.strip() == str(number).encode():
            self.process, self.pid, self.display = process, process.pid, f":{number}"
            return True
        if process.poll() is None:
            process.kill()
            process.wait(STOP_TIMEOUT)
            raise XorgFailure(f"Xorg :{number} did not get ready within {START_TIMEOUT} s\n"
                              + self.log_tail())
        if process.returncode != 0 and not self.lost_the_number(number):
            raise XorgFailure(f"Xorg :{number} ended with {process.returncode}\n"
                              + self.log_tail())
        return False

    def lost_the_number(self, number: int) -> bool:
        """Whether another server holds :NUMBER now, which is why ours ended."""
        return Path(f"/tmp/.X{number}-lock").exists()

    @classmethod
    def attach(cls, folder: Path, state: dict) -> XorgMonitors:
        """The server another process started, from its `state()`."""
        server = cls(folder)
        server.display, server.pid = state["display"], state["pid"]
        if not server.running():
            raise XorgFailure(f"Xorg {server.display} (pid {server.pid}) is gone")
        return server

    def state(self) -> dict:
        return {"display": self.display, "pid": self.pid}

    def running(self) -> bool:
        if self.pid == 0:
            return False
        try:
            cmdline = Path(f"/proc/{self.pid}/cmdline").read_bytes().split(b"\0")
        except OSError:
            return False
        return any(arg.endswith(b"Xorg") for arg in cmdline) and \
            str(self.folder / "xorg.conf").encode() in cmdline

    def stop(self) -> None:
        """SIGTERM, then SIGKILL if it lingers; it removes its lock and socket
        on the way out."""
        if not self.running():
            return
        os.kill(self.pid, signal.SIGTERM)
        deadline = time.monotonic() + STOP_TIMEOUT
        while self.running() and time.monotonic() < deadline:
            if self.process is not None:
                self.process.poll()  # reaps our own child
            time.sleep(0.05)
        if self.running():
            os.kill(self.pid, signal.SIGKILL)
        if self.process is not None:
            self.process.wait(STOP_TIMEOUT)

    def log_tail(self) -> str:
        lines: list[str] = []
        for name in ("xorg.out", "xorg.log"):
            path = self.folder / name
            if path.exists():
                lines += [f"{name}: {line}" for line in
                          path.read_text(errors="replace").splitlines()[-LOG_TAIL_LINES:]]
        return "\n".join(lines)

    # ----- monitors -----------------------------------------------------

    def xrandr(self, *args: str) -> str:
        return self.run_tool("xrandr", *args)

    def run_tool(self, tool: str, *args: str) -> str:
        env = dict(os.environ, DISPLAY=self.display)
        try:
            result = subprocess.run([tool, *args], env=env, capture_output=True, text=True,
                                    timeout=XRANDR_TIMEOUT, stdin=subprocess.DEVNULL)
        except subprocess.TimeoutExpired as expired:
            raise XorgFailure(f"{tool} {' '.join(args)} took over {XRANDR_TIMEOUT} s") \
                from expired
        if result.returncode != 0:
            raise XorgFailure(f"{tool} {' '.join(args)} failed ({result.returncode}): "
                              f"{result.stderr.strip()}")
        return result.stdout

    def apply(self, layout: Layout) -> None:
        """Lays the monitors out as LAYOUT says, with one call for every output
        so that programs see one change; outputs the layout leaves out are
        switched off. The server then probes its outputs: programs read only
        the current configuration (RRGetScreenResourcesCurrent), in which an
        output that was just given a mode is still "disconnected" until a full
        query (RRGetScreenResources) has probed it."""
        outputs, modes = parse_query(self.xrandr("--query"))
        unknown = [monitor.output for monitor in layout if monitor.output not in outputs]
        if unknown:
            raise XorgFailure(f"no output {', '.join(unknown)}; the server has {list(outputs)}")
        for monitor in layout:
            name = f"{monitor.width}x{monitor.height}"
            if name not in modes:
                self.xrandr("--newmode", name, *modeline(monitor.width, monitor.height))
                modes.add(name)
            if name not in outputs[monitor.output].modes:
                self.xrandr("--addmode", monitor.output, name)
        width, height = bounding_size(layout)
        args = ["--fb", f"{width}x{height}"]
        used = {monitor.output for monitor in layout}
        for output in outputs.values():
            if output.name not in used and output.geometry is not None:
                args += ["--output", output.name, "--off"]
        for monitor in layout:
            args += ["--output", monitor.output, "--mode", f"{monitor.width}x{monitor.height}",
                     "--pos", f"{monitor.x}x{monitor.y}"]
            if monitor == primary_of(layout):
                args.append("--primary")
        self.xrandr(*args)
        self.xrandr("--query")  # the full query that probes the outputs
        seen = self.current()
        by_output = lambda monitor: monitor.output  # noqa: E731
        if sorted(seen, key=by_output) != sorted(with_primary_marked(layout), key=by_output):
            raise XorgFailure(f"the server shows {seen} after laying out {layout}")

    def current(self) -> Layout:
        """The monitors as programs see them: connected outputs that show
        something, from the current configuration only."""
        outputs, _ = parse_query(self.xrandr("--current"))
        return tuple(Monitor(output.name, *output.geometry, output.primary)
                     for output in outputs.values()
                     if output.connected and output.geometry is not None)


def read_with_timeout(fd: int, timeout: float) -> bytes:
    readable, _, _ = select.select([fd], [], [], max(timeout, 0))
    return os.read(fd, 64) if readable else b""
