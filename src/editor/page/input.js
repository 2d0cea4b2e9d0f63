// The input: the pointer on the skin, the keys, the toolbar and the line
// editor's controls, and what is dropped onto the page.

const kHandleReach = 5;                  // screen pixels around an edge that grab it

const input = {
  gesture: null,         // { kind: draw, move or resize, slot, from, start, edges, box } while the button is down
};

function skinPoint(event) {
  const rect = $("board").getBoundingClientRect();
  return [Math.floor((event.clientX - rect.left) / view.zoom), Math.floor((event.clientY - rect.top) / view.zoom)];
}

// What a press at the point does, as lum.exe decides it.
function pressText(slot) {
  if (slot === bridge.facts.noHotspot) return "drag";
  const spot = doc.hotspots[slot];
  return spot.action === "sound" ? "line " + spot.line + ": " + spot.name : spot.action;
}

// The edges of the selected hotspot's interior that a press at the point grabs.
function edgesNear(event) {
  const line = selectedLine();
  if (!line || !doc.hotspots[line.slot]) return null;
  const box = doc.hotspots[line.slot].interior;
  const rect = $("board").getBoundingClientRect(), z = view.zoom;
  const x = event.clientX - rect.left, y = event.clientY - rect.top;
  const near = (value, edge) => Math.abs(value - edge * z) <= kHandleReach;
  const within = (value, low, high) => value >= low * z - kHandleReach && value <= high * z + kHandleReach;
  if (!within(x, box[0], box[2]) || !within(y, box[1], box[3])) return null;
  const edges = { left: near(x, box[0]), top: near(y, box[1]), right: near(x, box[2]), bottom: near(y, box[3]) };
  return edges.left || edges.top || edges.right || edges.bottom ? edges : null;
}

const kTried = {
  minimise: "minimise: the window would be minimised.",
  exit: "exit: the program would end.",
};

function tryPress(slot) {
  if (slot === bridge.facts.noHotspot) { say("drag: the window would follow the pointer until the button is let go."); return; }
  const spot = doc.hotspots[slot];
  if (kTried[spot.action]) { say(kTried[spot.action]); return; }
  const path = soundFileOf(slot);
  if (!path) { say("line " + spot.line + ": " + spot.name + " is not found in the folder, so nothing would play.", true); return; }
  const audio = new Audio(URL.createObjectURL(new Blob([readFolderFile(path)], { type: "audio/wav" })));
  audio.addEventListener("ended", () => URL.revokeObjectURL(audio.src));
  audio.play().then(() => say("line " + spot.line + ": playing " + spot.name + "."),
                    () => say("line " + spot.line + ": the browser cannot play " + spot.name + ".", true));
}

// The gesture a press starts: on an edge of the selected hotspot (which
// can be grabbed from just off the skin), on a hotspot, or on free skin.
function startGesture(event, point, slot) {
  const edges = edgesNear(event);
  if (edges) {
    const line = selectedLine();
    return { kind: "resize", edges, slot: line.slot, from: point, start: doc.hotspots[line.slot].interior };
  }
  if (slot === null) return null;
  if (slot !== bridge.facts.noHotspot) {
    select(lineOfSlot(slot));
    return { kind: "move", slot, from: point, start: doc.hotspots[slot].interior };
  }
  return { kind: "draw", slot: null, from: point, start: null };
}

function onPointerDown(event) {
  if (!view.skin || event.button !== 0) return;
  const point = skinPoint(event);
  const slot = slotAt(point);
  if ($("try").checked) { if (slot !== null) tryPress(slot); return; }
  const gesture = startGesture(event, point, slot);
  if (!gesture) return;
  $("skin-canvas").setPointerCapture(event.pointerId);  // the gesture goes on outside the canvas
  $("viewport").focus({ preventScroll: true });
  gesture.box = gestureBox(gesture, point);
  input.gesture = gesture;
  draw();
}

function clamp(value, low, high) {
  return Math.max(low, Math.min(high, value));
}

// The interior the gesture gives with the pointer at point, as x0, y0, x1, y1.
function gestureBox(g, point) {
  const dx = point[0] - g.from[0], dy = point[1] - g.from[1];
  if (g.kind === "draw") {
    const x = clamp(point[0], 0, view.skin.width - 1), y = clamp(point[1], 0, view.skin.height - 1);
    return [Math.min(g.from[0], x), Math.min(g.from[1], y), Math.max(g.from[0], x) + 1, Math.max(g.from[1], y) + 1];
  }
  const b = g.start;
  if (g.kind === "move") return [b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy];
  const box = [b[0] + (g.edges.left ? dx : 0), b[1] + (g.edges.top ? dy : 0),
               b[2] + (g.edges.right ? dx : 0), b[3] + (g.edges.bottom ? dy : 0)];
  return [Math.min(box[0], box[2] - 1), Math.min(box[1], box[3] - 1), Math.max(box[2], box[0] + 1), Math.max(box[3], box[1] + 1)];
}

