// The page's one owner of state: the folder's files and its hotspot file,
// the board when the folder is one, undo and redo, the selection, the view's
// zoom and scroll, the gesture in progress, Try, saving and progress, and
// what the status line says. Every other module reads snapshot() and
// changes the state only through the operations here. What the model reads
// in the files (lines, hotspots, findings) is derived, cached by edition.

import { kBoardFile } from "./board/boardfile.js";
import { makeBoard } from "./board/make.js";
import { mostPads } from "./board/layout.js";
import { kPadColours } from "./board/palette.js";
import { sameBytes } from "./folder.js";
import { joinLines, lineParts } from "./linetext.js";
import {
  checkFolder, composeLine, editLine, facts, putFolder, readLines, rectAround, sameName, slotInteriors,
} from "./model.js";
import { asciiTitle, soundName } from "./soundnames.js";

const kNoSound = "sound.wav";            // a new hotspot's name when no sound of the folder will do
export const kStopLabel = "■ Stop";
const isSoundName = (path) => /\.wav$/i.test(path);

// Maps and arrays here are never changed in place: a change puts new ones,
// so that an undo step and a snapshot can hold them as they were.
const state = {
  name: "",              // the folder's, shown in the status line
  files: new Map(),      // path in the folder -> bytes, as opened
  added: new Map(),      // files made or added here, written on save
  text: new Uint8Array(0),
  iniPresent: false,     // the folder has the hotspot file, or an edit made one
  board: null,           // { name, stopLabel, stopSound, pads: [{ label, sound, colour, start, end, level, gainDb }] }
  sources: new Map(),    // a board's pad sound -> { bytes, offset }: the bytes it came in, and the seconds of their start
  codePage: 0,           // the ANSI code page that names are read and written in
  undo: [],
  redo: [],
  selected: -1,          // a line's index; on a board, line i is pad i and the one after the pads the stop pad
  edition: 0,            // counts changes of the files, the text, the board and the code page
  zoom: 1,
  scroll: { left: 0, top: 0 },
  pointer: null,         // the skin's pixel under the pointer, as [x, y]
  gesture: null,         // { kind, slot, from, start, edges, box } while the button is down
  trying: false,         // presses act as lum.exe would
  notice: { text: "", problem: false, count: 0 },  // count tells one sentence said twice from once
  focus: { id: "", count: 0 },                     // where an operation sent the keyboard, and how often
  lineProblem: "",       // why the last edit of the selected line was refused
  progress: null,        // { done, total } while files are read
  saving: { directory: null, loadedIni: null, goAhead: null, written: new Map() },
  saved: { text: new Uint8Array(0), files: new Map(), added: new Map() },
  stopped: false,        // the model stopped: nothing more is asked of it
  decoded: null,         // { source, sound }: the selected pad's source bytes, decoded for its waveform
  partDraft: null,       // { index, start, end } while a pad's part is dragged, until its WAV is made
  recording: null,       // { seconds, level } while the microphone records
};

// What the model last read, and for which edition: the model's folder then
// holds exactly these files. The lines are read again only with another
// text or code page.
const reading = { edition: -1, value: null, checks: 0, text: null, codePage: 0, lines: null };

export function startStore() {
  state.codePage = facts().defaultCodePage;
}

// ---- What is derived ------------------------------------------------------

function folderFiles() {
  const files = new Map([...state.files, ...state.added]);
  if (state.iniPresent) files.set(facts().hotspotFile, state.text);
  return files;
}

// The folder's sounds, as a line of the hotspot file names them.
function soundChoices() {
  return [...state.files.keys(), ...state.added.keys()].filter(isSoundName).map((path) => path.replaceAll("/", "\\"))
    .sort();
}

// The model's reading of the folder as it stands.
function read() {
  if (reading.edition === state.edition) return reading.value;
  putFolder(folderFiles());
  const report = checkFolder(state.codePage);
  const interiors = slotInteriors();
  if (reading.text !== state.text || reading.codePage !== state.codePage)
    Object.assign(reading, { text: state.text, codePage: state.codePage, lines: readLines(state.text, state.codePage) });
  const lines = reading.lines;
  reading.value = Object.freeze({
    report,
    hotspots: Object.freeze(report.hotspots.map((h) => ({ ...h, interior: interiors[h.slot - 1] }))),
    lines: Object.freeze(lines.lines),
    textEnd: lines.textEnd,
    sounds: Object.freeze(soundChoices()),
    checks: ++reading.checks,
  });
  reading.edition = state.edition;
  return reading.value;
}

