// The toolbar, the panels and the lists, and what is dropped onto the page:
// each control's input becomes an operation of the store or a workflow,
// and the page is shown again after it.

import { $ } from "../render/dom.js";
import { kCoordinates } from "../render/panel.js";
import { isAudioFile } from "../audio/sounds.js";
import { facts, readFolderFile } from "../model.js";
import { editAsSkin, refuseEdit, say, select, setCodePage, setLine, setScroll, setZoom, snapshot, typeRect } from "../store.js";
import {
  importPicture, isZipFile, openDroppedFolder, openFolderInPlace, openPickedFolder, openZip,
} from "../workflows/open.js";
import { downloadBoard, save } from "../workflows/save.js";
import { changePart } from "../workflows/part.js";
import { toggleRecording } from "../workflows/record.js";
import { addSoundFiles, newBoard, replaceSound } from "../workflows/sounds.js";
import { playWave } from "../workflows/try.js";
import {
  addHotspotInView, colourPad, labelPad, moveEarlierOrLater, nameBoard, redoStep, removeSelected, removeSoundNamed,
  toggleTrying, undoStep,
} from "./edits.js";

// "another path…" leaves the line as it is until a path is typed.
function onActionChange() {
  const s = snapshot(), line = s.lines[s.selected];
  const name = $("action").value;
  if (!line) return;
  if (!name) { $("path").focus(); return; }
  if (name !== line.name) setLine(s.selected, name, line.rect);
}

function onPathChange() {
  const s = snapshot(), line = s.lines[s.selected];
  if (line && $("path").value !== line.name) setLine(s.selected, $("path").value, line.rect);
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
  if (remove) removeSoundNamed(remove.value);
}

// A line or a finding clicked selects its line; a finding's code-page button switches to that code page.
function onListClick(event) {
  const page = event.target.closest(".code-page-switch");
  if (page) { setCodePage(Number(page.value)); return; }
  const item = event.target.closest("li[data-line]");
  if (item && Number(item.dataset.line) > 0) select(Number(item.dataset.line) - 1);
}

function onPadsClick(event) {
  const item = event.target.closest("li[data-pad]");
  if (item) select(Number(item.dataset.pad));
}

// A number field's value; NaN when it is empty, which Number takes for 0.
const numberIn = (id) => ($(id).value.trim() === "" ? NaN : Number($(id).value));

// The part's fields and level: the pad's WAV is made again.
function onPartChange(show) {
  const index = snapshot().selected;
  return changePart(index, {
    start: numberIn("pad-start"), end: numberIn("pad-end"), level: $("pad-level").checked, gainDb: numberIn("pad-gain"),
  }).then(show);
}

// The pad's WAV as lum.exe will play it: its part, levelled.
function onPlayPart(show) {
  const s = snapshot(), pad = s.board && s.board.pads[s.selected];
  if (pad) playWave(readFolderFile(pad.sound), "\"" + pad.label + "\"", "playing \"" + pad.label + "\", as its pad plays it.", show);
}

function onEditAsSkin() {
  if (!snapshot().board) return;
  editAsSkin();
  say("The board is now a plain skin: its pads are lines of " + facts().hotspotFile + ", edited as lines, and its " +
      "face stays as drawn. Undo makes it a board again.");
}

// A folder opens; a zip opens as the folder it holds; on a page with no
// folder, audio files make a board, and on one with a folder they are added;
// one other file is a picture. The entries are taken before the first wait,
// while the drop still holds them.
async function onDrop(event, show) {
  event.preventDefault();
  const items = [...event.dataTransfer.items];
  const entries = items.map((item) => (item.webkitGetAsEntry ? item.webkitGetAsEntry() : null));
  const files = [...event.dataTransfer.files];
  const folderEntry = entries.find((entry) => entry && entry.isDirectory);
  const open = snapshot().open;
  if (folderEntry) await openDroppedFolder(folderEntry);
  else if (files.length === 1 && isZipFile(files[0])) await openZip(files[0]);
  else if (!open && files.length && files.every(isAudioFile)) await newBoard(files, show);
  else if (files.length === 1 && !isAudioFile(files[0])) await importPicture(files[0]);
  else if (files.length) await addSoundFiles(files, show);
}

export function wireControls(show) {
  // Each handler changes the store, then the page is shown; one that waits shows it when done.
  const on = (id, type, handler) => $(id).addEventListener(type, async (event) => { await handler(event); show(); });
  const chosen = (id) => [...$(id).files];
  on("folder-input", "change", () => openPickedFolder($("folder-input").files));
  on("picture-input", "change", () => chosen("picture-input").length && importPicture(chosen("picture-input")[0]));
  on("sound-input", "change", () => addSoundFiles(chosen("sound-input"), show));
  on("board-input", "change", () => newBoard(chosen("board-input"), show));
  on("open-board", "change", () => chosen("open-board").length && openZip(chosen("open-board")[0]));
  $("open-folder").hidden = typeof window.showDirectoryPicker !== "function";
  on("open-folder", "click", openFolderInPlace);
  on("zoom", "change", () => setZoom(Number($("zoom").value)));
  on("code-page", "change", () => setCodePage(Number($("code-page").value)));
  on("try", "change", toggleTrying);
  on("undo", "click", undoStep);
  on("redo", "click", redoStep);
  on("save", "click", save);
  on("download-board", "click", downloadBoard);
  on("new-hotspot", "click", addHotspotInView);
  on("delete", "click", removeSelected);
  on("move-up", "click", () => moveEarlierOrLater(-1));
  on("move-down", "click", () => moveEarlierOrLater(1));
  on("action", "change", onActionChange);
  on("path", "change", onPathChange);
  for (const id of kCoordinates) on(id, "change", onCoordinateChange);
  on("lines", "click", onListClick);
  on("findings", "click", onListClick);
  on("sounds", "click", onSoundsClick);
  on("pads", "click", onPadsClick);
  on("board-name", "change", () => nameBoard($("board-name").value));
  on("pad-label", "change", () => labelPad(snapshot().selected, $("pad-label").value));
  on("pad-colour", "change", () => colourPad(snapshot().selected, $("pad-colour").value));
  on("pad-earlier", "click", () => moveEarlierOrLater(-1));
  on("pad-later", "click", () => moveEarlierOrLater(1));
  on("pad-remove", "click", removeSelected);
  on("pad-replace", "change", () => chosen("pad-replace").length && replaceSound(chosen("pad-replace")[0], show));
  for (const id of ["pad-start", "pad-end", "pad-level", "pad-gain"]) on(id, "change", () => onPartChange(show));
  on("pad-play", "click", () => onPlayPart(show));
  on("record", "click", () => toggleRecording(show));
  on("edit-as-skin", "click", onEditAsSkin);
  on("viewport", "scroll", () => setScroll($("viewport").scrollLeft, $("viewport").scrollTop));
  window.addEventListener("resize", show);
  document.addEventListener("dragover", (event) => event.preventDefault());
  document.addEventListener("drop", async (event) => { await onDrop(event, show); show(); });
  // The browser asks in its own words, and only once the page has had a press or a key.
  window.addEventListener("beforeunload", (event) => { if (snapshot().unsaved) event.preventDefault(); });
}
