#!/usr/bin/env python3
"""Measures lum.exe under Wine beside its baselines and prints the figures as JSON.

Needs a running X display (DISPLAY) and Wine prefix (WINEPREFIX). Everything
on screen is read back from the X server, so "shown" means what a person at
the display would see:

- start-up: from starting the process to the skin's corner pixels showing on
  screen, 640 x 480, against the bare window painting one colour, and the CPU
  time each process has used by then;
- memory: anonymous resident memory of the running process, 1920 x 1080 skin,
  against the bare window of the same size, once with freed blocks given back
  to the system at once and once as glibc leaves them;
- drag: 500 pointer moves with the button held, then the time from the last
  move until the window shows at its final place, 1920 x 1080 against 50 x 50;
- paint: the medians that lum_paint_bench.exe prints for a 1920 x 1080 skin:
  the layered window's picture handed over, and the paint of a window that
  could not be layered;
- idle: the CPU time each process uses in 10 s of waiting for messages
  once its window shows (and lum has loaded winmm), lum.exe against the
  bare window, both 640 x 480;
- first press: how much later a program's first sound starts after its press
  than a later one's, lum.exe against a program that imports winmm and plays
  the same file at each press, heard on the sound server's null sink (needs
  LUM_SOUND_MONITOR). Both onsets lie in one recording, so its own start-up
  delay cancels out.

With "start-up-and-memory" last, only the start-up and the memory with freed
blocks returned are measured: scripts/bench measures them once more with a
compositing manager running.

Usage: WineFigures.py LUM_EXE BARE_EXE PAINT_EXE SOUND_BASELINE_EXE WORK_FOLDER [start-up-and-memory]
"""
import array
import ctypes
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

import skinfiles

WINDOW_LEFT, WINDOW_TOP = 50, 50
START_UP_ROUNDS = 21
MEMORY_ROUNDS = 3
DRAG_ROUNDS = 3
DRAG_MOVES = 500
DRAG_PRESS = (25, 25)      # window point of the press, inside every skin
DRAG_PROBE = (10, 10)      # window point looked for at the final place
# With 32-bit Wine installed, Debian's `wine` starts a 64-bit program from its
# 32-bit loader: a stub process (start.exe) that runs the program as a process
# of its own, so the memory and CPU time read from the process started would
# be the stub's. Wine's 64-bit loader runs the program in the process itself.
WINE64 = shutil.which("wine64") or "/usr/lib/wine/wine64"
SHOW_TIMEOUT = 30.0
START_ATTEMPTS = 3
SETTLE_SECONDS = 0.5
# Past start-up: lum loads winmm once the skin shows, within the half second
# the start-up figures wait; idle begins after twice that.
IDLE_SETTLE_SECONDS = 1.0
IDLE_SECONDS = 10.0
FIRST_PRESS_ROUNDS = 11
FIRST_PRESS_SIZE = (200, 100)   # the skin, and the baseline's window (SoundBaseline.cpp)
FIRST_PRESS_AT = (100, 50)      # window point of both presses
# A person needs at least this long to reach a pad after the window shows.
FIRST_PRESS_SETTLE = 1.0
PRESS_GAP = 1.5
TONE_SECONDS = 0.3
TONE_FREQUENCY = 880
ONSET_LEVEL = 2000
SOUND_RATE = 44100


def skin_colour(x, y):
    """A colour that names its pixel: no two pixels of a skin up to 2048 x 2048
    share one, and none is the key colour (its green is never 0)."""
    return (x & 0xFF, 0x80 | (x >> 8) | ((y >> 8) << 3), y & 0xFF)


def write_skin(folder, width, height):
    """A bottom-up 24-bit lum.bmp of skin_colour pixels and an empty lum.ini,
    so that a press anywhere starts a drag. Returns the skin file's size."""
    os.makedirs(folder, exist_ok=True)
    skin = skinfiles.bitmap_bytes(skinfiles.picture(width, height, skin_colour))
    with open(os.path.join(folder, "lum.bmp"), "wb") as out:
        out.write(skin)
    open(os.path.join(folder, "lum.ini"), "wb").close()
    return len(skin)


