// The saving: into the folder opened in place, keeping what the user had as
// a backup, or as downloads.

const saving = {
  loadedIni: null,       // lum.ini's bytes as read from disk, to see a change made elsewhere
  goAhead: null,         // { onDisk }: lum.ini as it was when the user chose to replace it anyway
  saved: new Map(),      // name -> bytes this page wrote into the folder, which are no backup of the user's
};

function startSaving(loadedIni) {
  Object.assign(saving, { loadedIni, goAhead: null, saved: new Map() });
}

// An edit, an undo or a redo asks again before replacing a changed lum.ini.
function forgetGoAhead() {
  saving.goAhead = null;
}

function download(name, bytes) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

async function fileInFolder(name) {
  try { return new Uint8Array(await (await (await folder.directory.getFileHandle(name)).getFile()).arrayBuffer()); }
  catch (e) {
    if (e.name === "NotFoundError") return null;
    if (e.name === "TypeMismatchError") throw new Error(name + " in the folder is a folder, not a file");
    throw e;
  }
}

async function writeInFolder(name, bytes) {
  const handle = await folder.directory.getFileHandle(name, { create: true });
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

// A folder without lum.ini gets one only when there is a line to put in it.
function iniToWrite() {
  return doc.text.length > 0 || saving.loadedIni !== null;
}

// Read right before the write: a change made elsewhere since lum.ini was read
// here is replaced only after a warning, and the go-ahead holds for that one
// save of that one file on disk.
async function mayReplaceIni() {
  const onDisk = await fileInFolder(bridge.facts.hotspotFile);
  if (sameOrBothAbsent(onDisk, saving.loadedIni)) return true;
  if (saving.goAhead && sameOrBothAbsent(onDisk, saving.goAhead.onDisk)) return true;
  saving.goAhead = { onDisk };
  say(bridge.facts.hotspotFile + " was changed on disk after it was loaded here. Save again to replace it anyway; " +
      "the file on disk is then kept as " + bridge.facts.hotspotFile + ".bak.", true);
  return false;
}

async function saveInFolder() {
  for (const [name, bytes] of folder.added) {
    await replaceInFolder(name, bytes);
    folder.files.set(name, bytes);
  }
  folder.added = new Map();
  if (!iniToWrite()) { say("No " + bridge.facts.hotspotFile + " was written: it would have no line."); return; }
  if (!(await mayReplaceIni())) return;
  forgetGoAhead();
  await replaceInFolder(bridge.facts.hotspotFile, doc.text);
  saving.loadedIni = doc.text;
  say("Saved " + bridge.facts.hotspotFile + " in the folder.");
}

function saveAsDownloads() {
  const names = [...folder.added.keys(), ...(iniToWrite() ? [bridge.facts.hotspotFile] : [])];
  for (const [name, bytes] of folder.added) download(name, bytes);
  if (iniToWrite()) download(bridge.facts.hotspotFile, doc.text);
  say((names.join(", ") || "Nothing") + " went to the browser's downloads; copy them into the skin folder.");
}

async function save() {
  if (!doc.report) return;
  if (!folder.directory) { saveAsDownloads(); return; }
  try { await saveInFolder(); } catch (e) { say("Saving failed: " + e.message, true); }
}
