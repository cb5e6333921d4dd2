"""Runs the saver.

On a desktop (DISPLAY reaches an X server) the native saver (build/linux/qs3)
runs full screen until you move the mouse diagonally, click or press a key;
`--wine` runs the Windows saver under Wine instead. Without a display it says
so, runs qs3.scr under Wine on a virtual screen, takes a screenshot, ends it
with a key press as a user would, and reports what happened.

    python3 scripts/run_saver.py [--wine] [SWITCHES...]     (default: /s)
"""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "windows"
SAVER = BUILD / "qs3.scr"
NATIVE = ROOT / "build" / "linux" / "qs3"
PREFIX = BUILD / "wine-prefix"
SHOT = BUILD / "qs3-screenshot.png"
# The data folder as the saver expects it: the signature file beside "QS3",
# which holds the music. Started there, the saver finds its music.
DATA = ROOT / "data"
VIRTUAL_DISPLAY = ":93"
WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEARCH": "win64",
    "WINEPREFIX": str(PREFIX),
}


def display_works(display: str) -> bool:
    if not display or not shutil.which("xdpyinfo"):
        return bool(display)
    probe = subprocess.run(["xdpyinfo", "-display", display], capture_output=True)
    return probe.returncode == 0


def wine_env(display: str) -> dict[str, str]:
    env = dict(os.environ, **WINE_ENV)
    env["DISPLAY"] = display
    return env


def boot_prefix(env: dict[str, str]) -> None:
    if not (PREFIX / "system.reg").exists():
        print(f"run: preparing a Wine prefix in {PREFIX} (once, about 10 s)")
    subprocess.run(["wineboot", "-i"], env=env, capture_output=True, timeout=120)


def run_native(switches: list[str]) -> int:
    print(f"run: qs3 {' '.join(switches)}; move the mouse or press a key to end it")
    return subprocess.run([str(NATIVE), *switches], cwd=DATA).returncode


def run_on_desktop(display: str, switches: list[str]) -> int:
    env = wine_env(display)
    boot_prefix(env)
    print(f"run: qs3.scr {' '.join(switches)} on {display}; move the mouse or press a key to end it")
    return subprocess.run(["wine", str(SAVER), *switches], env=env, cwd=DATA).returncode


def window_of(title: str, env: dict[str, str]) -> str:
    found = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], env=env,
                           capture_output=True, text=True)
    return found.stdout.split()[0] if found.stdout.split() else ""


def run_headless(switches: list[str]) -> int:
    print("run: no display is available (DISPLAY is unset or unreachable), so the saver runs"
          f" on a virtual 800x600 screen ({VIRTUAL_DISPLAY}) instead.")
    xvfb = subprocess.Popen(["Xvfb", VIRTUAL_DISPLAY, "-screen", "0", "800x600x24",
                             "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
    env = wine_env(VIRTUAL_DISPLAY)
    env["WINEDLLOVERRIDES"] += ";winealsa.drv=d"
    try:
        time.sleep(1)
        boot_prefix(env)
        saver = subprocess.Popen(["wine", str(SAVER), *switches], env=env, cwd=DATA)
        window = ""
        for _ in range(100):
            window = window_of("QS3_10", env)
            if window or saver.poll() is not None:
                break
            time.sleep(0.1)
        time.sleep(3)  # the first player has faded in by then
        subprocess.run(["import", "-display", VIRTUAL_DISPLAY, "-window", "root", str(SHOT)],
                       capture_output=True)
        if window:
            geometry = subprocess.run(["xdotool", "getwindowgeometry", window], env=env,
                                      capture_output=True, text=True).stdout
            print("run: the full-screen window \"QS3_10\" is up:", " ".join(geometry.split()[2:]))
            subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "space"], env=env,
                           capture_output=True, timeout=10)
        try:
            code = saver.wait(timeout=10)
        except subprocess.TimeoutExpired:
            saver.kill()
            print("run: the saver did not end on the key press")
            return 1
        if window:
            print(f"run: a key press ended the saver with exit code {code}")
        else:
            print(f"run: qs3.scr {' '.join(switches)} made no full-screen window and ended with"
                  f" exit code {code}")
        print(f"run: screenshot of the running saver: {SHOT}")
        return code
    finally:
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
        xvfb.terminate()


def main() -> int:
    if not SAVER.exists():
        print(f"run: {SAVER} is missing; build it with scripts/build windows", file=sys.stderr)
        return 1
    wine = "--wine" in sys.argv[1:]
    switches = [arg for arg in sys.argv[1:] if arg != "--wine"] or ["/s"]
    display = os.environ.get("DISPLAY", "")
    if display_works(display):
        if not wine and NATIVE.exists():
            return run_native(switches)
        return run_on_desktop(display, switches)
    return run_headless(switches)


if __name__ == "__main__":
    sys.exit(main())
