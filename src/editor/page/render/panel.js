// The controls: the toolbar's state, a board's panel (its name, its pads
// and the selected pad's fields) and a skin's line editor. A board offers
// no line tools, so nothing can make a line without paint.

import { $, showValue } from "./dom.js";
import { facts, soundSeconds } from "../model.js";
import { kPadColours, kColourNames } from "../board/palette.js";
import { zipSize } from "../board/package.js";
import { renderPart } from "./part.js";

export const kCoordinates = ["left", "top", "right", "bottom"];
const shown = { board: undefined, kind: "" };

// How long the sound lasts, as 0:03.2; "" when the model cannot tell.
export function lengthText(seconds) {
  if (!(seconds > 0)) return "";
  const tenths = Math.round(seconds * 10);
  const minutes = Math.floor(tenths / 600), rest = (tenths % 600) / 10;
  return minutes + ":" + (rest < 10 ? "0" : "") + rest.toFixed(1);
}

export function sizeText(bytes) {
  if (bytes < 1e6) return Math.max(1, Math.round(bytes / 1e3)) + " kB";
  return (bytes / 1e6).toFixed(1) + " MB";
}

function showToolbar(s) {
  $("undo").disabled = !s.canUndo;
  $("redo").disabled = !s.canRedo;
  $("save").disabled = !s.open;
  $("download-board").disabled = !s.open;
  const size = s.open ? zipSize(s.packageFiles) : null;
  $("download-board").textContent = "Download board" + (size ? " (" + sizeText(size) + ")" : "");
  $("try").checked = s.trying;
  $("zoom").value = String(s.zoom);
  $("code-page").value = String(s.codePage);
  $("record").textContent = s.recording ? "Stop recording" : "Record";
  $("record").setAttribute("aria-pressed", String(s.recording !== null));
  $("recording").hidden = !s.recording;
  if (s.recording) {
    $("record-level").value = s.recording.level;
    $("record-time").textContent = lengthText(s.recording.seconds) || "0:00.0";
  }
}

function actionOption(name) {
  const label = { [facts().minimiseKeyword]: " (minimise)", [facts().exitKeyword]: " (end)" }[name] || "";
  return new Option(name + label, name);
}

function showLineEditor(s) {
  const line = s.selected >= 0 ? s.lines[s.selected] : null;
  for (const id of ["delete", "move-up", "move-down", "action", "path", ...kCoordinates]) $(id).disabled = !line;
  const choices = [facts().minimiseKeyword, facts().exitKeyword, ...s.sounds];
  const options = [...choices.map(actionOption), new Option("another path…", "")];
  if ($("action").options.length !== options.length || [...$("action").options].some((o, i) => o.value !== options[i].value))
    $("action").replaceChildren(...options);
  $("line-problem").textContent = s.lineProblem;
  $("action").value = line && choices.includes(line.name) ? line.name : "";
  showValue($("path"), line ? line.name : "");
  kCoordinates.forEach((id, i) => showValue($(id), line ? String(line.rect[i]) : ""));
}

function colourOptions() {
  return kPadColours.map((colour) => new Option(kColourNames[colour], colour));
}

// The buttons act on the selected pad: their names say which.
function nameButtons(label) {
  const pad = "pad \"" + label + "\"";
  $("pad-earlier").setAttribute("aria-label", "Move earlier: " + pad);
  $("pad-later").setAttribute("aria-label", "Move later: " + pad);
  $("pad-remove").setAttribute("aria-label", "Remove " + pad);
  $("pad-replace").setAttribute("aria-label", "Replace sound of " + pad);
}

// The selected pad's fields; empty and hidden when no pad is selected.
function showPadEditor(s) {
  const board = s.board;
  const index = s.selected;
  const isPad = index >= 0 && index < board.pads.length, isStop = index === board.pads.length;
  $("pad-editor").hidden = !isPad && !isStop;
  if (!isPad && !isStop) { showValue($("pad-label"), ""); return; }
  const pad = isPad ? board.pads[index] : null;
  showValue($("pad-label"), isPad ? pad.label : board.stopLabel);
  for (const id of ["pad-colour", "pad-earlier", "pad-later", "pad-remove", "pad-replace"]) $(id).disabled = !isPad;
  $("pad-earlier").disabled = !isPad || index === 0;
  $("pad-later").disabled = !isPad || index === board.pads.length - 1;
  if ($("pad-colour").options.length !== kPadColours.length) $("pad-colour").replaceChildren(...colourOptions());
  $("pad-colour").value = isPad ? pad.colour : "";
  $("pad-colour-row").hidden = !isPad;
  $("pad-actions").hidden = !isPad;
  if (isPad) nameButtons(pad.label);
  const sound = isPad ? pad.sound : board.stopSound;
  const length = lengthText(soundSeconds(sound));
  $("pad-sound").textContent = isPad ? sound + (length ? ", " + length : "") : "a short silence, which ends the sound playing";
  renderPart(s, index);
}

// On a board its panel, on a skin the line tools. The lines of the hotspot
// file stay one step away on a board: folded, until the user opens them.
function showKind(s) {
  const kind = !s.open ? "" : s.board ? "board" : "skin";
  $("board-panel").hidden = kind !== "board";
  $("line-editor").hidden = kind === "board";
  if (kind !== shown.kind) $("lines-part").open = kind !== "board";
  shown.kind = kind;
  if (kind === "board") {
    showValue($("board-name"), s.board.name);
    showPadEditor(s);
  }
}

export function renderPanel(s) {
  showToolbar(s);
  showKind(s);
  if (!s.board) showLineEditor(s);
}