class Screen:
    """Reads pixels of the X screen and fakes pointer input through XTest."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtest = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.c_void_p
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XGetPixel.restype = ctypes.c_ulong
        self.x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtest.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                    ctypes.c_int, ctypes.c_ulong]
        self.xtest.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                    ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("WineFigures: cannot open the X display %r" % os.environ.get("DISPLAY"))
        self.root = self.x11.XDefaultRootWindow(self.display)

    def colour(self, x, y):
        """The screen pixel at (x, y) as (red, green, blue)."""
        all_planes, z_pixmap = 0xFFFFFFFF, 2
        image = self.x11.XGetImage(self.display, self.root, x, y, 1, 1, all_planes, z_pixmap)
        if not image:
            return None
        value = self.x11.XGetPixel(image, 0, 0)
        self.x11.XDestroyImage(image)
        return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)

    def move_pointer(self, x, y):
        self.xtest.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        self.x11.XFlush(self.display)

    def left_button(self, pressed):
        self.xtest.XTestFakeButtonEvent(self.display, 1, 1 if pressed else 0, 0)
        self.x11.XSync(self.display, 0)

    def click(self):
        """A left press and release where the pointer is; the time of the press."""
        self.left_button(True)
        pressed = time.perf_counter()
        self.left_button(False)
        return pressed


class Program:
    """One Windows program started under Wine in a folder."""

    def __init__(self, exe, arguments, folder, environment=None):
        self.started = time.perf_counter()
        self.process = subprocess.Popen([WINE64, exe] + arguments, cwd=folder, env=environment,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def anonymous_memory(self):
        """Resident anonymous memory in bytes (RssAnon of /proc/PID/status)."""
        with open("/proc/%d/status" % self.process.pid) as status:
            for line in status:
                if line.startswith("RssAnon:"):
                    return int(line.split()[1]) * 1024
        raise RuntimeError("no RssAnon for process %d" % self.process.pid)

    def cpu_seconds(self):
        """Time all the process's threads have spent on a CPU so far."""
        total = 0
        tasks = "/proc/%d/task" % self.process.pid
        for task in os.listdir(tasks):
            with open(os.path.join(tasks, task, "schedstat")) as schedstat:
                total += int(schedstat.read().split()[0])
        return total / 1e9

    def process_cpu_seconds(self):
        """User and system time of the process, threads that ended included
        (utime and stime of /proc/PID/stat)."""
        with open("/proc/%d/stat" % self.process.pid) as stat:
            # The name in parentheses may hold spaces; the fields follow it.
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def end(self):
        self.process.kill()
        self.process.wait(timeout=30)


class EndedEarly(RuntimeError):
    pass


def wait_for(screen, probes, program, timeout=SHOW_TIMEOUT):
    """Waits until every (x, y, colour) probe shows its colour; the time then."""
    deadline = time.perf_counter() + timeout
    while True:
        now = time.perf_counter()
        if all(screen.colour(x, y) == colour for x, y, colour in probes):
            return now
        if program.process.poll() is not None:
            raise EndedEarly("the program ended (%d) before the screen showed %r"
                               % (program.process.returncode, probes))
        if now > deadline:
            raise RuntimeError("the screen never showed %r" % (probes,))
        time.sleep(0.0002)


def wait_until_gone(screen, probes, timeout=SHOW_TIMEOUT):
    deadline = time.perf_counter() + timeout
    while any(screen.colour(x, y) == colour for x, y, colour in probes):
        if time.perf_counter() > deadline:
            raise RuntimeError("the screen kept showing %r" % (probes,))
        time.sleep(0.01)


def skin_probes(width, height, left=WINDOW_LEFT, top=WINDOW_TOP):
    corners = [(1, 1), (width - 2, height - 2)]
    return [(left + x, top + y, skin_colour(x, y)) for x, y in corners]


def bare_probes(width, height):
    colour = (0x20, 0x90, 0x60)   # kBareColour in BareWindow.cpp
    corners = [(1, 1), (width - 2, height - 2)]
    return [(WINDOW_LEFT + x, WINDOW_TOP + y, colour) for x, y in corners]


