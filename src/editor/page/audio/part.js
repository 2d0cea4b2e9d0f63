// A pad's part of its source: the sound without its leading and trailing
// silence, faded where it is cut, brought to one loudness and held below one
// true peak, so that a chime is not lost beside a song and no pad clips. The
// span, the gain and the limiter are the model's; the loudness is
// ebur128-wasm's; the fades are the browser's audio graph.

import { integratedLoudness } from "./loudness.js";
import { kRate, pcmWave } from "./wave.js";
import { limitPeaks, soundSpan } from "../model.js";

export const kTargetLufs = -16;
export const kCeilingDbtp = -1;
export const kGainLimitDb = 20;
// The shortest part a pad plays, in seconds.
export const kSmallestPart = 0.01;

// A cut inside the sound rises or falls over this time, so that it clicks not.
const kFadeSeconds = 0.005;
// The model's limiter aims below the ceiling on each further pass of its own;
// a gain lowered this often and still too loud is a sound it cannot hold.
const kMostLimiterCalls = 4;
// A part the limiter made quieter than the target by more than this gets
// more gain, at most this many times.
const kLoudnessTolerance = 0.3;
const kMostLoudnessPasses = 3;

// A step of a sound's way to a pad, on the browser's performance timeline,
// where the figures read how long decoding, measuring, rendering and
// writing each took.
async function step(name, work) {
  const start = performance.now();
  try {
    return await work();
  } finally {
    performance.measure("lum " + name, { start });
  }
}

// More than two channels become two by Web Audio's own down-mix to speakers.
async function asStereo(audio) {
  const context = new OfflineAudioContext(2, audio.length, kRate);
  const source = new AudioBufferSourceNode(context, { buffer: audio });
  source.connect(context.destination);
  source.start();
  return context.startRendering();
}

// The bytes as planar channels at kRate: { channels, sampleRate, seconds };
// what cannot be decoded throws an error whose message follows the sound's name.
// The decoder takes the bytes' buffer for its own, so it gets a copy: the
// caller keeps the source as it came.
export async function decodeSource(bytes) {
  const audio = await step("decode", async () => {
    let decoded;
    try {
      decoded = await new OfflineAudioContext(1, 1, kRate).decodeAudioData(bytes.slice().buffer);
    } catch (e) {
      throw new Error("is no audio this browser can decode (" + e.message + ").");
    }
    return decoded.numberOfChannels > 2 ? asStereo(decoded) : decoded;
  });
  const channels = Array.from({ length: audio.numberOfChannels }, (_, c) => audio.getChannelData(c));
  return { channels, sampleRate: kRate, seconds: audio.length / kRate };
}

// The part without leading and trailing silence, in seconds, as the model
// finds it; a sound all silence is its whole length.
export function soundPart(decoded) {
  const { channels, sampleRate, seconds } = decoded;
  const span = soundSpan(channels, sampleRate);
  if (span.problem) throw new Error("Its silence cannot be found: " + span.problem + ".");
  if (span.start === span.end) return { start: 0, end: seconds };
  return { start: span.start / sampleRate, end: span.end / sampleRate };
}

// The part's frames, faded in where it starts after the sound does and out
// where it ends before the sound does.
async function fadedPart(part, sampleRate, fadeIn, fadeOut) {
  if (!fadeIn && !fadeOut) return part;
  const frames = part[0].length, seconds = frames / sampleRate;
  const fade = Math.min(kFadeSeconds, seconds / 2);
  const context = new OfflineAudioContext(part.length, frames, sampleRate);
  const buffer = new AudioBuffer({ numberOfChannels: part.length, length: frames, sampleRate });
  part.forEach((samples, c) => buffer.copyToChannel(samples, c));
  const source = new AudioBufferSourceNode(context, { buffer });
  const gain = new GainNode(context);
  gain.gain.setValueAtTime(fadeIn ? 0 : 1, 0);
  if (fadeIn) gain.gain.linearRampToValueAtTime(1, fade);
  if (fadeOut) {
    gain.gain.setValueAtTime(1, seconds - fade);
    gain.gain.linearRampToValueAtTime(0, seconds);
  }
  source.connect(gain).connect(context.destination);
  source.start();
  const rendered = await context.startRendering();
  return part.map((_, c) => rendered.getChannelData(c));
}

// The channels times the gain through the model's limiter, the gain lowered
// by as much as the limiter's answer still passes the ceiling:
// { channels, truePeakDb, gainDb } with the gain that held.
function limited(channels, sampleRate, gainDb) {
  let gain = gainDb;
  for (let call = 0; call < kMostLimiterCalls; call++) {
    const result = limitPeaks(channels, sampleRate, gain, kCeilingDbtp);
    if (!result) throw new Error("Its gain of " + gain.toFixed(1) + " dB is more than the limiter takes, or the " +
                                 "sound does not fit in this page's memory.");
    if (!(result.truePeakDb > kCeilingDbtp)) return { ...result, gainDb: gain };
    gain -= result.truePeakDb - kCeilingDbtp;
  }
  throw new Error("Its true peak cannot be held at " + kCeilingDbtp + " dBTP.");
}

// Whether the limiter changed a sample from what the gain alone makes of it.
function limiterActed(from, to, gainDb) {
  const times = Math.pow(10, gainDb / 20);
  for (let c = 0; c < from.length; c++)
    for (let i = 0; i < from[c].length; i++) if (Math.abs(to[c][i] - from[c][i] * times) > 1e-6) return true;
  return false;
}

// The part from start to end (seconds of the decoded sound) as the pad's
// WAV: { wav, before, after, truePeakDb }. With level, the gain brings the
// part's loudness (before) to kTargetLufs + gainDb; without it, or for a
// part with no loudness to level by (before null: shorter than one 0.4 s
// gating block, or silence), gainDb alone is the gain.
export async function renderPart(decoded, { start, end, level, gainDb }) {
  const { channels, sampleRate } = decoded;
  const length = channels[0].length;
  const first = Math.min(length, Math.max(0, Math.round(start * sampleRate)));
  const last = Math.min(length, Math.max(0, Math.round(end * sampleRate)));
  if (last <= first) throw new Error("Its part ends before it starts.");
  const part = channels.map((samples) => samples.subarray(first, last));
  const measured = (samples) => step("measure", () => integratedLoudness(samples, sampleRate));
  const before = await measured(part);
  const wanted = (level && before !== null ? kTargetLufs - before : 0) + gainDb;
  const faded = await step("render", () => fadedPart(part, sampleRate, first > 0, last < length));
  let result = await step("render", () => limited(faded, sampleRate, wanted));
  let after = result.gainDb !== wanted || limiterActed(faded, result.channels, result.gainDb)
    ? await measured(result.channels)
    : before === null ? null : before + wanted;
  // Peaks held often enough take loudness with them (clicks every quarter
  // second lost 1.6 LU): the gain goes up by what is missing, and the
  // limiter holds the peaks again.
  for (let pass = 0; level && before !== null && after !== null && pass < kMostLoudnessPasses; pass++) {
    const missing = kTargetLufs + gainDb - after;
    if (missing < kLoudnessTolerance) break;
    result = await step("render", () => limited(faded, sampleRate, result.gainDb + missing));
    after = await measured(result.channels);
  }
  const wav = await step("write", () => pcmWave(result.channels));
  return { wav, before, after, truePeakDb: result.truePeakDb };
}
