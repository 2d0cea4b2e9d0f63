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
- the page's size;
- ten one-minute stereo MP3s (ffmpeg's) made into a board through board-input: from
  the change event to data-checks changing once the board is checked (the
  page is then no longer busy and the board is ready to download), and
  that time's share of each step of a sound's way to a pad, from the
  page's performance timeline: decode (the browser's decoder), measure
  (the loudness), render (fades and the limiter) and write (the WAV's
  bytes); the rest is the files read, the silence found, the limiter's
  work checked and the board made (face, lines, board file) and checked;
- the page's memory meanwhile: the peak resident set (VmHWM, from /proc) of
  its Chromium renderer process after the board is made, less the renderer's
  resident set (VmRSS) on the idle page before, against the bytes of the
  WAVs in the board's zip plus the decoded sound the page holds, one at a
  time (32-bit float samples of the longest source). The renderer is where
  the page's script, its WebAssembly memory and the browser's audio
  decoder run;
- on a board of 29 pads with 30 MB of WAVs: a pad's label edited (from the
  label field's change event) and a pad moved one place (from the button's
  click) until data-checks changes, which it does once the face and the
  lines are made again and the folder is checked; and its downloaded zip
  opened again through open-board, from the change event to data-checks.

Usage: EditorFigures.py LUM-EDITOR-HTML NATIVE-LUMCHECK LUMCHECK-JS DEMO-SKIN-SCRIPT
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

from selenium.webdriver.common.keys import Keys

from audiofiles import encoded_tone
from editorpage import EditorPage
from skinfiles import KEY, bitmap_bytes, wave

EDITS = 41
NODE_RUNS = 7
BOARD_RUNS = 3
BOARD_SOUNDS = 10
BOARD_SECONDS = 60
# A one-minute stereo source decoded: 44.1 kHz, two channels of 4-byte samples.
DECODED_BYTES = BOARD_SECONDS * 44100 * 2 * 4
STEPS = ("decode", "measure", "render", "write")
PADS = 29
PAD_WAV_BYTES = 30 * 10 ** 6 // PADS
# Times, by the page's clock, of the events and of the changes of its
# documented data- attributes; a change is seen right after the work that
# made it, before the page paints.
RECORDER = """
window.recorded = { ready: 0, changes: [], keys: [], clicks: [], checks: [] };
addEventListener("change", (event) => recorded.changes.push(event.timeStamp), true);
addEventListener("click", (event) => recorded.clicks.push(event.timeStamp), true);
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


def edit_times(page):
    """Median and longest time of an arrow key's move of line 2's hotspot."""
    page.driver.find_element("css selector", "#lines li[data-line='2']").click()
    times = []
    for i in range(EDITS):
        page.after_check(lambda: page.element("viewport").send_keys(Keys.ARROW_RIGHT if i % 2 else Keys.ARROW_LEFT),
                         "the edit")
        times.append(page.driver.execute_script("return recorded.checks.at(-1) - recorded.keys.at(-1)"))
    return statistics.median(times), max(times)


def edit_figures(page_path, root):
    folder = os.path.join(root, "hd")
    skin_folder(folder, 1920, 1080)
    page = EditorPage(page_path, os.path.join(root, "downloads"), before_load=RECORDER)
    try:
        page.open_folder(folder)
        return edit_times(page)
    finally:
        page.close()


def renderers(page):
    """The renderer processes of the page's Chromium (descendants of its chromedriver)."""
    parents, renderer = {}, set()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as stat:
                parents[int(pid)] = int(stat.read().rsplit(")", 1)[1].split()[1])
            with open("/proc/%s/cmdline" % pid, "rb") as cmdline:
                if b"--type=renderer" in cmdline.read():
                    renderer.add(int(pid))
        except OSError:
            continue
    driver = page.driver.service.process.pid

    def descends(pid):
        while pid > 1:
            if pid == driver:
                return True
            pid = parents.get(pid, 0)
        return False
    return [pid for pid in renderer if descends(pid)]


def memory_kb(pid, field):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise KeyError(field)


