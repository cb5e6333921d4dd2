#!/usr/bin/env python3
"""Release cases: the Windows installer under Wine + Xvfb, in a prefix of its own.

    run.py --setup-exe FILE --version X.Y.Z [--build-dir DIR] setup
    run.py ... CASE...      run cases, in the order `list` gives, against that setup
    run.py ... cleanup      stop wineserver and Xvfb
    run.py list             name every case

DIR defaults to build/windows of this checkout; it holds qs3.scr (the file the
installer must install) and qs3_testhost.exe. The prefix lives in DIR/release,
apart from the e2e tier's. The cases build on each other: install, run the
installed saver, upgrade, uninstall, then install and uninstall once more
beside another screen saver.
"""

from __future__ import annotations

import argparse
import hashlib
import importlib.util
import json
import struct
import subprocess
import sys
import time
import zipfile
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source folder clean
E2E_DIR = Path(__file__).resolve().parents[1] / "e2e"
sys.path.insert(0, str(E2E_DIR))

import audio  # noqa: E402
from harness import CaseFailure, Harness, expect, expect_fields  # noqa: E402

# The e2e tier's steps (settings window, preview) drive the installed saver too.
_spec = importlib.util.spec_from_file_location("e2e_run", E2E_DIR / "run.py")
e2e = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(e2e)

REPO = Path(__file__).resolve().parents[2]
DATA_DIR = REPO / "data"
SAVER_WINDOWS_PATH = r"C:\windows\system32\qs3.scr"
INSTALL_DIR_WINDOWS = r"C:\Program Files\QS3"
DATA_FOLDER_WINDOWS = INSTALL_DIR_WINDOWS + r"\QS3"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QS3"
UNINSTALL_PARENT = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
PRODUCT = "QS3 String Quartet"
INSTALL_TIMEOUT = 120  # seconds setup.exe /S gets
UNINSTALL_TIMEOUT = 60  # seconds the uninstaller's copy of itself gets to finish

# A settings file that was there before: a comment, another program's
# section, an earlier data-folder entry and the music choice, in the form the
# private-profile writer leaves (no blank lines, no blanks around "=").
SETTINGS_BEFORE = (b"; kept comment\r\n[OTHER]\r\nkey=value\r\n"
                   b"[QS3_DIR]\r\nQS3_DIR=C:\\OrnSaver3\r\n[QS3_10]\r\nWAV=%d\r\n")
SETTINGS_INSTALLED = (b"; kept comment\r\n[OTHER]\r\nkey=value\r\n"
                      b"[QS3_DIR]\r\nQS3_DIR=" + DATA_FOLDER_WINDOWS.encode() +
                      b"\r\n[QS3_10]\r\nWAV=%d\r\n")
SETTINGS_UNINSTALLED = b"; kept comment\r\n[OTHER]\r\nkey=value\r\n[QS3_10]\r\nWAV=%d\r\n"
SETTINGS_ONLY_OURS = b"[QS3_DIR]\r\nQS3_DIR=" + DATA_FOLDER_WINDOWS.encode() + b"\r\n"
# The user's own copy, as the settings window leaves it when the Windows
# folder once refused a save: it names no data folder, so the saver must
# take the Windows folder's entry.
USER_COPY = b"[QS3_10]\r\nWAV=%d\r\n"

MUSIC_RECORD = 10  # seconds of the installed saver's sound to record
MUSIC_COMPARED = 6  # seconds of the file's opening compared, one at a time
MUSIC_MATCH = 0.95  # the correlation of a second's loudness that counts as a match
# Other parts of the piece match a second of the opening with r < 0.9; a gap
# of the sound server under load spoils the second it falls into.
MUSIC_PIECES_NEEDED = 4
OTHER_SAVER = r"C:\windows\system32\other.scr"
EXIT_SETTINGS_NOT_WRITTEN = 3  # the setup's exit code when ORN3CFG.INI refused the entry


