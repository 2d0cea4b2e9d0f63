// A board from sounds: the face drawn here, its lines composed by the model,
// and the zip that runs it on Windows. lum.exe is the 32-bit build's, put
// in the page when it was built.

import { Zip, ZipDeflate, ZipPassThrough } from "fflate";
import lumProgram from "lum-program";
import { composeLine, facts, rectAround } from "./model.js";

export const kBoardName = "Sound board";
const kPadsBesideSounds = 3;             // the stop pad, MIN and EXIT
const kMargin = 12;
const kGap = 8;
const kPad = { width: 128, height: 72, radius: 6 };
const kStrip = 30;                       // the strip along the top, to drag by
const kCorner = 14;                      // the face's rounded corners, see-through outside
const kButton = { width: 34, height: 20, gap: 6 };
const kSmallestWidth = 240;              // room for the name beside the two buttons
const kLabelSizes = [15, 14, 13, 12, 11];
const kFace = "rgb(34,36,44)";
const kStripColour = "rgb(58,61,74)";
const kStopColour = "rgb(84,86,96)";
const kInset = 3;                        // a press reaches the pad but its rounded rim

// The most sounds one board takes: every pad, the stop pad and the two buttons are hotspots.
function mostSounds() {
  return facts().slots - kPadsBesideSounds;
}

// Said before any sound is read: "" when count sounds fit.
export function boardRefusal(count) {
  if (count <= mostSounds()) return "";
  const { slots, minimiseKeyword, exitKeyword } = facts();
  return "A board holds at most " + mostSounds() + " sounds (lum has " + slots + " hotspots, and the stop pad, " +
         minimiseKeyword + " and " + exitKeyword + " take " + kPadsBesideSounds + "); " + count + " were given.";
}

// Boxes as x0, y0, x1, y1: a pad per sound and the stop pad last, the two buttons.
function layout(padCount) {
  const columns = Math.min(padCount, Math.ceil(Math.sqrt(padCount * 1.5)));
  const rows = Math.ceil(padCount / columns);
  const width = Math.max(kSmallestWidth, 2 * kMargin + columns * kPad.width + (columns - 1) * kGap);
  const padWidth = Math.floor((width - 2 * kMargin - (columns - 1) * kGap) / columns);
  const height = kStrip + 2 * kMargin + rows * kPad.height + (rows - 1) * kGap;
  const pads = Array.from({ length: padCount }, (_, i) => {
    const x = kMargin + (i % columns) * (padWidth + kGap), y = kStrip + kMargin + Math.floor(i / columns) * (kPad.height + kGap);
    return [x, y, x + padWidth, y + kPad.height];
  });
  const top = Math.floor((kStrip - kButton.height) / 2);
  const exitLeft = width - kMargin - kButton.width, minimiseLeft = exitLeft - kButton.gap - kButton.width;
  return {
    width, height, pads,
    minimise: [minimiseLeft, top, minimiseLeft + kButton.width, top + kButton.height],
    exit: [exitLeft, top, exitLeft + kButton.width, top + kButton.height],
  };
}

function padColour(index, count) {
  return "hsl(" + Math.round(index * 360 / count) + ", 62%, 40%)";
}

// The text cut to fit, with an ellipsis, between graphemes.
function cut(context, text, room) {
  if (context.measureText(text).width <= room) return text;
  const parts = [...new Intl.Segmenter().segment(text)].map((s) => s.segment);
  while (parts.length && context.measureText(parts.join("") + "…").width > room) parts.pop();
  return parts.join("") + "…";
}

