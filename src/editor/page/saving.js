// The saving: into the folder opened in place, keeping what the user had as
// a backup, or as downloads. It answers what the status line is to say.

import { addedFiles, hotspotText, keepAdded, noteSaved, textEdition } from "./document.js";
import { facts } from "./model.js";
import { sameBytes } from "./folder.js";

const saving = {
  directory: null,       // a FileSystemDirectoryHandle when the folder was opened in place
  loadedIni: null,       // the hotspot file's bytes as read from disk, to see a change made elsewhere
  // { onDisk, edition }: the hotspot file on disk when the user chose to replace it
  // anyway, and the text's edition then: an edit, an undo or a redo asks again.
  goAhead: null,
  saved: new Map(),      // name -> bytes this page wrote into the folder, which are no backup of the user's
};

export function startSaving(loadedIni, directory) {
  Object.assign(saving, { directory, loadedIni, goAhead: null, saved: new Map() });
}

export function savesInPlace() {
  return saving.directory !== null;
}

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

async function fileInFolder(name) {
  try { return new Uint8Array(await (await (await saving.directory.getFileHandle(name)).getFile()).arrayBuffer()); }
  catch (e) {
    if (e.name === "NotFoundError") return null;
    if (e.name === "TypeMismatchError") throw new Error(name + " in the folder is a folder, not a file");
    throw e;
  }
}

async function writeInFolder(name, bytes) {
  const handle = await saving.directory.getFileHandle(name, { create: true });
  const writable = await handle.createWritable();
  await writable.write(bytes);
  await writable.close();
}

function sameOrBothAbsent(a, b) {
  return a === null || b === null ? a === b : sameBytes(a, b);
}

// What the user had is kept as name.bak: a file this page wrote itself in
// this session is no backup, so a second save leaves the first backup alone.
async function replaceInFolder(name, bytes) {
  const before = await fileInFolder(name);
  if (before && sameBytes(before, bytes)) return;
  const ours = before && saving.saved.has(name) && sameBytes(before, saving.saved.get(name));
  if (before && !ours) await writeInFolder(name + ".bak", before);
  await writeInFolder(name, bytes);
  saving.saved.set(name, bytes);
}

// A folder without a hotspot file gets one only when there is a line to put in it.
function iniToWrite() {
  return hotspotText().length > 0 || saving.loadedIni !== null;
}

// Read right before the write: a change made elsewhere since the hotspot file was read
// here is replaced only after a warning, and the go-ahead holds for that one
// save of that one file on disk.
async function mayReplaceIni(ini) {
  const onDisk = await fileInFolder(ini);
  if (sameOrBothAbsent(onDisk, saving.loadedIni)) return true;
  const goAhead = saving.goAhead;
  if (goAhead && goAhead.edition === textEdition() && sameOrBothAbsent(onDisk, goAhead.onDisk)) return true;
  saving.goAhead = { onDisk, edition: textEdition() };
  return false;
}

async function saveInFolder() {
  const ini = facts().hotspotFile;
  for (const [name, bytes] of addedFiles()) await replaceInFolder(name, bytes);
  keepAdded();
  if (!iniToWrite()) return { text: "No " + ini + " was written: it would have no line." };
  if (!(await mayReplaceIni(ini)))
    return { text: ini + " was changed on disk after it was loaded here. Save again to replace it anyway; " +
                   "the file on disk is then kept as " + ini + ".bak.", problem: true };
  saving.goAhead = null;
  const text = hotspotText();
  await replaceInFolder(ini, text);
  saving.loadedIni = text;
  noteSaved(text);
  return { text: "Saved " + ini + " in the folder." };
}

function saveAsDownloads() {
  const ini = facts().hotspotFile, added = addedFiles();
  const names = [...added.map(([name]) => name), ...(iniToWrite() ? [ini] : [])];
  for (const [name, bytes] of added) download(name, [bytes]);
  if (iniToWrite()) download(ini, [hotspotText()]);
  noteSaved(iniToWrite() ? hotspotText() : null);
  return { text: (names.join(", ") || "Nothing") + " went to the browser's downloads; copy them into the skin folder." };
}

// Answers { text, problem } for the status line.
export async function save() {
  if (!saving.directory) return saveAsDownloads();
  try { return await saveInFolder(); } catch (e) { return { text: "Saving failed: " + e.message, problem: true }; }
}
