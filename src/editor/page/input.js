// The input: the pointer on the skin, the keys, the toolbar and the line
// editor's controls, and what is dropped onto the page. Each handler turns
// its input into changes of the document and renders once after them; a
// gesture in progress only redraws the canvas.

import { boardRefusal, boardZip, drawBoard, kBoardName, zipName } from "./board.js";
import {
  addHotspot, addSkin, addSounds, boardFiles, deleteSelected, folderName, hasFolder, lineOfSlot, moveSelected, now,
  openFolder, redo, refuseEdit, removeSound, say, select, selectedLine, setCodePage, setLine, setLineAround,
  setProgress, shiftSelected, startText, typeRect, undo, unsaved,
} from "./document.js";
import { decodePicture, pickFolder, readDroppedFolder, readPickedFolder, tooLargeForPage } from "./folder.js";
import { facts, pictureSkin, readFolderFile, skinSize, slotAt, soundFileOf } from "./model.js";
import { download, save, savesInPlace, startSaving } from "./saving.js";
import { isAudioFile, readSounds, silentWave } from "./sounds.js";
import { $, drawCanvas, kCoordinates, render, setZoom, showGesture, showPointer, skinShown, zoom } from "./view.js";

const kHandleReach = 5;                  // screen pixels around an edge that grab it

const input = {
  gesture: null,         // { kind: draw, move or resize, slot, from, start, edges, box } while the button is down
};

// Changes the document, then shows it.
const changing = (change) => (...values) => { change(...values); render(); };

// ---- Opening: each way in ends in a check of the folder -------------------

// A hotspot file that is a folder could be neither checked nor saved.
function iniIsFolder(files) {
  return [...files.keys()].some((path) => path.startsWith(facts().hotspotFile + "/"));
}

function openFiles(files, directory, name) {
  const ini = facts().hotspotFile;
  if (iniIsFolder(files)) {
    say(name + ": its " + ini + " is a folder, not a file; rename that folder and open the skin folder again.", true);
    return;
  }
  openFolder(files, name);
  startSaving(files.get(ini) || null, directory);
  const failed = now().report.findings.filter((f) => f.kind === "load-fails");
  if (failed.length) { say(name + ": " + failed.map((f) => f.message).join(" "), true); return; }
  const { width, height } = skinSize();
  say(name + ": " + now().lines.length + " lines in " + ini + ", skin " + width + " × " + height +
      (tooLargeForPage(width, height) ? ", too large to show here" : "") +
      (savesInPlace() ? "; saving writes into the folder." : "; saving downloads the files."));
}

async function openPickedFolder(fileList) {
  if (!fileList.length) return;
  openFiles(await readPickedFolder(fileList), null, fileList[0].webkitRelativePath.split("/")[0] || "folder");
}

async function openFolderInPlace() {
  const picked = await pickFolder();
  if (picked) openFiles(picked.files, picked.handle, picked.handle.name);
}

async function openDroppedFolder(entry) {
  openFiles(await readDroppedFolder(entry), null, entry.name);
}

// A picture becomes a new skin file; without an open folder, a new skin.
async function importPicture(file) {
  let picture;
  try { picture = await decodePicture(file); } catch (e) { say(e.message, true); return; }
  const skin = pictureSkin(picture);
  if (!skin) { say("\"" + file.name + "\" cannot be made into a skin: it is too large for this page's memory.", true); return; }
  if (!hasFolder()) openFiles(new Map([[facts().hotspotFile, new Uint8Array(0)]]), null, "new skin");
  addSkin(skin.bytes);
  const to = skin.movedTo;
  say("New skin from \"" + file.name + "\": " + picture.width + " × " + picture.height + " pixels; " +
      (skin.keyColouredOpaque ? skin.keyColouredOpaque + " opaque magenta pixels became (" + to.red + ", " + to.green +
       ", " + to.blue + ") so that they stay visible." : "no opaque pixel was magenta."));
}

