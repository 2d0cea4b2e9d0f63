// The document: the folder's files, the hotspot file's bytes and the lines
// the model reads in them, the selection, undo and redo, the code page, and
// what the page last said. It changes only through the functions here; a
// change of the files or the text ends with the model's check of the folder
// as it now stands, and the caller renders once after it.

import {
  checkFolder, composeLine, editLine, facts, putFile, putFolder, readLines, rectAround, removeFile, safeSoundName,
  sameName, slotInteriors,
} from "./model.js";
import { sameBytes } from "./folder.js";
import { kLargestSoundBytes, tooManySoundBytes } from "./sounds.js";

const doc = {
  name: "",              // the folder's, or the board's
  files: new Map(),      // path in the folder -> bytes, as opened or saved
  added: new Map(),      // files made or added here, written on save
  text: new Uint8Array(0),
  iniPresent: false,     // the folder has the hotspot file, or an edit made one
  lines: [],
  textEnd: 0,
  report: null,
  hotspots: [],
  sounds: [],            // the folder's sounds, as a line names them
  progress: null,        // { done, total } while files are read
  undo: [],
  redo: [],
  selected: -1,          // index into lines
  codePage: 0,           // the ANSI code page that names are read and written in
  edition: 0,            // counts changes of the text, so that a save can tell whether it changed since
  checks: 0,             // checks made, for data-checks
  skinEdition: 0,        // counts new skin files, so that the view takes the pixels again
  notice: { text: "", problem: false },  // the status line
  lineProblem: "",       // why the last edit of the selected line was refused
  saved: { text: new Uint8Array(0), added: new Map() },  // the text and the added files as last opened or saved
};

const encoder = new TextEncoder();
const kNoSound = "sound.wav";            // a new hotspot's name when no sound of the folder will do
const isSoundName = (path) => /\.wav$/i.test(path);

export function startDocument() {
  doc.codePage = facts().defaultCodePage;
}

// What the view shows and the input asks about; changed only here.
export function now() {
  const { lines, selected, report, hotspots, sounds, progress, codePage, checks, skinEdition, notice, lineProblem } = doc;
  // The sounds added here, which can be taken out again.
  const removable = Object.freeze([...doc.added.keys()].filter(isSoundName));
  return Object.freeze({ lines, selected, report, hotspots, sounds, removable, progress, codePage, checks, skinEdition,
                         notice, lineProblem });
}

export function selectedLine() {
  return doc.selected >= 0 ? doc.lines[doc.selected] : null;
}

export function lineOfSlot(slot) {
  return doc.lines.findIndex((line) => line.slot === slot);
}

export function say(text, problem) {
  doc.notice = { text, problem: Boolean(problem) };
}

// An edit of the selected line refused: the status line and the line editor say why.
export function refuseEdit(text) {
  say(text, true);
  doc.lineProblem = text;
}

// The model's reading of the folder with the text as it stands.
function check() {
  if (doc.iniPresent) putFile(facts().hotspotFile, doc.text);
  doc.report = checkFolder(doc.codePage);
  const interiors = slotInteriors();
  doc.hotspots = Object.freeze(doc.report.hotspots.map((h) => ({ ...h, interior: interiors[h.slot - 1] })));
  const read = readLines(doc.text, doc.codePage);
  doc.lines = Object.freeze(read.lines);
  doc.textEnd = read.textEnd;
  if (doc.selected >= doc.lines.length) doc.selected = doc.lines.length - 1;
  doc.sounds = Object.freeze(soundChoices());
  doc.checks++;
}

// ---- The folder's files --------------------------------------------------

export function openFolder(files, name) {
  const ini = files.get(facts().hotspotFile);
  putFolder(files);
  Object.assign(doc, { name, files, added: new Map(), text: ini || new Uint8Array(0), iniPresent: Boolean(ini),
                       undo: [], redo: [], selected: -1, lineProblem: "" });
  doc.saved = { text: doc.text, added: new Map() };
  doc.edition++;
  doc.skinEdition++;
  check();
}

export function hasFolder() {
  return doc.report !== null;
}

export function folderName() {
  return doc.name;
}

// What a board needs of the folder as it stands, as [path, bytes]: the
// hotspot file, the skin and the sounds.
export function boardFiles() {
  const { hotspotFile, skinFile } = facts();
  const files = [[hotspotFile, doc.text]];
  for (const path of [skinFile, ...doc.sounds.map((name) => name.replaceAll("\\", "/"))]) {
    const bytes = fileNamed(path);
    if (bytes) files.push([path, bytes]);
  }
  return files;
}

