"""A sound server with no hardware for the music cases, and what the captured
sound is compared with.

PulseAudio runs with a null sink that keeps real time (norewinds=1; without
it the sink's clock drifts), and parecord records the sink's monitor as 8-bit
mono at 22050 Hz, the music's own format. The comparison works on loudness
envelopes (RMS over 50 ms windows), which survive the server's resampling,
and on where the sound stops and starts again.
"""

from __future__ import annotations

import os
import shutil
import signal
import subprocess
import time
import wave
from pathlib import Path

RATE = 22050
WINDOW = RATE // 20  # 50 ms


class PulseSession:
    """PulseAudio with a null sink and a recorder of its monitor, private to
    one case: own runtime folder, own socket, stopped on exit."""

    def __init__(self, folder: Path):
        self.folder = folder
        self.capture = folder / "captured.wav"
        self.processes: list[subprocess.Popen] = []

    @staticmethod
    def available() -> bool:
        return bool(shutil.which("pulseaudio") and shutil.which("parecord"))

    def env(self) -> dict[str, str]:
        return {"PULSE_SERVER": f"unix:{self.folder}/xdg/pulse/native",
                "XDG_RUNTIME_DIR": str(self.folder / "xdg"), "HOME": str(self.folder / "home")}

    def __enter__(self) -> "PulseSession":
        if self.folder.exists():
            shutil.rmtree(self.folder)
        (self.folder / "home").mkdir(parents=True)
        (self.folder / "xdg").mkdir(mode=0o700)
        env = dict(os.environ, **self.env())
        socket = self.folder / "xdg" / "pulse" / "native"
        self.processes.append(subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "-L", f"module-native-protocol-unix auth-anonymous=1 socket={socket}",
             "-L", "module-null-sink sink_name=nullsink rate=44100 channels=2 format=s16le"
                   " norewinds=1"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        deadline = time.monotonic() + 15
        while not socket.exists() and time.monotonic() < deadline:
            time.sleep(0.1)
        if not socket.exists():
            self.__exit__(None, None, None)
            raise RuntimeError("PulseAudio did not start")
        self.processes.append(subprocess.Popen(
            ["parecord", "-d", "nullsink.monitor", f"--rate={RATE}", "--channels=1",
             "--format=u8", "--file-format=wav", str(self.capture)],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(0.5)
        return self

    def stop_recording(self) -> None:
        """Ends the recording; the recorder writes its header as it exits."""
        if len(self.processes) > 1 and self.processes[1].poll() is None:
            self.processes[1].send_signal(signal.SIGINT)
            try:
                self.processes[1].wait(10)
            except subprocess.TimeoutExpired:
                self.processes[1].kill()

    def kill_server(self) -> None:
        """The sound server goes away at once, as when it crashes."""
        server = self.processes[0]
        if server.poll() is None:
            server.kill()
            server.wait(10)
        self.stop_recording()

    def captured_bytes(self) -> int:
        """How much the recorder has written so far, header included."""
        return self.capture.stat().st_size if self.capture.exists() else 0

    def __exit__(self, *exc) -> None:
        self.stop_recording()
        for process in self.processes:
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()


def read_samples(path: Path) -> bytes:
    """The sample bytes of an 8-bit mono WAVE file (the frames wave reports,
    or everything after the header when the recorder left the size at 0)."""
    with wave.open(str(path)) as w:
        frames = w.readframes(w.getnframes())
    if frames:
        return frames
    data = path.read_bytes()
    at = data.find(b"data")
    return data[at + 8:] if at >= 0 else b""


def envelope(samples: bytes, start: int = 0, length: int | None = None) -> list[float]:
    end = len(samples) if length is None else min(len(samples), start + length)
    out = []
    for at in range(start, end - WINDOW + 1, WINDOW):
        chunk = samples[at:at + WINDOW]
        out.append((sum((b - 128) ** 2 for b in chunk) / WINDOW) ** 0.5)
    return out


def pearson(a: list[float], b: list[float]) -> float:
    n = min(len(a), len(b))
    if n < 2:
        return 0.0
    a, b = a[:n], b[:n]
    ma, mb = sum(a) / n, sum(b) / n
    num = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    den = (sum((x - ma) ** 2 for x in a) * sum((y - mb) ** 2 for y in b)) ** 0.5
    return num / den if den else 0.0


def sounding(level: float) -> bool:
    return level > 1.0


def runs(levels: list[float]) -> list[tuple[bool, int, int]]:
    """(sounding, first window, window count) for each stretch of windows."""
    out: list[tuple[bool, int, int]] = []
    for i, level in enumerate(levels):
        state = sounding(level)
        if out and out[-1][0] == state:
            out[-1] = (state, out[-1][1], out[-1][2] + 1)
        else:
            out.append((state, i, 1))
    return out


def seconds(windows: int) -> float:
    return windows * WINDOW / RATE


def follows(captured: bytes, reference: bytes, around: int, length: int,
            search: int = RATE // 2, hop: int = 55,
            skip_glitches: bool = False) -> tuple[float, int]:
    """How closely the loudness of CAPTURED from about sample AROUND follows
    REFERENCE's from its start, over LENGTH samples: the best correlation of
    the two envelopes for a start within SEARCH samples of AROUND, and that
    start. The server's buffering moves the start by some tens of ms. With
    SKIP_GLITCHES, windows where the capture dropped out (silent) or clicked
    (louder than anything in REFERENCE) are left out of the correlation:
    Wine's sound does both now and then on a loaded machine."""
    squares = [0]
    for b in captured:
        squares.append(squares[-1] + (b - 128) ** 2)

    def level(at: int) -> float:
        at = max(0, min(at, len(captured) - WINDOW))
        return ((squares[at + WINDOW] - squares[at]) / WINDOW) ** 0.5

    wanted = envelope(reference, 0, length)
    ceiling = 1.5 * max(wanted, default=0.0)
    best = (-1.0, around)
    for start in range(max(0, around - search), around + search, hop):
        levels = [level(start + i * WINDOW) for i in range(len(wanted))]
        pairs = list(zip(levels, wanted))
        if skip_glitches:
            pairs = [(seen, want) for seen, want in pairs if sounding(seen) and seen <= ceiling]
            if len(pairs) < len(wanted) * 3 // 4:
                continue
        best = max(best, (pearson([a for a, _ in pairs], [b for _, b in pairs]), start))
    return best



def follows_in_pieces(captured: bytes, reference: bytes, around: int, pieces: int,
                      piece: int = RATE, early: int = RATE // 4, late: int = 3 * RATE // 2,
                      hop: int = 55, good: float = 0.95) -> list[float]:
    """How closely CAPTURED follows each of the first PIECES parts of
    REFERENCE (PIECE samples each), the first one within half a second of
    sample AROUND: for each part, the best correlation of the loudness
    envelopes. A sound server that runs dry under load delays what follows by
    the length of the gap and never skips it, so a part is looked for from
    EARLY samples before to LATE samples after the place the last part that
    matched (r > GOOD) puts it; a part that a gap cuts through matches badly,
    and the ones after it match again."""
    squares = [0]
    for b in captured:
        squares.append(squares[-1] + (b - 128) ** 2)

    def level(at: int) -> float:
        at = max(0, min(at, len(captured) - WINDOW))
        return ((squares[at + WINDOW] - squares[at]) / WINDOW) ** 0.5

    scores = []
    anchor, anchor_index, before, after = around, 0, RATE // 2, RATE // 2
    for index in range(pieces):
        wanted = envelope(reference, index * piece, piece)
        expected = anchor + (index - anchor_index) * piece
        best = (-1.0, expected)
        for start in range(max(0, expected - before), expected + after, hop):
            levels = [level(start + i * WINDOW) for i in range(len(wanted))]
            best = max(best, (pearson(levels, wanted), start))
        scores.append(best[0])
        if best[0] > good:
            anchor, anchor_index, before, after = best[1], index, early, late
    return scores
