// The bridge to the model: every call into the WebAssembly module, its file
// system included. The model's pointers and sizes are unsigned: its memory
// grows past 2 GiB, so every one is read with >>> 0 and never shifted with
// >>. An answer with more than one part comes as JSON, read here by name.

const kFolder = "/skin";                 // the open folder, in the module's file system

const bridge = {
  model: null,
  facts: null,
};

export function startModel(model) {
  bridge.model = model;
  bridge.facts = Object.freeze(answer("EditorModelFacts", [], []));
  model.FS.mkdir(kFolder);
}

// What the page must know of the model: keywords, slots, the drag's map
// value, file names, the default code page and the coordinates' limits.
export function facts() {
  return bridge.facts;
}

function answer(name, types, values) {
  const m = bridge.model;
  return JSON.parse(m.UTF8ToString(m.ccall(name, "number", types, values) >>> 0));
}

function withBytes(bytes, use) {
  const m = bridge.model;
  const pointer = m._malloc(Math.max(bytes.length, 1)) >>> 0;
  if (!pointer) throw new Error("no memory for " + bytes.length + " bytes");
  m.HEAPU8.set(bytes, pointer);
  try { return use(pointer); } finally { m._free(pointer); }
}

function heapBytes(pointer, size) {
  return bridge.model.HEAPU8.slice(pointer >>> 0, (pointer >>> 0) + size);
}

function clearFolder(path) {
  const fs = bridge.model.FS;
  for (const name of fs.readdir(path)) {
    if (name === "." || name === "..") continue;
    const child = path + "/" + name;
    if (fs.isDir(fs.stat(child).mode)) { clearFolder(child); fs.rmdir(child); } else fs.unlink(child);
  }
}

// A file of the folder the checker sees, by its path inside the folder.
export function putFile(path, bytes) {
  const fs = bridge.model.FS;
  let at = kFolder;
  for (const part of path.split("/").slice(0, -1)) {
    at += "/" + part;
    if (!fs.analyzePath(at).exists) fs.mkdir(at);
  }
  fs.writeFile(kFolder + "/" + path, bytes, { canOwn: true });  // lent, not copied: a board's sounds are large
}

// The folder the checker sees becomes these files (path -> bytes).
export function putFolder(files) {
  clearFolder(kFolder);
  for (const [path, bytes] of files) putFile(path, bytes);
}

export function readFolderFile(path) {
  return bridge.model.FS.readFile(kFolder + "/" + path);
}

// The checker's report as JSON on the folder; the model stays loaded for the
// questions below.
export function checkFolder(codePage) {
  const m = bridge.model;
  return JSON.parse(m.UTF8ToString(m.ccall("EditorCheck", "number", ["string", "number"], [kFolder, codePage]) >>> 0));
}

const asBox = (b) => [b.x0, b.y0, b.x1, b.y1];
const asRect = (r) => [r.left, r.top, r.right, r.bottom];

// Each slot's interior, the pixels a press reaches, as x0, y0, x1, y1.
export function slotInteriors() {
  return answer("EditorInteriors", [], []).map(asBox);
}

// { rect } whose interior is the box, or { problem } when a number of it
// would be out of the model's range.
export function rectAround(box) {
  const made = answer("EditorRectAround", ["number", "number", "number", "number"], box);
  return made.problem ? made : { rect: asRect(made.rect) };
}

// The file's lines as the program reads them, names in the code page, and
// where the read text ends.
export function readLines(text, codePage) {
  const read = withBytes(text, (p) => JSON.parse(bridge.model.UTF8ToString(
    bridge.model._EditorReadLines(p, text.length, codePage) >>> 0)));
  read.lines = read.lines.map((line) => ({ ...line, rect: asRect(line.rect) }));
  return read;
}

// { bytes } for a line that reads back as meant, or { problem }. The bytes
// come from the model as they are: a name never goes through a string here.
function composedLine(verdict) {
  if (verdict.problem) return verdict;
  const m = bridge.model;
  return { bytes: heapBytes(m._EditorComposed(), m._EditorComposedSize() >>> 0) };
}

// A new line of the typed name, in the code page, and the rectangle. The
// numbers go to the model as they are, which refuses those it cannot write.
export function composeLine(name, rect, codePage) {
  return composedLine(answer("EditorComposeLine", ["string", "number", "number", "number", "number", "number"],
                             [name, codePage, ...rect]));
}

// Line index with a new rectangle and, unless name is null, a typed name in
// the code page: only the fields that change are rewritten.
export function editLine(index, name, rect, codePage) {
  return composedLine(answer("EditorEditLine", ["number", "string", "number", "number", "number", "number", "number"],
                             [index, name, codePage, ...rect]));
}

// The code pages the model knows, as { page, script }.
export function codePages() {
  return answer("EditorCodePages", [], []);
}

export function skinSize() {
  return { width: bridge.model._EditorSkinWidth(), height: bridge.model._EditorSkinHeight() };
}

// The checked skin as RGBA, top row first, see-through pixels transparent.
export function skinPixels(width, height) {
  const pointer = bridge.model._EditorSkinPixels() >>> 0;
  return new Uint8ClampedArray(bridge.model.HEAPU8.buffer, pointer, width * height * 4).slice();
}

