"use strict";
// The skin editor's page: drawing, input and files. Every verdict (how the
// file's lines are read, who acts where, which edge pixels count, whether a
// name survives, the findings) comes from the model through the bridge.

const kFolder = "/skin";                 // the open folder, in the module's file system
const kIniName = "lum.ini";
const kSkinName = "lum.bmp";
const kLargestSide = 16384;              // pixels a side
// Pixels in all: each takes about 15 bytes of module memory on the way to a
// skin (the picture's RGBA, the 24-bit file, the file as read back and its
// mask, the who-acts map, the preview's RGBA), which has at most 4 GiB.
// Measured in headless Chromium 156: an 11585 × 11585 picture (just under
// 2^27 pixels) became a skin in 43 s with 1925 MiB of module memory.
const kLargestPixels = 2 ** 27;
const kNoHotspot = -1;
const kShownLines = 1000;                // the list shows no more; the rest are kept as they are
const kHandleReach = 5;                  // screen pixels around an edge that grab it
const kCheckerSquare = 8;
const kOutline = { sound: "rgb(0,80,255)", minimise: "rgb(0,160,0)", exit: "rgb(224,0,0)", none: "#888" };
const kVerdicts = ["", "the line has no name", "split", "the name is longer than the program keeps (239 characters)",
                   "the line would not stay as it was read: the program ends a line at a line break and after 249 characters",
                   "code page"];
const kVerdictSplit = 2;
const kVerdictCodePage = 5;

const encoder = new TextEncoder();
const $ = (id) => document.getElementById(id);

const editor = {
  model: null,
  files: new Map(),      // path in the folder -> bytes, for the checker and for trying sounds
  added: new Map(),      // files made or added here, written on save
  directory: null,       // a FileSystemDirectoryHandle when the folder was opened in place
  loadedIni: null,       // lum.ini's bytes as read from disk, to see a change made elsewhere
  iniPresent: false,     // the folder has a lum.ini, or an edit made one
  goAhead: null,         // { onDisk }: lum.ini as it was when the user chose to replace it anyway
  saved: new Map(),      // name -> bytes this page wrote into the folder, which are no backup of the user's
  text: new Uint8Array(0),
  lines: [],
  textEnd: 0,
  report: null,
  hotspots: [],
  skin: null,            // { width, height, layer }
  whoActs: null,
  undo: [],
  redo: [],
  selected: -1,          // index into lines
  codePage: 1252,        // the ANSI code page that names are read and written in
  zoom: 1,
  gesture: null,
  checks: 0,
  // Figures for the benchmark: from navigation to a working model, from
  // choosing a folder to its check shown, from a key to its edit shown.
  readyMs: 0,
  openMs: 0,
  lastRefreshMs: 0,
};

// ---- The bridge --------------------------------------------------------
// The model's pointers and sizes are unsigned: its memory grows past 2 GiB,
// so every one is read with >>> 0 and never shifted with >>.

function withBytes(bytes, use) {
  const m = editor.model;
  const pointer = m._malloc(Math.max(bytes.length, 1)) >>> 0;
  if (!pointer) throw new Error("no memory for " + bytes.length + " bytes");
  m.HEAPU8.set(bytes, pointer);
  try { return use(pointer); } finally { m._free(pointer); }
}

function withInts(count, use) {
  const m = editor.model;
  const pointer = m._malloc(8 * count) >>> 0;
  try { use(pointer); return Array.from(m.HEAP32.subarray(pointer >>> 2, (pointer >>> 2) + count)); }
  finally { m._free(pointer); }
}

function withDoubles(count, use) {
  const m = editor.model;
  const pointer = m._malloc(8 * count) >>> 0;
  try { use(pointer); return Array.from(m.HEAPF64.subarray(pointer >>> 3, (pointer >>> 3) + count)); }
  finally { m._free(pointer); }
}

function codePages() {
  const m = editor.model;
  const pointer = m._EditorCodePages() >>> 2;
  return Array.from(m.HEAP32.subarray(pointer, pointer + m._EditorCodePageCount()));
}

function readLines(text) {
  const m = editor.model;
  const count = withBytes(text, (p) => m._EditorReadLines(p, text.length));
  const lines = [];
  for (let i = 0; i < count; i++) {
    const f = withInts(9, (p) => m._EditorLineFacts(i, p));
    lines.push({ start: f[0], end: f[1], endsWithNewline: f[2] === 1, slot: f[3], pieces: f[4],
                 rect: f.slice(5, 9), name: m.UTF8ToString(m._EditorLineName(i) >>> 0) });
  }
  editor.textEnd = m._EditorTextEnd();
  return lines;
}

