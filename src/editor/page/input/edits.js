// The edits that the keys, the controls and the pointer share, each with
// the sentence the status line says of it: a screen reader hears what
// changed, in words, once per change.

import { $ } from "../render/dom.js";
import { kColourNames } from "../board/palette.js";
import { skinSize } from "../model.js";
import {
  addHotspot, deleteSelected, movePad, moveSelected, redo, removePad, removeSound, renameBoard, say, select,
  setPadColour, setPadLabel, setTrying, setZoom, shiftSelected, snapshot, undo,
} from "../store.js";
import { stopPlaying } from "../workflows/try.js";

const quoted = (text) => "\"" + text + "\"";
const sentence = (text) => text[0].toUpperCase() + text.slice(1) + ".";

function ordinal(n) {
  const teen = n % 100 >= 11 && n % 100 <= 13;
  return n + (teen ? "th" : ["th", "st", "nd", "rd"][n % 10] || "th");
}

function padName(s, index) {
  return index === s.board.pads.length ? "the stop pad" : "pad " + quoted(s.board.pads[index].label);
}

function lineText(s, index) {
  const line = s.lines[index];
  return "line " + (index + 1) + (line && line.name ? ": " + line.name + " " + line.rect.join(" ") : "");
}

// The sentence of an edit, from the state after it, when it changed the
// folder; an edit that changed nothing says nothing.
function sayIfEdited(before, words) {
  const s = snapshot();
  if (s.edition !== before) say(words(s));
}

// The same for an edit of the selected line, which the model may refuse,
// having said why already.
function sayLineEdit(before, words) {
  if (!snapshot().lineProblem) sayIfEdited(before, words);
}

export function movePadTo(from, to) {
  const s = snapshot();
  if (!s.board || !s.board.pads[from] || !movePad(from, to)) return;
  say("Pad " + quoted(s.board.pads[from].label) + " moved to " + ordinal(to + 1) + " place.");
}

// On a board, the selected pad one place earlier or later; on a skin, the selected line.
export function moveEarlierOrLater(step) {
  const s = snapshot();
  if (s.board) { movePadTo(s.selected, s.selected + step); return; }
  const from = s.selected;
  moveSelected(step);
  sayLineEdit(s.edition, (after) => "Line " + (from + 1) + " moved to line " + (after.selected + 1) + ".");
}

// The selected pad or line goes.
export function removeSelected() {
  const s = snapshot();
  if (s.board) {
    const removed = removePad(s.selected);
    if (removed) say("Pad " + quoted(removed.label) + " removed, and its sound " + removed.sound + " with it.");
    return;
  }
  if (s.selected < 0) return;
  const gone = lineText(s, s.selected);
  deleteSelected();
  sayLineEdit(s.edition, () => sentence(gone + " deleted"));
}

export function removeSoundNamed(name) {
  removeSound(name);
  say("Sound " + quoted(name) + " removed from the folder.");
}

export function shiftSelectedBy(dx, dy, grow) {
  const s = snapshot();
  shiftSelected(dx, dy, grow);
  sayLineEdit(s.edition, (after) => sentence(lineText(after, after.selected)));
}

// A new hotspot in the middle of the part of the skin in view, which can be
// smaller than the view.
export function addHotspotInView() {
  const s = snapshot();
  const { width, height } = skinSize();
  if (!s.open || !width || s.board) return;
  const viewport = $("viewport"), z = s.zoom, half = 10;
  const x = Math.floor((viewport.scrollLeft + Math.min(viewport.clientWidth, width * z) / 2) / z);
  const y = Math.floor((viewport.scrollTop + Math.min(viewport.clientHeight, height * z) / 2) / z);
  addHotspot([Math.max(0, x - half), Math.max(0, y - half), Math.min(width, x + half), Math.min(height, y + half)]);
  sayLineEdit(s.edition, (after) => "Added " + lineText(after, after.selected) + ".");
}

export function toggleTrying() {
  stopPlaying();
  setTrying(!snapshot().trying);
  say(snapshot().trying ? "Try is on: a press acts as lum.exe would." : "Try is off: a press edits again.");
}

export function zoomBy(step) {
  setZoom(snapshot().zoom + step);
  say("Zoom " + snapshot().zoom + "\u00d7.");
}

function undoOrRedo(operation, done, verb, stepsLeft) {
  const before = snapshot().edition;
  operation();
  sayIfEdited(before, (s) => {
    const selected = s.selected < 0 ? "" : "; " + (s.board ? padName(s, s.selected) : lineText(s, s.selected)) + " selected";
    return done + selected + "; " + (stepsLeft(s) || "no") + " more to " + verb + ".";
  });
}

export const undoStep = () => undoOrRedo(undo, "Undone", "undo", (s) => s.undo.length);
export const redoStep = () => undoOrRedo(redo, "Redone", "redo", (s) => s.redo.length);

export function selectNone() {
  if (snapshot().selected < 0) return false;
  select(-1);
  say("Nothing selected.");
  return true;
}

export function labelPad(index, label) {
  const before = snapshot().edition;
  setPadLabel(index, label);
  sayIfEdited(before, () => ordinal(index + 1) + " pad labelled " + quoted(label) + ".");
}

export function colourPad(index, colour) {
  const before = snapshot().edition;
  setPadColour(index, colour);
  sayIfEdited(before, (s) => "Pad " + quoted(s.board.pads[index].label) + " is " + kColourNames[colour] + " now.");
}

export function nameBoard(name) {
  const before = snapshot().edition;
  renameBoard(name);
  sayIfEdited(before, () => "The board is named " + quoted(name) + " now.");
}
