#!/usr/bin/env python3
"""The Wine soak: qs3.scr /s at 1920x1080 for MINUTES (default 30) with the
music into a PulseAudio null sink, on a display and prefix of its own
(BUILD/e2e-soak/). Every minute it samples the saver process's resident
memory (from /proc) and its GDI and USER objects (GetGuiResources through the
test host, where Wine answers it, and the windows the process owns). At the
end it checks that memory stayed flat after the first minutes and that the
music still restarted with each performance, from its beginning.

    soak.py [--build-dir DIR] [--minutes N] [--slack-mb S]

Not part of CI: scripts/soak --wine runs it. Python standard library only.
"""

from __future__ import annotations

import argparse
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))

import audio  # noqa: E402
from harness import SAVER_TITLE, CaseFailure, Harness, expect  # noqa: E402

REPO = Path(__file__).resolve().parents[2]
DATA_DIR = REPO / "data"
MUSIC_FILE = DATA_DIR / "QS3" / "BGM10.SSS"
SCREEN = (1920, 1080)
SETTLE_MINUTES = 2  # memory is compared with the sample after these
# Seconds of music a performance plays: from the position's ending cues
# (49.0 to 57.2 s), or 37.5 s once the position was lost and the tick cues
# lead (a slow first frame or a tick that found the position unmoved; later
# under load).
PERFORMANCE = (49.0 - 1.5, 57.2 + 1.5)
TICK_CUE_PERFORMANCE = (37.5 - 1.0, 37.5 * 1.2)
RESTART_GAP = (3.3, 4.9)  # seconds of silence from the ending cue to the restart


def sample(h: Harness, windows_pid: str, minute: int) -> dict[str, int]:
    memory = h.memory_kb()
    gui = h.testhost("gui-resources", windows_pid)
    row = {"minute": minute, "rss_kb": memory["VmRSS"], "peak_kb": memory["VmHWM"],
           "gdi": int(gui.get("gdi_objects", "-1")), "gdi_error": int(gui.get("gdi_error", "-1")),
           "user": int(gui.get("user_objects", "-1")),
           "user_error": int(gui.get("user_error", "-1")),
           "windows": int(gui.get("windows", "-1"))}
    print(f"minute {minute:3d}: resident {row['rss_kb'] / 1024:7.1f} MB, peak "
          f"{row['peak_kb'] / 1024:7.1f} MB, GDI objects {row['gdi']} (error {row['gdi_error']}),"
          f" USER objects {row['user']} (error {row['user_error']}), windows {row['windows']}",
          flush=True)
    return row


def performances(captured: bytes) -> list[tuple[float, float]]:
    """(start, seconds of sound) of each stretch of music between pauses of a
    second or more."""
    levels = audio.envelope(captured)
    out = []
    for sounding, first, count in audio.runs(levels):
        if sounding:
            if out and audio.seconds(first) - (out[-1][0] + out[-1][1]) < 1.0:
                start = out[-1][0]
                out[-1] = (start, audio.seconds(first + count) - start)
            else:
                out.append((audio.seconds(first), audio.seconds(count)))
    return out


def check_music(captured: bytes, minutes: int) -> list[str]:
    music = audio.read_samples(MUSIC_FILE)
    played = performances(captured)
    problems = []
    print(f"{len(played)} stretches of music in {len(captured) / audio.RATE:.0f} s of sound")
    complete = played[1:-1]  # the first may start late, the last is cut by the end
    by_position = [length for _, length in complete if PERFORMANCE[0] < length < PERFORMANCE[1]]
    by_ticks = [length for _, length in complete
                if TICK_CUE_PERFORMANCE[0] < length < TICK_CUE_PERFORMANCE[1]]
    print(f"{len(by_position)} whole performances ended where the position put the ending, "
          f"{len(by_ticks)} on the tick cues")
    for start, length in complete:
        if not (PERFORMANCE[0] < length < PERFORMANCE[1] or
                TICK_CUE_PERFORMANCE[0] < length < TICK_CUE_PERFORMANCE[1]):
            problems.append(f"the music from {start:.1f} s played {length:.2f} s")
    for (start, length), (after, _) in zip(played, played[1:]):
        gap = after - (start + length)
        if not RESTART_GAP[0] < gap < RESTART_GAP[1] and start > 0:
            problems.append(f"a pause of {gap:.2f} s at {start + length:.1f} s")
    last = [start for start, _ in played[-3:]]
    for start in last:
        r, _ = audio.follows(captured, music, int(start * audio.RATE), 2 * audio.RATE)
        print(f"the music from {start:.1f} s begins as the file does: r = {r:.4f}")
        if r < 0.95:
            problems.append(f"the music from {start:.1f} s does not begin as the file (r {r:.3f})")
    end = len(captured) / audio.RATE
    if not played or played[-1][0] < end - 2 * PERFORMANCE[1]:
        problems.append(f"no restart of the music in the last {2 * PERFORMANCE[1]:.0f} s")
    print(f"{len(played)} starts of the music in {minutes} minutes")
    return problems


def soak(h: Harness, minutes: int, slack_mb: float) -> int:
    rows = []
    with audio.PulseSession(h.root / "pulse") as pulse:
        h.mouse_to(SCREEN[0] // 2, SCREEN[1] // 2)
        saver = h.start_saver_in(DATA_DIR, pulse.env(), "/s")
        window = h.testhost("find", SAVER_TITLE, "20000")
        expect(window.get("found") == "1", "the saver showed no window")
        started = time.monotonic()
        for minute in range(minutes + 1):
            while time.monotonic() < started + 60 * minute:
                expect(saver.poll() is None, f"the saver ended with {saver.returncode}")
                time.sleep(1)
            rows.append(sample(h, window["pid"], minute))
        h.press_key(SAVER_TITLE)
        code = h.wait_exit(saver, 15)
        expect(code == 0, f"the saver ended with {code} after a key press, want 0")
        time.sleep(2)
        pulse.stop_recording()
        captured = audio.read_samples(pulse.capture)
    problems = check_music(captured, minutes)
    settled = rows[min(SETTLE_MINUTES, len(rows) - 1)]
    growth = max(row["rss_kb"] for row in rows[SETTLE_MINUTES:] or rows) - settled["rss_kb"]
    print(f"resident memory after minute {settled['minute']}: {settled['rss_kb'] / 1024:.1f} MB; "
          f"largest growth after it {growth / 1024:.2f} MB (slack {slack_mb} MB)")
    if growth > slack_mb * 1024:
        problems.append(f"resident memory grew by {growth / 1024:.2f} MB")
    for key in ("gdi", "user", "windows"):
        values = sorted({row[key] for row in rows[SETTLE_MINUTES:] or rows})
        print(f"{key} counts after minute {settled['minute']}: {values}")
        if len(values) > 1 and values[-1] > settled[key]:
            problems.append(f"the {key} count rose from {settled[key]} to {values[-1]}")
    for problem in problems:
        print(f"FAILED: {problem}")
    print("soak ok" if not problems else "soak FAILED")
    return 0 if not problems else 1


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", type=Path, default=REPO / "build" / "windows")
    parser.add_argument("--minutes", type=int, default=30)
    parser.add_argument("--slack-mb", type=float, default=2.0)
    options = parser.parse_args()
    h = Harness(options.build_dir, "e2e-soak", SCREEN)
    try:
        h.setup()
        return soak(h, options.minutes, options.slack_mb)
    except CaseFailure as failure:
        print(f"FAILED: {failure}")
        h.dump_log()
        return 1
    finally:
        h.cleanup()


if __name__ == "__main__":
    sys.exit(main())