// The folder's file that a file of this name would be, matched as Windows matches names.
function fileNamed(name) {
  for (const files of [state.added, state.files]) for (const [path, bytes] of files) if (sameName(path, name)) return bytes;
  return null;
}

function unsaved() {
  const { text, files, added } = state.saved;
  return !sameBytes(state.text, text) || files !== state.files || added.size !== state.added.size ||
         [...state.added].some(([name, bytes]) => added.get(name) !== bytes);
}

function soundBytes() {
  let sum = 0;
  for (const files of [state.files, state.added]) for (const [path, bytes] of files) if (isSoundName(path)) sum += bytes.length;
  return sum;
}

// What a board's zip holds of the folder, as [path, bytes]: the hotspot
// file, the skin, a board's file and its sounds, or a skin's every sound.
function packageFiles() {
  const { hotspotFile, skinFile } = facts();
  const own = (name) => state.added.get(name) || state.files.get(name);
  const files = [[hotspotFile, state.text]];
  const skin = fileNamed(skinFile);
  if (skin) files.push([skinFile, skin]);
  const board = state.board;
  const sounds = board ? [...new Set([...board.pads.map((pad) => pad.sound), board.stopSound])]
                       : soundChoices().map((name) => name.replaceAll("\\", "/"));
  if (board) files.push([kBoardFile, own(kBoardFile)]);
  for (const name of sounds) if (own(name)) files.push([name, own(name)]);
  return files;
}

// Everything the page shows and the input asks about, as it stands now.
export function snapshot() {
  // A stopped model is asked nothing more: the page shows no folder.
  const open = state.name !== "" && !state.stopped;
  const derived = open ? read() : null;
  const lines = derived ? derived.lines : [];
  return Object.freeze({
    ...state,
    open,
    report: derived ? derived.report : null,
    hotspots: derived ? derived.hotspots : [],
    lines,
    sounds: derived ? derived.sounds : [],
    checks: derived ? derived.checks : 0,
    selected: Math.min(state.selected, lines.length - 1),
    skinBytes: open ? fileNamed(facts().skinFile) : null,
    removable: Object.freeze(state.board ? [] : [...state.added.keys()].filter(isSoundName)),
    unsaved: state.name !== "" && unsaved(),
    soundBytes: soundBytes(),
    packageFiles: open ? Object.freeze(packageFiles()) : [],
    canUndo: state.undo.length > 0,
    canRedo: state.redo.length > 0,
    padFigures: selectedFigures(),
  });
}

// What rendering a pad's WAV measured (loudness before and after, true
// peak), by the WAV's bytes: known only for WAVs this page made.
const partFigures = new WeakMap();

function selectedFigures() {
  const pad = state.board && state.board.pads[state.selected];
  const bytes = pad && fileNamed(pad.sound);
  return (bytes && partFigures.get(bytes)) || null;
}

// ---- The status line --------------------------------------------------------

export function say(text, problem) {
  state.notice = { text, problem: Boolean(problem), count: state.notice.count + 1 };
}

// The element of this id takes the keyboard at the next render.
export function sendFocus(id) {
  state.focus = { id, count: state.focus.count + 1 };
}

// An edit of the selected line refused: the status line and the line editor say why.
export function refuseEdit(text) {
  say(text, true);
  state.lineProblem = text;
}

export function setProgress(done, total) {
  state.progress = done === null ? null : { done, total };
}

// The model stopped: the page can only be loaded again.
export function noteStopped() {
  state.stopped = true;
}

// ---- Opening ----------------------------------------------------------------