// { bytes } for a line that reads back as meant, or { problem }. The bytes
// come from the model as they are: a name never goes through a string here.
function composedLine(verdict) {
  const m = editor.model;
  if (verdict === 0) {
    const start = m._EditorComposed() >>> 0;
    return { bytes: m.HEAPU8.slice(start, start + (m._EditorComposedSize() >>> 0)) };
  }
  if (verdict === kVerdictCodePage)
    return { problem: "code page " + editor.codePage + " has no character \"" + m.UTF8ToString(m._EditorUnwritable() >>> 0) + "\"" };
  if (verdict !== kVerdictSplit) return { problem: kVerdicts[verdict] };
  const at = m._EditorComposedCutByte();
  const what = at === 32 ? "the space" : at === 44 ? "the comma" : at === 9 ? "the tab"
             : "byte 0x" + at.toString(16).toUpperCase().padStart(2, "0");
  return { problem: "the program would split the name at " + what };
}

// A new line of the typed name and the rectangle.
function composeLine(name, rect) {
  return composedLine(editor.model.ccall("EditorComposeLine", "number", ["string", "number", "number", "number", "number"],
                                         [name, rect[0], rect[1], rect[2], rect[3]]));
}

// Line index with a new rectangle and, unless name is null, a typed name:
// only the fields that change are rewritten.
function editLine(index, name, rect) {
  return composedLine(editor.model.ccall("EditorEditLine", "number", ["number", "string", "number", "number", "number", "number"],
                                         [index, name, rect[0], rect[1], rect[2], rect[3]]));
}

function rectAround(box) {
  return withInts(4, (p) => editor.model._EditorRectAround(box[0], box[1], box[2], box[3], p));
}

function interiorOf(slot) {
  return withDoubles(4, (p) => editor.model._EditorSlotInterior(slot, p));
}

// ---- The folder in the module's file system ----------------------------

function clearFolder(path) {
  const fs = editor.model.FS;
  for (const name of fs.readdir(path)) {
    if (name === "." || name === "..") continue;
    const child = path + "/" + name;
    if (fs.isDir(fs.stat(child).mode)) { clearFolder(child); fs.rmdir(child); } else fs.unlink(child);
  }
}

function putFile(path, bytes) {
  const fs = editor.model.FS;
  const parts = path.split("/");
  let folder = kFolder;
  for (const part of parts.slice(0, -1)) {
    folder += "/" + part;
    if (!fs.analyzePath(folder).exists) fs.mkdir(folder);
  }
  fs.writeFile(kFolder + "/" + path, bytes);
}

function startFolder(files) {
  clearFolder(kFolder);
  editor.files = files;
  editor.added = new Map();
  for (const [path, bytes] of files) putFile(path, bytes);
}

// ---- Checking and drawing ------------------------------------------------

function refresh() {
  const m = editor.model;
  if (editor.iniPresent) m.FS.writeFile(kFolder + "/" + kIniName, editor.text);
  editor.report = JSON.parse(m.UTF8ToString(m.ccall("EditorCheck", "number", ["string", "number"], [kFolder, editor.codePage]) >>> 0));
  editor.hotspots = editor.report.hotspots.map((h) => ({ ...h, interior: interiorOf(h.slot - 1) }));
  editor.lines = readLines(editor.text);
  if (editor.selected >= editor.lines.length) editor.selected = editor.lines.length - 1;
  const width = m._EditorSkinWidth(), height = m._EditorSkinHeight();
  editor.whoActs = width ? { width, height, pointer: m._EditorWhoActs() >>> 0 } : null;
  draw();
  showLines();
  showFindings();
  editor.checks++;
  document.body.dataset.checks = String(editor.checks);
}

function tooLargeForPage(width, height) {
  return width > kLargestSide || height > kLargestSide || width * height > kLargestPixels;
}

// The skin's pixels change only with a new lum.bmp; they are kept in a layer
// that every redraw scales.
function takeSkin() {
  const m = editor.model;
  const width = m._EditorSkinWidth(), height = m._EditorSkinHeight();
  editor.skin = null;
  if (!width) return;
  if (tooLargeForPage(width, height)) {
    editor.skin = { width, height, layer: null };
    return;
  }
  const pixels = m._EditorSkinPixels() >>> 0;
  const layer = document.createElement("canvas");
  layer.width = width;
  layer.height = height;
  const image = new ImageData(new Uint8ClampedArray(m.HEAPU8.buffer, pixels, width * height * 4).slice(),
                              width, height);
  layer.getContext("2d").putImageData(image, 0, 0);
  editor.skin = { width, height, layer };
}

function checkerPattern(context) {
  const tile = document.createElement("canvas");
  tile.width = tile.height = 2 * kCheckerSquare;
  const t = tile.getContext("2d");
  t.fillStyle = "#fff";
  t.fillRect(0, 0, tile.width, tile.height);
  t.fillStyle = "#ccc";
  t.fillRect(0, 0, kCheckerSquare, kCheckerSquare);
  t.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare);
  return context.createPattern(tile, "repeat");
}

function layout() {
  const viewport = $("viewport"), board = $("board"), canvas = $("skin-canvas");
  const width = editor.skin ? editor.skin.width * editor.zoom : 0;
  const height = editor.skin ? editor.skin.height * editor.zoom : 0;
  board.style.width = width + "px";
  board.style.height = height + "px";
  const shownWidth = Math.max(1, Math.min(width, viewport.clientWidth));
  const shownHeight = Math.max(1, Math.min(height, viewport.clientHeight));
  if (canvas.width !== shownWidth || canvas.height !== shownHeight) {
    canvas.width = shownWidth;
    canvas.height = shownHeight;
  }
}