def board_figures(page_path, root):
    """Seconds to a board from the MP3s, the renderer's growth and the WAV
    bytes of each run, and the edit times on the last run's board."""
    folder = os.path.join(root, "mp3")
    os.makedirs(folder)
    sources = [encoded_tone(os.path.join(folder, "tone %d.mp3" % i), 300 + 70 * i, BOARD_SECONDS, "stereo")
               for i in range(BOARD_SOUNDS)]
    runs = []
    for run in range(BOARD_RUNS):
        downloads = os.path.join(root, "board-downloads-%d" % run)
        os.makedirs(downloads)
        page = EditorPage(page_path, downloads, before_load=RECORDER)
        try:
            idle = {pid: memory_kb(pid, "VmRSS") for pid in renderers(page)}
            page.new_board(sources, timeout=300)
            seconds = page.driver.execute_script("return recorded.checks.at(-1) - recorded.changes.at(-1)") / 1000
            grown = max(memory_kb(pid, "VmHWM") - rss for pid, rss in idle.items()) * 1024
            with zipfile.ZipFile(page.download("download-board", ".zip")) as archive:
                wav_bytes = sum(entry.file_size for entry in archive.infolist() if entry.filename.endswith(".wav"))
            split = {name: step_seconds(page, name) for name in STEPS}
            runs.append((seconds, grown, wav_bytes, split))
        finally:
            page.close()
    return runs


def step_seconds(page, name):
    """Seconds the page spent in its steps of that name between the board's change event and its check (the
    selected pad's sound, decoded once the board is ready, is not the board's)."""
    return page.driver.execute_script(
        "const from = recorded.changes.at(-1), to = recorded.checks.at(-1);"
        "return performance.getEntriesByName('lum ' + arguments[0], 'measure')"
        "  .filter((e) => e.startTime >= from && e.startTime + e.duration <= to)"
        "  .reduce((sum, e) => sum + e.duration, 0) / 1000", name)


def since(page, event):
    return page.driver.execute_script("return recorded.checks.at(-1) - recorded[arguments[0]].at(-1)", event)


def pad_edit_times(page):
    """Medians of a label edit and of a move of the first pad, each until the board is checked again."""
    page.driver.find_element("css selector", "#pads li[data-pad='0']").click()
    labels, moves = [], []
    for i in range(EDITS):
        page.after_check(lambda: page.driver.execute_script(
            "const f = document.getElementById('pad-label'); f.value = arguments[0];"
            "f.dispatchEvent(new Event('change', { bubbles: true }));", "label %d" % i), "the label edit")
        labels.append(since(page, "changes"))
        page.after_check(page.element("pad-later" if i % 2 == 0 else "pad-earlier").click, "the move")
        moves.append(since(page, "clicks"))
    return statistics.median(labels), statistics.median(moves)


def pad_board_figures(page_path, root):
    """On a board of 29 pads: a label edit, a move, and its zip opened again."""
    folder = os.path.join(root, "pads")
    os.makedirs(folder)
    frames = PAD_WAV_BYTES // 2
    paths = []
    for i in range(PADS):
        paths.append(os.path.join(folder, "pad %d.wav" % i))
        with open(paths[-1], "wb") as out:
            # At the rate a board's WAVs have, so that the board holds these bytes, not more.
            out.write(wave(frames=bytes([i + 1, 0]) * frames, rate=44100))
    downloads = os.path.join(root, "pad-downloads")
    os.makedirs(downloads)
    page = EditorPage(page_path, downloads, before_load=RECORDER)
    try:
        page.new_board(paths, timeout=300)
        label, move = pad_edit_times(page)
        board_zip = page.download("download-board", ".zip")
        zip_bytes = os.path.getsize(board_zip)
        opened = []
        for _ in range(5):
            page.after_check(lambda: page.choose("open-board", [board_zip]), "the zip to open")
            opened.append(since(page, "changes"))
        return label, move, statistics.median(opened), zip_bytes
    finally:
        page.close()


# Drags the waveform's region by synthetic pointer events, the way
# wavesurfer reads them (down on the region, moves and up on the window):
# each move is handled, the store changed and the page rendered before
# dispatchEvent returns, so its time is the drag's to the fields' update.
REGION_DRAG = """
const host = document.getElementById("pad-wave").firstElementChild;
const region = host.shadowRoot.querySelector("[part~='region']");
const box = region.getBoundingClientRect(), y = box.top + box.height / 2;
let x = box.left + box.width / 2;
const event = (type) => new PointerEvent(type, { bubbles: true, composed: true, clientX: x, clientY: y, pointerId: 1,
                                                  button: 0, buttons: type === "pointerup" ? 0 : 1, isPrimary: true });
region.dispatchEvent(event("pointerdown"));
const times = [];
for (let i = 0; i < arguments[0]; i++) {
  x += i % 2 ? -3 : 4;
  const start = performance.now();
  window.dispatchEvent(event("pointermove"));
  times.push(performance.now() - start);
}
window.dispatchEvent(event("pointerup"));
return [times, document.getElementById("pad-start").value];"""


