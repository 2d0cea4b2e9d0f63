// The keys: the first entry of the table that matches acts. Entries marked
// typing also act while a text field has the focus.

import { $ } from "../render/dom.js";
import { skinSize } from "../model.js";
import {
  addHotspot, deleteSelected, movePad, moveSelected, redo, setTrying, setZoom, shiftSelected, snapshot, undo,
} from "../store.js";
import { save } from "../workflows/save.js";
import { stopPlaying } from "../workflows/try.js";
import { cancelGesture } from "./pointer.js";

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
}

// On a board, the selected pad one place earlier or later; on a skin, the selected line.
export function moveEarlierOrLater(step) {
  const s = snapshot();
  if (s.board) movePad(s.selected, s.selected + step);
  else moveSelected(step);
}

export function toggleTrying() {
  stopPlaying();
  setTrying(!snapshot().trying);
}

const kArrows = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
const shift = (e, dx, dy) => shiftSelected(dx * (e.shiftKey ? 10 : 1), dy * (e.shiftKey ? 10 : 1), e.ctrlKey || e.metaKey);
// control: Ctrl (or Cmd) held or not, shift and alt alike, any when not given.
const kKeys = [
  { keys: ["z"], control: true, shift: false, does: undo },
  { keys: ["z"], control: true, shift: true, does: redo },
  { keys: ["y"], control: true, does: redo },
  { keys: ["s"], control: true, typing: true, does: save },
  { keys: ["ArrowUp"], alt: true, does: () => moveEarlierOrLater(-1) },
  { keys: ["ArrowDown"], alt: true, does: () => moveEarlierOrLater(1) },
  ...Object.entries(kArrows).map(([key, [dx, dy]]) => ({ keys: [key], does: (e) => shift(e, dx, dy) })),
  { keys: ["Delete", "Backspace"], does: deleteSelected },
  { keys: ["n", "Insert"], does: addHotspotInView },
  { keys: ["t"], does: toggleTrying },
  { keys: ["+", "="], does: () => setZoom(snapshot().zoom + 1) },
  { keys: ["-"], does: () => setZoom(snapshot().zoom - 1) },
  { keys: ["Escape"], does: cancelGesture },
];

function keyMatches(entry, event, key, typing) {
  const control = event.ctrlKey || event.metaKey;
  const held = (wanted, down) => wanted === undefined || wanted === down;
  return entry.keys.includes(key) && (!typing || entry.typing) && held(entry.control, control) &&
         held(entry.shift, event.shiftKey) && held(entry.alt, event.altKey);
}

async function onKey(event, show) {
  const typing = /^(INPUT|SELECT|TEXTAREA)$/.test(event.target.tagName) && event.target.type !== "checkbox";
  const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
  const entry = kKeys.find((k) => keyMatches(k, event, key, typing));
  if (!entry) return;
  const acted = entry.does(event);
  if (acted !== false) event.preventDefault();
  await acted;
  show();
}

export function wireKeys(show) {
  document.addEventListener("keydown", (event) => onKey(event, show));
}
