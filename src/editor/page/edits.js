// The edits: lum.ini's bytes, the lines the model reads in them, and each
// edit, which makes new bytes from the lines' own bytes.

const doc = {
  text: new Uint8Array(0),
  lines: [],
  textEnd: 0,
  report: null,
  hotspots: [],
  undo: [],
  redo: [],
  selected: -1,          // index into lines
  codePage: 1252,        // the ANSI code page that names are read and written in
  iniPresent: false,     // the folder has a lum.ini, or an edit made one
};

const encoder = new TextEncoder();

function startDocument(text, iniPresent) {
  Object.assign(doc, { text, iniPresent, undo: [], redo: [], selected: -1 });
}

// The model's reading of the folder with the text as it stands.
function readChecked() {
  doc.report = checkFolder(kFolder, doc.codePage);
  const interiors = slotInteriors();
  doc.hotspots = doc.report.hotspots.map((h) => ({ ...h, interior: interiors[h.slot - 1] }));
  const read = readLines(doc.text);
  doc.lines = read.lines;
  doc.textEnd = read.textEnd;
  if (doc.selected >= doc.lines.length) doc.selected = doc.lines.length - 1;
}

// After every change: the folder gets the text, the model checks it, the view shows it.
function recheck() {
  if (doc.iniPresent) putFile(bridge.facts.hotspotFile, doc.text);
  readChecked();
  showChecked();
}

function selectedLine() {
  return doc.selected >= 0 ? doc.lines[doc.selected] : null;
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
  forgetGoAhead();
  recheck();
}

// Gives line index (or a new line when index is the count) the rectangle and,
// unless name is null, the typed name; says why when the program would not
// read it back so.
function setLine(index, name, rect) {
  const line = doc.lines[index];
  const composed = line && line.name ? editLine(index, name, rect) : composeLine(name, rect);
  if (composed.problem) {
    showLineProblem("\"" + (name === null ? line.name : name) + "\" cannot be saved: " + composed.problem + ".");
    return;
  }
  showLineProblem("");
  const parts = currentParts();
  parts.splice(index, index < parts.length ? 1 : 0, { bytes: composed.bytes, endsWithNewline: true });
  commit(joinLines(parts), index);
}

function deleteSelected() {
  if (!selectedLine()) return;
  const parts = currentParts();
  parts.splice(doc.selected, 1);
  commit(joinLines(parts), Math.min(doc.selected, parts.length - 1));
}

function moveSelected(step) {
  const from = doc.selected, to = from + step;
  if (!selectedLine() || to < 0 || to >= doc.lines.length) return;
  const parts = currentParts();
  const [part] = parts.splice(from, 1);
  parts.splice(to, 0, part);
  commit(joinLines(parts), to);
}

// Moves the selected hotspot, or with grow its right and bottom edges.
function shiftSelected(dx, dy, grow) {
  const line = selectedLine();
  if (!line || !line.name) return;
  const r = line.rect;
  const rect = grow ? [r[0], r[1], r[2] + dx, r[3] + dy] : [r[0] + dx, r[1] + dy, r[2] + dx, r[3] + dy];
  setLine(doc.selected, null, rect);
}

function firstSoundName() {
  return soundChoices()[0] || "sound.wav";
}

// A new line whose hotspot has the box as its interior.
function addHotspot(box) {
  setLine(doc.lines.length, firstSoundName(), rectAround(box));
}

function undoOrRedo(from, to) {
  const step = from.pop();
  if (!step) return;
  to.push({ text: doc.text, selected: doc.selected });
  doc.text = step.text;
  doc.selected = step.selected;
  forgetGoAhead();
  recheck();
}

const undo = () => undoOrRedo(doc.undo, doc.redo);
const redo = () => undoOrRedo(doc.redo, doc.undo);

function setCodePage(page) {
  doc.codePage = page;
  if (doc.report) recheck();
}

function lineOfSlot(slot) {
  return doc.lines.findIndex((line) => line.slot === slot);
}