// The folder's files (path -> bytes) become the document; directory is the
// folder opened in place, or null; board is the folder's board record, or null.
export function openFolder(files, name, directory, board) {
  const ini = files.get(facts().hotspotFile);
  const rest = new Map(files);
  rest.delete(facts().hotspotFile);
  Object.assign(state, {
    name, files: rest, added: new Map(), text: ini || new Uint8Array(0), iniPresent: Boolean(ini), board,
    undo: [], redo: [], selected: -1, lineProblem: "", gesture: null, decoded: null, partDraft: null,
    saving: { directory, loadedIni: ini || null, goAhead: null, written: new Map() },
  });
  state.sources = board ? heldSources(board) : new Map();
  state.saved = { text: state.text, files: state.files, added: state.added };
  state.edition++;
}

// A board opened again starts from the parts its WAVs hold: each is its
// pad's source, beginning at the pad's start.
function heldSources(board) {
  const sources = new Map();
  for (const pad of board.pads) {
    const bytes = fileNamed(pad.sound);
    if (bytes) sources.set(pad.sound, { bytes, offset: pad.start });
  }
  return sources;
}

// ---- Undo steps -------------------------------------------------------------

function step() {
  const { text, iniPresent, board, sources, files, added, selected } = state;
  return { text, iniPresent, board, sources, files, added, selected };
}

// One undo step: the change's fields replace the state's.
function commit(change) {
  state.undo = [...state.undo, step()];
  state.redo = [];
  Object.assign(state, change);
  state.lineProblem = "";
  state.edition++;
}

function undoOrRedo(from, to) {
  const last = state[from].at(-1);
  if (!last) return;
  state[to] = [...state[to], step()];
  state[from] = state[from].slice(0, -1);
  Object.assign(state, last);
  state.lineProblem = "";
  state.edition++;
}

export const undo = () => undoOrRedo("undo", "redo");
export const redo = () => undoOrRedo("redo", "undo");

// ---- Files ------------------------------------------------------------------

function withFile(files, name, bytes) {
  const next = new Map(files);
  next.set(name, bytes);
  return next;
}

// Both maps without the file, matched as Windows matches names.
function withoutFile(name) {
  const keep = (files) => new Map([...files].filter(([path]) => !sameName(path, name)));
  return { files: keep(state.files), added: keep(state.added) };
}

// A picture made into the skin file.
export function addSkin(bytes) {
  commit({ added: withFile(state.added, facts().skinFile, bytes) });
}

// The sounds ({ title, bytes, file }) under names the program reads whole,
// printable ASCII ones with ascii, beside the files of base ({ files, added }):
// { added: Map, names: [{ name, title }], renamed: [[file, name]],
// refused: [sentence] }, the state unchanged.
function namedSounds(sounds, ascii, base = state) {
  let added = base.added;
  const names = [], renamed = [], refused = [];
  const named = (name) => {
    for (const files of [added, base.files]) for (const [path, bytes] of files) if (sameName(path, name)) return bytes;
    return null;
  };
  sounds.forEach(({ title, bytes, file }, index) => {
    const from = file || title + ".wav";
    const name = soundName(ascii ? asciiTitle(title, index + 1) : title, bytes, state.codePage, named,
                           base.files.size + added.size + 1);
    if (!name) { refused.push("\"" + from + "\" is not added: every name like it is taken."); return; }
    if (!named(name)) added = withFile(added, name, bytes);
    names.push({ name, title, index });
    if (name !== title + ".wav") renamed.push([from, name]);
  });
  return { added, names, renamed, refused };
}

// Sounds beside the hotspot file of a skin; answers what namedSounds does.
export function addSounds(sounds) {
  const named = namedSounds(sounds, false);
  if (named.names.length) commit({ added: named.added });
  return named;
}

// A sound added here is no longer in the folder.
export function removeSound(name) {
  if (!state.added.has(name)) return;
  const added = new Map(state.added);
  added.delete(name);
  commit({ added });
}

export function setCodePage(page) {
  state.codePage = page;
  state.edition++;
}

// ---- The lines of a skin ------------------------------------------------------

export function select(index) {
  // Only the selected pad's sound is held decoded.
  if (index !== state.selected) Object.assign(state, { decoded: null, partDraft: null });
  state.selected = index;
  state.lineProblem = "";
}

function cannotSave(name, problem) {
  refuseEdit("\"" + name + "\" cannot be saved: " + problem + ".");
}

// The text with the parts in place of the lines.
function textOf(parts) {
  return joinLines(parts, state.text.subarray(read().textEnd));
}