class ReleaseHarness(Harness):
    """A prefix of its own; the saver under test is the one the installer put
    into System32, started there as the system starts a screen saver."""

    # The uninstaller runs from a copy of itself in the temporary folder
    # (...\Temp\~nsu1.tmp\Un.exe), which it leaves for the next restart to remove.
    LEFTOVERS = Harness.LEFTOVERS + (b"setup.exe", b"uninstall.exe", b"~nsu")

    def __init__(self, build_dir: Path, setup_exe: Path, version: str):
        super().__init__(build_dir, "release")
        self.built_saver = self.build_dir / "qs3.scr"
        self.setup_exe = setup_exe.resolve()
        self.version = version
        self.saver = self.system32() / "qs3.scr"

    def system32(self) -> Path:
        return self.drive_c() / "windows" / "system32"

    def install_dir(self) -> Path:
        return self.drive_c() / "Program Files" / "QS3"

    def windows_settings(self) -> Path:
        return self.drive_c() / "windows" / "ORN3CFG.INI"

    def user_copy(self) -> Path:
        homes = [path for path in (self.drive_c() / "users").iterdir()
                 if path.name.lower() != "public" and (path / "AppData" / "Roaming").is_dir()]
        expect(len(homes) == 1, f"want one user's AppData in the prefix, found {homes}")
        return homes[0] / "AppData" / "Roaming" / "QS3" / "ORN3CFG.INI"

    def saver_windows_path(self) -> str:
        return SAVER_WINDOWS_PATH

    def saver_env(self, extra_env: dict[str, str] | None = None) -> dict[str, str]:
        env = self.env()
        if extra_env is not None:
            env["WINEDLLOVERRIDES"] = "mscoree,mshtml="  # Wine's sound drivers on
            env.update(extra_env)
        return env

    def start_saver(self, *args: str, extra_env: dict[str, str] | None = None):
        """`qs3.scr ARGS` by its System32 path with System32 as the current
        directory, where no signature file lies."""
        expect(self.saver.exists(), f"{self.saver} is not installed")
        process = subprocess.Popen(["wine", SAVER_WINDOWS_PATH, *args],
                                   env=self.saver_env(extra_env), cwd=self.system32(),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.started.append(process)
        self.note(f"started the installed qs3.scr {' '.join(args)} (pid {process.pid})")
        return process

    # ----- installer and uninstaller ------------------------------------------------

    def install(self, *args: str, exit_code: int = 0) -> None:
        expect(self.setup_exe.exists(), f"{self.setup_exe} has not been built")
        result = self.command(["wine", str(self.setup_exe), "/S", *args],
                              timeout=INSTALL_TIMEOUT)
        self.note(f"{self.setup_exe.name} /S {' '.join(args)} -> {result.returncode}")
        expect(result.returncode == exit_code,
               f"setup.exe /S {' '.join(args)} ended with {result.returncode}, want {exit_code}: "
               f"{result.stdout}{result.stderr}")

    def uninstall(self) -> None:
        """Runs the uninstall entry's QuietUninstallString, as Apps & features
        would, and waits for the copy of itself the uninstaller runs from the
        temporary folder to finish."""
        quiet = self.reg_values(UNINSTALL_KEY).get("QuietUninstallString", "")
        expected = f'"{INSTALL_DIR_WINDOWS}\\uninstall.exe" /S'
        expect(quiet == expected, f"QuietUninstallString is {quiet!r}, want {expected!r}")
        result = self.command(["wine", INSTALL_DIR_WINDOWS + r"\uninstall.exe", "/S"],
                              timeout=UNINSTALL_TIMEOUT)
        expect(result.returncode == 0, f"uninstall.exe /S ended with {result.returncode}")
        deadline = time.monotonic() + UNINSTALL_TIMEOUT
        while self.uninstaller_running() or self.reg_values(UNINSTALL_KEY):
            if time.monotonic() > deadline:
                raise CaseFailure(f"the uninstaller did not finish within {UNINSTALL_TIMEOUT} s")
            time.sleep(0.2)
        self.note("the uninstaller finished")

    def uninstaller_running(self) -> bool:
        marker = f"WINEPREFIX={self.prefix}".encode()
        for proc in Path("/proc").iterdir():
            try:
                if not proc.name.isdigit():
                    continue
                cmdline = (proc / "cmdline").read_bytes().lower()
                if (b"~nsu" in cmdline or b"uninstall.exe" in cmdline) and \
                        marker in (proc / "environ").read_bytes().split(b"\0"):
                    return True
            except OSError:
                continue
        return False

    # ----- registry -------------------------------------------------------------------

    def reg_values(self, key: str) -> dict[str, str]:
        """The values of KEY (64-bit view) by name, as text; {} when the key is missing."""
        result = self.reg("query", key, "/reg:64")
        if result.returncode != 0:
            return {}
        values: dict[str, str] = {}
        for line in result.stdout.splitlines():
            fields = line.strip().split("    ", 2)
            if len(fields) >= 2 and fields[1].startswith("REG_") and line.startswith("    "):
                values[fields[0]] = fields[2] if len(fields) == 3 else ""
        return values

    def subkeys(self, key: str) -> list[str]:
        """The names of KEY's subkeys (64-bit view)."""
        result = self.reg("query", key, "/reg:64")
        path = key.split("\\", 1)[1].lower() + "\\"
        return sorted(line.strip().rsplit("\\", 1)[1] for line in result.stdout.splitlines()
                      if path in line.lower() and not line.startswith(" "))

    # ----- the prefix's files -------------------------------------------------------

    def tree(self) -> set[str]:
        """Every file and folder of drive C: but the temporary folders (where
        the uninstaller's copy of itself waits for a restart), as paths
        relative to it."""
        drive = self.drive_c()
        found = set()
        for path in drive.rglob("*"):
            relative = path.relative_to(drive).as_posix()
            lowered = relative.lower()
            if "/temp/" in lowered + "/" or lowered.startswith("windows/temp"):
                continue
            found.add(relative)
        return found

    def snapshot_file(self) -> Path:
        return self.root / "before_install.json"


# ----- checks ----------------------------------------------------------------------

def describe(content: bytes | None) -> str:
    """Short contents as they are, long ones by size and digest."""
    if content is None or len(content) <= 200:
        return repr(content)
    return f"{len(content)} bytes, sha256 {hashlib.sha256(content).hexdigest()[:16]}"


def expect_bytes(path: Path, content: bytes | None, what: str) -> None:
    found = path.read_bytes() if path.exists() else None
    expect(found == content, f"{what}: {path.name} holds {describe(found)}, "
                             f"want {describe(content)}")


def version_strings(pe: bytes) -> dict[str, str]:
    """FileVersion and ProductVersion of a VERSIONINFO resource, and the four
    numbers of its fixed file version."""
    found: dict[str, str] = {}
    for name in ("FileVersion", "ProductVersion"):
        key = name.encode("utf-16le") + b"\0\0"
        at = pe.find(key)
        if at < 0:
            continue
        at += len(key)
        at += (4 - at % 4) % 4  # the value starts on a 32-bit boundary
        end = pe.find(b"\0\0", at)
        while end >= 0 and (end - at) % 2:
            end = pe.find(b"\0\0", end + 1)
        found[name] = pe[at:end].decode("utf-16le", errors="replace")
    fixed = pe.find(struct.pack("<I", 0xFEEF04BD))
    if fixed >= 0:
        ms, ls = struct.unpack_from("<II", pe, fixed + 8)
        found["fixed"] = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    return found


def expect_version(h: ReleaseHarness, path: Path) -> None:
    strings = version_strings(path.read_bytes())
    expect_fields(strings, {"FileVersion": h.version, "ProductVersion": h.version,
                            "fixed": h.version + ".0"}, f"the version resource of {path.name}")


def expect_installed_files(h: ReleaseHarness) -> None:
    expect_bytes(h.saver, h.built_saver.read_bytes(), "System32 after the install")
    expect_bytes(h.install_dir() / "AFMSSV3C.SSS", (DATA_DIR / "AFMSSV3C.SSS").read_bytes(),
                 "the data folder's signature file")
    expect_bytes(h.install_dir() / "QS3" / "BGM10.SSS",
                 (DATA_DIR / "QS3" / "BGM10.SSS").read_bytes(), "the installed music")
    expect((h.install_dir() / "uninstall.exe").is_file(), "no uninstall.exe in the install folder")
    # A 32-bit view of the system would have put them here instead.
    strays = [path for path in (h.drive_c() / "windows" / "syswow64" / "qs3.scr",
                                h.drive_c() / "Program Files (x86)" / "QS3") if path.exists()]
    expect(not strays, f"installed into the 32-bit folders: {strays}")


def expect_uninstall_entry(h: ReleaseHarness) -> None:
    entry = h.reg_values(UNINSTALL_KEY)
    expect_fields(entry, {
        "DisplayName": PRODUCT, "DisplayVersion": h.version,
        "InstallLocation": INSTALL_DIR_WINDOWS,
        "UninstallString": f'"{INSTALL_DIR_WINDOWS}\\uninstall.exe"',
        "QuietUninstallString": f'"{INSTALL_DIR_WINDOWS}\\uninstall.exe" /S',
        "DisplayIcon": INSTALL_DIR_WINDOWS + r"\uninstall.exe,0",
        "NoModify": "0x1", "NoRepair": "0x1",
    }, "the uninstall entry")
    expect(bool(entry.get("Publisher")), f"the uninstall entry names no publisher: {entry}")
    installed = sum(path.stat().st_size for path in h.install_dir().rglob("*") if path.is_file())
    kib = (installed + h.saver.stat().st_size) // 1024
    size = int(entry.get("EstimatedSize", "0"), 16)
    expect(abs(size - kib) <= 4, f"EstimatedSize is {size} KiB, the files take {kib} KiB")


def expect_current_saver(h: ReleaseHarness, name: str | None, active: str | None) -> None:
    desktop = h.reg_values(DESKTOP_KEY)
    seen = desktop.get("SCRNSAVE.EXE")
    expect((seen or "").lower() == (name or "").lower() and (seen is None) == (name is None),
           f"SCRNSAVE.EXE is {seen!r}, want {name!r}")
    if active is not None:
        expect(desktop.get("ScreenSaveActive") == active,
               f"ScreenSaveActive is {desktop.get('ScreenSaveActive')!r}, want {active!r}")


# ----- cases ---------------------------------------------------------------------------

def installs_silently(h: ReleaseHarness) -> None:
    """setup.exe /S over a settings file that was already there and a user's
    copy without a data-folder entry: the files, the QS3_DIR line in place,
    the current screen saver and the uninstall entry."""
    expect(not h.saver.exists() and not h.install_dir().exists(), "installed before the install")
    h.windows_settings().write_bytes(SETTINGS_BEFORE % 1)
    h.user_copy().parent.mkdir(parents=True, exist_ok=True)
    h.user_copy().write_bytes(USER_COPY % 1)
    h.snapshot_file().write_text(json.dumps({
        "tree": sorted(h.tree()), "desktop": h.reg_values(DESKTOP_KEY),
        "uninstall_entries": h.subkeys(UNINSTALL_PARENT)}))
    expect_version(h, h.setup_exe)
    h.install()
    expect_installed_files(h)
    expect_version(h, h.saver)
    expect_bytes(h.windows_settings(), SETTINGS_INSTALLED % 1, "the Windows folder's settings")
    expect_bytes(h.user_copy(), USER_COPY % 1, "the user's copy after the install")
    expect_current_saver(h, SAVER_WINDOWS_PATH, "1")
    expect_uninstall_entry(h)


def installed_saver_plays_music(h: ReleaseHarness) -> None:
    """`qs3.scr /s` started in System32, where no signature file lies, finds
    the music through the settings file and plays it from its beginning: the
    first second of the sound follows the file's, and so do most of the
    next ones, each looked for a little after the last that matched."""
    expect(audio.PulseSession.available(), "pulseaudio and parecord are not installed")
    expect(not (h.system32() / "AFMSSV3C.SSS").exists(), "System32 holds a signature file")
    music = audio.read_samples(DATA_DIR / "QS3" / "BGM10.SSS")
    with audio.PulseSession(h.root / "pulse") as pulse:
        h.mouse_to(*e2e.CENTRE)
        saver = h.start_saver("/s", extra_env=pulse.env())
        window = h.testhost("find", e2e.SAVER_TITLE, "15000")
        expect(window.get("found") == "1", "the installed saver showed no full-screen window")
        time.sleep(MUSIC_RECORD)
        e2e.end_with_key(h, saver)
        time.sleep(2)  # the recorder's tail
        pulse.stop_recording()
        captured = audio.read_samples(pulse.capture)
    levels = audio.envelope(captured)
    start = next((i for i, level in enumerate(levels) if audio.sounding(level)), None)
    expect(start is not None, f"no sound was captured in {len(captured)} bytes")
    length = MUSIC_COMPARED * audio.RATE
    expect(len(captured) - start * audio.WINDOW >= length,
           f"only {audio.seconds(len(levels) - start):.1f} s of sound were captured")
    scores = audio.follows_in_pieces(captured, music, start * audio.WINDOW, MUSIC_COMPARED)
    matched = sum(score > MUSIC_MATCH for score in scores)
    print(f"sound from {audio.seconds(start):.2f} s; loudness of each second of the file's "
          f"first {MUSIC_COMPARED} against the sound: {' '.join(f'{r:.3f}' for r in scores)}")
    expect(scores[0] > MUSIC_MATCH and matched >= MUSIC_PIECES_NEEDED,
           f"the installed saver's sound does not follow BGM10.SSS: {matched} of "
           f"{MUSIC_COMPARED} seconds match (r > {MUSIC_MATCH}), the first "
           f"{'does' if scores[0] > MUSIC_MATCH else 'does not'}; want the first and "
           f"{MUSIC_PIECES_NEEDED} in all")


def installed_saver_settings_and_preview(h: ReleaseHarness) -> None:
    """The installed saver's settings window (/c) opens and closes, and its
    preview (/p) runs in a host window."""
    window = e2e.open_settings(h, "/c")
    expect_fields(window.report, {"count": "1", "title_cp932": e2e.SETTINGS_TITLE_CP932},
                  "the installed saver's settings window")
    window.click("CANCEL")
    window.expect_closed("a click on CANCEL")
    e2e.expect_preview_shown(e2e.preview(h, "/p {hwnd}"), "/p {hwnd} of the installed saver")
    expect_bytes(h.windows_settings(), SETTINGS_INSTALLED % 1, "settings after CANCEL")


def upgrade_keeps_music_choice(h: ReleaseHarness) -> None:
    """Music switched off in the settings window, then the setup run again
    over a damaged install: the files come back, WAV=0 stays."""
    window = e2e.open_settings(h, "/c")
    window.click("WAVMODE")
    window.click("OK")
    window.expect_closed("a click on OK")
    expect_bytes(h.windows_settings(), SETTINGS_INSTALLED % 0, "settings after OK")
    expect_bytes(h.user_copy(), USER_COPY % 0, "the user's copy after OK")
    (h.install_dir() / "QS3" / "BGM10.SSS").write_bytes(b"an earlier version's music")
    h.saver.write_bytes(b"an earlier version's saver")
    h.install()
    expect_installed_files(h)
    expect_bytes(h.windows_settings(), SETTINGS_INSTALLED % 0, "settings after the upgrade")
    expect_bytes(h.user_copy(), USER_COPY % 0, "the user's copy after the upgrade")
    expect_uninstall_entry(h)
    entries = [name for name in h.subkeys(UNINSTALL_PARENT) if "qs3" in name.lower()]
    expect(len(entries) == 1, f"want one uninstall entry after the upgrade, found {entries}")


def uninstalls_silently(h: ReleaseHarness) -> None:
    """The quiet uninstall removes the saver, the data folder, the QS3_DIR
    entry, the uninstall entry and SCRNSAVE.EXE (still this saver), and
    leaves every other file, line and value as it was before the install."""
    before = json.loads(h.snapshot_file().read_text())
    expect_current_saver(h, SAVER_WINDOWS_PATH, "1")
    h.uninstall()
    expect(not h.saver.exists(), "qs3.scr is still in System32")
    expect(not h.install_dir().exists(), f"{h.install_dir()} is still there")
    expect(not h.reg_values(UNINSTALL_KEY), "the uninstall entry is still there")
    expect_bytes(h.windows_settings(), SETTINGS_UNINSTALLED % 0, "settings after the uninstall")
    expect_bytes(h.user_copy(), USER_COPY % 0, "the user's copy after the uninstall")
    desktop = h.reg_values(DESKTOP_KEY)
    expect("SCRNSAVE.EXE" not in desktop, f"SCRNSAVE.EXE is still {desktop.get('SCRNSAVE.EXE')}")
    expected_desktop = dict(before["desktop"], ScreenSaveActive="1")
    expect(desktop == expected_desktop,
           f"other values under {DESKTOP_KEY} changed: {desktop} against {expected_desktop}")
    expect(h.subkeys(UNINSTALL_PARENT) == before["uninstall_entries"],
           "the uninstall entries differ from those before the install")
    tree = h.tree()
    added = sorted(tree - set(before["tree"]))
    removed = sorted(set(before["tree"]) - tree)
    expect(not added and not removed,
           f"drive C: differs from before the install: added {added}, removed {removed}")


def noactivate_keeps_other_saver(h: ReleaseHarness) -> None:
    """With another screen saver chosen and no settings file, /NOACTIVATE
    installs without touching the choice; the uninstaller leaves it too and
    removes the settings file it made."""
    h.windows_settings().unlink(missing_ok=True)
    h.reg("add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", OTHER_SAVER, "/f")
    try:
        h.install("/NOACTIVATE")
        expect_installed_files(h)
        expect_current_saver(h, OTHER_SAVER, None)
        expect_bytes(h.windows_settings(), SETTINGS_ONLY_OURS, "a settings file made by the setup")
        h.uninstall()
        expect(not h.saver.exists() and not h.install_dir().exists(),
               "the uninstall left files behind")
        expect_current_saver(h, OTHER_SAVER, None)
        expect_bytes(h.windows_settings(), None, "the settings file the setup made")
    finally:
        h.reg("delete", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/f")


def zip_holds_saver_and_data(h: ReleaseHarness) -> None:
    """The zip for installing by hand: the build's qs3.scr beside the data
    folder as the saver expects it, and a README.txt for Notepad."""
    path = h.setup_exe.with_name(f"QS3-{h.version}-win64.zip")
    expect(path.exists(), f"{path} has not been built")
    with zipfile.ZipFile(path) as archive:
        names = sorted(archive.namelist())
        expect(names == ["AFMSSV3C.SSS", "QS3/BGM10.SSS", "README.txt", "qs3.scr"],
               f"the zip holds {names}")
        for name, source in (("qs3.scr", h.built_saver), ("AFMSSV3C.SSS", DATA_DIR / "AFMSSV3C.SSS"),
                             ("QS3/BGM10.SSS", DATA_DIR / "QS3" / "BGM10.SSS")):
            expect(archive.read(name) == source.read_bytes(), f"{name} in the zip differs")
        readme = archive.read("README.txt")
    expect(b"\n" not in readme.replace(b"\r\n", b""), "README.txt has lines not ended by CR LF")
    for needed in (h.version.encode(), b"QS3_DIR=", b"System32", b"SmartScreen"):
        expect(needed in readme, f"README.txt does not mention {needed.decode()}")


def unwritable_settings_file_reported(h: ReleaseHarness) -> None:
    """A settings file that refuses the write (immutable, so even to an
    administrator) leaves the saver installed and silent: the setup says so
    with exit code 3 and the file keeps its bytes."""
    h.windows_settings().write_bytes(SETTINGS_UNINSTALLED % 1)
    immutable = subprocess.run(["chattr", "+i", str(h.windows_settings())], capture_output=True)
    expect(immutable.returncode == 0,
           f"chattr +i failed, so the case cannot refuse the write: {immutable.stderr!r}")
    try:
        h.install("/NOACTIVATE", exit_code=EXIT_SETTINGS_NOT_WRITTEN)
        expect_installed_files(h)
        expect_bytes(h.windows_settings(), SETTINGS_UNINSTALLED % 1, "a file that refuses writes")
    finally:
        subprocess.run(["chattr", "-i", str(h.windows_settings())])
    h.uninstall()
    expect(not h.saver.exists() and not h.install_dir().exists(), "the uninstall left files behind")
    expect_bytes(h.windows_settings(), SETTINGS_UNINSTALLED % 1, "settings after the uninstall")
    h.windows_settings().unlink()


CASES = {
    "zip_holds_saver_and_data": zip_holds_saver_and_data,
    "installs_silently": installs_silently,
    "installed_saver_plays_music": installed_saver_plays_music,
    "installed_saver_settings_and_preview": installed_saver_settings_and_preview,
    "upgrade_keeps_music_choice": upgrade_keeps_music_choice,
    "uninstalls_silently": uninstalls_silently,
    "noactivate_keeps_other_saver": noactivate_keeps_other_saver,
    "unwritable_settings_file_reported": unwritable_settings_file_reported,
}


def run_case(h: ReleaseHarness, name: str) -> bool:
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
    default_build = REPO / "build" / "windows"
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", type=Path, default=default_build)
    parser.add_argument("--setup-exe", type=Path, help="the installer to test")
    parser.add_argument("--version", help="the version the installer and saver must carry")
    parser.add_argument("names", nargs="+", help="setup, cleanup, list or case names")
    options = parser.parse_args()
    if options.names == ["list"]:
        print("\n".join(CASES))
        return 0
    if options.setup_exe is None or options.version is None:
        parser.error("--setup-exe and --version are needed")
    h = ReleaseHarness(options.build_dir, options.setup_exe, options.version)
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
