#!/usr/bin/env python3
"""End-to-end cases for qs3.scr under Wine + Xvfb.

    run.py [--build-dir DIR] setup        start Xvfb and a fresh Wine prefix
    run.py [--build-dir DIR] CASE...      run cases against the running setup
    run.py [--build-dir DIR] cleanup      stop wineserver and Xvfb
    run.py list                           name every case

DIR defaults to build/windows of this checkout; it holds qs3.scr and
qs3_testhost.exe. --renderer names the Linux qs3_render that draws the frames
the pixel cases expect. Each case prints what it saw when a check fails.
"""

from __future__ import annotations

import argparse
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, str(Path(__file__).resolve().parent))

import audio  # noqa: E402
from harness import (PREVIEW_TITLE, SAVER_TITLE, SCREEN_HEIGHT, SCREEN_WIDTH,  # noqa: E402
                     SMALL_SCREEN, CaseFailure, Harness, differing_pixels, expect, expect_fields,
                     parse_report, write_ppm)

SHOW_TIMEOUT = 10  # seconds a saver window gets to become visible
EXIT_TIMEOUT = 10  # seconds a saver gets to end after qualifying input
STILL_RUNNING_AFTER = 2.0  # seconds a saver must survive input that does not count
RUN_TIMEOUT_MS = "10000"  # what the test host gives a saver that should end by itself
PREVIEW_SIZE = ("152", "112")  # the preview area of the classic Display settings
CENTRE = (SCREEN_WIDTH // 2, SCREEN_HEIGHT // 2)

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000


# ----- shared steps ---------------------------------------------------------

def start_full_screen(h: Harness, *args: str):
    """Starts the full-screen saver with the cursor parked at the centre and
    checks its one window: a visible topmost popup covering the screen."""
    h.mouse_to(*CENTRE)
    saver = h.start_saver(*args)
    window = h.testhost("find", SAVER_TITLE, "15000")
    if window.get("found") != "1":
        code = h.wait_exit(saver, 0.1)
        state = "still running" if code is None else f"exited with {code}"
        raise CaseFailure(f"no window titled {SAVER_TITLE!r} appeared (the saver {state})")
    # The window exists a moment before it is shown (the graphics start in
    # between), so wait for it to become visible.
    deadline = time.monotonic() + SHOW_TIMEOUT
    while window.get("visible") != "1" and time.monotonic() < deadline:
        time.sleep(0.2)
        window = h.testhost("find", SAVER_TITLE)
    expect_fields(window, {
        "count": "1", "class": SAVER_TITLE, "visible": "1", "topmost": "1", "parent": "0",
        "left": "0", "top": "0", "right": str(SCREEN_WIDTH), "bottom": str(SCREEN_HEIGHT),
    }, "full-screen window")
    style = int(window["style"], 16)
    expect(style & WS_POPUP and style & WS_VISIBLE and not style & WS_CHILD,
           f"full-screen window style {window['style']} is not a visible popup")
    time.sleep(0.3)  # let the window settle before input arrives
    return saver


def expect_ends(h: Harness, saver, what: str) -> None:
    code = h.wait_exit(saver, EXIT_TIMEOUT)
    expect(code is not None, f"the saver did not end within {EXIT_TIMEOUT} s after {what}")
    expect(code == 0, f"the saver ended with exit code {code} after {what}, want 0")


def expect_still_running(h: Harness, saver, what: str) -> None:
    code = h.wait_exit(saver, STILL_RUNNING_AFTER)
    expect(code is None, f"the saver ended (exit code {code}) after {what}, which must not end it")
    expect(h.testhost("find", SAVER_TITLE).get("found") == "1",
           f"the saver's window is gone after {what}")


def expect_refused_run(h: Harness, *args: str) -> None:
    """The saver started with ARGS ends by itself with 0 and makes no window."""
    report = h.testhost("run", RUN_TIMEOUT_MS, h.saver_windows_path(), *args)
    expect_fields(report, {"exit": "0", "windows": "0"}, f"qs3.scr {' '.join(args)}")


def preview(h: Harness, template: str, hold_ms: str = "0") -> dict[str, str]:
    return h.testhost("preview", *PREVIEW_SIZE, RUN_TIMEOUT_MS, h.saver_windows_path(),
                      template, hold_ms, timeout=60)


def expect_preview_shown(report: dict[str, str], template: str) -> None:
    width, height = PREVIEW_SIZE
    expect_fields(report, {
        "host_client_width": width, "host_client_height": height,
        "exited_early": "0", "found_child": "1", "child_class": SAVER_TITLE,
        "child_left": "0", "child_top": "0", "child_right": width, "child_bottom": height,
        "child_visible": "1", "child_pid": report.get("pid"),
        "alive_after_input": "1", "child_after_input": "1", "exit": "0",
    }, f"preview {template}")
    style = int(report["child_style"], 16)
    expect(style & WS_CHILD and style & WS_VISIBLE and not style & WS_POPUP,
           f"preview window style {report['child_style']} is not a visible child")


def expect_preview_refused(report: dict[str, str], template: str) -> None:
    expect_fields(report, {"exited_early": "1", "found_child": "0", "exit": "0"},
                  f"refused {template}")


# ----- full screen ------------------------------------------------------------

def full_screen_window(switch: str):
    def case(h: Harness) -> None:
        saver = start_full_screen(h, switch)
        h.press_key(SAVER_TITLE)
        expect_ends(h, saver, "a key press")
    return case


def press_key(h: Harness) -> None:
    h.press_key(SAVER_TITLE)


def move(dx: int, dy: int):
    def act(h: Harness) -> None:
        h.mouse_to(CENTRE[0] + dx, CENTRE[1] + dy)
    return act


def click(button: int):
    def act(h: Harness) -> None:
        h.click(button)
    return act


def nothing(h: Harness) -> None:
    pass


def ends_on(action, what: str):
    def case(h: Harness) -> None:
        saver = start_full_screen(h, "/s")
        action(h)
        expect_ends(h, saver, what)
    return case


def survives(action, what: str):
    def case(h: Harness) -> None:
        saver = start_full_screen(h, "/s")
        action(h)
        expect_still_running(h, saver, what)
        move(90, 70)(h)  # a diagonal move still ends it afterwards
        expect_ends(h, saver, f"a diagonal move following {what}")
    return case


def second_instance_refused(h: Harness) -> None:
    saver = start_full_screen(h, "/s")
    for args in (["/s"], ["/c"], ["/a", "0"], []):
        expect_refused_run(h, *args)
    expect_preview_refused(preview(h, "/p {hwnd}"), "/p {hwnd} beside a full-screen saver")
    window = h.testhost("find", SAVER_TITLE)
    expect_fields(window, {"found": "1", "count": "1"}, "the first saver after the refusals")
    expect(h.wait_exit(saver, 0) is None, "the first saver ended during the refusals")
    h.press_key(SAVER_TITLE)
    expect_ends(h, saver, "a key press")


# ----- preview ----------------------------------------------------------------

def preview_shown(template: str):
    def case(h: Harness) -> None:
        expect_preview_shown(preview(h, template), template)
    return case


def preview_refused_beside_top_level(h: Harness) -> None:
    holder = h.start_testhost("hold-toplevel", PREVIEW_TITLE, "60")
    h.read_until_ready(holder, 30)
    for template in ("/p {hwnd}", "/l {hwnd}"):
        expect_preview_refused(preview(h, template), template + " beside a top-level SSPREVIEW")
    holder.kill()


def preview_beside_running_preview(h: Harness) -> None:
    """A running preview's window is a child, so it does not refuse another."""
    first = h.start_testhost("preview", *PREVIEW_SIZE, RUN_TIMEOUT_MS, h.saver_windows_path(),
                             "/p {hwnd}", "8000")
    expect_fields(h.read_until_ready(first, 30), {"found_child": "1"}, "first preview")
    expect_preview_shown(preview(h, "/p {hwnd}"), "second preview")
    expect(first.poll() is None, "the first preview ended before the second was checked")
    rest, _ = first.communicate(timeout=30)
    expect_fields(parse_report(rest.decode(errors="replace")), {"exit": "0"},
                  "first preview after its host closed")


def preview_without_window(args: list[str]):
    def case(h: Harness) -> None:
        expect_refused_run(h, *args)
    return case


def change_password(h: Harness) -> None:
    expect_preview_refused(preview(h, "/a {hwnd}"), "/a {hwnd}")


# ----- password and settings file -----------------------------------------------

PASSWORD_KEY = r"HKCU\Control Panel\desktop"


def password_set(value_type: str, data: str, action, what: str):
    """With a screen-saver password set and no password.cpl, input still ends the saver."""
    def case(h: Harness) -> None:
        system = h.drive_c() / "windows" / "system32"
        expect(not any(path.name.lower() == "password.cpl" for path in system.iterdir()),
               "this prefix has a password.cpl, so the case does not test its absence")
        h.reg("add", PASSWORD_KEY, "/v", "ScreenSaveUsePassword", "/t", value_type, "/d", data,
              "/f")
        try:
            query = h.reg("query", PASSWORD_KEY, "/v", "ScreenSaveUsePassword")
            expect(value_type in query.stdout, f"the registry value was not set: {query.stdout}")
            saver = start_full_screen(h, "/s")
            action(h)
            expect_ends(h, saver, what + " with a password set")
        finally:
            h.reg("delete", PASSWORD_KEY, "/v", "ScreenSaveUsePassword", "/f")
    return case


JUNK_SETTINGS = (b"\x00\xff\xfe[QS3_10\r\nWAV 1\r\n\x1a\x80\x81[QS3_DIR]\nQS3_DIR\n"
                 b"[QS3_10]\nWAV\n==\n[\n]\n" + bytes(range(256)) + b"\n[QS3_DIR\nQS3_DIR")


def junk_settings_file(h: Harness) -> None:
    path = h.drive_c() / "windows" / "ORN3CFG.INI"
    path.write_bytes(JUNK_SETTINGS)
    try:
        saver = start_full_screen(h, "/s")
        expect_still_running(h, saver, "starting with a junk settings file")
        h.press_key(SAVER_TITLE)
        expect_ends(h, saver, "a key press")
        expect(path.read_bytes() == JUNK_SETTINGS, "the junk settings file was rewritten")
    finally:
        path.unlink(missing_ok=True)


def settings_files(h: Harness) -> list[Path]:
    return [path for path in h.drive_c().rglob("*") if path.name.lower() == "orn3cfg.ini"]


def no_settings_file_written(h: Harness) -> None:
    """Runs every mode once, then finds no settings file anywhere on drive C:
    (neither in the Windows folder nor in the per-user AppData copy)."""
    expect(not settings_files(h), f"a settings file existed before: {settings_files(h)}")
    saver = start_full_screen(h, "/s")
    press_key(h)
    expect_ends(h, saver, "a key press")
    preview_shown("/p {hwnd}")(h)
    change_password(h)
    found = settings_files(h)
    expect(not found, f"settings files were written: {[str(p) for p in found]}")


# ----- resources -------------------------------------------------------------------

RESOURCE_DIR = Path(__file__).resolve().parents[2] / "resources"
PICTURES = {102: "dialog_art.pdib", 113: "sheet2.pdib", 114: "sheet0.pdib", 115: "sheet1.pdib"}


def fnv1a(data: bytes) -> str:
    value = 2166136261
    for byte in data:
        value = ((value ^ byte) * 16777619) & 0xFFFFFFFF
    return f"{value:08x}"


def embedded_resources(h: Harness) -> None:
    """qs3.scr carries the four pictures byte for byte and one icon group
    whose entries are the sizes of resources/qs3.ico."""
    report = h.testhost("resources", h.saver_windows_path())
    expect(report.get("loaded") == "1", f"qs3.scr could not be loaded as a data file: {report}")
    for resource_id, name in PICTURES.items():
        data = (RESOURCE_DIR / name).read_bytes()
        expected = f"{len(data)} {fnv1a(data)}"
        found = report.get(f"rcdata_{resource_id}")
        expect(found == expected, f"RCDATA {resource_id}: {found}, {name} is {expected}")
    icon_count = int.from_bytes((RESOURCE_DIR / "qs3.ico").read_bytes()[4:6], "little")
    group = report.get("icongroup_101", "missing")
    # A group directory is 6 bytes plus 14 per image.
    expect(group != "missing" and int(group.split()[0]) == 6 + 14 * icon_count,
           f"icon group 101: {group}, qs3.ico holds {icon_count} images")


# ----- pixels against the renderer ---------------------------------------------------

MATCH_TIMEOUT = 40  # seconds of screenshots before a picture must have matched a frame
SHOT_INTERVAL = 0.4  # seconds between screenshots
SMALL_SCREEN_ARG = f"{SMALL_SCREEN[0]}x{SMALL_SCREEN[1]}"


def is_blank(pixels: bytes) -> bool:
    return pixels.count(0) == len(pixels)


def expect_shown_frame(h: Harness, name: str, area: tuple[int, int, int, int],
                       frames: dict[bytes, int]) -> None:
    """Screenshots AREA until it equals, pixel for pixel, one of the frames
    that is not blank (a black window must not pass); one taken mid-update
    may miss, so it keeps trying for MATCH_TIMEOUT seconds."""
    x, y, width, height = area
    candidates = {pixels: tick for pixels, tick in frames.items() if not is_blank(pixels)}
    shots = 0
    last_seen = b""
    deadline = time.monotonic() + MATCH_TIMEOUT
    while time.monotonic() < deadline:
        pixels = h.grab(x, y, width, height)
        shots += 1
        if pixels in candidates:
            h.note(f"screenshot {shots} equals the frame of tick {candidates[pixels]}")
            print(f"matched tick {candidates[pixels]} on screenshot {shots}")
            return
        if not is_blank(pixels):
            last_seen = pixels
        time.sleep(SHOT_INTERVAL)
    if not last_seen:
        raise CaseFailure(f"all {shots} screenshots of {width}x{height}+{x}+{y} were black")
    differences, tick, best = min((differing_pixels(last_seen, pixels, width), tick, pixels)
                                  for pixels, tick in candidates.items())
    seen = write_ppm(h.shots / f"{name}_seen.ppm", (width, height), last_seen)
    expected = write_ppm(h.shots / f"{name}_tick_{tick:04d}.ppm", (width, height), best)
    raise CaseFailure(f"none of {shots} screenshots equals a renderer frame; the last one "
                      f"({seen}) is nearest tick {tick} ({expected}), {differences} of "
                      f"{width * height} pixels differ")


def fullscreen_frame_matches_renderer(h: Harness) -> None:
    frames = h.render("full", "--screen", SMALL_SCREEN_ARG, "--ticks", "0..189")
    h.start_in_small_desktop(h.saver, "/s")
    x, y = h.small_desktop_origin()
    expect_shown_frame(h, "fullscreen_frame", (x, y, *SMALL_SCREEN), frames)


# ----- music on a sound server with no hardware -------------------------------------

DATA_DIR = Path(__file__).resolve().parents[2] / "data"
MUSIC_FILE = DATA_DIR / "QS3" / "BGM10.SSS"
MUSIC_RATE = 22050  # bytes a second: 8-bit mono at 22050 Hz
# The ending cue comes 30000 bytes after an end point of 1050000 + 20000 k.
ENDING_CUES = [(1050000 + 20000 * k + 30000) / MUSIC_RATE for k in range(10)]
RESTART_GAP = 4.1  # 41 ticks of 100 ms from the ending cue to the restart
MUSIC_RUN = 68  # seconds: the latest ending (57.2 s), the gap, then the restart


def start_music_saver(h: Harness, extra_env: dict[str, str]):
    h.mouse_to(*CENTRE)
    saver = h.start_saver_in(DATA_DIR, extra_env, "/s")
    window = h.testhost("find", SAVER_TITLE, "15000")
    if window.get("found") != "1":
        raise CaseFailure("no full-screen window appeared with music on")
    return saver


def end_with_key(h: Harness, saver) -> None:
    h.press_key(SAVER_TITLE)
    expect_ends(h, saver, "a key press")


def music_plays_and_restarts(h: Harness) -> None:
    """The saver plays BGM10.SSS from its beginning, the ending cue stops it
    where the position says (so the position advanced at 22050 bytes a
    second), and the restart 4.1 s later plays it from the beginning again."""
    expect(audio.PulseSession.available(), "pulseaudio and parecord are not installed")
    music = audio.read_samples(MUSIC_FILE)
    with audio.PulseSession(h.root / "pulse") as pulse:
        saver = start_music_saver(h, pulse.env())
        time.sleep(MUSIC_RUN)
        end_with_key(h, saver)
        time.sleep(2)  # the recorder's tail
        pulse.stop_recording()
        captured = audio.read_samples(pulse.capture)
    levels = audio.envelope(captured)
    # Pauses are a second or more of silence; the music itself has shorter rests.
    pauses = [run for run in audio.runs(levels) if not run[0] and run[2] >= 20]
    h.note(f"captured {len(captured)} bytes; pauses (window, count): {pauses}")
    start = next((i for i, level in enumerate(levels) if audio.sounding(level)), None)
    expect(start is not None, "no sound was captured")
    after = [run for run in pauses if run[1] > start]
    expect(len(after) >= 1 and after[0][1] + after[0][2] < len(levels),
           f"want the music, a pause and the music again; pauses at {pauses}")
    stop, restart = after[0][1], after[0][1] + after[0][2]
    following = after[1][1] if len(after) > 1 else len(levels)
    played = audio.seconds(stop - start)
    gap = audio.seconds(restart - stop)
    print(f"music from {audio.seconds(start):.2f} s for {played:.2f} s, pause {gap:.2f} s")
    # Had the position been lost, the tick cues would have ended the
    # performance at 37.5 s; Wine's sound runs a little off the file's clock
    # under load, so the cut is only placed among the possible ending cues.
    earliest, latest = ENDING_CUES[0] - 1.0, ENDING_CUES[-1] + 1.0
    expect(earliest < played < latest,
           f"the music stopped after {played:.2f} s; the ending cues fall between "
           f"{ENDING_CUES[0]:.2f} and {ENDING_CUES[-1]:.2f} s")
    expect(abs(gap - RESTART_GAP) < 0.8, f"the pause lasted {gap:.2f} s, want about {RESTART_GAP}")
    window = audio.WINDOW
    opening, _ = audio.follows(captured, music, start * window, 2 * audio.RATE)
    again, _ = audio.follows(captured, music, restart * window,
                             min(2 * audio.RATE, (following - restart) * window))
    print(f"loudness against the file's first 2 s: {opening:.4f} at the start, "
          f"{again:.4f} after the restart")
    expect(opening > 0.95, f"the music does not begin as the file does (r = {opening:.3f})")
    expect(again > 0.95, f"the restart does not play the file from its start (r = {again:.3f})")


def music_without_sound_server_runs_silent(h: Harness) -> None:
    """With music on but no sound server, the saver runs and ends cleanly."""
    saver = start_music_saver(h, {"PULSE_SERVER": "unix:/nonexistent/qs3-no-server"})
    expect_still_running(h, saver, "starting with music on and no sound server")
    end_with_key(h, saver)


# ----- the table ------------------------------------------------------------------

CASES = {
    "full_screen_slash_s": full_screen_window("/s"),
    "full_screen_dash_upper_s": full_screen_window("-S"),
    "full_screen_slash_upper_s": full_screen_window("/S"),
    "ends_on_key": ends_on(press_key, "a key press"),
    "ends_on_left_click": ends_on(click(1), "a left click"),
    "ends_on_right_click": ends_on(click(3), "a right click"),
    "ends_on_diagonal_move": ends_on(move(60, 45), "a diagonal mouse move"),
    "survives_horizontal_move": survives(move(120, 0), "a horizontal mouse move"),
    "survives_vertical_move": survives(move(0, 120), "a vertical mouse move"),
    "survives_middle_click": survives(click(2), "a middle click"),
    "survives_no_input": survives(nothing, "no input"),
    "second_instance_refused": second_instance_refused,
    "preview_p_space": preview_shown("/p {hwnd}"),
    "preview_p_colon": preview_shown("/p:{hwnd}"),
    "preview_l_space": preview_shown("/l {hwnd}"),
    "preview_refused_beside_top_level": preview_refused_beside_top_level,
    "preview_beside_running_preview": preview_beside_running_preview,
    "preview_handle_zero": preview_without_window(["/p", "0"]),
    "preview_handle_names_no_window": preview_without_window(["/p", "123456789"]),
    "preview_handle_glued": preview_without_window(["/p1234"]),
    "change_password_with_window": change_password,
    "password_dword_set": password_set("REG_DWORD", "1", click(1), "a left click"),
    "password_string_set": password_set("REG_SZ", "1", press_key, "a key press"),
    "junk_settings_file": junk_settings_file,
    "embedded_resources": embedded_resources,
    "fullscreen_frame_matches_renderer": fullscreen_frame_matches_renderer,
    "music_plays_and_restarts": music_plays_and_restarts,
    "music_without_sound_server_runs_silent": music_without_sound_server_runs_silent,
    "no_settings_file_written": no_settings_file_written,
}


def run_case(h: Harness, name: str) -> bool:
    print(f"--- {name}")
    try:
        h.load_state()
        h.kill_leftovers()
        h.log.clear()
        CASES[name](h)
        print(f"ok {name}")
        return True
    except CaseFailure as failure:
        print(f"FAILED {name}: {failure}")
        try:
            print(f"screenshot: {h.screenshot('failed_' + name)}")
        except CaseFailure as shot_failure:
            print(f"(no screenshot: {shot_failure})")
        h.dump_log()
        return False
    finally:
        try:
            h.kill_leftovers()
        except CaseFailure as failure:
            print(f"after {name}: {failure}")


def main() -> int:
    default_build = Path(__file__).resolve().parents[2] / "build" / "windows"
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", type=Path, default=default_build)
    parser.add_argument("--saver", type=Path, help="qs3.scr to test (default: in the build dir)")
    parser.add_argument("--renderer", type=Path,
                        help="qs3_render that draws the expected frames "
                             "(default: build/linux/tools/qs3_render beside the build dir)")
    parser.add_argument("names", nargs="+", help="setup, cleanup, list or case names")
    options = parser.parse_args()
    h = Harness(options.build_dir)
    if options.saver:
        h.saver = options.saver.resolve()
    if options.renderer:
        h.renderer = options.renderer.resolve()
    if options.names == ["list"]:
        print("\n".join(CASES))
        return 0
    try:
        if options.names == ["setup"]:
            h.setup()
            return 0
        if options.names == ["cleanup"]:
            h.cleanup()
            return 0
    except CaseFailure as failure:
        print(f"FAILED {options.names[0]}: {failure}")
        return 1
    unknown = [name for name in options.names if name not in CASES]
    if unknown:
        parser.error(f"unknown case {', '.join(unknown)}; try: run.py list")
    results = [run_case(h, name) for name in options.names]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
