// Integrated loudness (ITU-R BS.1770-4 with EBU R128's gating) by a kept
// library, npm's ebur128-wasm: the page never weighs or gates a sound itself.

import { ebur128_integrated_mono, ebur128_integrated_stereo } from "ebur128-glue";

// The loudness in LUFS of planar channels (one or two Float32Arrays of one
// length) at the sample rate, or null when there is none to level by: a part
// shorter than one 0.4 s gating block, or one whose every block is silence
// below the absolute gate (-70 LUFS). The library answers -Infinity for both,
// and ffmpeg -70 LUFS, from which a gain to a target would raise the part by
// some 54 dB: null has the caller leave such a part's level alone.
export function integratedLoudness(channels, sampleRate) {
  if (channels.length !== 1 && channels.length !== 2) throw new Error("a sound has 1 or 2 channels");
  const lufs = channels.length === 1
    ? ebur128_integrated_mono(sampleRate, channels[0])
    : ebur128_integrated_stereo(sampleRate, channels[0], channels[1]);
  return Number.isFinite(lufs) ? lufs : null;
}
