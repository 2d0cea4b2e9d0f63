// 16-bit PCM WAVs at the page's one rate, the form every sound the page
// makes takes: lum plays them, and their size is known before they are made.

export const kRate = 44100;
export const kHeaderBytes = 44;

// The bytes of a WAV of this many channels and frames.
export const waveSize = (channels, frames) => kHeaderBytes + frames * channels * 2;

// A WAV of this many frames, its samples zero.
function waveWithHeader(channels, frames) {
  const dataBytes = frames * channels * 2;
  const bytes = new Uint8Array(kHeaderBytes + dataBytes);
  const view = new DataView(bytes.buffer);
  const mark = (at, text) => bytes.set([...text].map((c) => c.charCodeAt(0)), at);
  mark(0, "RIFF");
  view.setUint32(4, kHeaderBytes - 8 + dataBytes, true);
  mark(8, "WAVE");
  mark(12, "fmt ");
  view.setUint32(16, 16, true);                   // the format's size
  view.setUint16(20, 1, true);                    // PCM
  view.setUint16(22, channels, true);
  view.setUint32(24, kRate, true);
  view.setUint32(28, kRate * channels * 2, true); // bytes a second
  view.setUint16(32, channels * 2, true);         // bytes a frame
  view.setUint16(34, 16, true);                   // bits a sample
  mark(36, "data");
  view.setUint32(40, dataBytes, true);
  return bytes;
}

// Planar channels (Float32Arrays of one length, at kRate) as 16-bit samples,
// rounded and clamped, channels interleaved. An Int16Array writes in the
// platform's byte order, which is little-endian, as a WAV is, wherever a
// browser runs; it and Math.floor take a fifth of the time of DataView and
// Math.round.
export function pcmWave(channels) {
  const count = channels.length, frames = channels[0].length;
  const bytes = waveWithHeader(count, frames);
  const out = new Int16Array(bytes.buffer, kHeaderBytes);
  for (let c = 0; c < count; c++) {
    const samples = channels[c];
    for (let i = 0, at = c; i < frames; i++, at += count) {
      const value = samples[i] * 32768;
      out[at] = value >= 32767 ? 32767 : value <= -32768 ? -32768 : Math.floor(value + 0.5);
    }
  }
  return bytes;
}

// A short silence: a press on a pad that plays it ends the sound playing.
export function silentWave() {
  return waveWithHeader(1, kRate / 20);
}