function commitText(parts, selected) {
  commit({ text: textOf(parts), iniPresent: true, selected });
}

// Gives line index (or a new line when index is the count) the rectangle and,
// unless name is null, the typed name; says why when the model refuses it,
// and the line stays as it was. A board's lines are made from its pads alone.
export function setLine(index, name, rect) {
  const lines = read().lines;
  const line = lines[index];
  if (state.board) return;
  const composed = line && line.name ? editLine(index, name, rect, state.codePage)
                                     : composeLine(name, rect, state.codePage);
  if (composed.problem) { cannotSave(name === null ? line.name : name, composed.problem); return; }
  if (state.lineProblem) say("");
  const parts = lineParts(state.text, lines);
  parts.splice(index, index < parts.length ? 1 : 0, { bytes: composed.bytes, endsWithNewline: true });
  commitText(parts, index);
}

// Line index with the rectangle whose interior is the box.
export function setLineAround(index, box) {
  const around = rectAround(box);
  if (around.problem) cannotSave(read().lines[index].name, around.problem);
  else setLine(index, null, around.rect);
}

function selectedLine() {
  const lines = read().lines;
  return state.selected >= 0 && state.selected < lines.length ? lines[state.selected] : null;
}

export function deleteSelected() {
  if (!selectedLine() || state.board) return;
  const parts = lineParts(state.text, read().lines);
  parts.splice(state.selected, 1);
  commitText(parts, Math.min(state.selected, parts.length - 1));
}

export function moveSelected(step) {
  const from = state.selected, to = from + step;
  if (!selectedLine() || state.board || to < 0 || to >= read().lines.length) return;
  const parts = lineParts(state.text, read().lines);
  const [part] = parts.splice(from, 1);
  parts.splice(to, 0, part);
  commitText(parts, to);
}

// Moves the selected hotspot, or with grow its right and bottom edges. The
// sums go to the model as they are: it refuses those out of its range.
export function shiftSelected(dx, dy, grow) {
  const line = selectedLine();
  if (!line || !line.name) return;
  const r = line.rect;
  const rect = grow ? [r[0], r[1], r[2] + dx, r[3] + dy] : [r[0] + dx, r[1] + dy, r[2] + dx, r[3] + dy];
  setLine(state.selected, null, rect);
}

// A new hotspot's name: the first sound of the list that the model can
// write with the rectangle.
function firstSoundName(rect) {
  return read().sounds.find((name) => !composeLine(name, rect, state.codePage).problem) || kNoSound;
}

// The selected line's numbers as typed; a line without a name gets the first sound.
export function typeRect(rect) {
  const line = selectedLine();
  if (line) setLine(state.selected, line.name ? null : firstSoundName(rect), rect);
}

// A new line whose hotspot has the box as its interior.
export function addHotspot(box) {
  const around = rectAround(box);
  if (around.problem) cannotSave(read().sounds[0] || kNoSound, around.problem);
  else setLine(read().lines.length, firstSoundName(around.rect), around.rect);
}

// ---- A board ------------------------------------------------------------------

// The change that makes the board's face, lines and board file from its
// record, the sounds being in added and files; null, with the reason said,
// when the model cannot write a line of it.
function boardChange(board, files, added) {
  const made = makeBoard(board, state.codePage);
  if (made.problem) { say("The board was not changed: " + made.problem, true); return null; }
  const next = withFile(withFile(added, facts().skinFile, made.skin), kBoardFile, made.boardFile);
  // A label or a colour leaves the lines as they were: so does the text.
  const text = sameBytes(made.text, state.text) ? state.text : made.text;
  return { board: Object.freeze(board), files, added: next, text, iniPresent: true };
}

function commitBoard(board, selected, files = state.files, added = state.added, sources = state.sources) {
  const change = boardChange(board, files, added);
  if (change) commit({ ...change, selected, sources });
  return change !== null;
}

function sourcesWithout(board, sound, index) {
  if (soundInUse(board, sound, index)) return state.sources;
  return new Map([...state.sources].filter(([name]) => !sameName(name, sound)));
}

const nextColour = (pads) => kPadColours[pads.length % kPadColours.length];

