// Where everything of a board sits on its face, and the lines that make
// those places act: one line per pad in the board's order, then the stop
// pad, MIN and EXIT. The face and the lines are made from the same layout,
// so no painted pad lacks its line and no line lacks its paint.

import { composeLine, facts, rectAround } from "../model.js";

export const kMargin = 12;
export const kStrip = 30;                // the strip along the top, to drag by
const kGap = 8;
const kPad = { width: 128, height: 72 };
const kButton = { width: 34, height: 20, gap: 6 };
const kSmallestWidth = 240;              // room for the name beside the two buttons
const kInset = 3;                        // a press reaches the pad but its rounded rim
export const kPadsBesideSounds = 3;      // the stop pad, MIN and EXIT

// The most pads with a sound: every pad, the stop pad and the two buttons are hotspots.
export function mostPads() {
  return facts().slots - kPadsBesideSounds;
}

// Boxes as x0, y0, x1, y1: a pad per sound and the stop pad last, the two buttons.
export function layout(padCount) {
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
    width, height, pads, columns,
    minimise: [minimiseLeft, top, minimiseLeft + kButton.width, top + kButton.height],
    exit: [exitLeft, top, exitLeft + kButton.width, top + kButton.height],
  };
}

const inset = (box, by) => [box[0] + by, box[1] + by, box[2] - by, box[3] - by];

// A line whose press area is the box, as the model writes it in the code page.
function lineAround(name, box, codePage) {
  const around = rectAround(box);
  return around.problem ? around : composeLine(name, around.rect, codePage);
}

// { text } of the board's lines, or { problem } when the model cannot write
// one of them in the code page.
export function boardLines(board, codePage) {
  const place = layout(board.pads.length + 1);
  const stop = place.pads[board.pads.length];
  const lines = [...board.pads.map((pad, i) => lineAround(pad.sound, inset(place.pads[i], kInset), codePage)),
                 lineAround(board.stopSound, inset(stop, kInset), codePage),
                 lineAround(facts().minimiseKeyword, inset(place.minimise, 1), codePage),
                 lineAround(facts().exitKeyword, inset(place.exit, 1), codePage)];
  const refused = lines.find((line) => line.problem);
  if (refused) return refused;
  const text = new Uint8Array(lines.reduce((sum, line) => sum + line.bytes.length, 0));
  lines.reduce((at, line) => { text.set(line.bytes, at); return at + line.bytes.length; }, 0);
  return { text };
}
