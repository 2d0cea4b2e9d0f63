"""Drives the real lum.exe under Wine as a person would: starts it in a skin
folder, presses and drags with the pointer (xdotool), types keys, looks at the
screen (ImageMagick's import), records the null sink (parec) and asks the
Win32 probe about the window and message boxes. It also puts a window of one
colour behind lum's (the probe's backdrop) and runs a compositing manager
(xcompmgr) on the display.

Runs inside a session from scripts/lib/wine-session.sh (DISPLAY, WINEPREFIX,
PULSE_SERVER and LUM_SOUND_MONITOR set); LUM_EXE and LUM_PROBE name the two
programs. Every wait is bounded: a hang is reported as a failure, never waited
out."""

import ctypes
import math
import os
import struct
import subprocess
import tempfile
import time

from testskip import skip

WINDOW_WAIT = 15.0
EXIT_WAIT = 10.0
# Time for an X event to reach the program and the program's answer to reach
# the X server; there is no event to wait for in between.
SETTLE = 0.3


class DriverError(AssertionError):
    pass


def is_32_bit_program(path):
    """1 for a Windows program built for 32-bit x86 (its PE header's machine)."""
    with open(path, "rb") as program:
        header = program.read(4096)
    at = int.from_bytes(header[0x3C:0x40], "little")
    return header[at:at + 4] == b"PE\0\0" and header[at + 4:at + 6] == b"\x4c\x01"


def skip_unless_it_runs(program):
    """Ends the test as skipped when the session cannot run this program."""
    if os.environ.get("LUM_NO_32BIT") and is_32_bit_program(program):
        skip("%s (%s)" % (os.environ["LUM_NO_32BIT"], program))


def require_session():
    missing = [name for name in ("DISPLAY", "WINEPREFIX", "PULSE_SERVER", "LUM_SOUND_MONITOR",
                                 "LUM_EXE", "LUM_PROBE") if not os.environ.get(name)]
    if missing:
        raise DriverError("no Wine session (missing %s): run scripts/test, or source "
                          "scripts/lib/wine-session.sh and call session_start" % ", ".join(missing))
    skip_unless_it_runs(os.environ["LUM_EXE"])


def skip_without_session():
    """Ends the test as skipped, with the reason, outside a Wine session."""
    try:
        require_session()
    except DriverError as missing:
        skip(missing)


