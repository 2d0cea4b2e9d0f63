// The keys: the first entry of the table that matches where the focus is
// acts. Single keys belong to the canvas and the lists alone, so that a key
// pressed on a button or typed in a field does only what it does there;
// Ctrl+S acts anywhere, undo and redo anywhere but in a text field, whose
// own undo Ctrl+Z is.

import { $ } from "../render/dom.js";
import { select, sendFocus, setScroll, snapshot } from "../store.js";
import { save } from "../workflows/save.js";
import { tryPress } from "../workflows/try.js";
import {
  addHotspotInView, moveEarlierOrLater, redoStep, removeSelected, selectNone, shiftSelectedBy, toggleTrying, undoStep,
  zoomBy,
} from "./edits.js";
import { cancelGesture } from "./pointer.js";

const kArrows = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
const kScrollShare = 0.8;                // of the view, per Page Up or Page Down

const lineOfSlot = (s, slot) => s.lines.findIndex((line) => line.slot === slot);
const centre = (box) => [(box[0] + box[2]) / 2, (box[1] + box[3]) / 2];

// The pads of a board with the stop pad, as { line, box }.
function padPlaces(s) {
  return s.hotspots.filter((spot) => spot.slot - 1 <= s.board.pads.length)
    .map((spot) => ({ line: lineOfSlot(s, spot.slot - 1), box: spot.interior }));
}

// The pad beside the selected one in the arrow's direction, as on a grid:
// the nearest ahead, one in the same row or column before one off it.
function neighbourPad(s, [dx, dy]) {
  const places = padPlaces(s);
  const from = places.find((place) => place.line === s.selected);
  if (!from) return places.length ? places[0].line : -1;
  const [x0, y0] = centre(from.box);
  let best = null;
  for (const place of places) {
    const [x, y] = centre(place.box);
    const ahead = dx * (x - x0) + dy * (y - y0), aside = Math.abs(dx ? y - y0 : x - x0);
    if (ahead <= 0) continue;
    const score = ahead + 2 * aside;
    if (!best || score < best.score) best = { line: place.line, score };
  }
  return best ? best.line : s.selected;
}

function choosePad(s, arrow) {
  const line = neighbourPad(s, arrow);
  if (line >= 0) select(line);
}

// [ and ]: the hotspot before or after the selected one, in the order of their lines.
function chooseHotspot(step) {
  const s = snapshot();
  const lines = s.hotspots.map((spot) => lineOfSlot(s, spot.slot - 1)).filter((line) => line >= 0).sort((a, b) => a - b);
  if (!lines.length) return;
  const at = lines.indexOf(s.selected);
  const next = at < 0 ? (step > 0 ? 0 : lines.length - 1) : Math.max(0, Math.min(lines.length - 1, at + step));
  select(lines[next]);
}

function onArrow(event, [dx, dy]) {
  const s = snapshot();
  if (s.board) { choosePad(s, [dx, dy]); return; }
  const by = event.shiftKey ? 10 : 1;
  shiftSelectedBy(dx * by, dy * by, event.ctrlKey || event.metaKey);
}

// In a list, Up and Down choose the item before or after, Home and End the ends.
function listLength(s) {
  return s.board ? s.board.pads.length + 1 : s.lines.length;
}

function chooseInList(to) {
  const s = snapshot(), count = listLength(s);
  if (count) select(Math.max(0, Math.min(count - 1, to(s.selected, count))));
}

function scrollView(dx, dy) {
  const view = $("viewport"), s = snapshot();
  const left = Math.max(0, Math.min(view.scrollWidth - view.clientWidth, s.scroll.left + dx * kScrollShare * view.clientWidth));
  const top = Math.max(0, Math.min(view.scrollHeight - view.clientHeight, s.scroll.top + dy * kScrollShare * view.clientHeight));
  setScroll(Math.round(left), Math.round(top));
}

function playSelected(show) {
  const s = snapshot();
  const line = s.selected >= 0 ? s.lines[s.selected] : null;
  if (line && line.slot >= 0 && s.hotspots[line.slot]) tryPress(line.slot, show);
}

// Enter on the canvas or a list: the selected item's first field.
const editSelected = () => { if (snapshot().selected >= 0) sendFocus(snapshot().board ? "pad-label" : "path"); };

