// The lists beside the skin: the lines of the hotspot file, the findings,
// the folder's sounds and a board's pads, each drawn again only when what it
// shows has changed.

import { $, drawnFrom, showItems } from "./dom.js";
import { facts } from "../model.js";

const kShownLines = 1000;                // the list shows no more; the rest are kept as they are
const shown = { lines: null, findings: null, sounds: null, pads: null };

const same = (part, inputs) => drawnFrom(shown, part, inputs);

function lineLabel(line, index) {
  const text = line.name ? line.name + " " + line.rect.join(" ") : "(no fields)";
  const past = line.slot === facts().noHotspot ? "  (past the " + facts().slots + " slots)" : "";
  return String(index + 1).padStart(3) + "  " + text + past;
}

// An option of a list whose one focus owner is the list itself: the list
// names the selected option as its current one.
function option(id, text, isSelected) {
  const item = document.createElement("li");
  item.id = id;
  item.setAttribute("role", "option");
  item.setAttribute("aria-selected", String(isSelected));
  item.classList.toggle("selected", isSelected);
  item.textContent = text;
  return item;
}

function showCurrent(list, items) {
  const current = items.find((item) => item.classList.contains("selected"));
  if (current) list.setAttribute("aria-activedescendant", current.id);
  else list.removeAttribute("aria-activedescendant");
  list.replaceChildren(...items);
  if (current) current.scrollIntoView({ block: "nearest" });
}

function lineItem(line, index, selected) {
  const item = option("line-" + (index + 1), lineLabel(line, index), index === selected);
  item.dataset.line = String(index + 1);
  if (line.slot === facts().noHotspot || !line.name) item.classList.add("unused");
  return item;
}

function showLines(s) {
  if (same("lines", [s.lines, s.selected])) return;
  const items = s.lines.slice(0, kShownLines).map((line, index) => lineItem(line, index, s.selected));
  if (s.lines.length > kShownLines) {
    const more = option("lines-more", "… and " + (s.lines.length - kShownLines) + " more lines, kept as they are", false);
    more.setAttribute("aria-disabled", "true");
    items.push(more);
  }
  showCurrent($("lines"), items);
}

// A finding whose name is a file of the folder when read in another code
// page offers to switch to it.
function codePageSwitch(page, names) {
  const button = document.createElement("button");
  button.className = "code-page-switch";
  button.value = String(page);
  button.textContent = "Read names in " + names.get(page);
  return button;
}

function showFindings(s, pageNames) {
  // Each check gives a new report; the list is drawn again only when its findings differ.
  if (same("findings", [JSON.stringify(s.report && s.report.findings), s.selected])) return;
  const items = (s.report ? s.report.findings : []).map((finding, index) => {
    const item = document.createElement("li");
    Object.assign(item.dataset, { line: String(finding.line), kind: finding.kind, level: finding.level, index: String(index) });
    item.title = finding.message;
    const where = finding.line ? "line " + finding.line : "folder";
    const text = where + " " + finding.level + " " + finding.kind + ": " + finding.message;
    if (finding.line === s.selected + 1) item.classList.add("selected");
    // A finding of a line is a button that selects it; one of the folder is only said.
    if (!finding.line) item.textContent = text;
    else item.append(Object.assign(document.createElement("button"), { className: "finding", textContent: text }));
    if (finding.foundInCodePage) item.append(" ", codePageSwitch(finding.foundInCodePage, pageNames));
    return item;
  });
  showItems($("findings"), items, (item) => item.dataset.index);
}

// Each sound of the folder; one added here can be taken out again.
function showSounds(s) {
  if (same("sounds", [s.sounds, s.removable])) return;
  showItems($("sounds"), s.sounds.map((name) => {
    const item = document.createElement("li");
    item.textContent = name;
    if (!s.removable.includes(name)) return item;
    const button = document.createElement("button");
    Object.assign(button, { className: "remove-sound", value: name, textContent: "Remove" });
    button.setAttribute("aria-label", "Remove sound " + name);
    item.append(" ", button);
    return item;
  }), (item) => item.firstChild.nodeValue);
}

function padItem(label, index, selected) {
  const item = option("pad-" + index, label, index === selected);
  item.dataset.pad = String(index);
  return item;
}

// A board's pads in their order, then the stop pad.
function showPads(s) {
  if (same("pads", [s.board, s.selected])) return;
  const labels = s.board ? [...s.board.pads.map((pad) => pad.label), s.board.stopLabel] : [];
  showCurrent($("pads"), labels.map((label, i) => padItem(label, i, s.selected)));
}

export function renderLists(s, pageNames) {
  showLines(s);
  showFindings(s, pageNames);
  showSounds(s);
  showPads(s);
}
