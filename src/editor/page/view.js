// The view: the skin on the canvas with each hotspot's outline, the line
// list, the line editor's fields, the findings and the status line, all
// shown from the document by render(). A gesture in progress, a scroll and
// the zoom redraw the canvas alone.

import { hasFolder, now, selectedLine } from "./document.js";
import { codePages, facts, skinPixels, skinSize } from "./model.js";
import { tooLargeForPage } from "./folder.js";

const kShownLines = 1000;                // the list shows no more; the rest are kept as they are
const kCheckerSquare = 8;
const kOutline = { sound: "rgb(0,80,255)", minimise: "rgb(0,160,0)", exit: "rgb(224,0,0)", none: "#888" };
const kHalo = [["#fff", 1], ["#000", 1]];  // outside each outline: style and width in screen pixels
export const kCoordinates = ["left", "top", "right", "bottom"];

const view = {
  skin: null,            // { width, height, layer }; layer is null for a skin too large to show
  skinEdition: 0,        // the document's skin that the layer shows
  zoom: 1,
  gesture: null,         // { kind, slot, box } while a gesture is in progress
  pageNames: new Map(),  // code page -> "1251 Cyrillic"
};

export const $ = (id) => document.getElementById(id);

// The labels say the file names the model gives, and the coordinate fields
// take the numbers it can write.
export function startView() {
  const names = (text) => text.replaceAll("{hotspotFile}", facts().hotspotFile).replaceAll("{skinFile}", facts().skinFile);
  for (const element of document.querySelectorAll("[title]")) element.title = names(element.title);
  for (const part of document.querySelectorAll("header, aside")) {
    const walker = document.createTreeWalker(part, NodeFilter.SHOW_TEXT);
    while (walker.nextNode()) walker.currentNode.nodeValue = names(walker.currentNode.nodeValue);
  }
  for (const id of kCoordinates) Object.assign($(id), { min: facts().smallestCoordinate, max: facts().largestCoordinate });
  for (const { page, script } of codePages()) view.pageNames.set(page, page + " " + script);
  $("code-page").replaceChildren(...[...view.pageNames].map(([page, name]) => new Option(name, String(page))));
}

export function skinShown() {
  return view.skin;
}

export function zoom() {
  return view.zoom;
}

// The skin's pixels change only with a new skin file; they are kept in a
// layer that every redraw scales.
function takeSkin() {
  const { width, height } = skinSize();
  view.skin = null;
  $("skin-canvas").dataset.skin = width ? width + " × " + height : "";
  if (!width) return;
  if (tooLargeForPage(width, height)) {
    view.skin = { width, height, layer: null };
    return;
  }
  const layer = document.createElement("canvas");
  layer.width = width;
  layer.height = height;
  layer.getContext("2d").putImageData(new ImageData(skinPixels(width, height), width, height), 0, 0);
  view.skin = { width, height, layer };
}

function checkerPattern(context) {
  const tile = document.createElement("canvas");
  tile.width = tile.height = 2 * kCheckerSquare;
  const t = tile.getContext("2d");
  t.fillStyle = "#fff";
  t.fillRect(0, 0, tile.width, tile.height);
  t.fillStyle = "#ccc";
  t.fillRect(0, 0, kCheckerSquare, kCheckerSquare);
  t.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare);
  return context.createPattern(tile, "repeat");
}

// The canvas shows only the part of the zoomed skin in view, so its size
// does not grow with the skin or the zoom.
function layout() {
  const viewport = $("viewport"), board = $("board"), canvas = $("skin-canvas");
  const width = view.skin ? view.skin.width * view.zoom : 0;
  const height = view.skin ? view.skin.height * view.zoom : 0;
  board.style.width = width + "px";
  board.style.height = height + "px";
  const shownWidth = Math.max(1, Math.min(width, viewport.clientWidth));
  const shownHeight = Math.max(1, Math.min(height, viewport.clientHeight));
  if (canvas.width !== shownWidth || canvas.height !== shownHeight) {
    canvas.width = shownWidth;
    canvas.height = shownHeight;
  }
}