// Every file read as a sound, the bar moving after each.
async function readShowingProgress(files) {
  changing(setProgress)(0, files.length);
  try { return await readSounds(files, changing(setProgress)); } finally { setProgress(null); }
}

const renamedText = (renamed) => renamed.map(([from, name]) => "\"" + from + "\" as " + name).join(", ");

// The status then says what became of each file.
async function addSoundFiles(files) {
  const read = await readShowingProgress(files);
  const { added, renamed, refused } = addSounds(read.sounds, false);
  const problems = [...read.failures, ...refused];
  const converted = read.sounds.filter((sound) => !sound.kept).length;
  say("Added " + added.length + " sound files" + (converted ? ", " + converted + " of them made into WAV" : "") +
      "; saving writes them beside " + facts().hotspotFile + "." +
      (renamed.length ? " Named so that lum reads them whole: " + renamedText(renamed) + "." : "") +
      (problems.length ? " Not added: " + problems.join(" ") : ""), problems.length > 0);
}

// The sounds become a new skin folder: a face drawn for them, a pad each, a
// stop pad playing a short silence, MIN and EXIT. Too many are refused
// before any is read, and the work open is left only when the user says so.
async function newBoard(files) {
  const refusal = boardRefusal(files.length);
  if (refusal) { say(refusal, true); return; }
  if (unsaved() && !window.confirm("Start a new board? The edits not saved yet will be lost.")) return;
  const read = await readShowingProgress(files);
  const failed = read.failures.length ? " Not added: " + read.failures.join(" ") : "";
  if (!read.sounds.length) { say("No board was made." + failed, true); return; }
  openFiles(new Map([[facts().hotspotFile, new Uint8Array(0)]]), null, kBoardName);
  const sounds = addSounds(read.sounds, true);
  const stop = addSounds([{ title: "stop", bytes: silentWave() }], true);
  const refused = [...sounds.refused, ...stop.refused].map((sentence) => " " + sentence).join("");
  if (!sounds.added.length || !stop.added.length) { say("No board was made." + failed + refused, true); return; }
  const board = drawBoard(kBoardName, sounds.added, stop.added[0].name, now().codePage);
  if (board.problem) { say("No board was made: " + board.problem, true); return; }
  const skin = pictureSkin(board.picture);
  if (!skin) { say("No board was made: the face does not fit in this page's memory.", true); return; }
  addSkin(skin.bytes);
  startText(board.text);
  const renamed = renamedText(sounds.renamed);
  const count = sounds.added.length;
  say("New board of " + count + (count === 1 ? " sound" : " sounds") + " and a stop pad." +
      (renamed ? " Named in ASCII: " + renamed + "." : "") + failed + refused, Boolean(failed || refused));
}

async function saveNow() {
  if (!hasFolder()) return;
  const { text, problem } = await save();
  say(text, problem);
}

// The folder as it stands, with lum.exe and a README, as one zip that runs.
function downloadBoard() {
  if (!hasFolder()) return;
  const zip = boardZip(boardFiles());
  if (zip.problem) { say(zip.problem, true); return; }
  const name = zipName(folderName());
  download(name, zip.parts);
  say(name + " went to the browser's downloads: unzipped anywhere, a double-click on its lum.exe plays the board.");
}

// The same for what ends after a wait: the document changes, then it is shown.
const arriving = (change) => async (...values) => { await change(...values); render(); };

// ---- The pointer on the skin ----------------------------------------------

function skinPoint(event) {
  const rect = $("board").getBoundingClientRect();
  return [Math.floor((event.clientX - rect.left) / zoom()), Math.floor((event.clientY - rect.top) / zoom())];
}

