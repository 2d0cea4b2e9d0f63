// Opening: a folder (chosen, picked to write in place, or dropped), a
// board's zip, or a picture; each way in ends in the store's openFolder.

import { kBoardFile, readBoardFile } from "../board/boardfile.js";
import { boardLines, mostPads } from "../board/layout.js";
import { readZip } from "../board/zip.js";
import { kLargestSoundBytes } from "../audio/sounds.js";
import { decodePicture, pickFolder, readDroppedFolder, readPickedFolder, sameBytes, tooLargeForPage } from "../folder.js";
import { facts, fileNameProblem, pictureSkin, sameName, skinSize, waveSeconds } from "../model.js";
import { addSkin, openFolder, say, snapshot } from "../store.js";
import { countText } from "./progress.js";

// A zip holds a skin folder and lum.exe beside it, and a few small files.
const kMostZipEntries = 64;
const kLargestZipBytes = kLargestSoundBytes + 64 * 2 ** 20;

// A hotspot file that is a folder could be neither checked nor saved.
function iniIsFolder(files) {
  return [...files.keys()].some((path) => path.startsWith(facts().hotspotFile + "/"));
}

// The folder's board record, or null with why it opens as a plain skin.
function boardOf(files) {
  const bytes = [...files].find(([path]) => sameName(path, kBoardFile));
  if (!bytes) return { board: null, why: "" };
  const fileOf = (name) => [...files].find(([path]) => sameName(path, name));
  const hasSound = (name) => fileOf(name) !== undefined;
  const soundSeconds = (name) => waveSeconds(fileOf(name)[1]);
  const read = readBoardFile(bytes[1], { mostPads: mostPads(), hasSound, soundSeconds });
  if (read.problem) return { board: null, why: read.problem };
  const lines = boardLines(read.board, snapshot().codePage);
  const ini = files.get(facts().hotspotFile);
  if (lines.problem || !ini || !sameBytes(lines.text, ini))
    return { board: null, why: facts().hotspotFile + " was changed after " + kBoardFile + " was written." };
  return { board: read.board, why: "" };
}

function summary(s, name, directory) {
  const { width, height } = skinSize();
  if (s.board)
    return name + ": a board of " + countText(s.board.pads.length, "pad") + " and a stop pad" +
           (directory ? "; saving writes into the folder." : "; saving downloads one zip.");
  return name + ": " + countText(s.lines.length, "line") + " in " + facts().hotspotFile + ", skin " + width + " × " +
         height + (tooLargeForPage(width, height) ? ", too large to show here" : "") +
         (directory ? "; saving writes into the folder." : "; saving downloads the files.");
}

export function openFiles(files, directory, name) {
  const ini = facts().hotspotFile;
  if (iniIsFolder(files)) {
    say(name + ": its " + ini + " is a folder, not a file; rename that folder and open the skin folder again.", true);
    return;
  }
  const { board, why } = boardOf(files);
  openFolder(files, name, directory, board);
  const s = snapshot();
  const failed = s.report.findings.filter((f) => f.kind === "load-fails");
  if (failed.length) { say(name + ": " + failed.map((f) => f.message).join(" "), true); return; }
  if (why) { say(why + " " + name + " opens as a plain skin: " + summary(s, name, directory), true); return; }
  say(summary(s, name, directory));
}

export async function openPickedFolder(fileList) {
  if (!fileList.length) return;
  openFiles(await readPickedFolder(fileList), null, fileList[0].webkitRelativePath.split("/")[0] || "folder");
}

export async function openFolderInPlace() {
  const picked = await pickFolder();
  if (picked) openFiles(picked.files, picked.handle, picked.handle.name);
}

export async function openDroppedFolder(entry) {
  openFiles(await readDroppedFolder(entry), null, entry.name);
}

export const isZipFile = (file) => /\.zip$/i.test(file.name) || file.type === "application/zip";

// A board's zip, or any zip of a skin folder: nothing in it is written anywhere.
export async function openZip(file) {
  const read = readZip(new Uint8Array(await file.arrayBuffer()),
                       { largestBytes: kLargestZipBytes, mostEntries: kMostZipEntries, nameProblem: fileNameProblem, sameName });
  if (read.problem) { say("\"" + file.name + "\" was not opened: " + read.problem, true); return; }
  openFiles(read.files, null, file.name.replace(/\.zip$/i, ""));
}

// A picture becomes a new skin file; without an open folder, a new skin.
export async function importPicture(file) {
  let picture;
  try { picture = await decodePicture(file); } catch (e) { say(e.message, true); return; }
  const skin = pictureSkin(picture);
  if (!skin) { say("\"" + file.name + "\" cannot be made into a skin: it is too large for this page's memory.", true); return; }
  if (!snapshot().open) openFolder(new Map([[facts().hotspotFile, new Uint8Array(0)]]), "new skin", null, null);
  addSkin(skin.bytes);
  const to = skin.movedTo;
  say("New skin from \"" + file.name + "\": " + picture.width + " × " + picture.height + " pixels; " +
      (skin.keyColouredOpaque ? skin.keyColouredOpaque + " opaque magenta pixels became (" + to.red + ", " + to.green +
       ", " + to.blue + ") so that they stay visible." : "no opaque pixel was magenta."));
}
