"""Sounds in the formats people have, made by ffmpeg: the board's tests and
figures feed them to the page, whose browser decodes them."""
import subprocess

# Encoder per file extension, as Debian's ffmpeg names them.
ENCODERS = {"mp3": "libmp3lame", "ogg": "libvorbis", "flac": "flac", "m4a": "aac", "opus": "libopus"}


def encoded_tone(path, frequency, seconds, layout="mono", volume=4):
    """A sine of `frequency` Hz at `volume` eighths of full scale (half by
    default), 44100 Hz, in every channel of the layout, encoded by the
    path's extension."""
    encoder = ENCODERS[path.rsplit(".", 1)[1]]
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi",
                    "-i", "sine=frequency=%s:sample_rate=44100:duration=%s" % (frequency, seconds),
                    "-af", "volume=%s,aformat=channel_layouts=%s" % (volume, layout), "-c:a", encoder, path], check=True, timeout=120)
    return path