// The edges of the interior that a press at (x, y), in screen pixels on the
// board, grabs: the outline on the edge pixels and a little either side.
function edgesNear(box, x, y) {
  const z = zoom(), reach = Math.max(kHandleReach, z);
  const near = (value, edge) => Math.abs(value - edge * z) <= reach;
  const within = (value, low, high) => value >= low * z - reach && value <= high * z + reach;
  if (box[0] >= box[2] || box[1] >= box[3] || !within(x, box[0], box[2]) || !within(y, box[1], box[3])) return null;
  const edges = { left: near(x, box[0]), top: near(y, box[1]), right: near(x, box[2]), bottom: near(y, box[3]) };
  return edges.left || edges.top || edges.right || edges.bottom ? edges : null;
}

// The hotspot whose outline a press grabs, { slot, edges }, or null. The
// hotspots come in the model's slot order, so where outlines meet the slot
// that would win a press inside both is taken.
function outlineGrabbed(event) {
  const rect = $("board").getBoundingClientRect();
  const x = event.clientX - rect.left, y = event.clientY - rect.top;
  for (const spot of now().hotspots) {
    const edges = edgesNear(spot.interior, x, y);
    if (edges) return { slot: spot.slot - 1, edges };
  }
  return null;
}

const kTried = {
  minimise: "minimise: the window would be minimised.",
  exit: "exit: the program would end.",
};

function tryPress(slot) {
  if (slot === facts().noHotspot) { say("drag: the window would follow the pointer until the button is let go."); return; }
  const spot = now().hotspots[slot];
  if (kTried[spot.action]) { say(kTried[spot.action]); return; }
  const path = soundFileOf(slot);
  if (!path) { say("line " + spot.line + ": " + spot.name + " is not found in the folder, so nothing would play.", true); return; }
  const audio = new Audio(URL.createObjectURL(new Blob([readFolderFile(path)], { type: "audio/wav" })));
  audio.addEventListener("ended", () => URL.revokeObjectURL(audio.src));
  audio.play().then(changing(() => say("line " + spot.line + ": playing " + spot.name + ".")),
                    changing(() => say("line " + spot.line + ": the browser cannot play " + spot.name + ".", true)));
}

// The gesture a press starts: on an outline (which can be grabbed from just
// off the skin), on a hotspot, or on free skin. A press on a hotspot selects it.
function startGesture(event, point, slot) {
  const grabbed = outlineGrabbed(event);
  if (grabbed) {
    changing(select)(lineOfSlot(grabbed.slot));
    return { ...grabbed, kind: "resize", from: point, start: now().hotspots[grabbed.slot].interior };
  }
  if (slot === null) return null;
  if (slot !== facts().noHotspot) {
    changing(select)(lineOfSlot(slot));
    return { kind: "move", slot, from: point, start: now().hotspots[slot].interior };
  }
  return { kind: "draw", slot: null, from: point, start: null };
}

function onPointerDown(event) {
  if (!skinShown() || event.button !== 0) return;
  const point = skinPoint(event);
  const slot = slotAt(point);
  if ($("try").checked) { if (slot !== null) changing(tryPress)(slot); return; }
  const gesture = startGesture(event, point, slot);
  if (!gesture) return;
  $("skin-canvas").setPointerCapture(event.pointerId);  // the gesture goes on outside the canvas
  $("viewport").focus({ preventScroll: true });
  gesture.box = gestureBox(gesture, point);
  input.gesture = gesture;
  showGesture(gesture);
}

function clamp(value, low, high) {
  return Math.max(low, Math.min(high, value));
}