const page = ["canvas", "list"];
// where: the places the entry acts in; control: Ctrl (or Cmd) held or not,
// shift and alt alike, any when not given.
const kKeys = [
  { keys: ["s"], control: true, where: ["canvas", "list", "control", "field"], does: save },
  { keys: ["z"], control: true, shift: false, where: ["canvas", "list", "control"], does: undoStep },
  { keys: ["z"], control: true, shift: true, where: ["canvas", "list", "control"], does: redoStep },
  { keys: ["y"], control: true, where: ["canvas", "list", "control"], does: redoStep },
  { keys: ["ArrowUp", "ArrowLeft"], alt: true, where: ["canvas"], board: true, does: () => moveEarlierOrLater(-1) },
  { keys: ["ArrowDown", "ArrowRight"], alt: true, where: ["canvas"], board: true, does: () => moveEarlierOrLater(1) },
  { keys: ["ArrowUp"], alt: true, where: page, does: () => moveEarlierOrLater(-1) },
  { keys: ["ArrowDown"], alt: true, where: page, does: () => moveEarlierOrLater(1) },
  { keys: ["ArrowUp"], alt: false, where: ["list"], does: () => chooseInList((at) => (at < 0 ? 0 : at - 1)) },
  { keys: ["ArrowDown"], alt: false, where: ["list"], does: () => chooseInList((at) => at + 1) },
  { keys: ["Home"], where: ["list"], does: () => chooseInList(() => 0) },
  { keys: ["End"], where: ["list"], does: () => chooseInList((at, count) => count - 1) },
  ...Object.entries(kArrows).map(([key, arrow]) => ({ keys: [key], alt: false, where: ["canvas"], does: (e) => onArrow(e, arrow) })),
  { keys: ["["], where: ["canvas"], does: () => chooseHotspot(-1) },
  { keys: ["]"], where: ["canvas"], does: () => chooseHotspot(1) },
  { keys: ["PageUp"], shift: false, where: ["canvas"], does: () => scrollView(0, -1) },
  { keys: ["PageDown"], shift: false, where: ["canvas"], does: () => scrollView(0, 1) },
  { keys: ["PageUp"], shift: true, where: ["canvas"], does: () => scrollView(-1, 0) },
  { keys: ["PageDown"], shift: true, where: ["canvas"], does: () => scrollView(1, 0) },
  { keys: ["Enter"], where: page, does: editSelected },
  { keys: [" "], where: ["canvas"], does: (e, show) => playSelected(show) },
  { keys: ["Delete", "Backspace"], where: page, does: removeSelected },
  { keys: ["n", "Insert"], control: false, where: page, does: addHotspotInView },
  { keys: ["t"], control: false, where: page, does: toggleTrying },
  { keys: ["+", "="], control: false, where: page, does: () => zoomBy(1) },
  { keys: ["-"], control: false, where: page, does: () => zoomBy(-1) },
  { keys: ["Escape"], where: page, does: () => cancelGesture() || selectNone() },
];

// Where a key is pressed: the canvas, one of the lists, a field that takes
// typing, or any other control.
function placeOf(target) {
  if (target.id === "viewport") return "canvas";
  if (target.id === "pads" || target.id === "lines") return "list";
  if (/^(INPUT|SELECT|TEXTAREA)$/.test(target.tagName) && target.type !== "checkbox" && target.type !== "file") return "field";
  return "control";
}

function keyMatches(entry, event, key, place) {
  const control = event.ctrlKey || event.metaKey;
  const held = (wanted, down) => wanted === undefined || wanted === down;
  return entry.keys.includes(key) && entry.where.includes(place) && (!entry.board || snapshot().board) &&
         held(entry.control, control) && held(entry.shift, event.shiftKey) && held(entry.alt, event.altKey);
}

async function onKey(event, show) {
  const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
  const place = placeOf(event.target);
  const entry = kKeys.find((k) => keyMatches(k, event, key, place));
  if (!entry) return;
  const acted = entry.does(event, show);
  if (acted !== false) event.preventDefault();
  await acted;
  show();
}

export function wireKeys(show) {
  document.addEventListener("keydown", (event) => onKey(event, show));
}
