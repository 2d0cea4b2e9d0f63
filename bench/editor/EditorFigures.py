#!/usr/bin/env python3
"""The skin editor's figures, each beside its goal, measured in one run:
- an edit (the selected hotspot moved by one pixel with an arrow key) until
  the canvas is redrawn and the findings are refreshed, on a 1920 x 1080 skin
  with 32 hotspots: from the key event to the page's data-checks changing,
  which it does at the end of its work (the check, the redraw and the new
  findings list);
- the page ready with the demo folder: from navigation to data-ready, plus
  from the folder input's change event to data-checks changing.
  The page carries no timers: a script run before the page's own records
  these times from outside it;
- the WebAssembly checker under node against the native one on a 4096 x 4096
  skin: wall time of the whole command, medians of alternating runs;
- the page's size.

Usage: EditorFigures.py LUM-EDITOR-HTML NATIVE-LUMCHECK LUMCHECK-JS DEMO-SKIN-SCRIPT
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.keys import Keys

from editorpage import EditorPage
from skinfiles import KEY, bitmap_bytes, wave

EDITS = 41
NODE_RUNS = 7
# Times, by the page's clock, of the events and of the changes of its
# documented data- attributes; a change is seen right after the work that
# made it, before the page paints.
RECORDER = """
window.recorded = { ready: 0, changes: [], keys: [], checks: [] };
addEventListener("change", (event) => recorded.changes.push(event.timeStamp), true);
addEventListener("keydown", (event) => recorded.keys.push(event.timeStamp), true);
new MutationObserver((records) => {
  for (const record of records) {
    if (record.attributeName === "data-ready") recorded.ready = performance.now();
    else recorded.checks.push(performance.now());
  }
}).observe(document, { attributes: true, subtree: true, attributeFilter: ["data-ready", "data-checks"] });"""


def skin_bytes(width, height):
    """A 24-bit skin of one colour with a see-through stripe every 64 rows."""
    key, opaque = [KEY] * width, [(120, 90, 60)] * width
    return bitmap_bytes([key if y % 64 == 0 else opaque for y in range(height)])


def skin_folder(folder, width, height):
    os.makedirs(folder)
    lines = ["EXIT 4 4 40 40"] + ["tone.wav %d %d %d %d" % (60 + 110 * (i % 16), 60 + 300 * (i // 16),
                                                           160 + 110 * (i % 16), 300 + 300 * (i // 16))
                                 for i in range(31)]
    with open(os.path.join(folder, "lum.ini"), "w") as out:
        out.write("\r\n".join(lines) + "\r\n")
    with open(os.path.join(folder, "lum.bmp"), "wb") as out:
        out.write(skin_bytes(width, height))
    with open(os.path.join(folder, "tone.wav"), "wb") as out:
        out.write(wave())


def edit_figures(page_path, root):
    folder = os.path.join(root, "hd")
    skin_folder(folder, 1920, 1080)
    page = EditorPage(page_path, os.path.join(root, "downloads"), before_load=RECORDER)
    try:
        page.open_folder(folder)
        page.driver.find_element("css selector", "#lines li[data-line='2'] button").click()
        times = []
        for i in range(EDITS):
            page.after_check(lambda: page.element("viewport").send_keys(Keys.ARROW_RIGHT if i % 2 else Keys.ARROW_LEFT),
                             "the edit")
            times.append(page.driver.execute_script("return recorded.checks.at(-1) - recorded.keys.at(-1)"))
        return statistics.median(times), max(times)
    finally:
        page.close()


def ready_figure(page_path, demo_script, root):
    demo = os.path.join(root, "demo")
    subprocess.run([sys.executable, demo_script, demo], check=True, timeout=120)
    figures = []
    for _ in range(5):
        page = EditorPage(page_path, os.path.join(root, "downloads"), before_load=RECORDER)
        try:
            page.open_folder(demo)
            figures.append(page.driver.execute_script(
                "return [recorded.ready, recorded.checks.at(-1) - recorded.changes.at(-1)]"))
        finally:
            page.close()
    ready = statistics.median(f[0] for f in figures)
    opened = statistics.median(f[1] for f in figures)
    return ready, opened


def wall_time(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
    return time.perf_counter() - start


def node_figures(native, script, root):
    """Medians of the whole command and of its start alone (--help), native then node."""
    folder = os.path.join(root, "big")
    skin_folder(folder, 4096, 4096)
    runs = {"native": [], "node": [], "native start": [], "node start": []}
    for _ in range(NODE_RUNS):
        runs["native"].append(wall_time([native, "--json", folder]))
        runs["node"].append(wall_time(["node", script, "--json", folder]))
        runs["native start"].append(wall_time([native, "--help"]))
        runs["node start"].append(wall_time(["node", script, "--help"]))
    return {name: statistics.median(times) for name, times in runs.items()}


def row(figure, ours, baseline, ratio, goal, met):
    return "| %-62s | %-18s | %-18s | %-8s | %-22s | %-3s |" % (figure, ours, baseline, ratio, goal, met)


def main():
    page, native, script, demo_script = map(os.path.abspath, sys.argv[1:5])
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "downloads"))
        edit_median, edit_max = edit_figures(page, root)
        ready, opened = ready_figure(page, demo_script, root)
        node = node_figures(native, script, root)
    ratio = node["node"] / node["native"]
    native_check = node["native"] - node["native start"]
    node_check = node["node"] - node["node start"]
    print(row("figure", "ours", "baseline", "ratio", "goal", "met"))
    print("|" + "|".join("-" * n for n in (64, 20, 20, 10, 24, 5)) + "|")
    print(row("edit to redrawn canvas and findings, 1920 x 1080, 32 hotspots", "%.1f ms median" % edit_median,
              "max %.1f ms" % edit_max, "-", "<= 16 ms, one frame", "yes" if edit_median <= 16 else "no"))
    print(row("page ready with the demo folder (model + folder)", "%.0f ms" % (ready + opened),
              "%.0f + %.0f ms" % (ready, opened), "-", "<= 1 s", "yes" if ready + opened <= 1000 else "no"))
    print(row("lumcheck.js under node vs native, 4096 x 4096 skin", "%.0f ms" % (node["node"] * 1000),
              "%.0f ms native" % (node["native"] * 1000), "%.2fx" % ratio, "<= 2x native", "yes" if ratio <= 2 else "no"))
    # Node's own start and the module's compilation take about as long as the
    # whole native check; the same figure without either program's start:
    print(row("  the same without each program's start (--help)", "%.0f ms" % (node_check * 1000),
              "%.0f ms native" % (native_check * 1000), "%.2fx" % (node_check / native_check), "report", "-"))
    size = os.path.getsize(page)
    print(row("lum-editor.html size", "%d bytes" % size, "-", "-", "report", "-"))


if __name__ == "__main__":
    main()