// The canvas shows only the part of the zoomed skin in view, so its size
// does not grow with the skin or the zoom.
function draw() {
  layout();
  const canvas = $("skin-canvas"), viewport = $("viewport");
  const context = canvas.getContext("2d");
  context.clearRect(0, 0, canvas.width, canvas.height);
  if (!editor.skin) return;
  const z = editor.zoom, left = viewport.scrollLeft, top = viewport.scrollTop;
  context.save();
  context.translate(-(left % (2 * kCheckerSquare)), -(top % (2 * kCheckerSquare)));
  context.fillStyle = checkerPattern(context);
  context.fillRect(0, 0, canvas.width + 2 * kCheckerSquare, canvas.height + 2 * kCheckerSquare);
  context.restore();
  if (!editor.skin.layer) { sayTooLargeToShow(context); return; }
  context.imageSmoothingEnabled = false;
  const sx = Math.floor(left / z), sy = Math.floor(top / z);
  const sw = Math.min(editor.skin.width - sx, Math.ceil(canvas.width / z) + 1);
  const sh = Math.min(editor.skin.height - sy, Math.ceil(canvas.height / z) + 1);
  context.drawImage(editor.skin.layer, sx, sy, sw, sh, sx * z - left, sy * z - top, sw * z, sh * z);
  const selectedSlot = editor.selected >= 0 ? editor.lines[editor.selected].slot : kNoHotspot;
  for (const spot of editor.hotspots) {
    const box = editor.gesture && editor.gesture.slot === spot.slot - 1 ? editor.gesture.box : spot.interior;
    outline(context, box, spot, spot.slot - 1 === selectedSlot, left, top);
  }
  if (editor.gesture && editor.gesture.kind === "draw") outline(context, editor.gesture.box, null, true, left, top);
}

function sayTooLargeToShow(context) {
  context.fillStyle = "#222";
  context.font = "13px sans-serif";
  context.fillText("This skin, " + editor.skin.width + " × " + editor.skin.height + " pixels, is too large to show here;", 8, 20);
  context.fillText("its lines and findings are checked as usual.", 8, 38);
}

// Around the interior, on the edge pixels, which a press does not reach.
function outline(context, box, spot, selected, left, top) {
  if (box[0] >= box[2] || box[1] >= box[3]) return;
  const z = editor.zoom;
  const x = box[0] * z - left, y = box[1] * z - top, w = (box[2] - box[0]) * z, h = (box[3] - box[1]) * z;
  context.lineWidth = selected ? 2 : 1;
  context.strokeStyle = spot ? kOutline[spot.action] : "#f0f";
  const inset = selected ? 1 : 0.5;
  context.strokeRect(x - inset, y - inset, w + 2 * inset, h + 2 * inset);
  if (!spot) return;
  context.font = "10px sans-serif";
  const label = String(spot.line);
  const labelWidth = context.measureText(label).width + 4;
  context.fillStyle = context.strokeStyle;
  context.fillRect(x, y, labelWidth, 12);
  context.fillStyle = "#fff";
  context.fillText(label, x + 2, y + 10);
}

function lineLabel(line, index) {
  const shown = line.name ? line.name + " " + line.rect.join(" ") : "(no fields)";
  return String(index + 1).padStart(3) + "  " + shown;
}

function showLines() {
  const list = $("lines");
  const items = [];
  editor.lines.slice(0, kShownLines).forEach((line, index) => {
    const item = document.createElement("li");
    item.dataset.line = String(index + 1);
    if (line.slot === kNoHotspot || !line.name) item.className = "unused";
    if (index === editor.selected) item.classList.add("selected");
    const button = document.createElement("button");
    button.textContent = lineLabel(line, index) + (line.slot === kNoHotspot ? "  (past the 32 slots)" : "");
    button.addEventListener("click", () => select(index));
    item.append(button);
    items.push(item);
  });
  if (editor.lines.length > kShownLines) {
    const more = document.createElement("li");
    more.textContent = "… and " + (editor.lines.length - kShownLines) + " more lines, kept as they are";
    items.push(more);
  }
  list.replaceChildren(...items);
  showLineEditor();
}

function soundChoices() {
  return [...editor.files.keys(), ...editor.added.keys()]
    .filter((path) => /\.wav$/i.test(path)).map((path) => path.replaceAll("/", "\\")).sort();
}

function showLineEditor() {
  const line = editor.selected >= 0 ? editor.lines[editor.selected] : null;
  for (const id of ["delete", "move-up", "move-down", "action", "path", "left", "top", "right", "bottom"])
    $(id).disabled = !line;
  const action = $("action");
  const choices = ["MIN", "EXIT", ...soundChoices()];
  const options = choices.map((name) => new Option(name === "MIN" ? "MIN (minimise)" : name === "EXIT" ? "EXIT (end)" : name, name));
  options.push(new Option("another path…", ""));
  action.replaceChildren(...options);
  if (!line) return;
  action.value = choices.includes(line.name) ? line.name : "";
  $("path").value = line.name;
  ["left", "top", "right", "bottom"].forEach((id, i) => { $(id).value = String(line.rect[i]); });
}