def windows_path(path):
    """The name a Windows program under Wine gives a file of this system."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_console(command, timeout=300):
    """Exit code and output (bytes) of a console program, which may be a
    Windows one under Wine: the output goes through a file, since Wine's
    background processes inherit it and would hold a pipe open long after the
    program has ended."""
    with tempfile.TemporaryFile() as output:
        code = subprocess.run(command, stdout=output, stderr=subprocess.DEVNULL, timeout=timeout,
                              env=dict(os.environ, WINEDEBUG="-all")).returncode
        output.seek(0)
        return code, output.read()


def run(command, timeout, **options):
    try:
        return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=timeout, text=True, **options)
    except subprocess.TimeoutExpired:
        raise DriverError("%s did not finish within %s s" % (" ".join(command), timeout))


def probe(*arguments, timeout=30.0):
    """Runs the probe; returns its key=value lines as a dict, with its exit
    code under "rc". A probe that printed nothing never got to run (now and
    then Wine fails to start a program right after another one ended): it is
    tried again, twice at most."""
    for _ in range(3):
        values = run_probe(arguments, timeout)
        if "found" in values:
            return values
        time.sleep(0.5)
    raise DriverError("the probe printed nothing three times: %s" % values)


def run_probe(arguments, timeout):
    # Into a file, not a pipe: the first Wine process of a session starts
    # Wine's own background processes, which inherit its output and would keep
    # a pipe open long after the probe has ended.
    with tempfile.TemporaryFile() as output, tempfile.TemporaryFile() as errors:
        command = ["wine", os.environ["LUM_PROBE"]] + [str(a) for a in arguments]
        try:
            code = subprocess.run(command, stdout=output, stderr=errors, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            raise DriverError("%s did not finish within %s s" % (" ".join(command), timeout))
        output.seek(0)
        errors.seek(0)
        text = output.read().decode(errors="replace")
        complaint = errors.read().decode(errors="replace").strip()
    values = {"rc": code}
    if complaint:
        values["stderr"] = complaint[-300:]
    for line in text.splitlines():
        key, _, value = line.strip().partition("=")
        if key:
            values[key] = value
    return values


class Lum:
    """One running lum.exe (LUM_EXE unless `program` names another), started in `folder`."""

    def __init__(self, folder, program=None):
        self.folder = str(folder)
        self.process = subprocess.Popen(["wine", program or os.environ["LUM_EXE"]], cwd=self.folder,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = None

    def wait_window(self, condition="visible", timeout=WINDOW_WAIT):
        state = probe("wait-window", timeout, condition, timeout=timeout + 20)
        if state["rc"] != 0:
            ended = "" if self.running() else "; lum.exe ended with code %s" % self.process.returncode
            raise DriverError("the lum window did not become %s within %s s: %s%s"
                              % (condition, timeout, state, ended))
        self.window = state
        return state

    def state(self):
        return probe("state")

    def rect(self):
        state = self.state()
        if state.get("found") != "1":
            raise DriverError("the lum window is gone")
        return tuple(int(state[k]) for k in ("left", "top", "right", "bottom"))

    def message_box(self, timeout=WINDOW_WAIT, press=True):
        """The next message box of the program; presses OK unless told not to."""
        box = probe("message-box", timeout, *([] if press else ["keep"]), timeout=timeout + 30)
        if box.get("found") != "1":
            raise DriverError("no message box within %s s" % timeout)
        if press and box.get("closed") != "1":
            raise DriverError("the message box did not close after OK: %s" % box)
        return box

    def focus(self):
        """Gives the window the X focus: without a window manager a click does not."""
        xid = (self.window or self.wait_window())["xid"]
        run(["xdotool", "windowfocus", xid], 10)
        time.sleep(SETTLE)

    def key(self, *names):
        self.focus()
        run(["xdotool", "key", "--delay", "50"] + list(names), 10)
        time.sleep(SETTLE)

    def exit_code(self, timeout=EXIT_WAIT):
        """Waits for the program to end and gives its exit code (as Wine passes it on)."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise DriverError("lum.exe still runs %s s later" % timeout)

    def running(self):
        return self.process.poll() is None

    def stop(self):
        """Ends the program if it still runs and waits until its window is
        gone, so that the next program starts on a clean screen."""
        if self.running():
            self.process.kill()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                raise DriverError("lum.exe did not end when killed")
        state = probe("wait-window", 10, "gone")
        if state["rc"] != 0:
            raise DriverError("the lum window outlived its program: %s" % state)


def start_lum(folder, program=None):
    require_session()
    return Lum(folder, program)


def stop_process(process, what):
    """Ends a helper process that runs until it is told to end."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                raise DriverError("%s did not end when killed" % what)


def wait_until(condition, timeout, failure):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise DriverError(failure)
        time.sleep(0.1)


def start_helper(command, ready, what):
    """Starts a helper that runs until it is ended and waits until ready()
    says it is up. Xvfb here now and then drops a connection as it opens,
    mostly right after another client went away, and a helper whose
    connection was dropped ends at once: it is started again, twice at most."""
    for _ in range(3):
        errors = tempfile.TemporaryFile()
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=errors)
        try:
            wait_until(lambda: process.poll() is not None or ready(), WINDOW_WAIT,
                       "%s did not come up within %s s" % (what, WINDOW_WAIT))
        except DriverError:
            stop_process(process, what)
            raise
        finally:
            errors.seek(0)
            complaint = errors.read().decode(errors="replace")[-300:]
            errors.close()
        if process.poll() is None:
            return process
        time.sleep(0.5)
    raise DriverError("%s ended with code %s: %s" % (what, process.returncode, complaint))


class Backdrop:
    """A window of one colour (r, g, b) from the probe at (left, top), under
    lum's top-most window, from construction until stop()."""

    def __init__(self, left, top, width, height, colour):
        corners = [(left, top), (left + width - 1, top + height - 1)]
        self.process = start_helper(
            ["wine", os.environ["LUM_PROBE"], "backdrop", str(left), str(top), str(width), str(height),
             "%02x%02x%02x" % colour],
            lambda: all(screenshot(x, y, 1, 1)[0][0] == colour for x, y in corners), "the backdrop")

    def stop(self):
        stop_process(self.process, "the backdrop")


def open_display(x11):
    """A connection to the session's display, tried again while Xvfb drops it."""
    for _ in range(20):
        display = x11.XOpenDisplay(None)
        if display:
            return display
        time.sleep(0.1)
    raise DriverError("cannot open the X display %r" % os.environ.get("DISPLAY"))


