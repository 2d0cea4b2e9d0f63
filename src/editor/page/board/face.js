// The face of a board, drawn from its record on the layout's places: the
// strip with the board's name, a pad per sound in its colour with its
// label, the stop pad, and the minimise and exit buttons.

import { kMargin, kStrip, layout } from "./layout.js";
import { kStopColour, labelColour } from "./palette.js";

const kCorner = 14;                      // the face's rounded corners, see-through outside
const kPadRadius = 6;
const kLabelSizes = [15, 14, 13, 12, 11];
const kFace = "rgb(34,36,44)";
const kStripColour = "rgb(58,61,74)";

// The text cut to fit, with an ellipsis, between graphemes.
function cut(context, text, room) {
  if (context.measureText(text).width <= room) return text;
  const parts = [...new Intl.Segmenter().segment(text)].map((s) => s.segment);
  while (parts.length && context.measureText(parts.join("") + "…").width > room) parts.pop();
  return parts.join("") + "…";
}

// The label in one line or two, broken between words, at the largest size
// at which it fits; at the smallest, what still does not fit is cut.
function fittedLines(context, text, room) {
  const fits = (line) => context.measureText(line).width <= room;
  const words = [...new Intl.Segmenter(undefined, { granularity: "word" }).segment(text)].map((s) => s.segment);
  let lines = [];
  for (const size of kLabelSizes) {
    context.font = size + "px sans-serif";
    let split = 1;
    while (split < words.length && fits(words.slice(0, split + 1).join("").trim())) split++;
    lines = [words.slice(0, split).join("").trim(), words.slice(split).join("").trim()].filter(Boolean);
    if (lines.every(fits)) return lines;
  }
  return lines.map((line) => cut(context, line, room));
}

// The labels as fitted, by text and room: an edit draws every pad again,
// but fits only the label it changed.
const fitted = new Map();                // "room\ntext" -> { lines, font }
const kFittedKept = 256;

function labelLines(context, text, room) {
  const key = room + "\n" + text;
  if (!fitted.has(key)) {
    if (fitted.size >= kFittedKept) fitted.clear();
    const lines = fittedLines(context, text, room);
    fitted.set(key, { lines, font: context.font });
  }
  context.font = fitted.get(key).font;
  return fitted.get(key).lines;
}

function drawLabel(context, text, box, colour) {
  const [x0, y0, x1, y1] = box;
  const lines = labelLines(context, text, x1 - x0 - 12);
  const height = parseInt(context.font, 10) * 1.25;
  context.fillStyle = labelColour(colour);
  context.textAlign = "center";
  context.textBaseline = "middle";
  lines.forEach((line, i) => context.fillText(line, (x0 + x1) / 2, (y0 + y1) / 2 + (i - (lines.length - 1) / 2) * height));
}

function drawPad(context, box, colour, label) {
  context.fillStyle = colour;
  context.beginPath();
  context.roundRect(box[0], box[1], box[2] - box[0], box[3] - box[1], kPadRadius);
  context.fill();
  drawLabel(context, label, box, colour);
}

// A raised button: light above and left, shaded below and right.
function drawButton(context, box, glyph) {
  const [x0, y0, x1, y1] = box;
  context.fillStyle = "rgb(196,199,210)";
  context.fillRect(x0, y0, x1 - x0, y1 - y0);
  context.fillStyle = "rgb(250,250,252)";
  context.fillRect(x0, y0, x1 - x0, 1);
  context.fillRect(x0, y0, 1, y1 - y0);
  context.fillStyle = "rgb(92,95,108)";
  context.fillRect(x0, y1 - 1, x1 - x0, 1);
  context.fillRect(x1 - 1, y0, 1, y1 - y0);
  context.strokeStyle = "rgb(30,32,40)";
  context.lineWidth = 2;
  context.beginPath();
  glyph((x0 + x1) / 2, (y0 + y1) / 2);
  context.stroke();
}

// The face as RGBA pixels, outside its rounded corners see-through.
export function drawFace(board) {
  const place = layout(board.pads.length + 1);
  const canvas = new OffscreenCanvas(place.width, place.height);
  const context = canvas.getContext("2d");
  context.beginPath();
  context.roundRect(0, 0, place.width, place.height, kCorner);
  context.clip();
  context.fillStyle = kFace;
  context.fillRect(0, 0, place.width, place.height);
  context.fillStyle = kStripColour;
  context.fillRect(0, 0, place.width, kStrip);
  context.font = "bold 13px sans-serif";
  context.fillStyle = "rgb(225,227,235)";
  context.textBaseline = "middle";
  context.fillText(cut(context, board.name, place.minimise[0] - 2 * kMargin), kMargin, kStrip / 2);
  board.pads.forEach((pad, i) => drawPad(context, place.pads[i], pad.colour, pad.label));
  drawPad(context, place.pads[board.pads.length], kStopColour, board.stopLabel);
  drawButton(context, place.minimise, (x, y) => { context.moveTo(x - 6, y + 4); context.lineTo(x + 6, y + 4); });
  drawButton(context, place.exit, (x, y) => {
    context.moveTo(x - 5, y - 5); context.lineTo(x + 5, y + 5); context.moveTo(x + 5, y - 5); context.lineTo(x - 5, y + 5);
  });
  return context.getImageData(0, 0, place.width, place.height);
}