function onPointerMove(event) {
  const point = skinPoint(event);
  const slot = view.skin ? slotAt(point) : null;
  $("position").textContent = slot === null ? "–" : "x " + point[0] + ", y " + point[1];
  $("press").textContent = slot === null ? "" : pressText(slot);
  if (!input.gesture) return;
  input.gesture.box = gestureBox(input.gesture, point);
  draw();
}

function onPointerUp(event) {
  const g = input.gesture;
  if (!g) return;
  input.gesture = null;
  g.box = gestureBox(g, skinPoint(event));
  const moved = g.start ? g.box.some((v, i) => v !== g.start[i]) : g.box[2] - g.box[0] > 1 || g.box[3] - g.box[1] > 1;
  if (!moved) draw();
  else if (g.kind === "draw") addHotspot(g.box);
  else setLine(lineOfSlot(g.slot), null, rectAround(g.box));
}

// A new hotspot in the middle of the part of the skin in view, which can be
// smaller than the view.
function addHotspotInView() {
  if (!view.skin) return;
  const viewport = $("viewport"), z = view.zoom, half = 10;
  const x = Math.floor((viewport.scrollLeft + Math.min(viewport.clientWidth, view.skin.width * z) / 2) / z);
  const y = Math.floor((viewport.scrollTop + Math.min(viewport.clientHeight, view.skin.height * z) / 2) / z);
  addHotspot([Math.max(0, x - half), Math.max(0, y - half),
              Math.min(view.skin.width, x + half), Math.min(view.skin.height, y + half)]);
}

function cancelGesture() {
  if (!input.gesture) return false;
  input.gesture = null;
  draw();
  return true;
}

// ---- Keys: the first entry that matches acts ------------------------------

const kArrows = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
const shift = (e, dx, dy) => shiftSelected(dx * (e.shiftKey ? 10 : 1), dy * (e.shiftKey ? 10 : 1), e.ctrlKey || e.metaKey);
// control: Ctrl (or Cmd) held or not, shift and alt alike, any when not
// given; typing: also while a text field has the focus.
const kKeys = [
  { keys: ["z"], control: true, shift: false, does: undo },
  { keys: ["z"], control: true, shift: true, does: redo },
  { keys: ["y"], control: true, does: redo },
  { keys: ["s"], control: true, typing: true, does: save },
  { keys: ["ArrowUp"], alt: true, does: () => moveSelected(-1) },
  { keys: ["ArrowDown"], alt: true, does: () => moveSelected(1) },
  ...Object.entries(kArrows).map(([key, [dx, dy]]) => ({ keys: [key], does: (e) => shift(e, dx, dy) })),
  { keys: ["Delete", "Backspace"], does: deleteSelected },
  { keys: ["n", "Insert"], does: addHotspotInView },
  { keys: ["t"], does: () => { $("try").checked = !$("try").checked; } },
  { keys: ["+", "="], does: () => setZoom(view.zoom + 1) },
  { keys: ["-"], does: () => setZoom(view.zoom - 1) },
  { keys: ["Escape"], does: cancelGesture },
];

function keyMatches(entry, event, key, typing) {
  const control = event.ctrlKey || event.metaKey;
  const held = (wanted, down) => wanted === undefined || wanted === down;
  return entry.keys.includes(key) && (!typing || entry.typing) && held(entry.control, control) &&
         held(entry.shift, event.shiftKey) && held(entry.alt, event.altKey);
}

function onKey(event) {
  const typing = /^(INPUT|SELECT|TEXTAREA)$/.test(event.target.tagName) && event.target.type !== "checkbox";
  const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
  const entry = kKeys.find((k) => keyMatches(k, event, key, typing));
  if (entry && entry.does(event) !== false) event.preventDefault();
}

// ---- The line editor's controls ------------------------------------------

function onActionChange() {
  const line = selectedLine();
  const name = $("action").value;
  if (!line) return;
  if (!name) { $("path").focus(); return; }
  if (name !== line.name) setLine(doc.selected, name, line.rect);
}

function onPathChange() {
  const line = selectedLine();
  if (line && $("path").value !== line.name) setLine(doc.selected, $("path").value, line.rect);
}

function onCoordinateChange() {
  const line = selectedLine();
  if (!line) return;
  const rect = kCoordinates.map((id) => Number.parseInt($(id).value, 10));
  if (rect.some((v) => !Number.isSafeInteger(v) || v < -2147483648 || v > 2147483647)) {
    showLineProblem("Coordinates are whole numbers from -2147483648 to 2147483647.");
    return;
  }
  setLine(doc.selected, line.name ? null : firstSoundName(), rect);
}

// ---- Dropped files: each does what its button does -----------------------

// A folder opens; .wav files are added as sounds; one other file is a picture.
// The entries are taken before the first wait, while the drop still holds them.
function onDrop(event) {
  event.preventDefault();
  const items = [...event.dataTransfer.items];
  const entries = items.map((item) => (item.webkitGetAsEntry ? item.webkitGetAsEntry() : null));
  const files = [...event.dataTransfer.files];
  const folderEntry = entries.find((entry) => entry && entry.isDirectory);
  if (folderEntry) openDroppedFolder(folderEntry);
  else if (files.length === 1 && !isWaveName(files[0].name)) importPicture(files[0]);
  else if (files.length) addSounds(files);
}
