"""What the saver shows on a desk of several monitors, as checksums.

A saver seeds its placement with the calendar second it starts in, so a test
does not know the seed exactly: it watches the monitors, then asks the
renderer (`qs3_render --monitors ... --checksums -`) for every seed near the
start and looks for one that explains what it saw. A monitor's screenshot is
compared by the CRC-32 of its R, G, B bytes, which is what the renderer
writes for the monitor the quartet plays on; whole frames of two large
monitors for every seed would take gigabytes.

Python standard library only.
"""

from __future__ import annotations

import subprocess
import time
import zlib
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass, field

# The seeds tried around the second the saver was started in: it reads the
# clock once its window is made, a moment to a few seconds later.
SEED_SLACK = range(-1, 6)
PERFORMANCE_TICKS = 191  # a silent performance, restart included
WATCH_SECONDS = 30.0  # the first performance (19.1 s), a start-up and most of the second
SHOT_INTERVAL = 0.2

Rect = tuple[int, int, int, int]  # left, top, right, bottom


def crc(pixels: bytes) -> int:
    return zlib.crc32(pixels)


def monitors_arg(rects: list[Rect]) -> str:
    """--monitors for these rectangles, the first one primary."""
    return ",".join(f"{r - l}x{b - t}{l:+d}{t:+d}" for l, t, r, b in rects)


@dataclass
class SeedFrames:
    """The renderer's checksums for one seed: the tick of each frame that
    shows something, by the monitor it plays on and the checksum."""
    seed: int
    frames: dict[tuple[Rect, int], int] = field(default_factory=dict)

    def tick_of(self, monitor: Rect, checksum: int) -> int | None:
        return self.frames.get((monitor, checksum))


def render_checksums(renderer: str, rects: list[Rect], seeds: list[int], last_tick: int,
                     env: dict[str, str] | None = None) -> list[SeedFrames]:
    primary = rects[0]
    screen = f"{primary[2] - primary[0]}x{primary[3] - primary[1]}"

    def one(seed: int) -> SeedFrames:
        out = subprocess.run([renderer, "--screen", screen, "--monitors", monitors_arg(rects),
                              "--seed", str(seed), "--ticks", f"0..{last_tick}",
                              "--checksums", "-"], env=env, capture_output=True, text=True,
                             timeout=180, check=True).stdout
        found = SeedFrames(seed)
        for line in out.splitlines():
            _, tick, _, monitor, _, checksum = line.split()
            area = tuple(int(part) for part in monitor.split(","))
            left, top, right, bottom = area
            if int(checksum, 16) == crc(bytes(3 * (right - left) * (bottom - top))):
                continue  # black: any monitor the quartet has left shows that too
            found.frames.setdefault((area, int(checksum, 16)), int(tick))
        return found

    with ThreadPoolExecutor(max_workers=2) as pool:
        return list(pool.map(one, seeds))


@dataclass
class Shot:
    at: float  # seconds since the saver started
    checksums: list[int]  # one per monitor, in the order watched
    black: list[bool]


def watch(grab, areas: list[tuple[int, int, int, int]], seconds: float = WATCH_SECONDS,
          still_running=lambda: True) -> list[Shot]:
    """Screenshots of each monitor (x, y, width, height on the X screen)
    every SHOT_INTERVAL for SECONDS."""
    shots = []
    started = time.monotonic()
    while time.monotonic() - started < seconds and still_running():
        at = time.monotonic() - started
        pictures = [grab(*area) for area in areas]
        shots.append(Shot(at, [crc(p) for p in pictures], [p.count(0) == len(p) for p in pictures]))
        time.sleep(SHOT_INTERVAL)
    return shots


@dataclass
class Explained:
    seed: int
    first: tuple[float, int]  # when the primary showed a frame of the first performance, its tick
    second: tuple[float, int]  # the same on the next monitor, in the second performance


def explain(shots: list[Shot], renders: list[SeedFrames], playing: list[Rect]) -> Explained | None:
    """A seed under which some screenshot showed a frame of the first
    performance on monitor 0 with monitor 1 black, and a later one a frame of
    the second performance on monitor 1 with monitor 0 black. PLAYING: the
    renderer's rectangles of monitors 0 and 1."""
    for render in renders:
        first = second = None
        for shot in shots:
            tick = render.tick_of(playing[0], shot.checksums[0])
            if first is None and tick is not None and tick < PERFORMANCE_TICKS and shot.black[1]:
                first = (shot.at, tick)
            tick = render.tick_of(playing[1], shot.checksums[1])
            if (first is not None and tick is not None and tick >= PERFORMANCE_TICKS
                    and shot.black[0]):
                second = (shot.at, tick)
                break
        if first and second:
            return Explained(render.seed, first, second)
    return None


def explain_run(renderer: str, shots: list[Shot], rects: list[Rect],
                started: int) -> tuple[Explained | None, str]:
    """Renders the seeds near STARTED and explains SHOTS of monitors RECTS
    (the primary first); the explanation, or none, and a sentence saying
    what was seen."""
    renders = render_checksums(renderer, rects, [started + d for d in SEED_SLACK],
                               2 * PERFORMANCE_TICKS - 1)
    seen = explain(shots, renders, rects)
    if seen is None:
        return None, (f"no seed near {started} explains what the monitors showed over "
                      f"{len(shots)} screenshots: {describe(shots)}")
    return seen, (f"seed {seen.seed}: at {seen.first[0]:.1f} s the primary monitor showed tick "
                  f"{seen.first[1]}, the other black; at {seen.second[0]:.1f} s the other "
                  f"showed tick {seen.second[1]}, the primary black")


def describe(shots: list[Shot]) -> str:
    """What each monitor showed over time, for a failure message."""
    lines = []
    for shot in shots[::10]:
        looks = ["black" if black else f"crc {checksum:08x}"
                 for checksum, black in zip(shot.checksums, shot.black)]
        lines.append(f"{shot.at:5.1f} s: {', '.join(looks)}")
    return "; ".join(lines)
