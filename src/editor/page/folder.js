// The folder: the skin folder's files, as the module's file system holds them
// for the checker, and the ways they come in: a folder input, a folder picked
// to write in place, a dropped folder, a picture, sounds.

const kFolder = "/skin";                 // the open folder, in the module's file system

const folder = {
  files: new Map(),      // path in the folder -> bytes, for the checker and for trying sounds
  added: new Map(),      // files made or added here, written on save
  directory: null,       // a FileSystemDirectoryHandle when the folder was opened in place
};

function clearFolder(path) {
  const fs = bridge.model.FS;
  for (const name of fs.readdir(path)) {
    if (name === "." || name === "..") continue;
    const child = path + "/" + name;
    if (fs.isDir(fs.stat(child).mode)) { clearFolder(child); fs.rmdir(child); } else fs.unlink(child);
  }
}

function putFile(path, bytes) {
  const fs = bridge.model.FS;
  let at = kFolder;
  for (const part of path.split("/").slice(0, -1)) {
    at += "/" + part;
    if (!fs.analyzePath(at).exists) fs.mkdir(at);
  }
  fs.writeFile(kFolder + "/" + path, bytes);
}

function readFolderFile(path) {
  return bridge.model.FS.readFile(kFolder + "/" + path);
}

function startFolder(files, directory) {
  clearFolder(kFolder);
  folder.files = files;
  folder.added = new Map();
  folder.directory = directory;
  for (const [path, bytes] of files) putFile(path, bytes);
}

// A file made or added here: the checker sees it now, and saving writes it.
function addFile(name, bytes) {
  putFile(name, bytes);
  folder.added.set(name, bytes);
}

// A lum.ini that is a folder could be neither checked nor saved.
function iniIsFolder(files) {
  return [...files.keys()].some((path) => path.startsWith(bridge.facts.hotspotFile + "/"));
}

// A folder's files by their path inside it: the first part of each path is
// the folder's own name.
async function readPickedFolder(fileList) {
  const files = new Map();
  for (const file of fileList) {
    const path = (file.webkitRelativePath || file.name).split("/").slice(1).join("/") || file.name;
    files.set(path, new Uint8Array(await file.arrayBuffer()));
  }
  return files;
}

async function readDirectory(handle, prefix, files) {
  for await (const entry of handle.values()) {
    if (entry.kind === "file") files.set(prefix + entry.name, new Uint8Array(await (await entry.getFile()).arrayBuffer()));
    else await readDirectory(entry, prefix + entry.name + "/", files);
  }
  return files;
}

// A dropped folder's files, through the entries the drop gives: a reader
// hands out its entries in batches until it gives none.
async function readDroppedFolder(entry, prefix, files) {
  const reader = entry.createReader();
  for (;;) {
    const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
    if (!batch.length) return files;
    for (const child of batch) {
      if (child.isDirectory) { await readDroppedFolder(child, prefix + child.name + "/", files); continue; }
      const file = await new Promise((resolve, reject) => child.file(resolve, reject));
      files.set(prefix + child.name, new Uint8Array(await file.arrayBuffer()));
    }
  }
}

// The folder's file that a new file of this name would replace: Windows
// matches names without regard to case.
function fileNamed(name) {
  const wanted = name.toLowerCase();
  for (const files of [folder.added, folder.files])
    for (const [path, bytes] of files) if (path.toLowerCase() === wanted) return bytes;
  return null;
}

function sameBytes(a, b) {
  return a.length === b.length && a.every((value, i) => value === b[i]);
}

function isWaveName(name) {
  return /^[^/\\]+\.wav$/i.test(name);
}

// Why a file may not be added as a sound, or "" when it may: only a .wav
// file, and none that would replace another file of the folder.
function soundRefusal(name, bytes) {
  if (!isWaveName(name)) return "not a .wav file";
  const there = fileNamed(name);
  return there && !sameBytes(there, bytes) ? "the folder has another file of that name" : "";
}

// The folder's sounds, as a line of lum.ini names them.
function soundChoices() {
  return [...folder.files.keys(), ...folder.added.keys()]
    .filter((path) => /\.wav$/i.test(path)).map((path) => path.replaceAll("/", "\\")).sort();
}