export function drawCanvas() {
  layout();
  const canvas = $("skin-canvas"), viewport = $("viewport");
  const context = canvas.getContext("2d");
  context.clearRect(0, 0, canvas.width, canvas.height);
  if (!view.skin) return;
  const z = view.zoom, left = viewport.scrollLeft, top = viewport.scrollTop;
  context.save();
  context.translate(-(left % (2 * kCheckerSquare)), -(top % (2 * kCheckerSquare)));
  context.fillStyle = checkerPattern(context);
  context.fillRect(0, 0, canvas.width + 2 * kCheckerSquare, canvas.height + 2 * kCheckerSquare);
  context.restore();
  if (!view.skin.layer) { sayTooLargeToShow(context); return; }
  context.imageSmoothingEnabled = false;
  const sx = Math.floor(left / z), sy = Math.floor(top / z);
  const sw = Math.min(view.skin.width - sx, Math.ceil(canvas.width / z) + 1);
  const sh = Math.min(view.skin.height - sy, Math.ceil(canvas.height / z) + 1);
  context.drawImage(view.skin.layer, sx, sy, sw, sh, sx * z - left, sy * z - top, sw * z, sh * z);
  const line = selectedLine(), gesture = view.gesture;
  // The selected hotspot's outline last, over the others.
  const isSelected = (spot) => line !== null && spot.slot - 1 === line.slot;
  const spots = now().hotspots;
  for (const spot of [...spots.filter((s) => !isSelected(s)), ...spots.filter(isSelected)]) {
    const box = gesture && gesture.slot === spot.slot - 1 ? gesture.box : spot.interior;
    outline(context, box, spot, isSelected(spot), left, top);
  }
  if (gesture && gesture.kind === "draw") outline(context, gesture.box, null, true, left, top);
}

function sayTooLargeToShow(context) {
  context.fillStyle = "#222";
  context.font = "13px sans-serif";
  context.fillText("This skin, " + view.skin.width + " × " + view.skin.height + " pixels, is too large to show here;", 8, 20);
  context.fillText("its lines and findings are checked as usual.", 8, 38);
}

// Around the interior, on the edge pixels, which a press does not reach; a
// light and a dark line just outside keep it visible on a picture of its own
// colour, and on any other. The selected outline is twice as wide.
function outline(context, box, spot, selected, left, top) {
  if (box[0] >= box[2] || box[1] >= box[3]) return;
  const z = view.zoom;
  const x = box[0] * z - left, y = box[1] * z - top, w = (box[2] - box[0]) * z, h = (box[3] - box[1]) * z;
  const colour = spot ? kOutline[spot.action] : "#f0f";
  let out = 0;
  for (const [style, width] of [[colour, selected ? 2 : 1], ...kHalo]) {
    context.lineWidth = width;
    context.strokeStyle = style;
    const inset = out + width / 2;
    context.strokeRect(x - inset, y - inset, w + 2 * inset, h + 2 * inset);
    out += width;
  }
  if (!spot) return;
  context.font = "10px sans-serif";
  const label = String(spot.line);
  context.fillStyle = colour;
  context.fillRect(x, y, context.measureText(label).width + 4, 12);
  context.fillStyle = "#fff";
  context.fillText(label, x + 2, y + 10);
}

function lineLabel(line, index) {
  const shown = line.name ? line.name + " " + line.rect.join(" ") : "(no fields)";
  const past = line.slot === facts().noHotspot ? "  (past the " + facts().slots + " slots)" : "";
  return String(index + 1).padStart(3) + "  " + shown + past;
}

function showLines(d) {
  const items = d.lines.slice(0, kShownLines).map((line, index) => {
    const item = document.createElement("li");
    item.dataset.line = String(index + 1);
    if (line.slot === facts().noHotspot || !line.name) item.className = "unused";
    if (index === d.selected) item.classList.add("selected");
    const button = document.createElement("button");
    button.textContent = lineLabel(line, index);
    item.append(button);
    return item;
  });
  if (d.lines.length > kShownLines) {
    const more = document.createElement("li");
    more.textContent = "… and " + (d.lines.length - kShownLines) + " more lines, kept as they are";
    items.push(more);
  }
  $("lines").replaceChildren(...items);
}