// The pads of the sounds readParts made, after the board's.
function padsOf(board, names, sounds) {
  const pads = [...board.pads];
  for (const { name, title, index } of names) pads.push({ label: title, sound: name, colour: nextColour(pads), ...sounds[index].part });
  return pads;
}

// The sources with those of the sounds named, and their figures noted.
function sourcesWith(sources, names, sounds) {
  const next = new Map(sources);
  for (const { name, index } of names) {
    next.set(name, { bytes: sounds[index].source, offset: 0 });
    partFigures.set(sounds[index].bytes, sounds[index].figures);
  }
  return next;
}

// A new board, just opened empty: a pad per sound, the stop pad playing the
// silence. Answers what namedSounds does, and made: whether the board was.
export function startBoard(name, sounds, silence) {
  const named = namedSounds([...sounds, { title: "stop", bytes: silence }], true);
  const stop = named.names.pop();
  const board = { name, stopLabel: kStopLabel, stopSound: stop.name, pads: padsOf({ pads: [] }, named.names, sounds) };
  const change = named.names.length ? boardChange(board, state.files, named.added) : null;
  if (change) {
    Object.assign(state, change, { sources: sourcesWith(new Map(), named.names, sounds) });
    state.saved = { ...state.saved, files: state.files };
    state.edition++;
  }
  return { ...named, made: change !== null };
}

export function renameBoard(name) {
  if (state.board && name !== state.board.name) commitBoard({ ...state.board, name }, state.selected);
}

// The label of pad index; the stop pad's when index is the pad count.
export function setPadLabel(index, label) {
  const board = state.board;
  if (!board || index < 0 || index > board.pads.length) return;
  if (index === board.pads.length) { if (label !== board.stopLabel) commitBoard({ ...board, stopLabel: label }, index); return; }
  if (label === board.pads[index].label) return;
  commitBoard({ ...board, pads: board.pads.map((pad, i) => (i === index ? { ...pad, label } : pad)) }, index);
}

export function setPadColour(index, colour) {
  const board = state.board;
  if (!board || !board.pads[index] || !kPadColours.includes(colour) || board.pads[index].colour === colour) return;
  commitBoard({ ...board, pads: board.pads.map((pad, i) => (i === index ? { ...pad, colour } : pad)) }, index);
}

// Pad from takes pad to's place; those between move up one.
export function movePad(from, to) {
  const board = state.board;
  if (!board || from === to || !board.pads[from] || !board.pads[to]) return false;
  const pads = [...board.pads];
  const [pad] = pads.splice(from, 1);
  pads.splice(to, 0, pad);
  return commitBoard({ ...board, pads }, to);
}

// Whether a pad other than pad index, or the stop pad, plays the sound.
function soundInUse(board, sound, index) {
  return sameName(board.stopSound, sound) || board.pads.some((pad, i) => i !== index && sameName(pad.sound, sound));
}

function filesWithout(board, sound, index) {
  return soundInUse(board, sound, index) ? { files: state.files, added: state.added } : withoutFile(sound);
}

// The pad, its line, its paint and, unless another pad plays it, its sound file.
export function removePad(index) {
  const board = state.board;
  if (!board || !board.pads[index]) return null;
  const pad = board.pads[index];
  const { files, added } = filesWithout(board, pad.sound, index);
  const pads = board.pads.filter((_, i) => i !== index);
  return commitBoard({ ...board, pads }, Math.min(index, pads.length - 1), files, added,
                     sourcesWithout(board, pad.sound, index)) ? pad : null;
}

// Sounds as new pads after the others: answers what namedSounds does, and
// refused says those past the board's room.
export function addPads(sounds) {
  const board = state.board;
  const room = mostPads() - board.pads.length;
  const named = namedSounds(sounds.slice(0, Math.max(room, 0)), true);
  const past = sounds.slice(Math.max(room, 0)).map((sound) => "\"" + sound.file + "\" is not added: the board has room " +
                                                              "for " + mostPads() + " pads.");
  named.refused.push(...past);
  if (named.names.length) commitBoard({ ...board, pads: padsOf(board, named.names, sounds) }, board.pads.length, state.files,
                                      named.added, sourcesWith(state.sources, named.names, sounds));
  return named;
}

