// The view: the skin on the canvas with each hotspot's outline, the line
// list, the line editor's fields, the findings and the status line.

const kShownLines = 1000;                // the list shows no more; the rest are kept as they are
const kCheckerSquare = 8;
const kOutline = { sound: "rgb(0,80,255)", minimise: "rgb(0,160,0)", exit: "rgb(224,0,0)", none: "#888" };
const kCoordinates = ["left", "top", "right", "bottom"];

const view = {
  skin: null,            // { width, height, layer }; layer is null for a skin too large to show
  zoom: 1,
  checks: 0,             // checks shown, for data-checks
};

const $ = (id) => document.getElementById(id);

// The skin's pixels change only with a new lum.bmp; they are kept in a layer
// that every redraw scales.
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

function draw() {
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
  const line = selectedLine(), gesture = input.gesture;
  for (const spot of doc.hotspots) {
    const box = gesture && gesture.slot === spot.slot - 1 ? gesture.box : spot.interior;
    outline(context, box, spot, line !== null && spot.slot - 1 === line.slot, left, top);
  }
  if (gesture && gesture.kind === "draw") outline(context, gesture.box, null, true, left, top);
}

function sayTooLargeToShow(context) {
  context.fillStyle = "#222";
  context.font = "13px sans-serif";
  context.fillText("This skin, " + view.skin.width + " × " + view.skin.height + " pixels, is too large to show here;", 8, 20);
  context.fillText("its lines and findings are checked as usual.", 8, 38);
}

// Around the interior, on the edge pixels, which a press does not reach.
function outline(context, box, spot, selected, left, top) {
  if (box[0] >= box[2] || box[1] >= box[3]) return;
  const z = view.zoom;
  const x = box[0] * z - left, y = box[1] * z - top, w = (box[2] - box[0]) * z, h = (box[3] - box[1]) * z;
  context.lineWidth = selected ? 2 : 1;
  context.strokeStyle = spot ? kOutline[spot.action] : "#f0f";
  const inset = selected ? 1 : 0.5;
  context.strokeRect(x - inset, y - inset, w + 2 * inset, h + 2 * inset);
  if (!spot) return;
  context.font = "10px sans-serif";
  const label = String(spot.line);
  context.fillStyle = context.strokeStyle;
  context.fillRect(x, y, context.measureText(label).width + 4, 12);
  context.fillStyle = "#fff";
  context.fillText(label, x + 2, y + 10);
}

function lineLabel(line, index) {
  const shown = line.name ? line.name + " " + line.rect.join(" ") : "(no fields)";
  const past = line.slot === bridge.facts.noHotspot ? "  (past the " + bridge.facts.slots + " slots)" : "";
  return String(index + 1).padStart(3) + "  " + shown + past;
}

function showLines() {
  const items = doc.lines.slice(0, kShownLines).map((line, index) => {
    const item = document.createElement("li");
    item.dataset.line = String(index + 1);
    if (line.slot === bridge.facts.noHotspot || !line.name) item.className = "unused";
    if (index === doc.selected) item.classList.add("selected");
    const button = document.createElement("button");
    button.textContent = lineLabel(line, index);
    button.addEventListener("click", () => select(index));
    item.append(button);
    return item;
  });
  if (doc.lines.length > kShownLines) {
    const more = document.createElement("li");
    more.textContent = "… and " + (doc.lines.length - kShownLines) + " more lines, kept as they are";
    items.push(more);
  }
  $("lines").replaceChildren(...items);
  showLineEditor();
}

function actionOption(name) {
  const facts = bridge.facts;
  const label = { [facts.minimiseKeyword]: " (minimise)", [facts.exitKeyword]: " (end)" }[name] || "";
  return new Option(name + label, name);
}

function showLineEditor() {
  const line = selectedLine();
  for (const id of ["delete", "move-up", "move-down", "action", "path", ...kCoordinates]) $(id).disabled = !line;
  const choices = [bridge.facts.minimiseKeyword, bridge.facts.exitKeyword, ...soundChoices()];
  $("action").replaceChildren(...choices.map(actionOption), new Option("another path…", ""));
  if (!line) return;
  $("action").value = choices.includes(line.name) ? line.name : "";
  $("path").value = line.name;
  kCoordinates.forEach((id, i) => { $(id).value = String(line.rect[i]); });
}

function showLineProblem(text) {
  $("line-problem").textContent = text;
  if (text) showLineEditor();
}

function showFindings() {
  const items = doc.report.findings.map((finding) => {
    const item = document.createElement("li");
    item.dataset.line = String(finding.line);
    item.dataset.kind = finding.kind;
    item.dataset.level = finding.level;
    item.title = finding.message;
    const where = finding.line ? "line " + finding.line : "folder";
    item.textContent = where + " " + finding.level + " " + finding.kind + ": " + finding.message;
    if (finding.line === doc.selected + 1) item.classList.add("selected");
    item.addEventListener("click", () => { if (finding.line) select(finding.line - 1); });
    return item;
  });
  $("findings").replaceChildren(...items);
}

// A check shown: data-checks counts them, so that a script can wait for one.
function showChecked() {
  draw();
  showLines();
  showFindings();
  document.body.dataset.checks = String(++view.checks);
}

function say(text, problem) {
  $("status").textContent = text;
  $("status").classList.toggle("problem", Boolean(problem));
}

function select(index) {
  doc.selected = index;
  showLineProblem("");
  draw();
  showLines();
  showFindings();
}

function setZoom(zoom) {
  view.zoom = Math.max(1, Math.min(8, zoom));
  $("zoom").value = String(view.zoom);
  draw();
}

function showCodePages() {
  $("code-page").replaceChildren(...codePages().map(({page, script}) => new Option(`${page} ${script}`, String(page))));
  $("code-page").value = String(doc.codePage);
}
