#!/usr/bin/env python3
"""The Wine soak: qs3.scr /s at 1920x1080 for MINUTES (default 30) with the
music into a PulseAudio null sink, on a display and prefix of its own
(BUILD/e2e-soak/). Every minute it samples the saver process's resident
memory (from /proc) and its GDI and USER objects (GetGuiResources through the
test host, where Wine answers it, and the windows the process owns). At the
end it checks that memory stayed flat after the first minutes, that the
counts did not rise, that every performance ended in a pause and the music
came again (never more than 75 s apart, up to the end), and that the last
starts play the file from its beginning (two of the last three: on a loaded
machine Wine's sound clicks and drops out).

    soak.py [--build-dir DIR] [--minutes N] [--slack-mb S]

Not part of CI: scripts/soak --wine runs it. Python standard library only.
"""

from __future__ import annotations

import argparse
import sys
import time
import warnings
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))

import audio  # noqa: E402

with warnings.catch_warnings():
    warnings.simplefilter("ignore", DeprecationWarning)
    import audioop  # loudness of 36 minutes of sound in C, not in Python
from harness import SAVER_TITLE, CaseFailure, Harness, expect  # noqa: E402

REPO = Path(__file__).resolve().parents[2]
DATA_DIR = REPO / "data"
MUSIC_FILE = DATA_DIR / "QS3" / "BGM10.SSS"
SCREEN = (1920, 1080)
SETTLE_MINUTES = 2  # memory is compared with the sample after these
# From one start of the music to the next: a performance on the tick cues
# (37.5 s of music and the 4.1 s pause; a slow first frame or a tick that
# found the position unmoved loses the position) or on the position's ending
# cues (49.0 to 57.2 s and the pause), longer under load.
LONGEST_PERFORMANCE = 75.0


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


def levels_every(samples: bytes, hop: int) -> list[int]:
    """The loudness (RMS over 50 ms) of 8-bit samples every HOP samples."""
    signed = audioop.bias(samples, 1, -128)
    return [audioop.rms(signed[at:at + audio.WINDOW], 1)
            for at in range(0, len(signed) - audio.WINDOW, hop)]


def pauses(levels: list[int], hop: int) -> list[tuple[float, float]]:
    """(end, length) in seconds of each silence of three seconds or more after
    the first sound: the pause between two performances (4.1 s, longer under
    load). Wine's sound drops out for less than that."""
    found, silent_since, heard = [], None, False
    for at, level in enumerate(levels):
        if not audio.sounding(level):
            silent_since = at if silent_since is None else silent_since
            continue
        if heard and silent_since is not None and (at - silent_since) * hop >= 3 * audio.RATE:
            found.append((at * hop / audio.RATE, (at - silent_since) * hop / audio.RATE))
        heard, silent_since = True, None
    return found


def opening_match(levels: list[int], hop: int, at: float, opening: list[int]) -> float:
    """How closely the sound from about AT seconds follows the file's first
    second: the best r for a start within half a second. Windows where Wine's
    sound clicked (louder than anything in the opening) or dropped out are
    left out."""
    ceiling = 1.5 * max(opening)
    near = int(at * audio.RATE / hop)
    best = -1.0
    for start in range(max(0, near - 50), near + 50):
        pairs = [(levels[start + 5 * k], want) for k, want in enumerate(opening)
                 if start + 5 * k < len(levels)]
        pairs = [(seen, want) for seen, want in pairs if audio.sounding(seen) and seen <= ceiling]
        if len(pairs) >= 15:
            best = max(best, audio.pearson([a for a, _ in pairs], [b for _, b in pairs]))
    return best


def check_music(captured: bytes, minutes: int) -> list[str]:
    """Every performance ends in a pause and the music starts again from its
    beginning; at the end still."""
    hop = audio.WINDOW // 5  # 10 ms
    levels = levels_every(captured, hop)
    opening = levels_every(audio.read_samples(MUSIC_FILE)[:audio.RATE + audio.WINDOW],
                           audio.WINDOW)[:20]
    found = pauses(levels, hop)
    end = len(levels) * hop / audio.RATE
    first = next((at * hop / audio.RATE for at, level in enumerate(levels)
                  if audio.sounding(level)), end)
    matches = [opening_match(levels, hop, at, opening) for at, _ in found]
    ends = [first] + [at for at, _ in found]
    gaps = [after - before for before, after in zip(ends, ends[1:])]
    print(f"{len(found)} pauses between performances in {end:.0f} s of sound; "
          f"{sum(gap < 50 for gap in gaps[1:])} performances on the tick cues, "
          f"{sum(gap >= 50 for gap in gaps[1:])} on the position's cues")
    print("the music again at " + ", ".join(
        f"{at:.1f} s (pause {length:.1f} s, r {r:.3f})" for (at, length), r in zip(found, matches)))
    print(f"{sum(r > 0.9 for r in matches)} of them begin as the file does (r > 0.9; the rest "
          f"spoilt by Wine's dropouts and clicks)")
    problems = []
    for before, gap in zip(ends, gaps):
        if gap > LONGEST_PERFORMANCE:
            problems.append(f"no pause between performances for {gap:.1f} s after {before:.1f} s")
    if not found or end - found[-1][0] > LONGEST_PERFORMANCE:
        problems.append(f"no pause between performances in the last {LONGEST_PERFORMANCE:.0f} s")
    if sum(r > 0.9 for r in matches[-3:]) < 2:
        problems.append(f"the last starts do not begin as the file does: r = {matches[-3:]}")
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
