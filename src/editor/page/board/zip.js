// Zips of a board: written by fflate, and read here from the central
// directory with every offset checked against the bytes before it is read,
// so that a zip from anywhere gives its files or a sentence saying why not,
// never an exception, a hang or more memory than the caller allows.

import { Inflate, Zip, ZipDeflate, ZipPassThrough } from "fflate";

// Every entry gets this time, so that the same files give the same zip. A
// local date: fflate writes the local fields of the time it is given.
const kEntryTime = new Date(2000, 0, 1, 0, 0, 0);

// The zip of the entries, [name, bytes, { store }] (store: kept as they are,
// as a WAV hardly shrinks), as parts whose concatenation is the zip.
export function writeZip(entries) {
  const parts = [];
  const zip = new Zip((error, part) => { if (error) throw error; parts.push(part); });
  for (const [name, bytes, { store }] of entries) {
    const entry = store ? new ZipPassThrough(name) : new ZipDeflate(name, { level: 6 });
    entry.mtime = kEntryTime;
    zip.add(entry);
    entry.push(bytes, true);
  }
  zip.end();
  return parts;
}

const kEndSignature = 0x06054b50;
const kEndBytes = 22;
const kLongestComment = 0xffff;
const kZip64LocatorSignature = 0x07064b50;
const kZip64LocatorBytes = 20;
const kCentralSignature = 0x02014b50;
const kCentralBytes = 46;
const kLocalSignature = 0x04034b50;
const kLocalBytes = 30;
const kEncrypted = 0x0001;
const kStrongEncryption = 0x0040;
const kUtf8Names = 0x0800;
const kStored = 0;
const kDeflated = 8;
const kInflateChunk = 16 * 1024;
const kNotZip = "The file is no zip, or a damaged one: it has no end of a zip's directory";
const kZip64 = "The zip is of the large kind (ZIP64), which the page does not read";

// A view that answers only within the bytes: null for any field outside them.
function reader(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const fits = (at, length) => at >= 0 && length >= 0 && at + length <= bytes.length;
  return {
    fits,
    u16: (at) => (fits(at, 2) ? view.getUint16(at, true) : null),
    u32: (at) => (fits(at, 4) ? view.getUint32(at, true) : null),
    bytes: (at, length) => (fits(at, length) ? bytes.subarray(at, at + length) : null),
  };
}

// The end record: the last signature from which a record and its whole
// comment reach exactly the end of the bytes.
function findEnd(r, size) {
  const lowest = Math.max(0, size - kEndBytes - kLongestComment);
  for (let at = size - kEndBytes; at >= lowest; at--)
    if (r.u32(at) === kEndSignature && at + kEndBytes + r.u16(at + 20) === size) return at;
  return -1;
}

// { count, start, end } of the central directory, or { problem }.
function centralDirectory(r, size) {
  const at = findEnd(r, size);
  if (at < 0) return { problem: kNotZip };
  const count = r.u16(at + 10), length = r.u32(at + 12), start = r.u32(at + 16);
  if (r.u32(at - kZip64LocatorBytes) === kZip64LocatorSignature || count === 0xffff ||
      length === 0xffffffff || start === 0xffffffff)
    return { problem: kZip64 };
  if (r.u16(at + 4) !== 0 || r.u16(at + 6) !== 0 || r.u16(at + 8) !== count)
    return { problem: "The zip is one part of a zip spread over several files, which the page does not read" };
  if (start + length > at) return { problem: "The zip is damaged: its directory passes its end" };
  return { count, start, end: start + length };
}

// The entry's name, or null when it cannot be read: UTF-8 when its flag
// says so, else only ASCII, since a name in another code page would have to
// be guessed at (and a wrong guess makes a file the board does not find).
function entryName(nameBytes, flags) {
  if (flags & kUtf8Names) {
    try { return new TextDecoder("utf-8", { fatal: true }).decode(nameBytes); } catch { return null; }
  }
  return nameBytes.every((byte) => byte < 0x80) ? new TextDecoder().decode(nameBytes) : null;
}

// One entry of the central directory at `at`: { entry, next } or { problem }.
function centralEntry(r, at, end) {
  if (!(at + kCentralBytes <= end) || r.u32(at) !== kCentralSignature)
    return { problem: "The zip is damaged: its directory holds fewer entries than it says" };
  const nameLength = r.u16(at + 28), next = at + kCentralBytes + nameLength + r.u16(at + 30) + r.u16(at + 32);
  if (next > end) return { problem: "The zip is damaged: an entry of its directory passes the directory's end" };
  const flags = r.u16(at + 8);
  const name = entryName(r.bytes(at + kCentralBytes, nameLength), flags);
  if (name === null)
    return { problem: "The zip holds a name the page cannot read: without the zip's UTF-8 mark, only ASCII names" };
  const entry = {
    name, flags, method: r.u16(at + 10), crc: r.u32(at + 16), packedSize: r.u32(at + 20), size: r.u32(at + 24),
    local: r.u32(at + 42),
  };
  return { entry, next };
}

function entryProblem(entry) {
  if (entry.packedSize === 0xffffffff || entry.size === 0xffffffff || entry.local === 0xffffffff) return kZip64;
  if (entry.flags & (kEncrypted | kStrongEncryption))
    return `The zip's entry "${entry.name}" is encrypted, which the page does not read`;
  if (entry.method !== kStored && entry.method !== kDeflated)
    return `The zip's entry "${entry.name}" is packed by method ${entry.method}; the page reads stored and deflated entries`;
  return "";
}

