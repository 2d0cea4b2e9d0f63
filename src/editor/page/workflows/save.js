// Saving: into the folder opened in place, keeping what the user had as a
// backup; else a board, or more than one file, as one zip, the same as
// Download board; else the hotspot file alone as a download.

import { boardZip, zipName } from "../board/package.js";
import { sameBytes } from "../folder.js";
import { facts } from "../model.js";
import { keepAdded, noteIniOnDisk, noteSaved, noteWarned, noteWritten, say, snapshot } from "../store.js";

// The file's bytes may come in parts, which the Blob joins.
export function download(name, parts) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob(parts, { type: "application/octet-stream" }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

// The folder as it stands, with lum.exe and a README, as one zip that runs.
export function downloadBoard() {
  const s = snapshot();
  if (!s.open) return;
  const zip = boardZip(s.packageFiles);
  if (zip.problem) { say(zip.problem, true); return; }
  const name = zipName(s.board ? s.board.name : s.name);
  download(name, zip.parts);
  noteSaved();
  say(name + " went to the browser's downloads: unzipped anywhere, a double-click on its lum.exe plays the board.");
}

async function fileInFolder(directory, name) {
  try { return new Uint8Array(await (await (await directory.getFileHandle(name)).getFile()).arrayBuffer()); }
  catch (e) {
    if (e.name === "NotFoundError") return null;
    if (e.name === "TypeMismatchError") throw new Error(name + " in the folder is a folder, not a file");
    throw e;
  }
}

async function writeInFolder(directory, name, bytes) {
  const handle = await directory.getFileHandle(name, { create: true });
  const writable = await handle.createWritable();
  await writable.write(bytes);
  await writable.close();
}

function sameOrBothAbsent(a, b) {
  return a === null || b === null ? a === b : sameBytes(a, b);
}

// What the user had is kept as name.bak: a file this page wrote itself in
// this session is no backup, so a second save leaves the first backup alone.
async function replaceInFolder(directory, name, bytes) {
  const before = await fileInFolder(directory, name);
  if (before && sameBytes(before, bytes)) return;
  const written = snapshot().saving.written;
  const ours = before && written.has(name) && sameBytes(before, written.get(name));
  if (before && !ours) await writeInFolder(directory, name + ".bak", before);
  await writeInFolder(directory, name, bytes);
  noteWritten(name, bytes);
}

// A folder without a hotspot file gets one only when there is a line to put in it.
function iniToWrite(s) {
  return s.text.length > 0 || s.saving.loadedIni !== null;
}

// Read right before the write: a change made elsewhere since the hotspot
// file was read here is replaced only after a warning, and the go-ahead
// holds for that one save of that one file on disk.
async function mayReplaceIni(s, ini) {
  const onDisk = await fileInFolder(s.saving.directory, ini);
  if (sameOrBothAbsent(onDisk, s.saving.loadedIni)) return true;
  const goAhead = s.saving.goAhead;
  if (goAhead && goAhead.edition === s.edition && sameOrBothAbsent(onDisk, goAhead.onDisk)) return true;
  noteWarned(onDisk);
  return false;
}

async function saveInFolder() {
  const ini = facts().hotspotFile, s = snapshot(), directory = s.saving.directory;
  for (const [name, bytes] of s.added) await replaceInFolder(directory, name, bytes);
  keepAdded();
  if (!iniToWrite(s)) { noteSaved(); return { text: "No " + ini + " was written: it would have no line." }; }
  if (!(await mayReplaceIni(s, ini)))
    return { text: ini + " was changed on disk after it was loaded here. Save again to replace it anyway; " +
                   "the file on disk is then kept as " + ini + ".bak.", problem: true };
  noteWarned(undefined);
  await replaceInFolder(directory, ini, s.text);
  noteIniOnDisk(s.text);
  noteSaved();
  return { text: "Saved " + ini + " in the folder." };
}

function saveAsDownload() {
  const s = snapshot(), ini = facts().hotspotFile;
  if (!iniToWrite(s)) return { text: "Nothing went to the browser's downloads: " + ini + " would have no line." };
  download(ini, [s.text]);
  noteSaved();
  return { text: ini + " went to the browser's downloads; copy it into the skin folder." };
}

// A board, or added files beside the hotspot file, go as one zip: Chromium
// drops a page's downloads past about ten.
export async function save() {
  const s = snapshot();
  if (!s.open) return;
  if (!s.saving.directory && (s.board || s.added.size > 0)) { downloadBoard(); return; }
  let said;
  try { said = s.saving.directory ? await saveInFolder() : saveAsDownload(); }
  catch (e) { said = { text: "Saving failed: " + e.message, problem: true }; }
  say(said.text, said.problem);
}