function showFindings() {
  const items = editor.report.findings.map((finding) => {
    const item = document.createElement("li");
    item.dataset.line = String(finding.line);
    item.dataset.kind = finding.kind;
    item.dataset.level = finding.level;
    item.title = finding.message;
    const where = finding.line ? "line " + finding.line : "folder";
    item.textContent = where + " " + finding.level + " " + finding.kind + ": " + finding.message;
    if (finding.line === editor.selected + 1) item.classList.add("selected");
    item.addEventListener("click", () => { if (finding.line) select(finding.line - 1); });
    return item;
  });
  $("findings").replaceChildren(...items);
}

function say(text, problem) {
  const status = $("status");
  status.textContent = text;
  status.classList.toggle("problem", Boolean(problem));
}

function select(index) {
  editor.selected = index;
  $("line-problem").textContent = "";
  draw();
  showLines();
  showFindings();
}

// ---- Edits: each makes new lum.ini bytes from the lines' own bytes --------

function lineBytes(index) {
  const line = editor.lines[index];
  return editor.text.subarray(line.start, line.end);
}

// The lines in a new order, some replaced; a line that ended the text without
// a line break gets one when another line follows it now.
function joinLines(parts) {
  const tail = editor.text.subarray(editor.textEnd);
  const chunks = [];
  parts.forEach((part, i) => {
    chunks.push(part.bytes);
    if (!part.endsWithNewline && i + 1 < parts.length) chunks.push(encoder.encode("\r\n"));
  });
  chunks.push(tail);
  const size = chunks.reduce((sum, c) => sum + c.length, 0);
  const text = new Uint8Array(size);
  let at = 0;
  for (const c of chunks) { text.set(c, at); at += c.length; }
  return text;
}

function currentParts() {
  return editor.lines.map((line, i) => ({ bytes: lineBytes(i), endsWithNewline: line.endsWithNewline }));
}

function commit(text, selected) {
  editor.undo.push({ text: editor.text, selected: editor.selected });
  editor.redo = [];
  editor.text = text;
  editor.selected = selected;
  editor.goAhead = null;
  editor.iniPresent = true;
  refresh();
}

// Gives line index (or a new line when index is the count) the rectangle and,
// unless name is null, the typed name; says why when the program would not
// read it back so.
function setLine(index, name, rect) {
  const line = editor.lines[index];
  const composed = line && line.name ? editLine(index, name, rect) : composeLine(name, rect);
  if (composed.problem) {
    $("line-problem").textContent = "\"" + (name === null ? line.name : name) + "\" cannot be saved: " + composed.problem + ".";
    showLineEditor();
    return false;
  }
  $("line-problem").textContent = "";
  const parts = currentParts();
  parts.splice(index, index < parts.length ? 1 : 0, { bytes: composed.bytes, endsWithNewline: true });
  commit(joinLines(parts), index);
  return true;
}

function selectedLine() {
  return editor.selected >= 0 ? editor.lines[editor.selected] : null;
}

function deleteSelected() {
  if (!selectedLine()) return;
  const parts = currentParts();
  parts.splice(editor.selected, 1);
  commit(joinLines(parts), Math.min(editor.selected, parts.length - 1));
}

function moveSelected(step) {
  const from = editor.selected, to = from + step;
  if (!selectedLine() || to < 0 || to >= editor.lines.length) return;
  const parts = currentParts();
  const [part] = parts.splice(from, 1);
  parts.splice(to, 0, part);
  commit(joinLines(parts), to);
}

function shiftSelected(dx, dy, grow) {
  const line = selectedLine();
  if (!line || !line.name) return;
  const r = line.rect;
  const rect = grow ? [r[0], r[1], r[2] + dx, r[3] + dy] : [r[0] + dx, r[1] + dy, r[2] + dx, r[3] + dy];
  setLine(editor.selected, null, rect);
}

function firstSoundName() {
  return soundChoices()[0] || "sound.wav";
}

function addHotspot(box) {
  setLine(editor.lines.length, firstSoundName(), rectAround(box));
}

function addHotspotInView() {
  if (!editor.skin) return;
  const viewport = $("viewport"), z = editor.zoom;
  const x = Math.floor((viewport.scrollLeft + viewport.clientWidth / 2) / z);
  const y = Math.floor((viewport.scrollTop + viewport.clientHeight / 2) / z);
  const half = 10;
  addHotspot([Math.max(0, x - half), Math.max(0, y - half),
              Math.min(editor.skin.width, x + half), Math.min(editor.skin.height, y + half)]);
}

function undoOrRedo(from, to) {
  const step = from.pop();
  if (!step) return;
  to.push({ text: editor.text, selected: editor.selected });
  editor.text = step.text;
  editor.selected = step.selected;
  editor.goAhead = null;
  refresh();
}

// ---- The pointer on the skin -------------------------------------------

