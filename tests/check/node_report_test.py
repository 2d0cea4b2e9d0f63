"""The WebAssembly checker under node prints byte for byte what the native
checker prints, with the same exit status, for the checker's test folders and
for a skin of every hostile kind the seed corpus holds.

Run as: node_report_test.py NATIVE-LUMCHECK LUMCHECK-JS SEED-WRITER DEMO-SKIN-SCRIPT
"""
import os
import subprocess
import sys
import tempfile

from skinfolders import (CODE_PAGE_FOLDERS, make_code_page_folder, make_every_kind_folder, make_folder, plain_skin,
                         wave, write)


def run(command, cwd=None):
    try:
        done = subprocess.run(command, capture_output=True, timeout=120, cwd=cwd)
    except subprocess.TimeoutExpired:
        return "no end within 120 s", b"", b""
    return done.returncode, done.stdout, done.stderr


def folders(root, seed_writer, demo_script):
    """Name -> folder: the checker's own cases and one folder per seed skin."""
    demo = os.path.join(root, "demo")
    subprocess.run([sys.executable, demo_script, demo], check=True, timeout=120)
    made = {"demo": demo, "every kind": make_every_kind_folder(os.path.join(root, "every"))}
    odd = {
        "no lum.ini": (None, None),
        "not a bitmap": (["EXIT 1 1 9 9"], b"GIF89a"),
        # Names that are not UTF-8, and a sound found only by ignoring case.
        "odd names": ([b"\xe9t\xe9.wav 1 1 20 20".decode("latin-1"), "DING.WAV 30 1 50 20"], None),
    }
    for name, (lines, skin) in odd.items():
        made[name] = os.path.join(root, name.replace(" ", "-"))
        make_folder(made[name], lines, skin, {"ding.wav": wave()})
    made["lum.ini is a folder"] = os.path.join(root, "inidir")
    make_folder(made["lum.ini is a folder"], None)
    os.mkdir(os.path.join(made["lum.ini is a folder"], "lum.ini"))
    made["lum.bmp is a FIFO"] = os.path.join(root, "fifo")
    make_folder(made["lum.bmp is a FIFO"], ["EXIT 1 1 9 9"])
    os.remove(os.path.join(made["lum.bmp is a FIFO"], "lum.bmp"))
    os.mkfifo(os.path.join(made["lum.bmp is a FIFO"], "lum.bmp"))
    hotspots, skins = os.path.join(root, "seed-ini"), os.path.join(root, "seed-bmp")
    os.makedirs(hotspots)
    os.makedirs(skins)
    subprocess.run([seed_writer, hotspots, skins], check=True, capture_output=True, timeout=60)
    for seed in sorted(os.listdir(skins)):
        made["skin " + seed] = os.path.join(root, "skin-" + seed)
        make_folder(made["skin " + seed], ["ding.wav 0 0 3 3", "EXIT 1 1 9 9"], open(os.path.join(skins, seed), "rb").read())
    for seed in sorted(os.listdir(hotspots)):
        made["hotspots " + seed] = os.path.join(root, "ini-" + seed)
        make_folder(made["hotspots " + seed], None, plain_skin())
        write(made["hotspots " + seed], "lum.ini", open(os.path.join(hotspots, seed), "rb").read())
    return made


def main():
    native, script, seed_writer, demo_script = sys.argv[1:5]
    node = ["node", os.path.abspath(script)]
    failures = 0
    with tempfile.TemporaryDirectory() as root:
        cases = [(name, [*options, folder], None)
                 for name, folder in folders(root, seed_writer, demo_script).items()
                 for options in ([], ["--json"])]
        # The folder's default is the current one; usage errors go to stderr.
        cases += [("current folder", [], os.path.join(root, "demo")), ("usage", ["--bogus"], None),
                  ("missing folder", [os.path.join(root, "nope")], None), ("help", ["--help"], None)]
        cases += [("code page %d" % page, [*options, "--code-page", str(page), make_code_page_folder(root, page)], None)
                  for page in CODE_PAGE_FOLDERS for options in ([], ["--json"])]
        for name, arguments, cwd in cases:
            expected = run([native, *arguments], cwd)
            got = run([*node, *arguments], cwd)
            if got != expected:
                failures += 1
                print(f"{name} {arguments[:-1]}: got status {got[0]}, stdout and stderr\n{got[1]!r}\n{got[2]!r}\n"
                      f"expected status {expected[0]}, stdout and stderr\n{expected[1]!r}\n{expected[2]!r}")
        print(f"{len(cases) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