export function hotspotText() {
  return doc.text;
}

export function textEdition() {
  return doc.edition;
}

export function addedFiles() {
  return [...doc.added];
}

// Files made or added here: the checker sees them now, and saving writes them.
function add(name, bytes) {
  putFile(name, bytes);
  doc.added.set(name, bytes);
}

export function addSkin(bytes) {
  add(facts().skinFile, bytes);
  doc.skinEdition++;
  check();
}

// The folder's file that a new file of this name would replace, matched as
// Windows matches names.
function fileNamed(name) {
  for (const files of [doc.added, doc.files])
    for (const [path, bytes] of files) if (sameName(path, name)) return bytes;
  return null;
}

function soundBytes() {
  let sum = 0;
  for (const files of [doc.files, doc.added]) for (const [path, bytes] of files) if (isSoundName(path)) sum += bytes.length;
  return sum;
}

// Latin letters that lose no accent, as they are spelled in ASCII.
const kLatinLetters = { Æ: "AE", æ: "ae", Ø: "O", ø: "o", Œ: "OE", œ: "oe", ß: "ss", Ł: "L", ł: "l", Đ: "D", đ: "d",
                        Þ: "Th", þ: "th", ı: "i" };

// Printable ASCII, as every Windows code page writes it: accents are
// dropped from their letters, and a title with no ASCII letter left is numbered.
function asciiTitle(title, number) {
  const plain = title.normalize("NFD").replace(/\p{M}/gu, "").replace(/[^\x20-\x7e]/g, (c) => kLatinLetters[c] || "")
    .trim();
  return /[a-z]/i.test(plain) ? plain : "sound-" + number;
}

// A name for the sound that the program reads whole and no other file of
// the folder has, or that of a file with the same bytes already there; ""
// when every name tried is taken.
function soundName(title, bytes) {
  const first = safeSoundName(title + ".wav", doc.codePage);
  const stem = first.replace(/\.wav$/i, "");
  for (let copy = 1; copy <= doc.files.size + doc.added.size + 1; copy++) {
    const name = copy === 1 ? first : safeSoundName(stem + "-" + copy + ".wav", doc.codePage);
    const there = fileNamed(name);
    if (!there || sameBytes(there, bytes)) return name;
  }
  return "";
}

// Adds the sounds ({ title, bytes, and the file they came from }) under
// names the program reads whole, printable ASCII ones with ascii; answers
// { added: [{ name, title }], renamed: [[file, name]], refused: [sentence] }.
export function addSounds(sounds, ascii) {
  const added = [], renamed = [], refused = [];
  let room = kLargestSoundBytes - soundBytes();
  sounds.forEach(({ title, bytes, file }, index) => {
    const from = file || title + ".wav";
    const name = soundName(ascii ? asciiTitle(title, index + 1) : title, bytes);
    if (!name) { refused.push("\"" + from + "\" is not added: every name like it is taken."); return; }
    if (!fileNamed(name)) {
      if (bytes.length > room) { refused.push(tooManySoundBytes(from)); return; }
      room -= bytes.length;
      add(name, bytes);
    }
    added.push({ name, title });
    if (name !== title + ".wav") renamed.push([from, name]);
  });
  check();
  return { added, renamed, refused };
}

// A sound added here is no longer in the folder.
export function removeSound(name) {
  if (!doc.added.has(name)) return;
  doc.added.delete(name);
  removeFile(name);
  check();
}

export function setProgress(done, total) {
  doc.progress = done === null ? null : { done, total };
}

// Saved: the added files are the folder's own now.
export function keepAdded() {
  for (const [name, bytes] of doc.added) doc.files.set(name, bytes);
  doc.added = new Map();
}

// A save wrote the added files as they are now, and the text unless it is null.
export function noteSaved(text) {
  doc.saved = { text: text ?? doc.saved.text, added: new Map(doc.added) };
}

// Whether leaving the page now would lose an edit or an added file.
export function unsaved() {
  const { text, added } = doc.saved;
  return !sameBytes(doc.text, text) || [...doc.added].some(([name, bytes]) => added.get(name) !== bytes);
}

// The folder's sounds, as a line of the hotspot file names them.
function soundChoices() {
  return [...doc.files.keys(), ...doc.added.keys()]
    .filter(isSoundName).map((path) => path.replaceAll("/", "\\")).sort();
}

// ---- The lines -----------------------------------------------------------

export function select(index) {
  doc.selected = index;
  doc.lineProblem = "";
}

export function setCodePage(page) {
  doc.codePage = page;
  if (doc.report) check();
}

