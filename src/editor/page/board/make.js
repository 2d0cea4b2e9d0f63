// A board's record made into the files that lum reads: the face, the lines
// and the board file beside them, in one step.

import { boardFileBytes } from "./boardfile.js";
import { drawFace } from "./face.js";
import { boardLines } from "./layout.js";
import { pictureSkin } from "../model.js";

// { text, skin, boardFile } as bytes, or { problem } for the status line.
export function makeBoard(board, codePage) {
  const lines = boardLines(board, codePage);
  if (lines.problem) return lines;
  const skin = pictureSkin(drawFace(board));
  if (!skin) return { problem: "the face does not fit in this page's memory." };
  return { text: lines.text, skin: skin.bytes, boardFile: boardFileBytes(board) };
}