// Pad index plays the sound from now on, keeping its label, colour and place.
export function replacePadSound(index, sound) {
  const board = state.board;
  if (!board || !board.pads[index]) return null;
  const without = filesWithout(board, board.pads[index].sound, index);
  const named = namedSounds([sound], true, without);
  if (!named.names.length) return named;
  const pads = board.pads.map((pad, i) => (i === index ? { ...pad, sound: named.names[0].name, ...sound.part } : pad));
  const sources = sourcesWith(sourcesWithout(board, board.pads[index].sound, index), named.names, [sound]);
  commitBoard({ ...board, pads }, index, without.files, named.added, sources);
  return named;
}

// The board's lines become a skin's, edited as lines; its face stays as drawn.
export function editAsSkin() {
  if (!state.board) return;
  commit({ board: null, sources: new Map(), ...withoutFile(kBoardFile) });
}

// ---- The view -----------------------------------------------------------------

export const kZooms = [1, 2, 3, 4, 5, 6, 7, 8];

export function setZoom(zoom) {
  state.zoom = Math.max(kZooms[0], Math.min(kZooms.at(-1), zoom));
}

export function setScroll(left, top) {
  state.scroll = { left, top };
}

export function setPointer(point) {
  state.pointer = point;
}

export function startGesture(gesture) {
  state.gesture = Object.freeze(gesture);
}

export function moveGesture(box) {
  if (state.gesture) state.gesture = Object.freeze({ ...state.gesture, box });
}

export function endGesture() {
  state.gesture = null;
}

export function setTrying(on) {
  state.trying = on;
}

// ---- A pad's part ----------------------------------------------------------------

// The decoded sound of a source; it replaces the one held, so that only one is.
export function noteDecoded(source, sound) {
  state.decoded = { source, sound };
}

export function draftPart(draft) {
  state.partDraft = draft;
}

// The pad plays its part ({ start, end, level, gainDb }) from now on, made
// into the WAV made.wav: one undo step.
// A pad that shares its WAV with another (the same sound came in twice)
// gets one of its own, so that the other keeps its part.
export function setPadPart(index, part, made) {
  const board = state.board, pad = board && board.pads[index];
  state.partDraft = null;
  if (!pad) return false;
  const { start, end, level, gainDb } = part;
  const source = state.sources.get(pad.sound);
  partFigures.set(made.wav, made.figures);
  if (soundInUse(board, pad.sound, index)) {
    const named = namedSounds([{ title: pad.sound.replace(/\.wav$/i, ""), bytes: made.wav }], true);
    if (!named.names.length) { say(named.refused[0], true); return false; }
    const sound = named.names[0].name;
    const pads = board.pads.map((p, i) => (i === index ? { ...p, sound, start, end, level, gainDb } : p));
    return commitBoard({ ...board, pads }, index, state.files, named.added, withFile(state.sources, sound, source));
  }
  const pads = board.pads.map((p, i) => (i === index ? { ...p, start, end, level, gainDb } : p));
  const inFiles = state.files.has(pad.sound);
  return commitBoard({ ...board, pads }, index, inFiles ? withFile(state.files, pad.sound, made.wav) : state.files,
                     inFiles ? state.added : withFile(state.added, pad.sound, made.wav));
}

export function noteRecording(recording) {
  state.recording = recording;
}

// ---- Saving ---------------------------------------------------------------------

// The folder in place: the hotspot file as read from disk, to see a change
// made elsewhere.
export function noteIniOnDisk(bytes) {
  state.saving = { ...state.saving, loadedIni: bytes };
}

// { onDisk, edition }: the hotspot file on disk when the user was warned,
// and the edition then: an edit, an undo or a redo asks again.
export function noteWarned(onDisk) {
  state.saving = { ...state.saving, goAhead: onDisk === undefined ? null : { onDisk, edition: state.edition } };
}

// A file this page wrote into the folder, which is then no backup of the user's.
export function noteWritten(name, bytes) {
  state.saving = { ...state.saving, written: withFile(state.saving.written, name, bytes) };
}

// Written into the folder: the added files are the folder's own now.
export function keepAdded() {
  state.files = new Map([...state.files, ...state.added]);
  state.added = new Map();
}

// What was saved: leaving the page now loses nothing.
export function noteSaved() {
  state.saved = { text: state.text, files: state.files, added: state.added };
}