def start_and_show(screen, exe, arguments, folder, probes, environment=None):
    """Now and then Wine does not start a program right after another one
    ended (it ends at once, with code 1; once in some 400 starts here): such
    a start is tried again, twice at most, and said on standard error."""
    for attempt in range(START_ATTEMPTS):
        program = Program(exe, arguments, folder, environment)
        try:
            shown = wait_for(screen, probes, program)
            return program, shown - program.started
        except EndedEarly as ended:
            if attempt + 1 == START_ATTEMPTS:
                raise
            print("WineFigures: %s: %s; starting it again" % (os.path.basename(exe), ended),
                  file=sys.stderr)
        except Exception:
            program.end()
            raise


def close(screen, program, probes):
    program.end()
    wait_until_gone(screen, probes)


def start_up_once(screen, exe, arguments, folder, probes):
    """Seconds from process start to the window on screen, and the CPU time
    the process has used by then (it waits for messages afterwards)."""
    program, seconds = start_and_show(screen, exe, arguments, folder, probes)
    time.sleep(SETTLE_SECONDS)
    cpu = program.cpu_seconds()
    close(screen, program, probes)
    return seconds, cpu


def measure_start_up(screen, lum, bare, folder):
    """Medians of start-up times and CPU times, lum and bare alternating; the
    first round of each warms Wine's caches and is dropped."""
    lum_runs, bare_runs = [], []
    for round_number in range(START_UP_ROUNDS + 1):
        lum_run = start_up_once(screen, lum, [], folder, skin_probes(640, 480))
        bare_run = start_up_once(screen, bare, ["640", "480"], folder, bare_probes(640, 480))
        if round_number:
            lum_runs.append(lum_run)
            bare_runs.append(bare_run)
    medians = lambda runs: [statistics.median(run[i] for run in runs) for i in range(2)]
    return medians(lum_runs), medians(bare_runs)


def idle_once(screen, exe, arguments, folder, probes):
    """CPU seconds the process uses in IDLE_SECONDS with nothing to do."""
    program, _ = start_and_show(screen, exe, arguments, folder, probes)
    try:
        time.sleep(IDLE_SETTLE_SECONDS)
        before = program.process_cpu_seconds()
        time.sleep(IDLE_SECONDS)
        return program.process_cpu_seconds() - before
    finally:
        close(screen, program, probes)


def measure_idle(screen, lum, bare, folder):
    return (idle_once(screen, lum, [], folder, skin_probes(640, 480)),
            idle_once(screen, bare, ["640", "480"], folder, bare_probes(640, 480)))


def measure_memory(screen, lum, bare, folder, environment=None):
    lum_bytes, bare_bytes = [], []
    lum_probes, bare_each = skin_probes(1920, 1080), bare_probes(1920, 1080)
    for _ in range(MEMORY_ROUNDS):
        program, _ = start_and_show(screen, lum, [], folder, lum_probes, environment)
        time.sleep(SETTLE_SECONDS)
        lum_bytes.append(program.anonymous_memory())
        close(screen, program, lum_probes)
        program, _ = start_and_show(screen, bare, ["1920", "1080"], folder, bare_each, environment)
        time.sleep(SETTLE_SECONDS)
        bare_bytes.append(program.anonymous_memory())
        close(screen, program, bare_each)
    return statistics.median(lum_bytes), statistics.median(bare_bytes)


def returning_freed_memory():
    """The environment with glibc's mmap threshold fixed at its default, so
    that large blocks freed by Wine's unix side (its 32-bit copy of a 24-bit
    picture for each blit) go back to the system instead of staying resident
    as free heap; what is then resident is what the process holds."""
    environment = dict(os.environ)
    environment["MALLOC_MMAP_THRESHOLD_"] = "131072"
    return environment


