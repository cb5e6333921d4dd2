"""Installs the build into a fresh prefix and checks the layout XScreenSaver
and the saver expect: the module in libexec/xscreensaver, its description in
share/xscreensaver/config (well-formed, naming the module and --root), and
the data folder with the signature file and the music.

    check_install.py BUILD_DIR
"""

import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path

SIGNATURE = (b"ASTRAL FORGE MORVALENKA SCREEN SAVER VOLUME THREE.\n"
             b"FOUR BOWS ARE RAISED,AND THE HALL FALLS SILENT.\n")


def main() -> int:
    build = Path(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        prefix = Path(folder)
        subprocess.run(["cmake", "--install", str(build), "--prefix", str(prefix)], check=True,
                       stdout=subprocess.DEVNULL)
        module = prefix / "libexec" / "xscreensaver" / "qs3"
        description = prefix / "share" / "xscreensaver" / "config" / "qs3.xml"
        signature = prefix / "share" / "qs3" / "AFMSSV3C.SSS"
        music = prefix / "share" / "qs3" / "QS3" / "BGM10.SSS"
        problems = [f"missing {path.relative_to(prefix)}"
                    for path in (module, description, signature, music) if not path.is_file()]
        if module.is_file() and not module.stat().st_mode & 0o111:
            problems.append("the module is not executable")
        if description.is_file():
            root = ElementTree.parse(description).getroot()
            command = root.find("command")
            if root.tag != "screensaver" or root.get("name") != "qs3":
                problems.append(f"the description names {root.tag} {root.get('name')}")
            if command is None or command.get("arg") != "--root":
                problems.append("the description does not start the module with --root")
        if signature.is_file() and signature.read_bytes() != SIGNATURE:
            problems.append("the signature file differs")
        if music.is_file() and music.read_bytes()[:4] != b"RIFF":
            problems.append("the music file is no RIFF file")
    for problem in problems:
        print("check_install:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
