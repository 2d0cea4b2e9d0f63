// The download: the folder's files beside lum.exe and a README, as one zip
// that runs when unzipped. lum.exe is the 32-bit build's, put in the page
// when it was built.

import lumProgram from "lum-program";
import { writeZip } from "./zip.js";

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
const kReadmeBytes = new TextEncoder().encode(kReadme);

const isAsciiName = (name) => /^[\x20-\x7e]+$/.test(name);

// The board's name as a file name any Windows and any unzipper write.
export function zipName(name) {
  const ascii = name.normalize("NFKD").replace(/[^A-Za-z0-9._-]+/g, "-").replace(/^[-.]+|[-.]+$/g, "");
  return (ascii || "board") + ".zip";
}

// The zip's entries, sounds stored as they are (deflating audio takes time
// and saves little), or { problem }.
function entries(files) {
  const odd = files.find(([name]) => !isAsciiName(name));
  if (odd) return { problem: "\"" + odd[0] + "\" cannot go into the zip: names in it must be plain ASCII, which " +
                             "every Windows unzips alike. Give the file a plain name first." };
  const all = [["lum.exe", lumProgram], ["README.txt", kReadmeBytes], ...files];
  return { entries: all.map(([name, bytes]) => [name, bytes, { store: /\.wav$/i.test(name) }]) };
}

// { parts } of the zip holding the folder's files ([name, bytes]), or { problem }.
export function boardZip(files) {
  const made = entries(files);
  return made.problem ? made : { parts: writeZip(made.entries) };
}

// What each entry adds to a zip, by its name and bytes: entries are written
// one after the other, so a zip's size is theirs and its end record's, and
// after an edit only the files it changed are zipped again to tell it.
const kEndRecordBytes = 22;
const entrySizes = new WeakMap();        // bytes -> Map(name -> bytes in the zip)

const knownSize = ([name, bytes]) => (entrySizes.get(bytes) || new Map()).get(name);

// How many bytes the zip of the files takes, if every entry has been
// measured; null when not yet, or when they cannot be zipped.
export function zipSize(files) {
  const made = entries(files);
  if (made.problem || made.entries.some((entry) => knownSize(entry) === undefined)) return null;
  return made.entries.reduce((sum, entry) => sum + knownSize(entry), kEndRecordBytes);
}

// Zips the entries not yet measured, one by one; whether any was.
export function measureZip(files) {
  const made = entries(files);
  if (made.problem) return false;
  const unknown = made.entries.filter((entry) => knownSize(entry) === undefined);
  for (const entry of unknown) {
    const [name, bytes] = entry;
    const sizes = entrySizes.get(bytes) || new Map();
    sizes.set(name, writeZip([entry]).reduce((sum, part) => sum + part.length, 0) - kEndRecordBytes);
    entrySizes.set(bytes, sizes);
  }
  return unknown.length > 0;
}