def compositing():
    """Whether a compositing manager holds the display's selection for it."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XGetSelectionOwner.restype = ctypes.c_ulong
    x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = open_display(x11)
    try:
        return x11.XGetSelectionOwner(display, x11.XInternAtom(display, b"_NET_WM_CM_S0", 0)) != 0
    finally:
        x11.XCloseDisplay(display)


class Compositor:
    """xcompmgr on the session's display from construction until stop(): it
    puts each window's own surface on the screen, blending by alpha, as the
    compositor of every Windows since 8 does."""

    def __init__(self):
        if compositing():
            raise DriverError("a compositing manager already runs on the display")
        self.process = start_helper(["xcompmgr"], compositing, "xcompmgr")

    def stop(self):
        stop_process(self.process, "xcompmgr")
        wait_until(lambda: not compositing(), WINDOW_WAIT, "the display still composites")


def click(x, y):
    """A left press and release at screen position (x, y)."""
    run(["xdotool", "mousemove", str(x), str(y), "click", "1"], 10)
    time.sleep(SETTLE)


def drag(points):
    """Presses at the first screen point, moves through the others and releases at the last."""
    (x, y), rest = points[0], points[1:]
    command = ["xdotool", "mousemove", str(x), str(y), "mousedown", "1"]
    for x, y in rest:
        command += ["sleep", "0.05", "mousemove", str(x), str(y)]
    command += ["sleep", "0.05", "mouseup", "1"]
    run(command, 20)
    time.sleep(SETTLE)


def move_pointer(x, y):
    run(["xdotool", "mousemove", str(x), str(y)], 10)
    time.sleep(SETTLE)


def screenshot(left, top, width, height):
    """The screen's pixels in that rectangle, rows top to bottom of (r, g, b)."""
    result = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, left, top),
                             "-depth", "8", "ppm:-"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=30)
    if result.returncode != 0:
        raise DriverError("import failed: %s" % result.stderr.decode(errors="replace"))
    return parse_ppm(result.stdout)


def parse_ppm(data):
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    position += 1
    width, height, maximum = int(fields[1]), int(fields[2]), int(fields[3])
    if fields[0] != b"P6" or maximum != 255:
        raise DriverError("unexpected screenshot format %r" % fields)
    pixels = data[position:position + 3 * width * height]
    return [[tuple(pixels[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)]
            for y in range(height)]


RATE = 22050
# Tones of whole numbers of cycles in tone_level's 50 ms blocks, and the
# levels that tell a tone played from one that was not.
LOW, HIGH = 440, 1320
HEARD, SILENT = 3000, 300


def capture_sound(seconds, action=None, lead=0.3):
    """Records the null sink's monitor for `seconds`; `action` runs `lead`
    seconds after the recording started. Gives mono 16-bit samples."""
    recorder = subprocess.Popen(
        ["parec", "--device=" + os.environ["LUM_SOUND_MONITOR"], "--format=s16le", "--rate=%d" % RATE,
         "--channels=1", "--raw", "--latency-msec=20"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        time.sleep(lead)
        if action:
            action()
        time.sleep(max(0.0, seconds - lead))
    finally:
        recorder.terminate()
        data, _ = recorder.communicate(timeout=10)
    count = len(data) // 2
    return struct.unpack("<%dh" % count, data[:2 * count])


def amplitude(samples, frequency):
    """The amplitude of `frequency` in the samples (Goertzel)."""
    coefficient = 2 * math.cos(2 * math.pi * frequency / RATE)
    previous = before = 0.0
    for sample in samples:
        previous, before = sample + coefficient * previous - before, previous
    power = previous * previous + before * before - coefficient * previous * before
    return 2 * math.sqrt(max(power, 0.0)) / len(samples)


def tone_level(samples, frequency):
    """The strongest amplitude of `frequency` over 50 ms blocks."""
    block = RATE // 20
    return max([amplitude(samples[s:s + block], frequency) for s in range(0, len(samples) - block + 1, block)] or [0.0])


def tone_heard(samples, frequency):
    return tone_level(samples, frequency) > HEARD


def assert_tones(samples, heard=None, silent=()):
    """Fails unless the tone `heard`, when given, is heard in the samples and
    none of the tones `silent` is."""
    levels = {f: tone_level(samples, f) for f in ([] if heard is None else [heard]) + list(silent)}
    wrong = ["%s Hz not heard" % heard] if heard is not None and levels[heard] <= HEARD else []
    wrong += ["%s Hz heard" % f for f in silent if levels[f] >= SILENT]
    if wrong:
        raise AssertionError("%s: levels by Hz %s" % (", ".join(wrong), {f: round(l) for f, l in levels.items()}))