// The label in one line or two, broken between words, at the largest size
// at which it fits; at the smallest, what still does not fit is cut.
function labelLines(context, text, room) {
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

function drawLabel(context, text, box, colour) {
  const [x0, y0, x1, y1] = box;
  const lines = labelLines(context, text, x1 - x0 - 12);
  const height = parseInt(context.font, 10) * 1.25;
  context.fillStyle = colour;
  context.textAlign = "center";
  context.textBaseline = "middle";
  lines.forEach((line, i) => context.fillText(line, (x0 + x1) / 2, (y0 + y1) / 2 + (i - (lines.length - 1) / 2) * height));
}

function drawPad(context, box, colour, label) {
  context.fillStyle = colour;
  context.beginPath();
  context.roundRect(box[0], box[1], box[2] - box[0], box[3] - box[1], kPad.radius);
  context.fill();
  drawLabel(context, label, box, "#fff");
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

function drawFace(name, titles, place) {
  const canvas = document.createElement("canvas");
  canvas.width = place.width;
  canvas.height = place.height;
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
  context.fillText(cut(context, name, place.minimise[0] - 2 * kMargin), kMargin, kStrip / 2);
  const stop = place.pads.length - 1;
  titles.forEach((title, i) => drawPad(context, place.pads[i], padColour(i, titles.length), title));
  drawPad(context, place.pads[stop], kStopColour, "■ Stop");
  drawButton(context, place.minimise, (x, y) => { context.moveTo(x - 6, y + 4); context.lineTo(x + 6, y + 4); });
  drawButton(context, place.exit, (x, y) => {
    context.moveTo(x - 5, y - 5); context.lineTo(x + 5, y + 5); context.moveTo(x + 5, y - 5); context.lineTo(x - 5, y + 5);
  });
  return context.getImageData(0, 0, place.width, place.height);
}

// A line whose press area is the box, as the model writes it in the code page.
function lineAround(name, box, codePage) {
  const around = rectAround(box);
  return around.problem ? around : composeLine(name, around.rect, codePage);
}

const inset = (box, by) => [box[0] + by, box[1] + by, box[2] - by, box[3] - by];

// { picture, text } of the board: a pad per sound ({ name, title }) that
// plays it, labelled with its title, and the stop pad playing stopName; or
// { problem } when the model cannot write a line in the code page.
export function drawBoard(name, pads, stopName, codePage) {
  const place = layout(pads.length + 1);
  const lines = [...pads.map((pad, i) => lineAround(pad.name, inset(place.pads[i], kInset), codePage)),
                 lineAround(stopName, inset(place.pads[pads.length], kInset), codePage),
                 lineAround(facts().minimiseKeyword, inset(place.minimise, 1), codePage),
                 lineAround(facts().exitKeyword, inset(place.exit, 1), codePage)];
  const refused = lines.find((line) => line.problem);
  if (refused) return refused;
  const text = new Uint8Array(lines.reduce((sum, line) => sum + line.bytes.length, 0));
  lines.reduce((at, line) => { text.set(line.bytes, at); return at + line.bytes.length; }, 0);
  return { picture: drawFace(name, pads.map((pad) => pad.title), place), text };
}

// ---- The download ----------------------------------------------------------

const kReadme = [
  "A lum sound board",
  "",
  "1. Unzip this folder anywhere.",
  "2. Double-click lum.exe. A press on a pad plays its sound, and the Stop pad ends it;",
  "   drag the board by any place that is not a pad.",
  "3. Escape or the exit button quits.",
  "",
  "lum.exe is a downloaded program without a signature, so Windows SmartScreen may say",
  "\"Windows protected your PC\". Answer \"More info\", then \"Run anyway\".",
  "",
].join("\r\n");

const isAsciiName = (name) => /^[\x20-\x7e]+$/.test(name);

// The board's name as a file name any Windows and any unzipper write.
export function zipName(name) {
  const ascii = name.normalize("NFKD").replace(/[^A-Za-z0-9._-]+/g, "-").replace(/^[-.]+|[-.]+$/g, "");
  return (ascii || "board") + ".zip";
}

// { parts } of the zip holding the folder's files ([name, bytes]) beside
// lum.exe and README.txt, or { problem }. Sounds are stored as they are
// (deflating audio takes time and saves little), and the zip stays in
// parts that hold their bytes, so that no copy of every sound is made.
export function boardZip(files) {
  const odd = files.find(([name]) => !isAsciiName(name));
  if (odd) return { problem: "\"" + odd[0] + "\" cannot go into the zip: names in it must be plain ASCII, which " +
                             "every Windows unzips alike. Give the file a plain name first." };
  const parts = [];
  const zip = new Zip((error, part) => { if (error) throw error; parts.push(part); });
  const entries = [["lum.exe", lumProgram], ["README.txt", new TextEncoder().encode(kReadme)], ...files];
  for (const [name, bytes] of entries) {
    const entry = /\.wav$/i.test(name) ? new ZipPassThrough(name) : new ZipDeflate(name, { level: 6 });
    zip.add(entry);
    entry.push(bytes, true);
  }
  zip.end();
  return { parts };
}
