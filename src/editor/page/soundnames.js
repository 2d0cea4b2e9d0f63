// Names for sounds added to a folder: names the program reads whole, which
// no other file of the folder has, printable ASCII ones for a board.

import { safeSoundName } from "./model.js";
import { sameBytes } from "./folder.js";

// Latin letters that lose no accent, as they are spelled in ASCII.
const kLatinLetters = { Æ: "AE", æ: "ae", Ø: "O", ø: "o", Œ: "OE", œ: "oe", ß: "ss", Ł: "L", ł: "l", Đ: "D", đ: "d",
                        Þ: "Th", þ: "th", ı: "i" };

// Printable ASCII, as every Windows code page writes it: accents are
// dropped from their letters, and a title with no ASCII letter left is numbered.
export function asciiTitle(title, number) {
  const plain = title.normalize("NFD").replace(/\p{M}/gu, "").replace(/[^\x20-\x7e]/g, (c) => kLatinLetters[c] || "")
    .trim();
  return /[a-z]/i.test(plain) ? plain : "sound-" + number;
}

// A name for the sound that the program reads whole and no file of the
// folder has, or that of a file with the same bytes already there; "" when
// every name tried is taken. fileNamed(name) gives the folder's file that
// Windows takes for that name, or null; tries bounds the copies counted.
export function soundName(title, bytes, codePage, fileNamed, tries) {
  const first = safeSoundName(title + ".wav", codePage);
  const stem = first.replace(/\.wav$/i, "");
  for (let copy = 1; copy <= tries; copy++) {
    const name = copy === 1 ? first : safeSoundName(stem + "-" + copy + ".wav", codePage);
    const there = fileNamed(name);
    if (!there || sameBytes(there, bytes)) return name;
  }
  return "";
}