function skinPoint(event) {
  const rect = $("board").getBoundingClientRect();
  return [Math.floor((event.clientX - rect.left) / editor.zoom), Math.floor((event.clientY - rect.top) / editor.zoom)];
}

function slotAt(point) {
  const map = editor.whoActs;
  if (!map || point[0] < 0 || point[1] < 0 || point[0] >= map.width || point[1] >= map.height) return null;
  return editor.model.HEAP8[map.pointer + point[1] * map.width + point[0]];
}

function hotspotOfSlot(slot) {
  return editor.hotspots[slot];
}

// What a press at the point does, as lum.exe decides it.
function pressText(slot) {
  if (slot === kNoHotspot) return "drag";
  const spot = hotspotOfSlot(slot);
  if (spot.action === "minimise") return "minimise";
  if (spot.action === "exit") return "exit";
  return "line " + spot.line + ": " + spot.name;
}

function lineOfSlot(slot) {
  return editor.lines.findIndex((line) => line.slot === slot);
}

// The edges of the selected hotspot's interior that a press at the point grabs.
function edgesNear(event) {
  const line = selectedLine();
  if (!line || line.slot === kNoHotspot || !editor.hotspots[line.slot]) return null;
  const box = editor.hotspots[line.slot].interior;
  const rect = $("board").getBoundingClientRect(), z = editor.zoom;
  const x = event.clientX - rect.left, y = event.clientY - rect.top;
  const near = (value, edge) => Math.abs(value - edge * z) <= kHandleReach;
  const within = (value, low, high) => value >= low * z - kHandleReach && value <= high * z + kHandleReach;
  if (!within(x, box[0], box[2]) || !within(y, box[1], box[3])) return null;
  const edges = { left: near(x, box[0]), top: near(y, box[1]), right: near(x, box[2]), bottom: near(y, box[3]) };
  return edges.left || edges.top || edges.right || edges.bottom ? edges : null;
}

function tryPress(slot) {
  if (slot === kNoHotspot) { say("drag: the window would follow the pointer until the button is let go."); return; }
  const spot = hotspotOfSlot(slot);
  if (spot.action === "minimise") { say("minimise: the window would be minimised."); return; }
  if (spot.action === "exit") { say("exit: the program would end."); return; }
  const path = editor.model.UTF8ToString(editor.model._EditorSoundFile(slot) >>> 0);
  if (!path) { say("line " + spot.line + ": " + spot.name + " is not found in the folder, so nothing would play.", true); return; }
  const bytes = editor.model.FS.readFile(kFolder + "/" + path);
  const audio = new Audio(URL.createObjectURL(new Blob([bytes], { type: "audio/wav" })));
  audio.addEventListener("ended", () => URL.revokeObjectURL(audio.src));
  audio.play().then(() => say("line " + spot.line + ": playing " + spot.name + "."),
                    () => say("line " + spot.line + ": the browser cannot play " + spot.name + ".", true));
}

function onPointerDown(event) {
  if (!editor.skin || event.button !== 0) return;
  const point = skinPoint(event);
  const slot = slotAt(point);
  if ($("try").checked) { if (slot !== null) tryPress(slot); return; }
  $("skin-canvas").setPointerCapture(event.pointerId);  // the gesture goes on outside the canvas
  $("viewport").focus({ preventScroll: true });
  const edges = edgesNear(event);
  const line = selectedLine();
  if (edges) {
    editor.gesture = { kind: "resize", edges, slot: line.slot, from: point, start: editor.hotspots[line.slot].interior };
  } else if (slot !== null && slot !== kNoHotspot) {
    select(lineOfSlot(slot));
    editor.gesture = { kind: "move", slot, from: point, start: editor.hotspots[slot].interior };
  } else if (slot !== null) {
    editor.gesture = { kind: "draw", slot: null, from: point, start: null };
  } else {
    return;
  }
  editor.gesture.box = gestureBox(editor.gesture, point);
  draw();
}

function clamp(value, low, high) {
  return Math.max(low, Math.min(high, value));
}

// The interior the gesture gives with the pointer at point, as x0, y0, x1, y1.
function gestureBox(g, point) {
  const dx = point[0] - g.from[0], dy = point[1] - g.from[1];
  if (g.kind === "draw") {
    const x = clamp(point[0], 0, editor.skin.width - 1), y = clamp(point[1], 0, editor.skin.height - 1);
    return [Math.min(g.from[0], x), Math.min(g.from[1], y), Math.max(g.from[0], x) + 1, Math.max(g.from[1], y) + 1];
  }
  const b = g.start;
  if (g.kind === "move") return [b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy];
  const box = [b[0] + (g.edges.left ? dx : 0), b[1] + (g.edges.top ? dy : 0),
               b[2] + (g.edges.right ? dx : 0), b[3] + (g.edges.bottom ? dy : 0)];
  return [Math.min(box[0], box[2] - 1), Math.min(box[1], box[3] - 1), Math.max(box[2], box[0] + 1), Math.max(box[3], box[1] + 1)];
}

