#!/usr/bin/env python3
"""Writes the bundle's depfile from esbuild's metafile: the bundle depends on
every file esbuild read for it, so that a change to any module, a new one in
any folder included, rebuilds it, and no list of modules is kept by hand.

Usage: BundleDepfile.py METAFILE ESBUILD-FOLDER BUNDLE DEPFILE
The metafile names its inputs relative to the folder esbuild ran in.
"""
import json
import os
import sys


def make_path(path):
    """A path as a Makefile rule spells it."""
    return path.replace("$", "$$").replace("#", "\\#").replace(" ", "\\ ")


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    metafile, folder, bundle, depfile = sys.argv[1:]
    with open(metafile, encoding="utf-8") as meta:
        inputs = json.load(meta)["inputs"]
    paths = sorted(os.path.normpath(os.path.join(folder, name)) for name in inputs)
    with open(depfile, "w", encoding="utf-8") as out:
        out.write("%s: %s\n" % (make_path(bundle), " \\\n  ".join(map(make_path, paths))))


if __name__ == "__main__":
    main()
