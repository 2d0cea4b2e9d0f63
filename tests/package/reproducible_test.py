"""Packing the same sources again, in another folder with fresh builds, gives
the zip that scripts/package wrote byte for byte: neither the time nor the
place of building shows in it.

Run as: reproducible_test.py SOURCE_FOLDER ZIP
The sources are the files git knows, as they are in SOURCE_FOLDER now, and
the page's npm packages the node_modules already installed there: the test
installs nothing.
"""
import os
import shutil
import subprocess
import sys
import tempfile

PACKAGE_TIMEOUT = 1200


def main():
    source, first_zip = (os.path.abspath(path) for path in sys.argv[1:3])
    if not os.path.exists(first_zip):
        print("got no %s: run scripts/package first" % first_zip)
        return 1
    listed = subprocess.run(["git", "-C", source, "ls-files", "-z"], check=True, capture_output=True,
                            timeout=60).stdout.decode().split("\0")
    epoch = os.environ.get("SOURCE_DATE_EPOCH") or subprocess.run(
        ["git", "-C", source, "log", "-1", "--format=%ct"], check=True, capture_output=True,
        text=True, timeout=60).stdout.strip()
    with tempfile.TemporaryDirectory(prefix="lum-repack-") as copy:
        for name in filter(None, listed):
            os.makedirs(os.path.dirname(os.path.join(copy, name)), exist_ok=True)
            shutil.copy2(os.path.join(source, name), os.path.join(copy, name))
        shutil.copytree(os.path.join(source, "node_modules"), os.path.join(copy, "node_modules"), symlinks=True)
        subprocess.run(["bash", "package/build"], cwd=copy, check=True, timeout=PACKAGE_TIMEOUT,
                       env=dict(os.environ, SOURCE_DATE_EPOCH=epoch))
        second_zip = os.path.join(copy, "dist", os.path.basename(first_zip))
        with open(first_zip, "rb") as first, open(second_zip, "rb") as second:
            if first.read() != second.read():
                print("got different bytes from the second packing, expected the same (was the "
                      "first made from this commit? package/build makes it again):\n"
                      "  %s\n  %s" % (first_zip, second_zip))
                subprocess.run(["cmp", "-l", first_zip, second_zip], timeout=60)
                return 1
    print("the second packing gave the same bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