function onPointerMove(event) {
  const point = skinPoint(event);
  const inside = editor.skin && point[0] >= 0 && point[1] >= 0 && point[0] < editor.skin.width && point[1] < editor.skin.height;
  $("position").textContent = inside ? "x " + point[0] + ", y " + point[1] : "–";
  const slot = inside ? slotAt(point) : null;
  $("press").textContent = slot === null ? "" : pressText(slot);
  if (!editor.gesture) return;
  editor.gesture.box = gestureBox(editor.gesture, point);
  draw();
}

function onPointerUp(event) {
  const g = editor.gesture;
  if (!g) return;
  editor.gesture = null;
  g.box = gestureBox(g, skinPoint(event));
  const moved = g.start ? g.box.some((v, i) => v !== g.start[i]) : g.box[2] - g.box[0] > 1 || g.box[3] - g.box[1] > 1;
  if (!moved) { draw(); return; }
  if (g.kind === "draw") { addHotspot(g.box); return; }
  setLine(lineOfSlot(g.slot), null, rectAround(g.box));
}

// ---- Keys --------------------------------------------------------------

const kArrows = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };

function onKey(event) {
  const typing = /^(INPUT|SELECT|TEXTAREA)$/.test(event.target.tagName) && event.target.type !== "checkbox";
  const key = event.key, control = event.ctrlKey || event.metaKey;
  if (control && key.toLowerCase() === "z") {
    if (typing) return;
    undoOrRedo(event.shiftKey ? editor.redo : editor.undo, event.shiftKey ? editor.undo : editor.redo);
  } else if (control && key.toLowerCase() === "y" && !typing) {
    undoOrRedo(editor.redo, editor.undo);
  } else if (control && key.toLowerCase() === "s") {
    save();
  } else if (typing) {
    return;
  } else if (event.altKey && (key === "ArrowUp" || key === "ArrowDown")) {
    moveSelected(key === "ArrowUp" ? -1 : 1);
  } else if (kArrows[key]) {
    const step = event.shiftKey ? 10 : 1;
    shiftSelected(kArrows[key][0] * step, kArrows[key][1] * step, control);
  } else if (key === "Delete" || key === "Backspace") {
    deleteSelected();
  } else if (key === "n" || key === "N" || key === "Insert") {
    addHotspotInView();
  } else if (key === "t" || key === "T") {
    $("try").checked = !$("try").checked;
  } else if (key === "+" || key === "=" || key === "-") {
    setZoom(editor.zoom + (key === "-" ? -1 : 1));
  } else if (key === "Escape" && editor.gesture) {
    editor.gesture = null;
    draw();
  } else {
    return;
  }
  event.preventDefault();
}

function setZoom(zoom) {
  editor.zoom = clamp(zoom, 1, 8);
  $("zoom").value = String(editor.zoom);
  draw();
}

// ---- Opening -----------------------------------------------------------

// A folder's files by their path inside it: the first part of each path is
// the folder's own name.
async function readPickedFolder(fileList) {
  const files = new Map();
  for (const file of fileList) {
    const path = (file.webkitRelativePath || file.name).split("/").slice(1).join("/") || file.name;
    files.set(path, new Uint8Array(await file.arrayBuffer()));
  }
  return files;
}

async function readDirectory(handle, prefix, files) {
  for await (const entry of handle.values()) {
    if (entry.kind === "file") files.set(prefix + entry.name, new Uint8Array(await (await entry.getFile()).arrayBuffer()));
    else await readDirectory(entry, prefix + entry.name + "/", files);
  }
  return files;
}

// A lum.ini that is a folder could be neither checked nor saved.
function iniIsFolder(files) {
  return [...files.keys()].some((path) => path.startsWith(kIniName + "/"));
}

function openFiles(files, directory, name) {
  if (iniIsFolder(files)) {
    say(name + ": its lum.ini is a folder, not a file; rename that folder and open the skin folder again.", true);
    return;
  }
  startFolder(files);
  editor.directory = directory;
  editor.loadedIni = files.has(kIniName) ? files.get(kIniName) : null;
  editor.text = editor.loadedIni || new Uint8Array(0);
  editor.undo = [];
  editor.redo = [];
  editor.selected = -1;
  editor.goAhead = null;
  editor.saved = new Map();
  editor.iniPresent = files.has(kIniName);
  refresh();
  takeSkin();
  draw();
  const failed = editor.report.findings.filter((f) => f.kind === "load-fails");
  if (failed.length) say(name + ": " + failed.map((f) => f.message).join(" "), true);
  else say(name + ": " + editor.lines.length + " lines in lum.ini, skin " + editor.skin.width + " × " + editor.skin.height +
           (directory ? "; saving writes into the folder." : "; saving downloads the files."));
}

async function onFolderInput(event) {
  const list = $("folder-input").files;
  if (!list.length) return;
  const name = list[0].webkitRelativePath.split("/")[0] || "folder";
  openFiles(await readPickedFolder(list), null, name);
  editor.openMs = performance.now() - event.timeStamp;
}

async function onOpenFolder() {
  let handle;
  try { handle = await window.showDirectoryPicker({ mode: "readwrite" }); } catch (e) { return; }
  openFiles(await readDirectory(handle, "", new Map()), handle, handle.name);
}