// The entries of the central directory, { entries } or { problem }, refused
// from their declared count and sizes before any is unpacked.
function listEntries(r, directory, largestBytes, mostEntries) {
  if (directory.count > mostEntries)
    return { problem: `The zip holds ${directory.count} entries; the page takes at most ${mostEntries}` };
  const entries = [];
  let total = 0;
  for (let i = 0, at = directory.start; i < directory.count; i++) {
    const { entry, next, problem } = centralEntry(r, at, directory.end);
    if (problem) return { problem };
    const refused = entryProblem(entry);
    if (refused) return { problem: refused };
    total += entry.size;
    if (total > largestBytes)
      return { problem: `The zip's files come to more than ${largestBytes} bytes, more than the page takes` };
    entries.push(entry);
    at = next;
  }
  return { entries };
}

// Why the path may not be a file of the folder, or "".
function pathProblem(path, nameProblem) {
  if (path.includes("\\")) return `The zip's entry "${path}" has a backslash in its name`;
  if (path.startsWith("/")) return `The zip's entry "${path}" has an absolute path`;
  if (/^[A-Za-z]:/.test(path)) return `The zip's entry "${path}" names a drive`;
  const parts = path.split("/");
  if (parts.includes("..")) return `The zip's entry "${path}" reaches out of its folder with ".."`;
  for (const part of parts) {
    const problem = nameProblem(part);
    if (problem) return `The zip's entry "${path}" cannot be a file on Windows: ${problem}`;
  }
  return "";
}

// The files' paths in the folder: the one top folder that holds them all
// taken off; { paths } in the order of the files, or { problem } for a file
// in a folder within it, since a skin folder is flat.
function folderPaths(files, sameName) {
  const parts = files.map((file) => file.name.split("/"));
  const top = parts.length > 0 && parts.every((p) => p.length > 1 && sameName(p[0], parts[0][0])) ? 1 : 0;
  const deep = parts.findIndex((p) => p.length - top > 1);
  if (deep >= 0)
    return { problem: `The zip holds "${files[deep].name}" in a folder of its own; a board's files sit in one folder` };
  return { paths: parts.map((p) => p[top]) };
}

function duplicateProblem(paths, sameName) {
  for (let i = 0; i < paths.length; i++)
    for (let j = 0; j < i; j++)
      if (sameName(paths[j], paths[i])) return `The zip holds "${paths[j]}" and "${paths[i]}", which Windows takes for one file`;
  return "";
}

const kCrcTable = (() => {
  const table = new Int32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c;
  }
  return table;
})();

function crc32(bytes) {
  let crc = -1;
  for (let i = 0; i < bytes.length; i++) crc = kCrcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
  return (crc ^ -1) >>> 0;
}

// The entry's packed bytes, read from behind its local header, or null
// when the header or the bytes are not all within the zip.
function packedBytes(r, entry) {
  if (!r.fits(entry.local, kLocalBytes) || r.u32(entry.local) !== kLocalSignature) return null;
  const start = entry.local + kLocalBytes + r.u16(entry.local + 26) + r.u16(entry.local + 28);
  return r.bytes(start, entry.packedSize);
}

// The deflated bytes unpacked in chunks, stopped as soon as they give more
// than the declared size, whatever the zip says elsewhere: the bytes, or null.
function inflated(packed, size) {
  const out = new Uint8Array(size);
  let made = 0;
  const inflater = new Inflate((chunk) => {
    if (made + chunk.length <= size) out.set(chunk, made);
    made += chunk.length;
  });
  try {
    for (let at = 0; at < packed.length && made <= size; at += kInflateChunk)
      inflater.push(packed.subarray(at, at + kInflateChunk), false);
    if (made <= size) inflater.push(new Uint8Array(0), true);
  } catch {
    return null;
  }
  return made === size ? out : null;
}

// The entry's bytes, or null when they are damaged.
function unpacked(r, entry) {
  const packed = packedBytes(r, entry);
  if (packed === null) return null;
  const bytes = entry.method === kStored ? (packed.length === entry.size ? packed.slice() : null)
                                         : inflated(packed, entry.size);
  return bytes !== null && crc32(bytes) === entry.crc ? bytes : null;
}

// { files: Map(path -> bytes) } of the zip's files, or { problem }: a
// sentence. largestBytes bounds the files' sum and mostEntries the entries;
// nameProblem(part) says why Windows can hold no file of that name ("" when
// it can), sameName(a, b) whether Windows takes two names for one. Folder
// entries are skipped, and a top folder holding every file taken off.
export function readZip(bytes, { largestBytes, mostEntries, nameProblem, sameName = (a, b) => a === b }) {
  if (!(bytes instanceof Uint8Array)) return { problem: kNotZip };
  const r = reader(bytes);
  const directory = centralDirectory(r, bytes.length);
  if (directory.problem) return directory;
  const listed = listEntries(r, directory, largestBytes, mostEntries);
  if (listed.problem) return listed;
  const files = listed.entries.filter((entry) => !entry.name.endsWith("/"));
  for (const file of files) {
    const problem = pathProblem(file.name, nameProblem);
    if (problem) return { problem };
  }
  const placed = folderPaths(files, sameName);
  if (placed.problem) return placed;
  const duplicate = duplicateProblem(placed.paths, sameName);
  if (duplicate) return { problem: duplicate };
  const out = new Map();
  for (let i = 0; i < files.length; i++) {
    const content = unpacked(r, files[i]);
    if (content === null) return { problem: `The zip's entry "${files[i].name}" is damaged` };
    out.set(placed.paths[i], content);
  }
  return { files: out };
}
