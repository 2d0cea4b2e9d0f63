// The board's own files in node, without the page: the palette, the board
// file and the zips the page writes and reads. Run from the repository's
// root, so that fflate resolves from node_modules.
"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const path = require("node:path");
const { zipSync } = require("fflate");

const board = path.join(__dirname, "..", "..", "src", "editor", "page", "board");
const modules = Promise.all(["palette.js", "boardfile.js", "zip.js"].map((name) => import(path.join(board, name))));
let palette, boardfile, zip;
test.before(async () => { [palette, boardfile, zip] = await modules; });

const utf8 = (text) => new TextEncoder().encode(text);
const concat = (parts) => {
  const all = new Uint8Array(parts.reduce((sum, part) => sum + part.length, 0));
  parts.reduce((at, part) => (all.set(part, at), at + part.length), 0);
  return all;
};

// WCAG 2's relative luminance of "#rrggbb".
function luminance(colour) {
  const channel = (at) => {
    const c = parseInt(colour.slice(at, at + 2), 16) / 255;
    return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
  };
  return 0.2126 * channel(1) + 0.7152 * channel(3) + 0.0722 * channel(5);
}

test("every colour of the palette keeps a white label readable, and each is its own", () => {
  const all = [...palette.kPadColours, palette.kStopColour];
  assert.equal(palette.kPadColours.length, 10);
  assert.equal(new Set(all).size, all.length);
  for (const colour of all) {
    assert.match(colour, /^#[0-9a-f]{6}$/);
    const contrast = 1.05 / (luminance(colour) + 0.05);
    assert.ok(contrast >= 4.5, `${colour} gives white a contrast of ${contrast.toFixed(2)}`);
  }
});

const kMostPads = 29;
const inFolder = new Set(["bell.wav", "horn.wav", "stop.wav"]);
const readBoard = (bytes) => boardfile.readBoardFile(bytes, { mostPads: kMostPads, hasSound: (p) => inFolder.has(p),
                                                               soundSeconds: (p) => (p === "bell.wav" ? 1.5 : 2) });
const fileOf = (file) => utf8(JSON.stringify(file));

function aBoard() {
  return {
    name: "Quiz night \u{1F514}",
    stopLabel: "Hush",
    stopSound: "stop.wav",
    pads: [
      { label: "Right \"answer\"", sound: "bell.wav", colour: palette.kPadColours[0], start: 0.01, end: 1.234,
        level: true, gainDb: 0 },
      { label: "\u{1F514}".repeat(200), sound: "horn.wav", colour: palette.kPadColours[9], start: 2, end: 7,
        level: false, gainDb: -3.5 },
    ],
  };
}

test("a board file reads back as the board, in the same bytes whatever the order of its fields", () => {
  const bytes = boardfile.boardFileBytes(aBoard());
  const text = new TextDecoder().decode(bytes);
  assert.ok(text.startsWith('{\n  "version": 2,\n  "name": "Quiz night'), text);
  assert.ok(text.endsWith("}\n"));
  assert.deepEqual(readBoard(bytes), { board: aBoard() });
  const shuffled = { pads: aBoard().pads.map(({ colour, sound, label, start, end, level, gainDb }) =>
                                              ({ gainDb, level, end, start, colour, sound, label })),
                     stopSound: "stop.wav", stopLabel: "Hush", name: aBoard().name };
  assert.deepEqual(boardfile.boardFileBytes(shuffled), bytes);
  // What is not a board is written as an empty one, never thrown on, whose
  // stop pad plays nothing, and which is refused; so is a pad that is none.
  for (const notABoard of [null, 7, { name: 7, pads: "x" }])
    assert.match(readBoard(boardfile.boardFileBytes(notABoard)).problem, /names "", which is not in the folder/);
  const emptyPad = readBoard(boardfile.boardFileBytes({ stopSound: "stop.wav", pads: [null] }));
  assert.match(emptyPad.problem, /names "", which is not in the folder/);
});

test("a version-1 board reads as pads that play their whole WAVs as they are", () => {
  const pads = aBoard().pads.map(({ label, sound, colour }) => ({ label, sound, colour }));
  const read = readBoard(fileOf({ ...aBoard(), version: 1, pads }));
  assert.deepEqual(read.board.pads.map(({ sound, start, end, level, gainDb }) => [sound, start, end, level, gainDb]),
                   [["bell.wav", 0, 1.5, false, 0], ["horn.wav", 0, 2, false, 0]]);
  const withPart = { ...pads[0], start: 0, end: 1, level: true, gainDb: 0 };
  assert.equal(readBoard(fileOf({ ...aBoard(), version: 1, pads: [withPart] })).problem,
               'lum-board.json gives pad 1 a field "start", which this page does not know');
});

test("a pad's part, level and gain are refused when this page makes none like them", () => {
  const pad = aBoard().pads[0];
  const cases = [
    [{ ...pad, start: 2, end: 1 }, "a part that is no stretch of seconds"],
    [{ ...pad, start: -1 }, "a part that is no stretch of seconds"],
    [{ ...pad, end: "7" }, "a part that is no stretch of seconds"],
    [{ ...pad, end: null }, "a part that is no stretch of seconds"],
    [{ ...pad, level: "yes" }, "a level that is neither true nor false"],
    [{ ...pad, gainDb: 21 }, "a gain that is not from -20 to 20 dB"],
    [{ ...pad, gainDb: null }, "a gain that is not from -20 to 20 dB"],
  ];
  for (const [bad, problem] of cases)
    assert.equal(readBoard(fileOf({ ...aBoard(), version: 2, pads: [bad] })).problem, "lum-board.json gives pad 1 " + problem);
});

test("a board file that is no board of this page is refused with what is wrong", () => {
  const withPads = (pads) => ({ version: 1, name: "b", stopLabel: "s", stopSound: "stop.wav", pads });
  const pad = { label: "a", sound: "bell.wav", colour: palette.kPadColours[1] };
  const cases = [
    ["a 10 MB label", fileOf(withPads([{ ...pad, label: "x".repeat(10 * 1024 * 1024) }])),
     /^lum-board\.json is 1048\d{4} bytes; a board file has at most 262144$/],
    ["a label of 201 characters", fileOf(withPads([pad, { ...pad, label: "x".repeat(201) }])),
     "lum-board.json gives pad 2 a label of 201 characters; labels may have at most 200"],
    ["a board name too long", fileOf({ ...withPads([]), name: "n".repeat(201) }),
     "lum-board.json gives the board a name of 201 characters; board names may have at most 200"],
    ["a stop label too long", fileOf({ ...withPads([]), stopLabel: "s".repeat(201) }),
     "lum-board.json gives the stop pad a label of 201 characters; labels may have at most 200"],
    ["40 pads", fileOf(withPads(Array(40).fill(pad))), "lum-board.json holds 40 pads; lum has room for 29"],
    ["an unknown version", fileOf({ ...withPads([]), version: 7 }),
     "lum-board.json is of version 7, which this page does not know"],
    ["no version", fileOf({ name: "b", stopLabel: "s", pads: [] }), "lum-board.json has no version"],
    ["a sound not in the folder", fileOf(withPads([{ ...pad, sound: "x.wav" }])),
     'lum-board.json names "x.wav", which is not in the folder'],
    ["damaged JSON", utf8('{"version": 1,'), /^lum-board\.json is damaged: /],
    ["a name that is no UTF-8", concat([utf8('{"version": 1, "name": "'), new Uint8Array([0xff]), utf8('", "stopLabel": "", "pads": []}')]),
     /^lum-board\.json is damaged: /],
    ["a list", fileOf([withPads([])]), "lum-board.json is damaged: it holds no record of a board"],
    ["null", utf8("null"), "lum-board.json is damaged: it holds no record of a board"],
    ["a string, not bytes", '{"version": 1}', "lum-board.json is damaged: it is no file's bytes"],
    ["an unknown field", fileOf({ ...withPads([]), theme: "dark" }),
     'lum-board.json gives the board a field "theme", which this page does not know'],
    ["a field named __proto__", utf8('{"version": 1, "name": "", "stopLabel": "", "pads": [], "__proto__": {}}'),
     'lum-board.json gives the board a field "__proto__", which this page does not know'],
    ["a missing field", fileOf({ version: 1, name: "b", pads: [] }), 'lum-board.json gives the board no field "stopLabel"'],
    ["a stop pad that plays nothing of the folder", fileOf({ ...withPads([]), stopSound: "gone.wav" }),
     'lum-board.json names "gone.wav", which is not in the folder'],
    ["pads that are no list", fileOf(withPads({ 0: pad })), "lum-board.json gives the board pads that are not a list"],
    ["a pad that is no record", fileOf(withPads([pad, "bell.wav"])),
     "lum-board.json gives pad 2 no record of a label, a sound and a colour"],
    ["a pad without its colour", fileOf(withPads([{ label: "a", sound: "bell.wav" }])),
     'lum-board.json gives pad 1 no field "colour"'],
    ["a label that is a number", fileOf(withPads([{ ...pad, label: 3 }])), "lum-board.json gives pad 1 a label that is not text"],
    ["a sound that is a list", fileOf(withPads([{ ...pad, sound: ["bell.wav"] }])),
     "lum-board.json gives pad 1 a sound that is not text"],
    ["a colour of no palette", fileOf(withPads([{ ...pad, colour: "#ffff00" }])),
     'lum-board.json gives pad 1 the colour "#ffff00", which is not one of the page\'s'],
    ["the stop pad's colour on a pad", fileOf(withPads([{ ...pad, colour: palette.kStopColour }])),
     `lum-board.json gives pad 1 the colour "${palette.kStopColour}", which is not one of the page's`],
  ];
  for (const [what, bytes, problem] of cases) {
    const read = readBoard(bytes);
    assert.equal(read.board, undefined, what);
    if (problem instanceof RegExp) assert.match(read.problem, problem, what);
    else assert.equal(read.problem, problem, what);
  }
});

const view = (bytes) => new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
const endOf = (bytes) => bytes.length - 22;  // the zips made here have no comment
// Where the central directory's entry i starts.
function centralAt(bytes, i) {
  let at = view(bytes).getUint32(endOf(bytes) + 16, true);
  for (let n = 0; n < i; n++)
    at += 46 + view(bytes).getUint16(at + 28, true) + view(bytes).getUint16(at + 30, true) + view(bytes).getUint16(at + 32, true);
  return at;
}
function patched(bytes, change) {
  const copy = bytes.slice();
  change(view(copy), copy);
  return copy;
}

const kLimits = { largestBytes: 1 << 20, mostEntries: 8, nameProblem: (part) => (part === "CON" ? "a device's name" : ""),
                  sameName: (a, b) => a.toLowerCase() === b.toLowerCase() };
const readZip = (bytes, limits = {}) => zip.readZip(bytes, { ...kLimits, ...limits });

test("the zip of a board is the same bytes every time, at a fixed time, and reads back as its files", () => {
  const wave = new Uint8Array(3000).map((_, i) => (i * 7) & 0xff);
  const entries = [["lum.ini", utf8("bell.wav 1 2 3 4\r\n".repeat(50)), { store: false }],
                   ["caf\u00e9.wav", wave, { store: true }]];
  const bytes = concat(zip.writeZip(entries));
  assert.deepEqual(concat(zip.writeZip(entries)), bytes);
  for (const i of [0, 1]) {
    const at = centralAt(bytes, i);
    assert.equal(view(bytes).getUint16(at + 10, true), i === 0 ? 8 : 0, "method");
    assert.equal(view(bytes).getUint16(at + 12, true), 0, "time 00:00");
    assert.equal(view(bytes).getUint16(at + 14, true), (20 << 9) | (1 << 5) | 1, "date 2000-01-01");
  }
  const read = readZip(bytes);
  assert.deepEqual([...read.files.keys()], ["lum.ini", "caf\u00e9.wav"]);
  assert.deepEqual(read.files.get("lum.ini"), entries[0][1]);
  assert.deepEqual(read.files.get("caf\u00e9.wav"), wave);
  // The same zip within a larger buffer, as a slice of a file reads.
  const inside = new Uint8Array(bytes.length + 10);
  inside.set(bytes, 5);
  assert.deepEqual(readZip(inside.subarray(5, 5 + bytes.length)), read);
});

test("one folder that holds every file is taken off; folders in it, and other paths, are refused by name", () => {
  const data = utf8("x");
  const files = readZip(zipSync({ "board/": {}, "board/lum.ini": data, "board/bell.wav": data })).files;
  assert.deepEqual([...files.keys()], ["lum.ini", "bell.wav"]);
  assert.deepEqual([...readZip(zipSync({ "lum.ini": data })).files.keys()], ["lum.ini"]);
  const cases = [
    [{ "board/lum.ini": data, "board/skin/lum.bmp": data }, /"board\/skin\/lum\.bmp" in a folder of its own/],
    [{ "lum.ini": data, "sounds/bell.wav": data }, /"sounds\/bell\.wav" in a folder of its own/],
    [{ "../x": data }, /"\.\.\/x" reaches out of its folder/],
    [{ "/x": data }, /"\/x" has an absolute path/],
    [{ "C:x": data }, /"C:x" names a drive/],
    [{ "a\\b": data }, /"a\\b" has a backslash/],
    [{ "board/CON": data }, 'The zip\'s entry "board/CON" cannot be a file on Windows: a device\'s name'],
    [{ "A.wav": data, "a.wav": data }, 'The zip holds "A.wav" and "a.wav", which Windows takes for one file'],
    [{ "Board/A.wav": data, "board/a.wav": data }, /"A\.wav" and "a\.wav"/],
  ];
  for (const [entries, problem] of cases) {
    const read = readZip(zipSync(entries));
    assert.equal(read.files, undefined, Object.keys(entries).join());
    if (problem instanceof RegExp) assert.match(read.problem, problem);
    else assert.equal(read.problem, problem);
  }
});

// A raw deflate stream that unpacks to `size` zero bytes (a multiple of 258,
// plus one): one literal, then matches of 258 at distance 1 in a fixed-code
// block, 13 bits for each.
function zerosStream(size) {
  const out = new Uint8Array(Math.ceil(((size / 258) * 13 + 32) / 8));
  let bit = 0;
  const put = (value, bits) => { for (let i = 0; i < bits; i++, bit++) out[bit >> 3] |= ((value >> i) & 1) << (bit & 7); };
  const code = (value, bits) => { for (let i = bits - 1; i >= 0; i--, bit++) out[bit >> 3] |= ((value >> i) & 1) << (bit & 7); };
  put(1, 1), put(1, 2);          // the last block, fixed codes
  code(0x30, 8);                 // the literal 0
  for (let made = 1; made < size; made += 258) code(0xc5, 8), code(0, 5);  // length 258, distance 1
  code(0, 7);                    // end of block
  return out.subarray(0, (bit + 7) >> 3);
}

test("a zip bomb is refused from its declared sizes, and one whose sizes lie stops at them", () => {
  const big = zipSync({ "a.wav": new Uint8Array(2 << 20) });
  assert.equal(readZip(big).problem, "The zip's files come to more than 1048576 bytes, more than the page takes");
  const split = zipSync({ "a.wav": new Uint8Array(600 << 10), "b.wav": new Uint8Array(600 << 10) });
  assert.match(readZip(split).problem, /more than 1048576 bytes/);
  const many = zipSync(Object.fromEntries(Array.from({ length: 9 }, (_, i) => [`${i}.wav`, utf8("x")])));
  assert.equal(readZip(many).problem, "The zip holds 9 entries; the page takes at most 8");

  // Declared as 1000 bytes, it unpacks to 1 GiB: only its first chunks are read.
  const lie = patched(zipSync({ "a.wav": new Uint8Array(1000) }, { level: 0 }), (v, bytes) => {
    const at = centralAt(bytes, 0);
    v.setUint16(at + 10, 8, true);
    v.setUint32(at + 20, 0, true);  // the packed size is set below
  });
  const stream = zerosStream(258 * 4161536 + 1);
  const head = lie.subarray(0, 30 + 5);  // the local header and its name
  const central = lie.subarray(centralAt(lie, 0), lie.length);
  const bomb = concat([head, stream, central]);
  const v = view(bomb), at = head.length + stream.length;
  v.setUint32(at + 20, stream.length, true);
  v.setUint32(bomb.length - 22 + 16, at, true);
  const started = Date.now();
  assert.equal(readZip(bomb, { largestBytes: 1 << 30 }).problem, 'The zip\'s entry "a.wav" is damaged');
  assert.ok(Date.now() - started < 1000, `read for ${Date.now() - started} ms`);
});

// A zip whose first entry's local header offset points into the second
// entry's data, at 30 bytes that are no header followed by the first's bytes.
function aimedAtNoHeader() {
  const fake = concat([utf8("JUNK"), new Uint8Array(26), utf8("abc")]);
  return patched(zipSync({ "a.wav": utf8("abc"), "b.bin": fake }, { level: 0 }), (v, b) => {
    const local1 = v.getUint32(centralAt(b, 1) + 42, true);
    const data1 = local1 + 30 + v.getUint16(local1 + 26, true) + v.getUint16(local1 + 28, true);
    v.setUint32(centralAt(b, 0) + 42, data1, true);
  });
}

test("damaged, hostile and foreign zips are refused with a sentence, never an exception", () => {
  const good = zipSync({ "bell.wav": utf8("ding ".repeat(100)), "\u00e9.wav": utf8("x") });
  const central0 = centralAt(good, 0), central1 = centralAt(good, 1);
  const cases = [
    ["a wrong CRC-32", patched(good, (v) => v.setUint32(central0 + 16, v.getUint32(central0 + 16, true) ^ 1, true)),
     'The zip\'s entry "bell.wav" is damaged'],
    ["a wrong size", patched(good, (v) => v.setUint32(central0 + 24, 499, true)), 'The zip\'s entry "bell.wav" is damaged'],
    ["a stored entry of the wrong size",
     patched(zipSync({ "a.wav": utf8("abc") }, { level: 0 }), (v, b) => v.setUint32(centralAt(b, 0) + 20, 2, true)),
     'The zip\'s entry "a.wav" is damaged'],
    ["a stored entry shorter than declared, its CRC-32 right for what it holds",
     patched(zipSync({ "a.wav": utf8("abc") }, { level: 0 }), (v, b) => {
       const at = centralAt(b, 0), ab = zipSync({ "a.wav": utf8("ab") });
       v.setUint32(at + 20, 2, true);
       v.setUint32(at + 16, view(ab).getUint32(centralAt(ab, 0) + 16, true), true);
     }),
     'The zip\'s entry "a.wav" is damaged'],
    ["an entry whose header is none", aimedAtNoHeader(), 'The zip\'s entry "a.wav" is damaged'],
    ["a local header out of the bytes", patched(good, (v) => v.setUint32(central0 + 42, good.length - 10, true)),
     'The zip\'s entry "bell.wav" is damaged'],
    ["ZIP64 sizes", patched(good, (v) => v.setUint32(central0 + 24, 0xffffffff, true)), /ZIP64/],
    ["a ZIP64 directory", patched(good, (v) => v.setUint32(endOf(good) + 16, 0xffffffff, true)), /ZIP64/],
    ["a ZIP64 directory's length", patched(good, (v) => v.setUint32(endOf(good) + 12, 0xffffffff, true)), /ZIP64/],
    ["a ZIP64 count", patched(good, (v) => { v.setUint16(endOf(good) + 8, 0xffff, true); v.setUint16(endOf(good) + 10, 0xffff, true); }),
     /ZIP64/],
    ["a ZIP64 locator", patched(good, (v) => v.setUint32(endOf(good) - 20, 0x07064b50, true)), /ZIP64/],
    ["an encrypted entry", patched(good, (v) => v.setUint16(central0 + 8, 1, true)),
     'The zip\'s entry "bell.wav" is encrypted, which the page does not read'],
    ["another method", patched(good, (v) => v.setUint16(central0 + 10, 12, true)),
     'The zip\'s entry "bell.wav" is packed by method 12; the page reads stored and deflated entries'],
    ["a name not ASCII without the UTF-8 mark", patched(good, (v) => v.setUint16(central1 + 8, 0, true)),
     /only ASCII names/],
    ["a directory past its end", patched(good, (v) => v.setUint32(endOf(good) + 12, good.length, true)),
     "The zip is damaged: its directory passes its end"],
    ["more entries than its directory holds", patched(good, (v) => { v.setUint16(endOf(good) + 8, 3, true); v.setUint16(endOf(good) + 10, 3, true); }),
     "The zip is damaged: its directory holds fewer entries than it says"],
    ["a name past the directory", patched(good, (v) => v.setUint16(central1 + 28, 500, true)),
     "The zip is damaged: an entry of its directory passes the directory's end"],
    ["several disks", patched(good, (v) => v.setUint16(endOf(good) + 4, 1, true)), /spread over several files/],
    ["no zip at all", utf8("lum.ini"), /^The file is no zip/],
    ["bytes after the end of the directory", concat([good, utf8("junk")]), /^The file is no zip/],
    ["not bytes", [1, 2, 3], /^The file is no zip/],
  ];
  for (const [what, bytes, problem] of cases) {
    const read = readZip(bytes);
    assert.equal(read.files, undefined, what);
    if (problem instanceof RegExp) assert.match(read.problem, problem, what);
    else assert.equal(read.problem, problem, what);
  }
  // Every cut of the zip, and bytes of every value where its fields are.
  for (let length = 0; length < good.length; length++) assert.ok(readZip(good.subarray(0, length)).problem, `cut at ${length}`);
  let seed = 1;
  const random = () => (seed = (seed * 1103515245 + 12345) >>> 0) >>> 16;
  for (let i = 0; i < 2000; i++) {
    const hostile = patched(good, (v, b) => { for (let n = 0; n < 4; n++) b[random() % b.length] = random() & 0xff; });
    const read = readZip(hostile);
    assert.ok(read.problem || read.files, "an answer");
  }
});

test("a label reads at 4.5:1 or more on a pad of any colour", () => {
  const hex = (n) => n.toString(16).padStart(2, "0");
  for (let r = 0; r < 256; r += 15) for (let g = 0; g < 256; g += 15) for (let b = 0; b < 256; b += 15) {
    const pad = "#" + hex(r) + hex(g) + hex(b), label = palette.labelColour(pad);
    const [light, dark] = [luminance(label), luminance(pad)].sort((x, y) => y - x);
    const contrast = (light + 0.05) / (dark + 0.05);
    assert.ok(contrast >= 4.5, `${label} on ${pad} reads at ${contrast.toFixed(2)}`);
  }
});