def measures(page, name):
    """The durations (ms) of the page's steps of that name on its performance timeline."""
    return page.driver.execute_script(
        "return performance.getEntriesByName(arguments[0], 'measure').map((e) => e.duration)", "lum " + name)


def part_figures(page_path, root):
    """A 3-minute stereo MP3's waveform drawn (from its decoded sound), and
    a drag of its region until the fields show where it is."""
    folder = os.path.join(root, "theme")
    os.makedirs(folder)
    theme = encoded_tone(os.path.join(folder, "theme.mp3"), 440, 180, "stereo")
    page = EditorPage(page_path, os.path.join(root, "downloads"))
    try:
        page.new_board([theme], timeout=300)
        drawn = []
        for _ in range(5):
            for index in (1, 0):  # the stop pad, then the theme again: decoded and drawn anew
                page.driver.execute_script("document.querySelectorAll('#pads li')[arguments[0]].click()", index)
            page.wait(lambda d: len(measures(page, "waveform")) > len(drawn), "the waveform", timeout=60)
            drawn = measures(page, "waveform")
        # The theme has no silence to cut, so its part is the whole sound: a narrower one leaves room to drag.
        page.driver.execute_script(
            "const f = document.getElementById('pad-end'); f.value = '60';"
            "f.dispatchEvent(new Event('change', { bubbles: true }));")
        page.wait(lambda d: d.execute_script(
            "const h = document.getElementById('pad-wave').firstElementChild;"
            "const r = h && h.shadowRoot.querySelector(\"[part~='region']\");"
            "return r !== null && r.getBoundingClientRect().width < h.getBoundingClientRect().width / 2"),
            "the narrower region")
        before = page.element("pad-start").get_attribute("value")
        times, after = page.driver.execute_script(REGION_DRAG, EDITS)
        if after == before:
            raise AssertionError("the drag did not move the fields (%s)" % after)
        return statistics.median(drawn), statistics.median(times), max(times)
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
        board_runs = board_figures(page, root)
        label, move, opened_zip, zip_bytes = pad_board_figures(page, root)
        drawn, drag, drag_max = part_figures(page, root)
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
    board_seconds = statistics.median(r[0] for r in board_runs)
    print(row("ten one-minute stereo MP3s to a board ready to download", "%.2f s median" % board_seconds,
              "max %.2f s" % max(r[0] for r in board_runs), "-", "<= 3 s", "yes" if board_seconds <= 3 else "no"))
    median_run = sorted(board_runs, key=lambda r: r[0])[len(board_runs) // 2]
    for name in STEPS:
        print(row("  of which " + name, "%.2f s" % median_run[3][name], "-",
                  "%.0f%%" % (100 * median_run[3][name] / median_run[0]), "report", "-"))
    rest = median_run[0] - sum(median_run[3].values())
    print(row("  of which the rest (files read, board made and checked)", "%.2f s" % rest, "-",
              "%.0f%%" % (100 * rest / median_run[0]), "report", "-"))
    grown, wav_bytes = max(r[1] for r in board_runs), board_runs[-1][2]
    held = wav_bytes + DECODED_BYTES
    print(row("  renderer's peak memory meanwhile (VmHWM - idle VmRSS)", "%.0f MB most" % (grown / 1e6),
              "%.0f + %.0f MB" % (wav_bytes / 1e6, DECODED_BYTES / 1e6), "%.2fx" % (grown / held),
              "<= 3x WAVs + decoded", "yes" if grown <= 3 * held else "no"))
    print(row("a 3-minute stereo sound's waveform, from its decoded sound", "%.0f ms median" % drawn, "-", "-",
              "<= 200 ms", "yes" if drawn <= 200 else "no"))
    print(row("  a drag of its region to the fields' update", "%.1f ms median" % drag, "max %.1f ms" % drag_max, "-",
              "<= 16 ms, one frame", "yes" if drag <= 16 else "no"))
    print(row("29-pad board: a label edit to a checked face and lines", "%.1f ms median" % label, "-", "-",
              "<= 16 ms, one frame", "yes" if label <= 16 else "no"))
    print(row("  a pad moved one place", "%.1f ms median" % move, "-", "-", "<= 16 ms, one frame",
              "yes" if move <= 16 else "no"))
    print(row("  its zip opened again", "%.0f ms median" % opened_zip, "%.0f MB zip" % (zip_bytes / 1e6), "-",
              "<= 1 s", "yes" if opened_zip <= 1000 else "no"))


if __name__ == "__main__":
    main()
