// The board file: what a board was made of (its name, its pads' labels,
// sounds, colours and parts, the stop pad's label), kept beside lum.ini so that the
// page can open the board again and change it. lum.exe never reads it, so
// the page alone decides what it may hold, and it refuses anything else with
// a sentence: a file from elsewhere or a damaged one never becomes a board.

import { kPadColours } from "./palette.js";

export const kBoardFile = "lum-board.json";

// Version 2 gave each pad its part of its source, its level and its gain;
// a version-1 pad is its whole WAV, not levelled.
const kVersion = 2;
const kVersions = [1, 2];
const kLargestGainDb = 20;
// 29 pads of 200 characters, each up to 4 bytes of UTF-8 and escaped, fit
// well within this; a larger file is refused before it is read.
const kLargestFileBytes = 256 * 1024;
const kLongestText = 200;
const kBoardFields = ["version", "name", "stopLabel", "stopSound", "pads"];
const kPadFieldsOf = { 1: ["label", "sound", "colour"], 2: ["label", "sound", "colour", "start", "end", "level", "gainDb"] };

const textOf = (value) => (typeof value === "string" ? value : "");

// The pad's fields in the file's order; a field that is no text is written
// empty, which the reader refuses, rather than thrown on.
const secondsOf = (value) => (Number.isFinite(value) ? Math.round(value * 1000) / 1000 : null);

function padRecord(pad) {
  const from = pad !== null && typeof pad === "object" ? pad : {};
  return {
    label: textOf(from.label), sound: textOf(from.sound), colour: textOf(from.colour),
    start: secondsOf(from.start), end: secondsOf(from.end), level: from.level === true,
    gainDb: Number.isFinite(from.gainDb) ? from.gainDb : 0,
  };
}

// The board as the file's bytes: the same board always gives the same bytes,
// keys in a fixed order, two spaces of indent and a newline at the end.
export function boardFileBytes(board) {
  const from = board !== null && typeof board === "object" ? board : {};
  const file = {
    version: kVersion,
    name: textOf(from.name),
    stopLabel: textOf(from.stopLabel),
    stopSound: textOf(from.stopSound),
    pads: Array.isArray(from.pads) ? from.pads.map(padRecord) : [],
  };
  return new TextEncoder().encode(JSON.stringify(file, null, 2) + "\n");
}

const isRecord = (value) => value !== null && typeof value === "object" && !Array.isArray(value);

// Why the record (the board, or pad n) does not have exactly the fields, or "".
function fieldsProblem(record, fields, what) {
  const unknown = Object.keys(record).find((key) => !fields.includes(key));
  if (unknown !== undefined) return `${kBoardFile} gives ${what} a field "${unknown}", which this page does not know`;
  const missing = fields.find((field) => !Object.hasOwn(record, field));
  return missing === undefined ? "" : `${kBoardFile} gives ${what} no field "${missing}"`;
}

// Characters as a person counts them: a letter outside the BMP is one.
function characters(text) {
  let count = 0;
  for (const _ of text) count++;
  return count;
}

// field: "a label"; plural: "labels".
function textProblem(value, what, field, plural) {
  if (typeof value !== "string") return `${kBoardFile} gives ${what} ${field} that is not text`;
  const length = characters(value);
  return length > kLongestText
    ? `${kBoardFile} gives ${what} ${field} of ${length} characters; ${plural} may have at most ${kLongestText}`
    : "";
}

// Why the pad's part, level or gain is none this page makes, or "".
function partProblem(pad, what) {
  if (typeof pad.start !== "number" || typeof pad.end !== "number" || !(pad.start >= 0) || !(pad.end > pad.start) ||
      !Number.isFinite(pad.end))
    return `${kBoardFile} gives ${what} a part that is no stretch of seconds`;
  if (typeof pad.level !== "boolean") return `${kBoardFile} gives ${what} a level that is neither true nor false`;
  if (typeof pad.gainDb !== "number" || !(Math.abs(pad.gainDb) <= kLargestGainDb))
    return `${kBoardFile} gives ${what} a gain that is not from -${kLargestGainDb} to ${kLargestGainDb} dB`;
  return "";
}

