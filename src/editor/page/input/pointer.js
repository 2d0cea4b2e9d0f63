// The pointer on the skin, turned into the store's operations. On a skin: a
// press on an outline resizes its hotspot, one inside a hotspot moves it,
// one on free skin draws a new one. On a board: a press selects its pad,
// and a drag onto another pad's place moves it there. In Try, a press acts
// as lum.exe would.

import { $ } from "../render/dom.js";
import { facts, skinSize, slotAt } from "../model.js";
import {
  addHotspot, endGesture, moveGesture, select, setLineAround, setPointer, snapshot, startGesture,
} from "../store.js";
import { tryPress } from "../workflows/try.js";
import { movePadTo } from "./edits.js";

const kHandleReach = 5;                  // screen pixels around an edge that grab it

function skinPoint(event, zoom) {
  const rect = $("board").getBoundingClientRect();
  return [Math.floor((event.clientX - rect.left) / zoom), Math.floor((event.clientY - rect.top) / zoom)];
}

// The edges of the interior that a press at (x, y), in screen pixels on the
// board, grabs: the outline on the edge pixels and a little either side.
function edgesNear(box, x, y, z) {
  const reach = Math.max(kHandleReach, z);
  const near = (value, edge) => Math.abs(value - edge * z) <= reach;
  const within = (value, low, high) => value >= low * z - reach && value <= high * z + reach;
  if (box[0] >= box[2] || box[1] >= box[3] || !within(x, box[0], box[2]) || !within(y, box[1], box[3])) return null;
  const edges = { left: near(x, box[0]), top: near(y, box[1]), right: near(x, box[2]), bottom: near(y, box[3]) };
  return edges.left || edges.top || edges.right || edges.bottom ? edges : null;
}

// The hotspot whose outline a press grabs, { slot, edges }, or null. The
// hotspots come in the model's slot order, so where outlines meet the slot
// that would win a press inside both is taken.
function outlineGrabbed(s, event) {
  const rect = $("board").getBoundingClientRect();
  const x = event.clientX - rect.left, y = event.clientY - rect.top;
  for (const spot of s.hotspots) {
    const edges = edgesNear(spot.interior, x, y, s.zoom);
    if (edges) return { slot: spot.slot - 1, edges };
  }
  return null;
}

const lineOfSlot = (s, slot) => s.lines.findIndex((line) => line.slot === slot);

// The gesture a press on a skin starts: on an outline (which can be grabbed
// from just off the skin), on a hotspot, or on free skin. A press on a
// hotspot selects it.
function skinGesture(s, event, point, slot) {
  const grabbed = outlineGrabbed(s, event);
  if (grabbed) {
    select(lineOfSlot(s, grabbed.slot));
    return { ...grabbed, kind: "resize", from: point, start: s.hotspots[grabbed.slot].interior };
  }
  if (slot === null) return null;
  if (slot !== facts().noHotspot) {
    select(lineOfSlot(s, slot));
    return { kind: "move", slot, from: point, start: s.hotspots[slot].interior };
  }
  return { kind: "draw", slot: null, from: point, start: null };
}

// A press on a pad, the stop pad or a button of a board selects it; a pad can then be dragged.
function boardGesture(s, slot) {
  if (slot === null || slot === facts().noHotspot) return null;
  select(lineOfSlot(s, slot));
  return slot < s.board.pads.length ? { kind: "pad", slot, from: null, start: null, box: null } : null;
}

function clamp(value, low, high) {
  return Math.max(low, Math.min(high, value));
}

// The interior the gesture gives with the pointer at point, as x0, y0, x1,
// y1; for a pad, the interior of the pad it would take the place of.
function gestureBox(s, g, point) {
  if (g.kind === "pad") {
    const slot = slotAt(point);
    return slot !== null && slot !== g.slot && slot < s.board.pads.length ? s.hotspots[slot].interior : null;
  }
  const dx = point[0] - g.from[0], dy = point[1] - g.from[1];
  if (g.kind === "draw") {
    const { width, height } = skinSize();
    const x = clamp(point[0], 0, width - 1), y = clamp(point[1], 0, height - 1);
    return [Math.min(g.from[0], x), Math.min(g.from[1], y), Math.max(g.from[0], x) + 1, Math.max(g.from[1], y) + 1];
  }
  const b = g.start;
  if (g.kind === "move") return [b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy];
  const box = [b[0] + (g.edges.left ? dx : 0), b[1] + (g.edges.top ? dy : 0),
               b[2] + (g.edges.right ? dx : 0), b[3] + (g.edges.bottom ? dy : 0)];
  return [Math.min(box[0], box[2] - 1), Math.min(box[1], box[3] - 1), Math.max(box[2], box[0] + 1), Math.max(box[3], box[1] + 1)];
}

function onPointerDown(event, show) {
  const s = snapshot();
  if (!s.open || !skinSize().width || event.button !== 0) return;
  const point = skinPoint(event, s.zoom);
  const slot = slotAt(point);
  if (s.trying) { if (slot !== null) { tryPress(slot, show); show(); } return; }
  const gesture = s.board ? boardGesture(s, slot) : skinGesture(s, event, point, slot);
  if (gesture) {
    $("skin-canvas").setPointerCapture(event.pointerId);  // the gesture goes on outside the canvas
    $("viewport").focus({ preventScroll: true });
    startGesture({ ...gesture, box: gesture.kind === "pad" ? null : gestureBox(s, gesture, point) });
  }
  show();
}

function onPointerMove(event, show) {
  const s = snapshot();
  if (!s.open) return;
  const point = skinPoint(event, s.zoom);
  setPointer(point);
  if (s.gesture) moveGesture(gestureBox(s, s.gesture, point));
  show();
}

// A gesture that moved the pointer changes the skin or the board; a press alone only selected.
function onPointerUp(event, show) {
  const s = snapshot(), g = s.gesture;
  if (!g) return;
  endGesture();
  const box = gestureBox(s, g, skinPoint(event, s.zoom));
  if (g.kind === "pad") {
    const to = box ? slotAt(skinPoint(event, s.zoom)) : null;
    if (to !== null) movePadTo(g.slot, to);
  } else {
    const moved = g.start ? box.some((v, i) => v !== g.start[i]) : box[2] - box[0] > 1 || box[3] - box[1] > 1;
    if (moved && g.kind === "draw") addHotspot(box);
    else if (moved) setLineAround(lineOfSlot(s, g.slot), box);
  }
  show();
}

export function cancelGesture() {
  if (!snapshot().gesture) return false;
  endGesture();
  return true;
}

export function wirePointer(show) {
  const canvas = $("skin-canvas");
  canvas.addEventListener("pointerdown", (event) => onPointerDown(event, show));
  canvas.addEventListener("pointermove", (event) => onPointerMove(event, show));
  canvas.addEventListener("pointerup", (event) => onPointerUp(event, show));
  canvas.addEventListener("pointercancel", () => { cancelGesture(); show(); });
  canvas.addEventListener("pointerleave", () => { setPointer(null); show(); });
}