function lineBytes(index) {
  const line = doc.lines[index];
  return doc.text.subarray(line.start, line.end);
}

// The lines in a new order, some replaced; a line that ended the text without
// a line break gets one when another line follows it now.
function joinLines(parts) {
  const chunks = [];
  parts.forEach((part, i) => {
    chunks.push(part.bytes);
    if (!part.endsWithNewline && i + 1 < parts.length) chunks.push(encoder.encode("\r\n"));
  });
  chunks.push(doc.text.subarray(doc.textEnd));
  const text = new Uint8Array(chunks.reduce((sum, c) => sum + c.length, 0));
  let at = 0;
  for (const c of chunks) { text.set(c, at); at += c.length; }
  return text;
}

function currentParts() {
  return doc.lines.map((line, i) => ({ bytes: lineBytes(i), endsWithNewline: line.endsWithNewline }));
}

function commit(text, selected) {
  doc.undo.push({ text: doc.text, selected: doc.selected });
  doc.redo = [];
  doc.text = text;
  doc.selected = selected;
  doc.iniPresent = true;
  doc.edition++;
  check();
}

// A new board's lines: the file's first text, with nothing to undo.
export function startText(text) {
  Object.assign(doc, { text, iniPresent: true, undo: [], redo: [], selected: -1 });
  doc.edition++;
  check();
}

function cannotSave(name, problem) {
  refuseEdit("\"" + name + "\" cannot be saved: " + problem + ".");
}

// Gives line index (or a new line when index is the count) the rectangle and,
// unless name is null, the typed name; says why when the model refuses it,
// and the line stays as it was.
export function setLine(index, name, rect) {
  const line = doc.lines[index];
  const composed = line && line.name ? editLine(index, name, rect, doc.codePage)
                                     : composeLine(name, rect, doc.codePage);
  if (composed.problem) { cannotSave(name === null ? line.name : name, composed.problem); return; }
  if (doc.lineProblem) say("");
  doc.lineProblem = "";
  const parts = currentParts();
  parts.splice(index, index < parts.length ? 1 : 0, { bytes: composed.bytes, endsWithNewline: true });
  commit(joinLines(parts), index);
}

// Line index with the rectangle whose interior is the box.
export function setLineAround(index, box) {
  const around = rectAround(box);
  if (around.problem) cannotSave(doc.lines[index].name, around.problem);
  else setLine(index, null, around.rect);
}

export function deleteSelected() {
  if (!selectedLine()) return;
  const parts = currentParts();
  parts.splice(doc.selected, 1);
  commit(joinLines(parts), Math.min(doc.selected, parts.length - 1));
}

export function moveSelected(step) {
  const from = doc.selected, to = from + step;
  if (!selectedLine() || to < 0 || to >= doc.lines.length) return;
  const parts = currentParts();
  const [part] = parts.splice(from, 1);
  parts.splice(to, 0, part);
  commit(joinLines(parts), to);
}

// Moves the selected hotspot, or with grow its right and bottom edges. The
// sums go to the model as they are: it refuses those out of its range.
export function shiftSelected(dx, dy, grow) {
  const line = selectedLine();
  if (!line || !line.name) return;
  const r = line.rect;
  const rect = grow ? [r[0], r[1], r[2] + dx, r[3] + dy] : [r[0] + dx, r[1] + dy, r[2] + dx, r[3] + dy];
  setLine(doc.selected, null, rect);
}

// A new hotspot's name: the first sound of the list that the model can
// write with the rectangle.
function firstSoundName(rect) {
  return doc.sounds.find((name) => !composeLine(name, rect, doc.codePage).problem) || kNoSound;
}

// The selected line's numbers as typed; a line without a name gets the first sound.
export function typeRect(rect) {
  const line = selectedLine();
  if (line) setLine(doc.selected, line.name ? null : firstSoundName(rect), rect);
}

// A new line whose hotspot has the box as its interior.
export function addHotspot(box) {
  const around = rectAround(box);
  if (around.problem) cannotSave(doc.sounds[0] || kNoSound, around.problem);
  else setLine(doc.lines.length, firstSoundName(around.rect), around.rect);
}

function undoOrRedo(from, to) {
  const step = from.pop();
  if (!step) return;
  to.push({ text: doc.text, selected: doc.selected });
  doc.text = step.text;
  doc.selected = step.selected;
  doc.edition++;
  check();
}

export const undo = () => undoOrRedo(doc.undo, doc.redo);
export const redo = () => undoOrRedo(doc.redo, doc.undo);
