// The files as they come in: a folder input, a folder picked to write in
// place, a dropped folder, a picture; and what a file must be to be taken.

// A folder's files by their path inside it: the first part of each path is
// the folder's own name.
export async function readPickedFolder(fileList) {
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
async function readDroppedEntries(entry, prefix, files) {
  const reader = entry.createReader();
  for (;;) {
    const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
    if (!batch.length) return files;
    for (const child of batch) {
      if (child.isDirectory) { await readDroppedEntries(child, prefix + child.name + "/", files); continue; }
      const file = await new Promise((resolve, reject) => child.file(resolve, reject));
      files.set(prefix + child.name, new Uint8Array(await file.arrayBuffer()));
    }
  }
}

export function readDroppedFolder(entry) {
  return readDroppedEntries(entry, "", new Map());
}

// The folder the user picks to write in place, and its files; null when
// none is picked.
export async function pickFolder() {
  let handle;
  try { handle = await window.showDirectoryPicker({ mode: "readwrite" }); } catch (e) { return null; }
  return { handle, files: await readDirectory(handle, "", new Map()) };
}

export function sameBytes(a, b) {
  return a.length === b.length && a.every((value, i) => value === b[i]);
}

const kLargestSide = 16384;              // pixels a side
// Pixels in all: each takes about 15 bytes of module memory on the way to a
// skin (the picture's RGBA, the 24-bit file, the file as read back and its
// mask, the who-acts map, the preview's RGBA), which has at most 4 GiB.
// Measured in headless Chromium 156: an 11585 × 11585 picture (just under
// 2^27 pixels) became a skin in 43 s with 1925 MiB of module memory.
const kLargestPixels = 2 ** 27;

export function tooLargeForPage(width, height) {
  return width > kLargestSide || height > kLargestSide || width * height > kLargestPixels;
}

export async function decodePicture(file) {
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
