// Sounds as lum plays them. Beside a skin, a WAV the checker calls playable
// is kept as it is and any other audio the browser decodes is written as a
// 16-bit PCM WAV; on a board each sound becomes its part, cut of its silence
// and levelled. The audio stays in the page's own memory: only soundVerdict
// reads a WAV's chunk headers into the model, and the limiter and the span
// their samples, each for one call.

import { decodeSource, renderPart, soundPart } from "./part.js";
import { pcmWave, waveSize } from "./wave.js";
import { soundVerdict } from "../model.js";

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



// The decoded sound, or { failure } when it lasts past the longest sound.
async function decodedWithin(name, bytes) {
  let decoded;
  try { decoded = await decodeSource(bytes); } catch (e) { return { failure: "\"" + name + "\" " + e.message }; }
  if (decoded.seconds > kLongestSeconds)
    return { failure: "\"" + name + "\" lasts " + Math.round(decoded.seconds) + " s; a sound can last at most " +
                      kLongestSeconds / 60 + " minutes here." };
  return { decoded };
}

const titleOf = (file) => file.name.replace(/\.[^.]*$/, "");

// { sound } or { failure } for one file beside a skin; room is the WAV bytes still allowed.
async function readSound(file, room) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const sound = { title: titleOf(file), file: file.name };
  const tooLarge = { failure: tooManySoundBytes(file.name) };
  if (soundVerdict(bytes).playable) {
    if (bytes.length > room) return tooLarge;
    return { sound: { ...sound, bytes, kept: true } };
  }
  const { decoded, failure } = await decodedWithin(file.name, bytes);
  if (failure) return { failure };
  if (waveSize(decoded.channels.length, decoded.channels[0].length) > room) return tooLarge;
  return { sound: { ...sound, bytes: pcmWave(decoded.channels), kept: false } };
}

// { sound } or { failure } for one file of a board: its part without
// silence, levelled, as the pad's WAV, with the file's bytes as its source
// and the part's figures: { title, file, bytes, kept, source, part, figures }.
async function readPart(file, room) {
  const source = new Uint8Array(await file.arrayBuffer());
  const { decoded, failure } = await decodedWithin(file.name, source);
  if (failure) return { failure };
  try {
    const part = soundPart(decoded);
    const frames = Math.round((part.end - part.start) * decoded.sampleRate);
    if (waveSize(decoded.channels.length, frames) > room) return { failure: tooManySoundBytes(file.name) };
    const settings = { ...part, level: true, gainDb: 0 };
    const { wav, ...figures } = await renderPart(decoded, settings);
    return { sound: { title: titleOf(file), file: file.name, bytes: wav, kept: false, source, part: settings, figures } };
  } catch (e) {
    return { failure: "\"" + file.name + "\" is not added. " + e.message };
  }
}

// Each file read by read(file, room) one after the other, so that only one
// decoded sound is held at a time: { sounds, failures: [sentence] }.
// folderBytes is what the folder's sounds take already; onProgress(done,
// total) after each file.
async function readEach(files, folderBytes, onProgress, read) {
  const sounds = [], failures = [];
  let made = folderBytes;
  for (const [index, file] of [...files].entries()) {
    const one = await read(file, kLargestSoundBytes - made);
    if (one.failure) failures.push(one.failure);
    else { sounds.push(one.sound); made += one.sound.bytes.length; }
    if (onProgress) onProgress(index + 1, files.length);
  }
  return { sounds, failures };
}

// Each file as a WAV lum plays beside a skin: sounds are { title, file, bytes, kept }.
export const readSounds = (files, folderBytes, onProgress) => readEach(files, folderBytes, onProgress, readSound);

// Each file as a board's pad: sounds are what readPart makes.
export const readParts = (files, folderBytes, onProgress) => readEach(files, folderBytes, onProgress, readPart);