function padProblem(pad, what, hasSound, version) {
  if (!isRecord(pad)) return `${kBoardFile} gives ${what} no record of a label, a sound and a colour`;
  const problem = fieldsProblem(pad, kPadFieldsOf[version], what) || textProblem(pad.label, what, "a label", "labels");
  if (problem) return problem;
  if (typeof pad.sound !== "string") return `${kBoardFile} gives ${what} a sound that is not text`;
  if (!hasSound(pad.sound)) return `${kBoardFile} names "${pad.sound}", which is not in the folder`;
  if (!kPadColours.includes(pad.colour))
    return `${kBoardFile} gives ${what} the colour ${JSON.stringify(pad.colour)}, which is not one of the page's`;
  return version > 1 ? partProblem(pad, what) : "";
}

// Why the parsed file is no board of this page, or "".
function boardProblem(file, mostPads, hasSound) {
  if (!isRecord(file)) return `${kBoardFile} is damaged: it holds no record of a board`;
  if (!Object.hasOwn(file, "version")) return `${kBoardFile} has no version`;
  if (!kVersions.includes(file.version))
    return `${kBoardFile} is of version ${JSON.stringify(file.version)}, which this page does not know`;
  const problem = fieldsProblem(file, kBoardFields, "the board") ||
    textProblem(file.name, "the board", "a name", "board names") ||
    textProblem(file.stopLabel, "the stop pad", "a label", "labels");
  if (problem) return problem;
  if (typeof file.stopSound !== "string") return `${kBoardFile} gives the stop pad a sound that is not text`;
  if (!hasSound(file.stopSound)) return `${kBoardFile} names "${file.stopSound}", which is not in the folder`;
  if (!Array.isArray(file.pads)) return `${kBoardFile} gives the board pads that are not a list`;
  if (file.pads.length > mostPads)
    return `${kBoardFile} holds ${file.pads.length} pads; lum has room for ${mostPads}`;
  for (let i = 0; i < file.pads.length; i++) {
    const padAt = padProblem(file.pads[i], `pad ${i + 1}`, hasSound, file.version);
    if (padAt) return padAt;
  }
  return "";
}

function parsed(bytes) {
  try {
    return { file: JSON.parse(new TextDecoder("utf-8", { fatal: true }).decode(bytes)) };
  } catch (error) {
    return { problem: `${kBoardFile} is damaged: ${error.message}` };
  }
}

// A version-1 pad: its whole WAV, as it is.
const wholePad = (pad, soundSeconds) => ({ ...pad, start: 0, end: soundSeconds(pad.sound), level: false, gainDb: 0 });

// { board } from the file's bytes, or { problem }: a sentence saying what is
// wrong. mostPads is how many sound pads lum has room for; hasSound(path)
// whether the folder holds the file, as Windows matches names;
// soundSeconds(path) how long it lasts.
export function readBoardFile(bytes, { mostPads, hasSound, soundSeconds }) {
  if (!(bytes instanceof Uint8Array)) return { problem: `${kBoardFile} is damaged: it is no file's bytes` };
  if (bytes.length > kLargestFileBytes)
    return { problem: `${kBoardFile} is ${bytes.length} bytes; a board file has at most ${kLargestFileBytes}` };
  const { file, problem } = parsed(bytes);
  if (problem) return { problem };
  const refused = boardProblem(file, mostPads, hasSound);
  if (refused) return { problem: refused };
  const pads = file.version === 1 ? file.pads.map((pad) => wholePad(pad, soundSeconds)) : file.pads;
  return { board: { name: file.name, stopLabel: file.stopLabel, stopSound: file.stopSound, pads } };
}