async function decodePicture(file) {
  let bitmap;
  try {
    bitmap = await createImageBitmap(file, { premultiplyAlpha: "none", colorSpaceConversion: "none" });
  } catch (e) {
    throw new Error("\"" + file.name + "\" is not a picture this browser can read.");
  }
  if (tooLargeForPage(bitmap.width, bitmap.height))
    throw new Error("\"" + file.name + "\" is " + bitmap.width + " × " + bitmap.height + " pixels; a skin can have at most " +
                    kLargestSide + " a side and " + kLargestPixels + " pixels in all here.");
  const canvas = document.createElement("canvas");
  canvas.width = bitmap.width;
  canvas.height = bitmap.height;
  const context = canvas.getContext("2d");
  context.drawImage(bitmap, 0, 0);
  return context.getImageData(0, 0, bitmap.width, bitmap.height);
}

async function onPictureInput() {
  const file = $("picture-input").files[0];
  if (!file) return;
  let picture;
  try { picture = await decodePicture(file); } catch (e) { say(e.message, true); return; }
  const m = editor.model;
  let size = 0;
  try {
    size = withBytes(new Uint8Array(picture.data.buffer), (p) => m._EditorPictureSkin(p, picture.width, picture.height)) >>> 0;
  } catch (e) {
    // The module had no room for the picture's pixels: size stays 0.
  }
  if (!size) { say("\"" + file.name + "\" cannot be made into a skin: it is too large for this page's memory.", true); return; }
  const skin = m.HEAPU8.slice(m._EditorPictureSkinBytes() >>> 0, (m._EditorPictureSkinBytes() >>> 0) + size);
  const moved = m._EditorKeyColouredOpaque();
  if (!editor.report) openFiles(new Map([[kIniName, new Uint8Array(0)]]), null, "new skin");
  putFile(kSkinName, skin);
  editor.added.set(kSkinName, skin);
  refresh();
  takeSkin();
  draw();
  say("New skin from \"" + file.name + "\": " + picture.width + " × " + picture.height + " pixels; " +
      (moved ? moved + " opaque magenta pixels became (254, 0, 254) so that they stay visible." : "no opaque pixel was magenta."));
}

// The folder's file that a new file of this name would replace: Windows
// matches names without regard to case.
function fileNamed(name) {
  const wanted = name.toLowerCase();
  for (const files of [editor.added, editor.files])
    for (const [path, bytes] of files) if (path.toLowerCase() === wanted) return bytes;
  return null;
}

// Why a file may not be added as a sound, or "" when it may: only a .wav
// file, and none that would replace another file of the folder.
function soundRefusal(name, bytes) {
  if (!/^[^/\\]+\.wav$/i.test(name)) return "not a .wav file";
  const there = fileNamed(name);
  return there && !sameBytes(there, bytes) ? "the folder has another file of that name" : "";
}

async function onSoundInput() {
  const added = [], refused = [];
  for (const file of $("sound-input").files) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const refusal = soundRefusal(file.name, bytes);
    if (refusal) { refused.push(file.name + " (" + refusal + ")"); continue; }
    putFile(file.name, bytes);
    editor.added.set(file.name, bytes);
    added.push(file.name);
  }
  refresh();
  say("Added " + added.length + " sound files; saving writes them beside lum.ini." +
      (refused.length ? " Not added: " + refused.join(", ") + "." : ""), refused.length > 0);
}

// ---- Saving ------------------------------------------------------------

function download(name, bytes) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function sameBytes(a, b) {
  return a.length === b.length && a.every((value, i) => value === b[i]);
}

async function fileInFolder(name) {
  try { return new Uint8Array(await (await (await editor.directory.getFileHandle(name)).getFile()).arrayBuffer()); }
  catch (e) {
    if (e.name === "NotFoundError") return null;
    if (e.name === "TypeMismatchError") throw new Error(name + " in the folder is a folder, not a file");
    throw e;
  }
}

async function writeInFolder(name, bytes) {
  const handle = await editor.directory.getFileHandle(name, { create: true });
  const writable = await handle.createWritable();
  await writable.write(bytes);
  await writable.close();
}

function sameOrBothAbsent(a, b) {
  return a === null || b === null ? a === b : sameBytes(a, b);
}

// What the user had is kept as name.bak: a file this page wrote itself in
// this session is no backup, so a second save leaves the first backup alone.
async function replaceInFolder(name, bytes) {
  const before = await fileInFolder(name);
  if (before && sameBytes(before, bytes)) return;
  const ours = before && editor.saved.has(name) && sameBytes(before, editor.saved.get(name));
  if (before && !ours) await writeInFolder(name + ".bak", before);
  await writeInFolder(name, bytes);
  editor.saved.set(name, bytes);
}

// A folder without lum.ini gets one only when there is a line to put in it.
function iniToWrite() {
  return editor.text.length > 0 || editor.loadedIni !== null;
}