const kLargestSide = 16384;              // pixels a side
// Pixels in all: each takes about 15 bytes of module memory on the way to a
// skin (the picture's RGBA, the 24-bit file, the file as read back and its
// mask, the who-acts map, the preview's RGBA), which has at most 4 GiB.
// Measured in headless Chromium 156: an 11585 × 11585 picture (just under
// 2^27 pixels) became a skin in 43 s with 1925 MiB of module memory.
const kLargestPixels = 2 ** 27;

function tooLargeForPage(width, height) {
  return width > kLargestSide || height > kLargestSide || width * height > kLargestPixels;
}

async function decodePicture(file) {
  let bitmap;
  try {
    bitmap = await createImageBitmap(file, { premultiplyAlpha: "none", colorSpaceConversion: "none" });
  } catch (e) {
    throw new Error("\"" + file.name + "\" is not a picture this browser can read.");
  }
  if (tooLargeForPage(bitmap.width, bitmap.height))
    throw new Error("\"" + file.name + "\" is " + bitmap.width + " × " + bitmap.height + " pixels; a skin can have at most " +
                    kLargestSide + " a side and " + kLargestPixels + " pixels in all here.");
  const canvas = document.createElement("canvas");
  canvas.width = bitmap.width;
  canvas.height = bitmap.height;
  const context = canvas.getContext("2d");
  context.drawImage(bitmap, 0, 0);
  return context.getImageData(0, 0, bitmap.width, bitmap.height);
}

// ---- Opening: each way in ends in a check of the folder -------------------

function openFiles(files, directory, name) {
  if (iniIsFolder(files)) {
    say(name + ": its " + bridge.facts.hotspotFile + " is a folder, not a file; rename that folder and open the skin folder again.", true);
    return;
  }
  startFolder(files, directory);
  const ini = files.has(bridge.facts.hotspotFile) ? files.get(bridge.facts.hotspotFile) : null;
  startSaving(ini);
  startDocument(ini || new Uint8Array(0), ini !== null);
  recheck();
  takeSkin();
  draw();
  sayOpened(name, directory);
}

function sayOpened(name, directory) {
  const failed = doc.report.findings.filter((f) => f.kind === "load-fails");
  if (failed.length) { say(name + ": " + failed.map((f) => f.message).join(" "), true); return; }
  const shown = view.skin.layer ? "" : ", too large to show here";
  say(name + ": " + doc.lines.length + " lines in " + bridge.facts.hotspotFile + ", skin " + view.skin.width + " × " + view.skin.height + shown +
      (directory ? "; saving writes into the folder." : "; saving downloads the files."));
}

async function openPickedFolder(fileList) {
  if (!fileList.length) return;
  openFiles(await readPickedFolder(fileList), null, fileList[0].webkitRelativePath.split("/")[0] || "folder");
}

async function openFolderInPlace() {
  let handle;
  try { handle = await window.showDirectoryPicker({ mode: "readwrite" }); } catch (e) { return; }
  openFiles(await readDirectory(handle, "", new Map()), handle, handle.name);
}

async function openDroppedFolder(entry) {
  openFiles(await readDroppedFolder(entry, "", new Map()), null, entry.name);
}

// A picture becomes a new lum.bmp; without an open folder, a new skin.
async function importPicture(file) {
  let picture;
  try { picture = await decodePicture(file); } catch (e) { say(e.message, true); return; }
  const skin = pictureSkin(picture);
  if (!skin) { say("\"" + file.name + "\" cannot be made into a skin: it is too large for this page's memory.", true); return; }
  if (!doc.report) openFiles(new Map([[bridge.facts.hotspotFile, new Uint8Array(0)]]), null, "new skin");
  addFile(bridge.facts.skinFile, skin.bytes);
  recheck();
  takeSkin();
  draw();
  const to = skin.movedTo;
  say("New skin from \"" + file.name + "\": " + picture.width + " × " + picture.height + " pixels; " +
      (skin.keyColouredOpaque ? skin.keyColouredOpaque + " opaque magenta pixels became (" + to.red + ", " + to.green +
       ", " + to.blue + ") so that they stay visible." : "no opaque pixel was magenta."));
}

async function addSounds(files) {
  const added = [], refused = [];
  for (const file of files) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const refusal = soundRefusal(file.name, bytes);
    if (refusal) { refused.push(file.name + " (" + refusal + ")"); continue; }
    addFile(file.name, bytes);
    added.push(file.name);
  }
  recheck();
  say("Added " + added.length + " sound files; saving writes them beside lum.ini." +
      (refused.length ? " Not added: " + refused.join(", ") + "." : ""), refused.length > 0);
}