def drag_once(screen, lum, folder, width, height):
    """Seconds from the last of DRAG_MOVES pointer moves to the window showing
    at the place that move asked for."""
    probes = skin_probes(width, height)
    program, _ = start_and_show(screen, lum, [], folder, probes)
    try:
        press_x, press_y = WINDOW_LEFT + DRAG_PRESS[0], WINDOW_TOP + DRAG_PRESS[1]
        screen.move_pointer(press_x, press_y)
        time.sleep(SETTLE_SECONDS)
        screen.left_button(True)
        time.sleep(0.05)
        for step in range(1, DRAG_MOVES + 1):
            if step > 1:
                time.sleep(0.001)
            screen.move_pointer(press_x + step, press_y + step)
        last_move = time.perf_counter()
        final = (WINDOW_LEFT + DRAG_MOVES + DRAG_PROBE[0], WINDOW_TOP + DRAG_MOVES + DRAG_PROBE[1],
                 skin_colour(*DRAG_PROBE))
        shown = wait_for(screen, [final], program, timeout=10.0)
        screen.left_button(False)
        return shown - last_move
    finally:
        program.end()
        time.sleep(SETTLE_SECONDS)


def measure_drag(screen, lum, large_folder, small_folder):
    large, small = [], []
    for _ in range(DRAG_ROUNDS):
        large.append(drag_once(screen, lum, large_folder, 1920, 1080))
        small.append(drag_once(screen, lum, small_folder, 50, 50))
    return statistics.median(large), statistics.median(small)


def measure_paint(paint_exe, folder):
    result = subprocess.run([WINE64, paint_exe], cwd=folder, capture_output=True, text=True,
                            timeout=300)
    figures = {}
    for line in result.stdout.splitlines():
        parts = line.split()
        if len(parts) == 2 and parts[0].endswith("-us"):
            figures[parts[0]] = float(parts[1]) / 1e3
    if len(figures) != 4:
        raise RuntimeError("lum_paint_bench.exe printed %r" % result.stdout)
    return figures


def write_first_press_folder(folder):
    """A skin whose one hotspot covers it and plays tone.wav: a tone that
    starts at full strength, so that its onset is sharp."""
    write_skin(folder, *FIRST_PRESS_SIZE)
    with open(os.path.join(folder, "lum.ini"), "w") as out:
        out.write("tone.wav 0 0 %d %d\n" % FIRST_PRESS_SIZE)
    with open(os.path.join(folder, "tone.wav"), "wb") as out:
        out.write(skinfiles.tone(TONE_FREQUENCY, TONE_SECONDS))