// Read right before the write: a change made elsewhere since lum.ini was read
// here is replaced only after a warning, and the go-ahead holds for that one
// save of that one file on disk.
async function mayReplaceIni() {
  const onDisk = await fileInFolder(kIniName);
  if (sameOrBothAbsent(onDisk, editor.loadedIni)) return true;
  if (editor.goAhead && sameOrBothAbsent(onDisk, editor.goAhead.onDisk)) return true;
  editor.goAhead = { onDisk };
  say("lum.ini was changed on disk after it was loaded here. Save again to replace it anyway; " +
      "the file on disk is then kept as lum.ini.bak.", true);
  return false;
}

async function saveInFolder() {
  for (const [name, bytes] of editor.added) {
    await replaceInFolder(name, bytes);
    editor.files.set(name, bytes);
  }
  editor.added = new Map();
  if (!iniToWrite()) { say("No lum.ini was written: it would have no line."); return; }
  if (!(await mayReplaceIni())) return;
  editor.goAhead = null;
  await replaceInFolder(kIniName, editor.text);
  editor.loadedIni = editor.text;
  say("Saved lum.ini in the folder.");
}

async function save() {
  if (!editor.report) return;
  if (editor.directory) {
    try { await saveInFolder(); } catch (e) { say("Saving failed: " + e.message, true); }
    return;
  }
  const names = [...editor.added.keys(), ...(iniToWrite() ? [kIniName] : [])];
  for (const [name, bytes] of editor.added) download(name, bytes);
  if (iniToWrite()) download(kIniName, editor.text);
  say((names.join(", ") || "Nothing") + " went to the browser's downloads; copy them into the skin folder.");
}

// ---- The line editor's controls -----------------------------------------

function onActionChange() {
  const line = selectedLine();
  const name = $("action").value;
  if (!line) return;
  if (!name) { $("path").focus(); return; }
  if (name !== line.name) setLine(editor.selected, name, line.rect);
}

function onPathChange() {
  const line = selectedLine();
  if (line && $("path").value !== line.name) setLine(editor.selected, $("path").value, line.rect);
}

function onCoordinateChange() {
  const line = selectedLine();
  if (!line) return;
  const rect = ["left", "top", "right", "bottom"].map((id) => Number.parseInt($(id).value, 10));
  if (rect.some((v) => !Number.isSafeInteger(v) || v < -2147483648 || v > 2147483647)) {
    $("line-problem").textContent = "Coordinates are whole numbers from -2147483648 to 2147483647.";
    return;
  }
  setLine(editor.selected, line.name ? null : firstSoundName(), rect);
}

function showCodePages() {
  $("code-page").replaceChildren(...codePages().map((page) => new Option(String(page), String(page))));
  $("code-page").value = String(editor.codePage);
}

// Names are read and written in the chosen page from now on; the file's
// bytes stay as they are.
function onCodePageChange() {
  editor.codePage = Number($("code-page").value);
  if (editor.report) refresh();
}

// ---- Start ---------------------------------------------------------------

function wire() {
  $("folder-input").addEventListener("change", onFolderInput);
  $("picture-input").addEventListener("change", onPictureInput);
  $("sound-input").addEventListener("change", onSoundInput);
  $("open-folder").hidden = typeof window.showDirectoryPicker !== "function";
  $("open-folder").addEventListener("click", onOpenFolder);
  $("zoom").addEventListener("change", () => setZoom(Number($("zoom").value)));
  showCodePages();
  $("code-page").addEventListener("change", onCodePageChange);
  $("undo").addEventListener("click", () => undoOrRedo(editor.undo, editor.redo));
  $("redo").addEventListener("click", () => undoOrRedo(editor.redo, editor.undo));
  $("save").addEventListener("click", save);
  $("new-hotspot").addEventListener("click", addHotspotInView);
  $("delete").addEventListener("click", deleteSelected);
  $("move-up").addEventListener("click", () => moveSelected(-1));
  $("move-down").addEventListener("click", () => moveSelected(1));
  $("action").addEventListener("change", onActionChange);
  $("path").addEventListener("change", onPathChange);
  for (const id of ["left", "top", "right", "bottom"]) $(id).addEventListener("change", onCoordinateChange);
  const canvas = $("skin-canvas");
  canvas.addEventListener("pointerdown", onPointerDown);
  canvas.addEventListener("pointermove", onPointerMove);
  canvas.addEventListener("pointerup", onPointerUp);
  canvas.addEventListener("pointercancel", () => { editor.gesture = null; draw(); });
  $("viewport").addEventListener("scroll", draw);
  window.addEventListener("resize", draw);
  document.addEventListener("keydown", (event) => {
    const started = event.timeStamp;
    onKey(event);
    editor.lastRefreshMs = performance.now() - started;
  });
  showLineEditor();
}

LumModel({ onAbort: (what) => say("The skin model stopped (" + what + "); reload the page.", true) }).then((model) => {
  editor.model = model;
  model.FS.mkdir(kFolder);
  wire();
  say("Open a skin folder, or make a new skin from a picture.");
  editor.readyMs = performance.now();
  document.body.dataset.ready = "1";
});

window.lumEditor = editor;
