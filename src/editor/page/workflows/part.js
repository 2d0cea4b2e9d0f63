// A pad's part, level and gain: the selected pad's source decoded for its
// waveform, and the pad's WAV made again from it after each change. Only
// the selected pad's sound is held decoded; every other source stays the
// bytes it came in.

import { decodeSource, kGainLimitDb, kSmallestPart, renderPart } from "../audio/part.js";
import { soundVerdict } from "../model.js";
import { decodedOf, partText } from "../render/part.js";
import { draftPart, noteDecoded, say, setPadPart, snapshot } from "../store.js";

const work = { decoding: null, changes: 0 };

const round = (seconds) => Math.round(seconds * 100) / 100;

function selectedPad(s) {
  return s.board && s.selected >= 0 && s.selected < s.board.pads.length ? s.board.pads[s.selected] : null;
}

// After each render: the selected pad's source is decoded, once, if the
// store does not hold it; show draws its waveform when it is.
export function decodeSelected(show) {
  const s = snapshot(), pad = selectedPad(s);
  const source = pad && s.sources.get(pad.sound);
  if (!source || decodedOf(s, source) || work.decoding === source.bytes) return;
  work.decoding = source.bytes;
  decodeSource(source.bytes).then(
    (sound) => { if (work.decoding === source.bytes) noteDecoded(source.bytes, sound); },
    (error) => say("The sound of \"" + pad.label + "\" " + error.message, true),
  ).finally(() => { if (work.decoding === source.bytes) work.decoding = null; show(); });
}

// Why the part cannot be the pad's, or "".
function partProblem(part, offset, seconds) {
  if (!Number.isFinite(part.start) || !Number.isFinite(part.end)) return "The part's From and to must be numbers of seconds.";
  if (part.start < offset || part.end > offset + seconds + 0.005)
    return "The part must lie within the sound, from " + partText(offset) + " to " + partText(offset + seconds) + " s.";
  if (part.end - part.start < kSmallestPart) return "The part must last at least " + kSmallestPart + " s.";
  if (!(Math.abs(part.gainDb) <= kGainLimitDb)) return "The gain must be from −" + kGainLimitDb + " to +" + kGainLimitDb + " dB.";
  return "";
}

function changedText(pad, part) {
  const what = "Pad \"" + pad.label + "\" plays " + partText(part.start) + "–" + partText(part.end) + " s";
  const level = part.level ? ", levelled" : ", not levelled";
  return what + level + (part.gainDb ? ", gain " + (part.gainDb > 0 ? "+" : "") + part.gainDb + " dB." : ".");
}

// The pad's WAV and what rendering it measured: { wav, figures }. A WAV
// lum plays, neither levelled nor gained and whole, is kept byte for byte.
async function padWave(source, decoded, part) {
  const whole = part.start <= source.offset && part.end >= source.offset + decoded.seconds;
  if (whole && !part.level && part.gainDb === 0 && soundVerdict(source.bytes).playable)
    return { wav: source.bytes, figures: null };
  const { wav, ...figures } = await renderPart(decoded, { ...part, start: part.start - source.offset,
                                                           end: part.end - source.offset });
  return { wav, figures };
}

// The pad's part, level or gain changed (change holds those that did): its
// WAV is made again from its source. A change made while this one was
// being made wins, and this one is dropped.
export async function changePart(index, change) {
  const s = snapshot(), pad = s.board && s.board.pads[index];
  const source = pad && s.sources.get(pad.sound);
  if (!source) return;
  const part = { start: pad.start, end: pad.end, level: pad.level, gainDb: pad.gainDb, ...change };
  const ticket = ++work.changes;
  let decoded = decodedOf(s, source);
  try {
    decoded = decoded || await decodeSource(source.bytes);
  } catch (error) {
    say("\"" + pad.label + "\" was not changed: its sound " + error.message, true);
    return;
  }
  const problem = partProblem(part, source.offset, decoded.seconds);
  if (problem) { draftPart(null); say(problem, true); return; }
  let made;
  try {
    made = await padWave(source, decoded, part);
  } catch (error) {
    draftPart(null);
    say("\"" + pad.label + "\" was not changed. " + error.message, true);
    return;
  }
  if (ticket !== work.changes || snapshot().board !== s.board) return;
  if (setPadPart(index, part, made)) say(changedText(pad, part));
}

// The region dragged: the fields follow it, and the part is made once it is let go.
export function movingPart(start, end) {
  const s = snapshot(), pad = selectedPad(s);
  const source = pad && s.sources.get(pad.sound);
  if (source) draftPart({ index: s.selected, start: round(start + source.offset), end: round(end + source.offset) });
}

export async function movedPart(start, end) {
  const s = snapshot(), pad = selectedPad(s);
  const source = pad && s.sources.get(pad.sound);
  if (source) await changePart(s.selected, { start: round(start + source.offset), end: round(end + source.offset) });
}
