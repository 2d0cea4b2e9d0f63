#!/usr/bin/env python3
"""Prints the benchmark table: figure, ours, baseline, ratio, goal, met.

Usage: PrintTable.py NATIVE_JSON WINE_JSON COMPOSITOR_JSON LUM64_EXE LUM32_EXE ZIP

NATIVE_JSON is Google Benchmark's JSON output of lum_skin_bench (medians of
repetitions, CPU time), WINE_JSON what WineFigures.py printed, and
COMPOSITOR_JSON what it printed with "start-up-and-memory" while a compositing
manager ran. The two lum.exe files are measured here (stripped size and
imported DLLs), and so is the download, ZIP.
"""
import json
import os
import subprocess
import sys
import tempfile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "winmm.dll", "msvcrt.dll"}
KIB = 1024
LARGEST_PROGRAM = 32 * KIB
MIB = 1024 * 1024


def native_medians(path):
    with open(path) as source:
        report = json.load(source)
    medians = {}
    for run in report["benchmarks"]:
        if run.get("error_occurred"):
            sys.exit("PrintTable: %s failed: %s" % (run["run_name"], run.get("error_message")))
        if run.get("aggregate_name") == "median":
            medians[run["run_name"]] = run["cpu_time"]
    return medians


def stripped_size(exe, strip):
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "lum.exe")
        subprocess.run([strip, "-o", copy, exe], check=True)
        return os.path.getsize(copy)


def imported_dlls(exe, objdump):
    listing = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    return [line.split(":", 1)[1].strip() for line in listing.splitlines()
            if line.strip().startswith("DLL Name:")]


