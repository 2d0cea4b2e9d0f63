#!/usr/bin/env python3
"""Writes the Windows download of lum: both builds' lum.exe and lumcheck.exe,
stripped, the skin editor's page, the demo skin folder, README.txt and
LICENSE.txt (CR LF text). Prints the zip's size and SHA-256.

Usage: MakePackage.py VERSION WIN64_BUILD WIN32_BUILD EDITOR_PAGE ZIP

The same sources give the same bytes wherever and whenever they are packed:
every entry is dated SOURCE_DATE_EPOCH (scripts/package takes the commit's
date), the entries come in a fixed order with fixed permissions, and the
programs carry no time stamp. The zip is written beside its place and then
renamed, so an earlier zip of that name stays whole until the new one is.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAMS = [("lum.exe", "src/window/lum.exe"), ("lumcheck.exe", "src/check/lumcheck.exe")]
# The folder in the zip, the build argument and the strip of each flavour.
FLAVOURS = [("x64", "win64_build", "x86_64-w64-mingw32-strip"),
            ("x86", "win32_build", "i686-w64-mingw32-strip")]
FIRST_ZIP_DATE = 315532800  # 1980-01-01, the earliest date a zip entry can hold
PERMISSIONS = 0o100644      # a plain file, read-write for its owner, read for all


def read(path):
    with open(path, "rb") as source:
        return source.read()


def crlf_text(path, version=None):
    """A text file of the source tree with CR LF line ends, for Notepad."""
    with open(path, encoding="ascii") as source:
        text = source.read()
    if version:
        text = text.replace("@VERSION@", version)
    return text.replace("\n", "\r\n").encode("ascii")


def stripped(program, strip, scratch):
    copy = os.path.join(scratch, "stripped.exe")
    # strip writes the current time into the file header unless
    # SOURCE_DATE_EPOCH names another; 0 leaves it empty, as the linker did.
    subprocess.run([strip, "-o", copy, program], check=True, timeout=120,
                   env=dict(os.environ, SOURCE_DATE_EPOCH="0"))
    return read(copy)


def demo_files(scratch):
    folder = os.path.join(scratch, "demo")
    subprocess.run([sys.executable, os.path.join(ROOT, "demo", "MakeDemoSkin.py"), folder],
                   check=True, timeout=120)
    return [("demo/" + name, read(os.path.join(folder, name))) for name in sorted(os.listdir(folder))]


def entries(arguments, scratch):
    """(name in the zip, bytes), in the zip's order."""
    files = [("README.txt", crlf_text(os.path.join(ROOT, "package", "README.txt"), arguments.version)),
             ("LICENSE.txt", crlf_text(os.path.join(ROOT, "LICENSE"))),
             ("lum-editor.html", read(arguments.editor_page))]
    for folder, build, strip in FLAVOURS:
        for name, path in PROGRAMS:
            program = os.path.join(getattr(arguments, build), path)
            files.append((folder + "/" + name, stripped(program, strip, scratch)))
    return files + demo_files(scratch)


def write_zip(path, files, epoch):
    date = time.gmtime(max(epoch, FIRST_ZIP_DATE))[:6]
    part = path + ".part"
    with zipfile.ZipFile(part, "w") as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(name, date)
            entry.create_system = 3  # Unix, so that unpackers read the permissions
            entry.external_attr = PERMISSIONS << 16
            archive.writestr(entry, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(part, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("version")
    parser.add_argument("win64_build")
    parser.add_argument("win32_build")
    parser.add_argument("editor_page")
    parser.add_argument("zip")
    arguments = parser.parse_args()
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        sys.exit("MakePackage: SOURCE_DATE_EPOCH is not set (scripts/package sets it)")
    os.makedirs(os.path.dirname(os.path.abspath(arguments.zip)), exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        files = entries(arguments, scratch)
    write_zip(arguments.zip, files, int(epoch))
    data = read(arguments.zip)
    print("%s: %d files, %d bytes" % (arguments.zip, len(files), len(data)))
    print("SHA-256: %s" % hashlib.sha256(data).hexdigest())


if __name__ == "__main__":
    main()