function actionOption(name) {
  const label = { [facts().minimiseKeyword]: " (minimise)", [facts().exitKeyword]: " (end)" }[name] || "";
  return new Option(name + label, name);
}

function showLineEditor(d) {
  const line = d.selected >= 0 ? d.lines[d.selected] : null;
  for (const id of ["delete", "move-up", "move-down", "action", "path", ...kCoordinates]) $(id).disabled = !line;
  const choices = [facts().minimiseKeyword, facts().exitKeyword, ...d.sounds];
  $("action").replaceChildren(...choices.map(actionOption), new Option("another path…", ""));
  $("line-problem").textContent = d.lineProblem;
  if (!line) return;
  $("action").value = choices.includes(line.name) ? line.name : "";
  $("path").value = line.name;
  kCoordinates.forEach((id, i) => { $(id).value = String(line.rect[i]); });
}

// A finding whose name is a file of the folder when read in another code
// page offers to switch to it.
function codePageSwitch(page) {
  const button = document.createElement("button");
  button.className = "code-page-switch";
  button.value = String(page);
  button.textContent = "Read names in " + view.pageNames.get(page);
  return button;
}

function showFindings(d) {
  const items = (d.report ? d.report.findings : []).map((finding) => {
    const item = document.createElement("li");
    item.dataset.line = String(finding.line);
    item.dataset.kind = finding.kind;
    item.dataset.level = finding.level;
    item.title = finding.message;
    const where = finding.line ? "line " + finding.line : "folder";
    item.textContent = where + " " + finding.level + " " + finding.kind + ": " + finding.message;
    if (finding.line === d.selected + 1) item.classList.add("selected");
    if (finding.foundInCodePage) item.append(" ", codePageSwitch(finding.foundInCodePage));
    return item;
  });
  $("findings").replaceChildren(...items);
}

// Each sound of the folder; one added here can be taken out again.
function showSounds(d) {
  $("sounds").replaceChildren(...d.sounds.map((name) => {
    const item = document.createElement("li");
    item.textContent = name;
    if (!d.removable.includes(name)) return item;
    const button = document.createElement("button");
    Object.assign(button, { className: "remove-sound", value: name, textContent: "Remove", title: "Remove " + name });
    item.append(" ", button);
    return item;
  }));
}

function showStatus(d) {
  $("status").textContent = d.notice.text;
  $("status").classList.toggle("problem", d.notice.problem);
  $("progress").hidden = !d.progress;
  if (!d.progress) { delete document.body.dataset.busy; return; }
  Object.assign($("progress"), { max: Math.max(d.progress.total, 1), value: d.progress.done });
  document.body.dataset.busy = "1";
}

// Everything shown, from the document. data-checks says how many checks
// have been shown, so that a script can wait for one.
export function render() {
  const d = now();
  if (view.skinEdition !== d.skinEdition) {
    view.skinEdition = d.skinEdition;
    takeSkin();
  }
  drawCanvas();
  showLines(d);
  showLineEditor(d);
  showFindings(d);
  showSounds(d);
  showStatus(d);
  $("code-page").value = String(d.codePage);
  $("download-board").disabled = !hasFolder();
  if (d.checks && document.body.dataset.checks !== String(d.checks)) document.body.dataset.checks = String(d.checks);
}

// The gesture's box in place of its hotspot's, or a hotspot being drawn; null when none.
export function showGesture(gesture) {
  view.gesture = gesture;
  drawCanvas();
}

export function setZoom(zoom) {
  view.zoom = Math.max(1, Math.min(8, zoom));
  $("zoom").value = String(view.zoom);
  drawCanvas();
}

// The pixel under the pointer and what a press there does, as lum.exe decides it.
export function showPointer(point, slot) {
  $("position").textContent = slot === null ? "–" : "x " + point[0] + ", y " + point[1];
  $("press").textContent = slot === null ? "" : pressText(slot);
}

function pressText(slot) {
  if (slot === facts().noHotspot) return "drag";
  const spot = now().hotspots[slot];
  return spot.action === "sound" ? "line " + spot.line + ": " + spot.name : spot.action;
}