class Table:
    def __init__(self):
        self.rows = []

    def ratio_row(self, figure, ours, baseline, unit, goal, limit=None):
        ratio = ours / baseline
        met = "-" if limit is None else ("yes" if ratio <= limit else "NO")
        self.rows.append((figure, "%.3g %s" % (ours, unit), "%.3g %s" % (baseline, unit),
                          "%.2fx" % ratio, goal, met))

    def row(self, figure, ours, baseline, ratio, goal, met):
        self.rows.append((figure, ours, baseline, ratio, goal, "yes" if met else "NO"))

    def print(self):
        header = ("figure", "ours", "baseline", "ratio", "goal", "met")
        widths = [max(len(row[i]) for row in self.rows + [header]) for i in range(len(header))]
        line = lambda row: "| " + " | ".join(cell.ljust(w) for cell, w in zip(row, widths)) + " |"
        print(line(header))
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        for row in self.rows:
            print(line(row))


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    native_json, wine_json, compositor_json, lum64, lum32, package = sys.argv[1:]
    native = native_medians(native_json)
    with open(wine_json) as source:
        wine = json.load(source)
    with open(compositor_json) as source:
        composited = json.load(source)
    table = Table()

    for width, height in [(1920, 1080), (4096, 4096)]:
        table.ratio_row("BuildSkinFile with its file read, %d x %d (native)" % (width, height),
                        native["BuildSkinFromFile/%d/%d" % (width, height)] / 1e3,
                        native["ReadSkinBaseline/%d/%d" % (width, height)] / 1e3,
                        "ms", "<= 1.5x fread + memcpy", 1.5)
    for lines, figure, goal, limit in [(32, "32 lines", "<= 4x one fread", 4.0),
                                       (100000, "every line of 100000", "report vs one fread", None)]:
        table.ratio_row("ReadHotspotFile, %s (native)" % figure, native["LoadHotspotsFromFile/%d" % lines],
                        native["ReadHotspotsBaseline/%d" % lines], "us", goal, limit)

    for figures, where in [(wine, "Wine"), (composited, "Wine, compositor")]:
        start = figures["start_up"]
        table.ratio_row("start-up to skin on screen, 640 x 480 (%s)" % where, start["ours"], start["baseline"],
                        "ms", "<= 1.15x bare window", 1.15)
        start = figures["start_up_cpu"]
        table.ratio_row("start-up, CPU time of the process (%s)" % where, start["ours"], start["baseline"],
                        "ms", "report")
    layered = wine["layered"]
    table.ratio_row("layered picture, 1920 x 1080: two passes, alpha, hand-over (Wine)", layered["ours"],
                    layered["baseline"], "ms", "report vs one SRCCOPY handed over")
    paint = wine["paint"]
    table.ratio_row("paint where layering is refused, 1920 x 1080, two passes (Wine)", paint["ours"],
                    paint["baseline"], "ms", "report vs one SRCCOPY")
    drag = wine["drag"]
    table.row("drag of 500 moves, 1920 x 1080: last move shown after (Wine)",
              "%.3g ms" % drag["ours"], "%.3g ms on 50 x 50" % drag["baseline"],
              "%+.3g ms" % (drag["ours"] - drag["baseline"]), "<= 100 ms", drag["ours"] <= 100)
    press = wine["first_press"]
    spread = lambda middle: "%.3g to %.3g" % tuple(middle)
    table.row("first press: tone later than a later press's (Wine)",
              "%.3g ms (%s)" % (press["ours"], spread(press["ours_middle_half"])),
              "%.3g ms (%s), winmm imported" % (press["baseline"], spread(press["baseline_middle_half"])),
              "%+.3g ms" % (press["ours"] - press["baseline"]), "<= baseline", press["ours"] <= press["baseline"])
    idle = wine["idle_cpu"]
    table.rows.append(("CPU time in %g s idle, 640 x 480 (Wine)" % idle["seconds"], "%.3g ms" % idle["ours"],
                       "%.3g ms, bare window" % idle["baseline"], "%+.3g ms" % (idle["ours"] - idle["baseline"]),
                       "report", "-"))
    for figures, where in [(wine, "Wine"), (composited, "Wine, compositor")]:
        memory = figures["memory"]
        above_bare = memory["ours"] - memory["bare"]
        table.row("memory after start, 1920 x 1080 (%s, freed blocks returned)" % where,
                  "%.1f MiB above bare" % (above_bare / MIB), "file %.1f MiB" % (memory["file"] / MIB),
                  "%.2fx file" % (above_bare / memory["file"]), "<= 2.2x file + bare",
                  above_bare <= 2.2 * memory["file"])
    memory = wine["memory_as_left"]
    above_bare = memory["ours"] - memory["bare"]
    table.rows.append(("memory after start, 1920 x 1080 (Wine, as glibc leaves it)",
                       "%.1f MiB above bare" % (above_bare / MIB),
                       "file %.1f MiB" % (memory["file"] / MIB),
                       "%.2fx file" % (above_bare / memory["file"]), "report", "-"))

    for exe, strip, objdump, label in [
            (lum64, "x86_64-w64-mingw32-strip", "x86_64-w64-mingw32-objdump", "64-bit"),
            (lum32, "i686-w64-mingw32-strip", "i686-w64-mingw32-objdump", "32-bit")]:
        size = stripped_size(exe, strip)
        table.row("lum.exe stripped, %s" % label, "%.1f KiB (%d bytes)" % (size / KIB, size), "-",
                  "%.2fx limit" % (size / LARGEST_PROGRAM), "<= %d KiB" % (LARGEST_PROGRAM / KIB),
                  size <= LARGEST_PROGRAM)
        dlls = imported_dlls(exe, objdump)
        table.row("lum.exe imports, %s" % label, " ".join(dlls), "-", "-", "system DLLs only",
                  all(dll.lower() in SYSTEM_DLLS for dll in dlls))
    table.rows.append(("download, %s" % os.path.basename(package),
                       "%.0f KiB" % (os.path.getsize(package) / KIB), "-", "-", "report", "-"))
    table.print()


if __name__ == "__main__":
    main()