// The interior the gesture gives with the pointer at point, as x0, y0, x1, y1.
function gestureBox(g, point) {
  const dx = point[0] - g.from[0], dy = point[1] - g.from[1];
  if (g.kind === "draw") {
    const skin = skinShown();
    const x = clamp(point[0], 0, skin.width - 1), y = clamp(point[1], 0, skin.height - 1);
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
  showPointer(point, skinShown() ? slotAt(point) : null);
  if (!input.gesture) return;
  input.gesture.box = gestureBox(input.gesture, point);
  showGesture(input.gesture);
}

function onPointerUp(event) {
  const g = input.gesture;
  if (!g) return;
  input.gesture = null;
  showGesture(null);
  g.box = gestureBox(g, skinPoint(event));
  const moved = g.start ? g.box.some((v, i) => v !== g.start[i]) : g.box[2] - g.box[0] > 1 || g.box[3] - g.box[1] > 1;
  if (!moved) return;
  if (g.kind === "draw") changing(addHotspot)(g.box);
  else changing(setLineAround)(lineOfSlot(g.slot), g.box);
}

// A new hotspot in the middle of the part of the skin in view, which can be
// smaller than the view.
function addHotspotInView() {
  const skin = skinShown();
  if (!skin) return;
  const viewport = $("viewport"), z = zoom(), half = 10;
  const x = Math.floor((viewport.scrollLeft + Math.min(viewport.clientWidth, skin.width * z) / 2) / z);
  const y = Math.floor((viewport.scrollTop + Math.min(viewport.clientHeight, skin.height * z) / 2) / z);
  addHotspot([Math.max(0, x - half), Math.max(0, y - half), Math.min(skin.width, x + half), Math.min(skin.height, y + half)]);
}

function cancelGesture() {
  if (!input.gesture) return false;
  input.gesture = null;
  showGesture(null);
  return true;
}

// ---- Keys: the first entry that matches acts ------------------------------

const kArrows = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
const shift = (e, dx, dy) => shiftSelected(dx * (e.shiftKey ? 10 : 1), dy * (e.shiftKey ? 10 : 1), e.ctrlKey || e.metaKey);
// control: Ctrl (or Cmd) held or not, shift and alt alike, any when not
// given; typing: also while a text field has the focus.
const kKeys = [
  { keys: ["z"], control: true, shift: false, does: changing(undo) },
  { keys: ["z"], control: true, shift: true, does: changing(redo) },
  { keys: ["y"], control: true, does: changing(redo) },
  { keys: ["s"], control: true, typing: true, does: arriving(saveNow) },
  { keys: ["ArrowUp"], alt: true, does: changing(() => moveSelected(-1)) },
  { keys: ["ArrowDown"], alt: true, does: changing(() => moveSelected(1)) },
  ...Object.entries(kArrows).map(([key, [dx, dy]]) => ({ keys: [key], does: changing((e) => shift(e, dx, dy)) })),
  { keys: ["Delete", "Backspace"], does: changing(deleteSelected) },
  { keys: ["n", "Insert"], does: changing(addHotspotInView) },
  { keys: ["t"], does: () => { $("try").checked = !$("try").checked; } },
  { keys: ["+", "="], does: () => setZoom(zoom() + 1) },
  { keys: ["-"], does: () => setZoom(zoom() - 1) },
  { keys: ["Escape"], does: cancelGesture },
];

function keyMatches(entry, event, key, typing) {
  const control = event.ctrlKey || event.metaKey;
  const held = (wanted, down) => wanted === undefined || wanted === down;
  return entry.keys.includes(key) && (!typing || entry.typing) && held(entry.control, control) &&
         held(entry.shift, event.shiftKey) && held(entry.alt, event.altKey);
}

function onKey(event) {
  const typing = /^(INPUT|SELECT|TEXTAREA)$/.test(event.target.tagName) && event.target.type !== "checkbox";
  const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
  const entry = kKeys.find((k) => keyMatches(k, event, key, typing));
  if (entry && entry.does(event) !== false) event.preventDefault();
}

// ---- The line editor's controls and the lists -----------------------------

// "another path…" leaves the line as it is until a path is typed.
function onActionChange() {
  const line = selectedLine();
  const name = $("action").value;
  if (!line) return;
  if (!name) { $("path").focus(); return; }
  if (name !== line.name) setLine(now().selected, name, line.rect);
}

function onPathChange() {
  const line = selectedLine();
  if (line && $("path").value !== line.name) setLine(now().selected, $("path").value, line.rect);
}

// The numbers go to the model as typed, which refuses those it cannot
// write; a field that holds no number at all is refused here.
function onCoordinateChange() {
  const empty = kCoordinates.find((id) => $(id).value.trim() === "" || !Number.isFinite(Number($(id).value)));
  if (empty) refuseEdit("The " + empty + " coordinate must be a number.");
  else typeRect(kCoordinates.map((id) => Number($(id).value)));
}

function onSoundsClick(event) {
  const remove = event.target.closest(".remove-sound");
  if (!remove) return;
  removeSound(remove.value);
  say("Removed " + remove.value + " from the folder.");
}

// A line or a finding clicked selects its line; a finding's code-page button switches to that code page.
function onListClick(event) {
  const page = event.target.closest(".code-page-switch");
  if (page) { setCodePage(Number(page.value)); return; }
  const item = event.target.closest("li[data-line]");
  if (item && Number(item.dataset.line) > 0) select(Number(item.dataset.line) - 1);
}

// ---- Dropped files: each does what its button does -----------------------

// A folder opens; on a page with no folder, audio files make a board, and
// on one with a folder they are added as sounds; one other file is a picture.
// The entries are taken before the first wait, while the drop still holds them.
async function onDrop(event) {
  event.preventDefault();
  const items = [...event.dataTransfer.items];
  const entries = items.map((item) => (item.webkitGetAsEntry ? item.webkitGetAsEntry() : null));
  const files = [...event.dataTransfer.files];
  const folderEntry = entries.find((entry) => entry && entry.isDirectory);
  if (folderEntry) await openDroppedFolder(folderEntry);
  else if (!hasFolder() && files.length && files.every(isAudioFile)) await newBoard(files);
  else if (files.length === 1 && !isAudioFile(files[0])) await importPicture(files[0]);
  else if (files.length) await addSoundFiles(files);
}

// ---- Wiring ----------------------------------------------------------------

export function wireInput() {
  const on = (id, type, handler) => $(id).addEventListener(type, handler);
  on("folder-input", "change", arriving(() => openPickedFolder($("folder-input").files)));
  const picture = async () => { if ($("picture-input").files[0]) await importPicture($("picture-input").files[0]); };
  on("picture-input", "change", arriving(picture));
  on("sound-input", "change", arriving(() => addSoundFiles([...$("sound-input").files])));
  on("board-input", "change", arriving(() => newBoard([...$("board-input").files])));
  $("open-folder").hidden = typeof window.showDirectoryPicker !== "function";
  on("open-folder", "click", arriving(openFolderInPlace));
  on("zoom", "change", () => setZoom(Number($("zoom").value)));
  on("code-page", "change", changing(() => setCodePage(Number($("code-page").value))));
  on("undo", "click", changing(undo));
  on("redo", "click", changing(redo));
  on("save", "click", arriving(saveNow));
  on("download-board", "click", changing(downloadBoard));
  on("new-hotspot", "click", changing(addHotspotInView));
  on("delete", "click", changing(deleteSelected));
  on("move-up", "click", changing(() => moveSelected(-1)));
  on("move-down", "click", changing(() => moveSelected(1)));
  on("action", "change", changing(onActionChange));
  on("path", "change", changing(onPathChange));
  for (const id of kCoordinates) on(id, "change", changing(onCoordinateChange));
  on("lines", "click", changing(onListClick));
  on("findings", "click", changing(onListClick));
  on("sounds", "click", changing(onSoundsClick));
  on("skin-canvas", "pointerdown", onPointerDown);
  on("skin-canvas", "pointermove", onPointerMove);
  on("skin-canvas", "pointerup", onPointerUp);
  on("skin-canvas", "pointercancel", cancelGesture);
  on("viewport", "scroll", drawCanvas);
  window.addEventListener("resize", drawCanvas);
  document.addEventListener("keydown", onKey);
  document.addEventListener("dragover", (event) => event.preventDefault());
  document.addEventListener("drop", arriving(onDrop));
  // The browser asks in its own words, and only once the page has had a press or a key.
  window.addEventListener("beforeunload", (event) => { if (unsaved()) event.preventDefault(); });
}
