// The skin on the canvas, zoomed, with each hotspot's outline and the
// gesture in progress. The canvas shows only the part of the zoomed skin in
// view, so its size does not grow with the skin or the zoom.

import { $ } from "./dom.js";
import { tooLargeForPage } from "../folder.js";
import { skinPixels, skinSize } from "../model.js";

const kCheckerSquare = 8;
// Dark enough that a line number's white 10 px digits on the tag read at 7:1.
const kOutline = { sound: "rgb(0,64,200)", minimise: "rgb(0,100,0)", exit: "rgb(170,0,0)", none: "#595959" };
const kHalo = [["#fff", 1], ["#000", 1]];  // outside each outline: style and width in screen pixels

// The skin's pixels as drawn, kept in a layer that each redraw scales: they
// change only with the skin file.
const shown = { skinBytes: null, skin: null, checker: null };

function skinLayer(s) {
  if (shown.skinBytes === s.skinBytes) return shown.skin;
  shown.skinBytes = s.skinBytes;
  const { width, height } = skinSize();
  $("skin-canvas").dataset.skin = width ? width + " × " + height : "";
  shown.skin = null;
  if (!width) return null;
  if (tooLargeForPage(width, height)) {
    shown.skin = { width, height, layer: null };
    return shown.skin;
  }
  const layer = document.createElement("canvas");
  layer.width = width;
  layer.height = height;
  layer.getContext("2d").putImageData(new ImageData(skinPixels(width, height), width, height), 0, 0);
  shown.skin = { width, height, layer };
  return shown.skin;
}

function checkerPattern(context) {
  if (shown.checker) return shown.checker;
  const tile = document.createElement("canvas");
  tile.width = tile.height = 2 * kCheckerSquare;
  const t = tile.getContext("2d");
  t.fillStyle = "#fff";
  t.fillRect(0, 0, tile.width, tile.height);
  t.fillStyle = "#ccc";
  t.fillRect(0, 0, kCheckerSquare, kCheckerSquare);
  t.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare);
  shown.checker = context.createPattern(tile, "repeat");
  return shown.checker;
}

function place(skin, zoom) {
  const viewport = $("viewport"), board = $("board"), canvas = $("skin-canvas");
  const width = skin ? skin.width * zoom : 0, height = skin ? skin.height * zoom : 0;
  if (board.style.width !== width + "px") board.style.width = width + "px";
  if (board.style.height !== height + "px") board.style.height = height + "px";
  const shownWidth = Math.max(1, Math.min(width, viewport.clientWidth));
  const shownHeight = Math.max(1, Math.min(height, viewport.clientHeight));
  if (canvas.width !== shownWidth || canvas.height !== shownHeight) {
    canvas.width = shownWidth;
    canvas.height = shownHeight;
  }
}

function sayTooLargeToShow(context, skin) {
  context.fillStyle = "#222";
  context.font = "13px sans-serif";
  context.fillText("This skin, " + skin.width + " × " + skin.height + " pixels, is too large to show here;", 8, 20);
  context.fillText("its lines and findings are checked as usual.", 8, 38);
}

// Around the interior, on the edge pixels, which a press does not reach; a
// light and a dark line just outside keep it visible on a picture of its own
// colour, and on any other. The selected outline is twice as wide.
function outline(context, box, spot, selected, at) {
  if (box[0] >= box[2] || box[1] >= box[3]) return;
  const z = at.zoom;
  const x = box[0] * z - at.left, y = box[1] * z - at.top, w = (box[2] - box[0]) * z, h = (box[3] - box[1]) * z;
  const colour = spot ? kOutline[spot.action] : "#f0f";
  let out = 0;
  for (const [style, width] of [[colour, selected ? 2 : 1], ...kHalo]) {
    context.lineWidth = width;
    context.strokeStyle = style;
    const inset = out + width / 2;
    context.strokeRect(x - inset, y - inset, w + 2 * inset, h + 2 * inset);
    out += width;
  }
  if (!spot || !at.numbered) return;
  context.font = "10px sans-serif";
  const label = String(spot.line);
  context.fillStyle = colour;
  context.fillRect(x, y, context.measureText(label).width + 4, 12);
  context.fillStyle = "#fff";
  context.fillText(label, x + 2, y + 10);
}

// The box a hotspot is drawn with: the gesture's while it moves or resizes it.
function boxOf(spot, gesture) {
  return gesture && gesture.kind !== "pad" && gesture.slot === spot.slot - 1 ? gesture.box : spot.interior;
}

function drawOutlines(context, s, at) {
  const line = s.selected >= 0 ? s.lines[s.selected] : null;
  const isSelected = (spot) => line !== null && spot.slot - 1 === line.slot;
  // The selected hotspot's outline last, over the others.
  for (const spot of [...s.hotspots.filter((h) => !isSelected(h)), ...s.hotspots.filter(isSelected)])
    outline(context, boxOf(spot, s.gesture), spot, isSelected(spot), at);
  if (s.gesture && s.gesture.kind === "draw") outline(context, s.gesture.box, null, true, at);
  if (s.gesture && s.gesture.kind === "pad" && s.gesture.box) outline(context, s.gesture.box, null, true, at);
}

export function renderCanvas(s) {
  const skin = s.open ? skinLayer(s) : null;
  if (!s.open) { shown.skinBytes = null; $("skin-canvas").dataset.skin = ""; }
  place(skin, s.zoom);
  const canvas = $("skin-canvas"), viewport = $("viewport");
  if (viewport.scrollLeft !== s.scroll.left) viewport.scrollLeft = s.scroll.left;
  if (viewport.scrollTop !== s.scroll.top) viewport.scrollTop = s.scroll.top;
  const context = canvas.getContext("2d");
  context.clearRect(0, 0, canvas.width, canvas.height);
  if (!skin) return;
  const z = s.zoom, left = viewport.scrollLeft, top = viewport.scrollTop;
  context.save();
  context.translate(-(left % (2 * kCheckerSquare)), -(top % (2 * kCheckerSquare)));
  context.fillStyle = checkerPattern(context);
  context.fillRect(0, 0, canvas.width + 2 * kCheckerSquare, canvas.height + 2 * kCheckerSquare);
  context.restore();
  if (!skin.layer) { sayTooLargeToShow(context, skin); return; }
  context.imageSmoothingEnabled = false;
  const sx = Math.floor(left / z), sy = Math.floor(top / z);
  const sw = Math.min(skin.width - sx, Math.ceil(canvas.width / z) + 1);
  const sh = Math.min(skin.height - sy, Math.ceil(canvas.height / z) + 1);
  context.drawImage(skin.layer, sx, sy, sw, sh, sx * z - left, sy * z - top, sw * z, sh * z);
  drawOutlines(context, s, { zoom: z, left, top, numbered: !s.board });
}
