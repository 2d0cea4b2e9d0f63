"""The page's limiter, its output read by ffmpeg's ebur128 true-peak meter,
another reading than the limiter's own: sounds made by ffmpeg, raised past the
ceiling, must come out at or below -1 dBTP.

Run as: ffmpeg_peak_test.py PATH-TO-LUM_LIMIT_SAMPLES
"""
import math
import os
import re
import subprocess
import sys
import tempfile
import unittest

from testskip import require_programs

LIMITER = None
RATE = 48000
CEILING_DB = -1.0
# ffmpeg prints the true peak in thousandths of full scale (0.01 dB here), and
# reads it through its own resampler to 192 kHz, whose filter is not the
# limiter's 48 taps: the two readings of full-band sound differ by a few
# hundredths of a dB.
TOLERANCE_DB = 0.05


def ffmpeg_samples(path, source, channels, filters="anull"):
    """Samples of an ffmpeg source and filters, as interleaved 32-bit floats,
    faded in and out over 5 ms as the page fades every cut: a sound that
    starts on a step rings there by as much as the filter that reads it is
    long, and no two meters read that ring alike."""
    fades = "afade=t=in:d=0.005,areverse,afade=t=in:d=0.005,areverse"
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i", source,
                    "-af", filters + "," + fades + ",aformat=sample_fmts=flt:channel_layouts=" + ("mono" if channels == 1 else "stereo"),
                    "-f", "f32le", path], check=True, timeout=120)
    return path


def ebur128(path, channels):
    """(integrated loudness in LUFS, true peak in dBTP) by ffmpeg of a file of samples."""
    run = subprocess.run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-f", "f32le", "-ar", str(RATE),
                          "-ac", str(channels), "-i", path, "-af",
                          "ebur128=peak=true:metadata=1,ametadata=print:file=-", "-f", "null", "-"],
                         check=True, capture_output=True, text=True, timeout=120)
    peaks = [float(value) for value in re.findall(r"lavfi\.r128\.true_peak=([0-9.]+)", run.stdout)]
    loudness = re.findall(r"lavfi\.r128\.I=(-?[0-9.]+)", run.stdout)
    return float(loudness[-1]), 20 * math.log10(max(peaks))


def limited(source_path, channels, gain_db):
    """The limiter's output of the samples raised by the gain, and the true peak it reports."""
    out = source_path + ".limited"
    run = subprocess.run([LIMITER, str(channels), str(RATE), str(gain_db), str(CEILING_DB), source_path, out],
                         check=True, capture_output=True, text=True, timeout=120)
    return out, float(run.stdout)


class LimiterUnderFfmpeg(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.folder.cleanup()

    def path(self, name):
        return os.path.join(self.folder.name, name)

    def check_held(self, name, source, channels, gain_db, filters="anull"):
        """The true peak by ffmpeg at or below the ceiling; the loudness that of the sound raised by the gain."""
        samples = ffmpeg_samples(self.path(name + ".f32"), source, channels, filters)
        before, _ = ebur128(samples, channels)
        out, reported = limited(samples, channels, gain_db)
        loudness, peak = ebur128(out, channels)
        self.assertLessEqual(reported, CEILING_DB, name)
        self.assertLessEqual(peak, CEILING_DB + TOLERANCE_DB,
                             "%s: ffmpeg reads %.3f dBTP, expected at most %.2f" % (name, peak, CEILING_DB))
        return before, loudness, peak

    def test_square_wave_raised_10_db(self):
        _, _, peak = self.check_held("square", "aevalsrc=0.7079*sgn(sin(2*PI*220*t)):s=%d:d=4" % RATE, 1, 10)
        self.assertGreater(peak, CEILING_DB - 0.5, "limited far below the ceiling")

    def test_song_like_noise_raised_6_db(self):
        # Pink noise with a bass line, the two channels apart, at about -14 LUFS.
        source = ("anoisesrc=color=pink:amplitude=0.5:seed=7:r=%d:d=6,"
                  "aeval=val(0)+0.3*sin(2*PI*110*t)|val(0)*0.8+0.3*sin(2*PI*110*t+1):c=stereo" % RATE)
        self.check_held("song", source, 2, 6)

    def test_clicks_over_a_quiet_bed_raised_to_minus_16_lufs(self):
        # A -26 LUFS bed of pink noise with a click 20 dB above its loudness
        # (a peak of -6 dBFS) every half second: raised 10 dB, the clicks are
        # limited and the loudness is that of the raised bed.
        bed = self.path("bed.f32")
        ffmpeg_samples(bed, "anoisesrc=color=pink:amplitude=0.1:seed=3:r=%d:d=6" % RATE, 1)
        bed_loudness, _ = ebur128(bed, 1)
        gain = 10 ** ((-26 - bed_loudness) / 20)
        clicks = "aeval=val(0)*%f+if(eq(mod(n\\,24000)\\,12000)\\,0.5012\\,0)" % gain
        before, loudness, peak = self.check_held("clicks", "anoisesrc=color=pink:amplitude=0.1:seed=3:r=%d:d=6" % RATE,
                                                 1, 10, clicks)
        self.assertAlmostEqual(before, -26, delta=0.3)
        self.assertAlmostEqual(loudness, -16, delta=1, msg="the clicks' limit took the loudness with it")
        self.assertGreater(peak, CEILING_DB - 0.5, "limited far below the ceiling")


if __name__ == "__main__":
    LIMITER = sys.argv.pop(1)
    require_programs("ffmpeg")
    unittest.main()
