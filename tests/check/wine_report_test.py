"""The Windows build of the checker under Wine prints the same report as the
native one for the same folder.

Run as: wine_report_test.py NATIVE-LUMCHECK WINDOWS-LUMCHECK-EXE DEMO-SKIN-SCRIPT
Needs the Wine prefix of the test session (WINEPREFIX); skips (77) without it.
"""
import os
import subprocess
import sys
import tempfile

from lumdriver import run_console as run, windows_path
from testskip import skip
from skinfolders import CODE_PAGE_FOLDERS, make_code_page_folder, make_every_kind_folder, make_folder, wave

def folder_bytes(folder):
    return {name: open(os.path.join(folder, name), "rb").read() for name in sorted(os.listdir(folder))}


def check_page_file(windows, demo, root):
    """The page replaces an older one, and never one of the skin's files, in
    any case or spelling Windows takes for it: the number of failures."""
    page = os.path.join(root, "page.html")
    with open(page, "w") as old:
        old.write("the page of yesterday")
    failures = 0
    code, _ = run(["wine", windows, "--html", windows_path(page), windows_path(demo)])
    with open(page, "rb") as new:
        if code != 0 or not new.read().startswith(b"<!DOCTYPE html>"):
            print(f"--html over an older page: got status {code}, expected 0 and the new page")
            failures += 1
    before = folder_bytes(demo)
    folder = windows_path(demo)
    for spelling in (folder + "\\LUM.INI", folder.upper() + "\\lum.bmp", folder + "\\.\\Tone-C.wav"):
        code, _ = run(["wine", windows, "--html", spelling, folder])
        if code != 2:
            print(f"--html {spelling}: got status {code}, expected 2")
            failures += 1
    if folder_bytes(demo) != before:
        print("--html changed the skin's own files")
        failures += 1
    return failures


def main():
    native, windows, demo_script = sys.argv[1:4]
    if not os.environ.get("WINEPREFIX"):
        skip("needs WINEPREFIX from the test session")
    if os.environ.get("LUM_NO_32BIT") and "/win32/" in windows:
        skip(os.environ["LUM_NO_32BIT"])
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
        failures = check_page_file(windows, demo, root)
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