class Recording:
    """The null sink's monitor, recorded into a file (a pipe left unread would
    stall the recorder) from construction until stop()."""

    def __init__(self, path):
        self.path = path
        self.output = open(path, "wb")
        self.process = subprocess.Popen(
            ["parec", "--device=" + os.environ["LUM_SOUND_MONITOR"], "--format=s16le",
             "--rate=%d" % SOUND_RATE, "--channels=1", "--raw", "--latency-msec=10"],
            stdout=self.output, stderr=subprocess.DEVNULL)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.output.close()
        samples = array.array("h")
        with open(self.path, "rb") as source:
            data = source.read()
        samples.frombytes(data[:len(data) // 2 * 2])
        return samples


def tone_onsets(samples):
    """Sample indexes where the two tones start."""
    onsets, start = [], 0
    for _ in range(2):
        onset = next((i for i in range(start, len(samples)) if abs(samples[i]) > ONSET_LEVEL), None)
        if onset is None:
            raise RuntimeError("heard %d of the two tones" % len(onsets))
        onsets.append(onset)
        start = onset + int((TONE_SECONDS + 0.3) * SOUND_RATE)
    return onsets


def first_press_once(screen, exe, folder, probes, recording_path):
    """Seconds by which the first press's tone starts later after its press
    than the second press's tone after its own."""
    program, _ = start_and_show(screen, exe, [], folder, probes)
    try:
        screen.move_pointer(WINDOW_LEFT + FIRST_PRESS_AT[0], WINDOW_TOP + FIRST_PRESS_AT[1])
        time.sleep(FIRST_PRESS_SETTLE)
        recording = Recording(recording_path)
        time.sleep(0.3)
        first = screen.click()
        time.sleep(PRESS_GAP)
        second = screen.click()
        time.sleep(PRESS_GAP)
        samples = recording.stop()
    finally:
        close(screen, program, probes)
    first_onset, second_onset = tone_onsets(samples)
    return (second - first) - (second_onset - first_onset) / SOUND_RATE


def measure_first_press(screen, lum, baseline, folder):
    """Quartiles in milliseconds, lum and the baseline alternating; the first
    round of each lets Wine set up its sound devices for the prefix and is
    dropped. The onsets jitter by several milliseconds, so the middle half
    shows how far apart two medians can lie by chance."""
    lum_runs, baseline_runs = [], []
    baseline_probes = [(WINDOW_LEFT + x, WINDOW_TOP + y, (0x90, 0x30, 0x60))  # kBaselineColour
                       for x, y in [(1, 1), (FIRST_PRESS_SIZE[0] - 2, FIRST_PRESS_SIZE[1] - 2)]]
    recording = os.path.join(folder, "recording.raw")
    for round_number in range(FIRST_PRESS_ROUNDS + 1):
        lum_run = first_press_once(screen, lum, folder, skin_probes(*FIRST_PRESS_SIZE), recording)
        baseline_run = first_press_once(screen, baseline, folder, baseline_probes, recording)
        if round_number:
            lum_runs.append(lum_run * 1e3)
            baseline_runs.append(baseline_run * 1e3)
    return statistics.quantiles(lum_runs, n=4), statistics.quantiles(baseline_runs, n=4)


def measure_start_up_and_memory(screen, lum, bare, folders, file_bytes):
    figures = {}
    (lum_start, lum_cpu), (bare_start, bare_cpu) = measure_start_up(screen, lum, bare,
                                                                    folders[(640, 480)])
    figures["start_up"] = {"ours": lum_start * 1e3, "baseline": bare_start * 1e3, "unit": "ms"}
    figures["start_up_cpu"] = {"ours": lum_cpu * 1e3, "baseline": bare_cpu * 1e3, "unit": "ms"}
    lum_bytes, bare_bytes = measure_memory(screen, lum, bare, folders[(1920, 1080)],
                                           returning_freed_memory())
    figures["memory"] = {"ours": lum_bytes, "bare": bare_bytes,
                         "file": file_bytes[(1920, 1080)], "unit": "bytes"}
    return figures


def main():
    if len(sys.argv) not in (6, 7) or sys.argv[6:] not in ([], ["start-up-and-memory"]):
        sys.exit(__doc__)
    lum, bare, paint_exe, sound_baseline, work = [os.path.abspath(path) for path in sys.argv[1:6]]
    screen = Screen()
    folders = {size: os.path.join(work, "skin-%dx%d" % size) for size in
               [(640, 480), (1920, 1080), (50, 50)]}
    file_bytes = {size: write_skin(folder, *size) for size, folder in folders.items()}
    figures = measure_start_up_and_memory(screen, lum, bare, folders, file_bytes)
    if sys.argv[6:]:
        json.dump(figures, sys.stdout, indent=1)
        print()
        return
    lum_idle, bare_idle = measure_idle(screen, lum, bare, folders[(640, 480)])
    figures["idle_cpu"] = {"ours": lum_idle * 1e3, "baseline": bare_idle * 1e3, "unit": "ms",
                           "seconds": IDLE_SECONDS}
    first_press_folder = os.path.join(work, "first-press")
    write_first_press_folder(first_press_folder)
    paint = measure_paint(paint_exe, folders[(1920, 1080)])
    figures["layered"] = {"ours": paint["layered-us"], "baseline": paint["layered-srccopy-us"], "unit": "ms"}
    figures["paint"] = {"ours": paint["paint-two-passes-us"], "baseline": paint["paint-srccopy-us"],
                        "unit": "ms"}
    large, small = measure_drag(screen, lum, folders[(1920, 1080)], folders[(50, 50)])
    figures["drag"] = {"ours": large * 1e3, "baseline": small * 1e3, "unit": "ms"}
    lum_bytes, bare_bytes = measure_memory(screen, lum, bare, folders[(1920, 1080)])
    figures["memory_as_left"] = {"ours": lum_bytes, "bare": bare_bytes,
                                 "file": file_bytes[(1920, 1080)], "unit": "bytes"}
    lum_press, baseline_press = measure_first_press(screen, lum, sound_baseline, first_press_folder)
    figures["first_press"] = {"ours": lum_press[1], "baseline": baseline_press[1], "unit": "ms",
                              "ours_middle_half": [lum_press[0], lum_press[2]],
                              "baseline_middle_half": [baseline_press[0], baseline_press[2]]}
    json.dump(figures, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
