"""The Windows build of the checker under Wine prints the same report as the
native one for the same folder.

Run as: wine_report_test.py NATIVE-LUMCHECK WINDOWS-LUMCHECK-EXE DEMO-SKIN-SCRIPT
Needs the Wine prefix of the test session (WINEPREFIX); skips (77) without it.
"""
import os
import subprocess
import sys
import tempfile

from findings_test import CODE_PAGE_FOLDERS, make_code_page_folder, make_every_kind_folder
from skinfolders import make_folder, wave

SKIP = 77


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(command):
    # Into a file, not a pipe: Wine's background processes inherit the output
    # and would hold a pipe open long after the program has ended.
    with tempfile.TemporaryFile() as output:
        code = subprocess.run(command, stdout=output, stderr=subprocess.DEVNULL, timeout=300,
                              env=dict(os.environ, WINEDEBUG="-all")).returncode
        output.seek(0)
        return code, output.read()


def main():
    native, windows, demo_script = sys.argv[1:4]
    if not os.environ.get("WINEPREFIX"):
        print("skipped: needs WINEPREFIX from the test session")
        return SKIP
    if os.environ.get("LUM_NO_32BIT") and "/win32/" in windows:
        print("skipped: %s" % os.environ["LUM_NO_32BIT"])
        return SKIP
    with tempfile.TemporaryDirectory() as root:
        demo = os.path.join(root, "demo")
        subprocess.run([sys.executable, demo_script, demo], check=True, timeout=120)
        folders = {
            "demo": demo,
            "every kind": make_every_kind_folder(os.path.join(root, "every")),
            "no lum.ini": os.path.join(root, "noini"),
            "not a bitmap": os.path.join(root, "nobmp"),
        }
        make_folder(folders["no lum.ini"], None)
        make_folder(folders["not a bitmap"], ["EXIT 1 1 9 9"], b"GIF89a", {"x.wav": wave()})
        failures = 0
        runs = [(name, folder, options) for name, folder in folders.items() for options in ([], ["--json"])]
        # Names of other code pages, looked for whatever the system's own page is.
        runs += [("code page %d" % page, make_code_page_folder(root, page), ["--code-page", str(page)])
                 for page in CODE_PAGE_FOLDERS]
        for name, folder, options in runs:
            expected = run([native, *options, folder])
            got = run(["wine", windows, *options, windows_path(folder)])
            if got != expected:
                failures += 1
                print(f"{name} {options}: got status {got[0]} and\n{got[1].decode(errors='replace')}\n"
                      f"expected status {expected[0]} and\n{expected[1].decode(errors='replace')}")
            else:
                print(f"{name} {options}: same report, status {got[0]}")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
