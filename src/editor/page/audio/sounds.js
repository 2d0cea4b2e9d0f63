// Sounds as lum plays them: a WAV the checker calls playable is kept as it
// is; any other audio the browser decodes is written as a 16-bit PCM WAV.
// The audio stays in the page's own memory: only soundVerdict reads a WAV's
// chunk headers into the model.

import { soundVerdict } from "../model.js";

// The decoder resamples to its context's rate, so every WAV made here has this one.
const kRate = 44100;
const kHeaderBytes = 44;
const kSilentFrames = kRate / 20;
// The longest sound: its decoded audio is held whole, as 32-bit samples,
// and how long it lasts is known only once it is decoded. Measured in
// headless Chromium 156 on this machine (2 cores, shared with other work),
// as the page's renderer process grew: a ten-minute stereo MP3 took 1.3 s
// and 450 MB, a one-hour one 8.7 s and 2.7 GB before it was refused.
export const kLongestSeconds = 10 * 60;
// The WAVs of one folder or board, which the store and the model's file
// system share, and a board's zip holds once more; a WAV kept as it is
// counts here, not against the longest sound, as it is never decoded. Measured the same way:
// five ten-minute MP3s, 529 MB of WAV, took 6.1 s and 1.0 GB; ten one-minute
// ones, 106 MB, 1.4 s and 184 MB. About 50 minutes of stereo keeps the page
// near 1 GB while it works.
export const kLargestSoundBytes = 512 * 2 ** 20;

const kAudioName = /\.(wav|wave|mp3|m4a|mp4|aac|ogg|oga|opus|flac|webm|weba)$/i;

// Whether a file is taken as a sound rather than as a picture.
export function isAudioFile(file) {
  return file.type.startsWith("audio/") || kAudioName.test(file.name);
}

// Why the file is not added when its WAV would take the folder's past the limit.
function tooManySoundBytes(name) {
  return "\"" + name + "\" would take the folder's sounds past the " + kLargestSoundBytes / 2 ** 20 + " MB they can have here.";
}

// A 16-bit PCM WAV of this many frames, its samples zero.
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

// The decoded audio as 16-bit samples, rounded and clamped, channels
// interleaved. An Int16Array writes in the platform's byte order, which is
// little-endian, as a WAV is, wherever a browser runs; it and Math.floor
// take a fifth of the time of DataView and Math.round.
function pcmWave(audio) {
  const channels = audio.numberOfChannels, frames = audio.length;
  const bytes = waveWithHeader(channels, frames);
  const out = new Int16Array(bytes.buffer, kHeaderBytes);
  for (let c = 0; c < channels; c++) {
    const samples = audio.getChannelData(c);
    for (let i = 0, at = c; i < frames; i++, at += channels) {
      const value = samples[i] * 32768;
      out[at] = value >= 32767 ? 32767 : value <= -32768 ? -32768 : Math.floor(value + 0.5);
    }
  }
  return bytes;
}

// A short silence: a press on a pad that plays it ends the sound playing.
export function silentWave() {
  return waveWithHeader(1, kSilentFrames);
}

// More than two channels become two by Web Audio's own down-mix to speakers.
async function asStereo(audio) {
  const context = new OfflineAudioContext(2, audio.length, kRate);
  const source = new AudioBufferSourceNode(context, { buffer: audio });
  source.connect(context.destination);
  source.start();
  return context.startRendering();
}

// { sound } or { failure } for one file; room is the WAV bytes still allowed.
async function readSound(file, room) {
  const data = await file.arrayBuffer();
  const sound = { title: file.name.replace(/\.[^.]*$/, ""), file: file.name };
  const tooLarge = { failure: tooManySoundBytes(file.name) };
  if (soundVerdict(new Uint8Array(data)).playable) {
    if (data.byteLength > room) return tooLarge;
    return { sound: { ...sound, bytes: new Uint8Array(data), kept: true } };
  }
  let audio;
  try {
    audio = await new OfflineAudioContext(1, 1, kRate).decodeAudioData(data);
  } catch (e) {
    return { failure: "\"" + file.name + "\" is no audio this browser can decode (" + e.message + ")." };
  }
  if (audio.duration > kLongestSeconds)
    return { failure: "\"" + file.name + "\" lasts " + Math.round(audio.duration) + " s; a sound can last at most " +
                      kLongestSeconds / 60 + " minutes here." };
  const size = kHeaderBytes + audio.length * Math.min(audio.numberOfChannels, 2) * 2;
  if (size > room) return tooLarge;
  if (audio.numberOfChannels > 2) audio = await asStereo(audio);
  return { sound: { ...sound, bytes: pcmWave(audio), kept: false } };
}

// Each file as a WAV lum plays, one after the other so that only one
// decoded sound is held at a time: { sounds: [{ title, file, bytes, kept }],
// failures: [sentence] }. folderBytes is what the folder's sounds take
// already; onProgress(done, total) after each file.
export async function readSounds(files, folderBytes, onProgress) {
  const sounds = [], failures = [];
  let made = folderBytes;
  for (const [index, file] of [...files].entries()) {
    const read = await readSound(file, kLargestSoundBytes - made);
    if (read.failure) failures.push(read.failure);
    else { sounds.push(read.sound); made += read.sound.bytes.length; }
    if (onProgress) onProgress(index + 1, files.length);
  }
  return { sounds, failures };
}