// Who acts at the point of the checked skin: a slot, facts.noHotspot for a
// drag, or null off the skin.
export function slotAt(point) {
  const { width, height } = skinSize();
  if (point[0] < 0 || point[1] < 0 || point[0] >= width || point[1] >= height) return null;
  return bridge.model.HEAP8[(bridge.model._EditorWhoActs() >>> 0) + point[1] * width + point[0]];
}

// Whether Windows takes the two file names for one.
export function sameName(a, b) {
  return bridge.model.ccall("EditorSameName", "number", ["string", "string"], [a, b]) === 1;
}

// Whether lumcheck calls the WAV playable on every Windows: { playable,
// problem }. The bytes are lent to the module's file system, which keeps
// them in the page's memory: only the headers in front of the samples are
// read into the module's.
export function soundVerdict(bytes) {
  const fs = bridge.model.FS, path = "/sound-verdict.wav";
  fs.writeFile(path, bytes, { canOwn: true });
  try {
    const verdict = JSON.parse(bridge.model.UTF8ToString(bridge.model.ccall("EditorSoundVerdict", "number", ["string"], [path]) >>> 0));
    return { playable: verdict.plays, problem: verdict.problem };
  } finally {
    fs.unlink(path);
  }
}

// How long the folder's sound file lasts, in seconds, as its WAV header
// says; 0 when it cannot be told.
export function soundSeconds(path) {
  return bridge.model.ccall("EditorSoundSeconds", "number", ["string"], [kFolder + "/" + path]);
}

// How long a WAV's bytes last, in seconds, read outside the folder; NaN
// when the model cannot tell.
export function waveSeconds(bytes) {
  const fs = bridge.model.FS, path = "/seconds.wav";
  fs.writeFile(path, bytes);
  try {
    return bridge.model.ccall("EditorSoundSeconds", "number", ["string"], [path]);
  } finally {
    fs.unlink(path);
  }
}

// The name a sound file may have: "bell ring.wav" becomes "bell-ring.wav".
export function safeSoundName(name, codePage) {
  const m = bridge.model;
  return m.UTF8ToString(m.ccall("EditorSafeSoundName", "number", ["string", "number"], [name, codePage]) >>> 0);
}

// The file a press on the slot plays, in the module's folder; "" for none.
export function soundFileOf(slot) {
  return bridge.model.UTF8ToString(bridge.model._EditorSoundFile(slot) >>> 0);
}

// A decoded picture as a skin file: { bytes, keyColouredOpaque, movedTo },
// or null when the module has no room for it.
export function pictureSkin(picture) {
  let made;
  try {
    made = withBytes(new Uint8Array(picture.data.buffer),
                     (p) => answer("EditorPictureSkin", ["number", "number", "number"], [p, picture.width, picture.height]));
  } catch (e) {
    return null;  // no room for the picture's pixels
  }
  if (!made.size) return null;
  return { ...made, bytes: heapBytes(bridge.model._EditorPictureSkinBytes(), made.size) };
}

// Lends the planar channels (Float32Arrays of one length) to the module as
// one block, each channel after the other's, for the length of use(pointer).
function withSamples(channels, use) {
  const m = bridge.model, frames = channels[0].length;
  const pointer = m._malloc(Math.max(channels.length * frames * 4, 1)) >>> 0;
  if (!pointer) throw new Error("no memory for " + channels.length * frames + " samples");
  channels.forEach((channel, c) => m.HEAPF32.set(channel, pointer / 4 + c * frames));
  try { return use(pointer); } finally { m._free(pointer); }
}

// The channels times the gain (dB), limited so that their true peak stays at
// or below the ceiling (dBTP): { channels, truePeakDb } with new arrays and
// the true peak of the result (-Infinity for silence), or null when the
// model refuses the sound or has no room for it. A caller lowers the gain
// while truePeakDb still passes the ceiling.
export function limitPeaks(channels, sampleRate, gainDb, ceilingDb) {
  const frames = channels[0].length;
  try {
    return withSamples(channels, (p) => {
      const truePeakDb = bridge.model._EditorLimitPeaks(p, channels.length, frames, sampleRate, gainDb, ceilingDb);
      if (Number.isNaN(truePeakDb)) return null;
      const heap = bridge.model.HEAPF32;  // read anew: the module's memory may have grown
      return { channels: channels.map((_, c) => heap.slice(p / 4 + c * frames, p / 4 + (c + 1) * frames)), truePeakDb };
    });
  } catch (e) {
    return null;  // no room for the samples
  }
}

// The frames start <= i < end that hold the sound, without its leading and
// trailing silence: { start, end } ({ 0, 0 } when all is silence), or
// { problem }.
export function soundSpan(channels, sampleRate) {
  return withSamples(channels, (p) => answer("EditorSoundSpan", ["number", "number", "number", "number"],
                                             [p, channels.length, channels[0].length, sampleRate]));
}

// Why Windows can hold no file of the name (one part of a path), or "". The
// name goes as bytes, so that a 0 in it or its length reaches the model.
export function fileNameProblem(name) {
  const bytes = new TextEncoder().encode(name);
  return withBytes(bytes, (p) => bridge.model.UTF8ToString(bridge.model._EditorFileNameProblem(p, bytes.length) >>> 0));
}
