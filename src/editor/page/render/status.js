// The status line, the progress bar, what a press under the pointer does,
// and the marks a script waits for: data-checks counts the checks shown,
// data-busy is there while files are read.

import { $ } from "./dom.js";
import { facts } from "../model.js";

const shown = { notice: -1 };

export function pressText(s, slot) {
  if (slot === facts().noHotspot) return "drag";
  const spot = s.hotspots[slot];
  if (!spot) return "";
  if (s.board && slot < s.board.pads.length) return s.board.pads[slot].label + ": plays " + spot.name;
  if (s.board && slot === s.board.pads.length) return s.board.stopLabel + ": ends the sound playing";
  return spot.action === "sound" ? "line " + spot.line + ": " + spot.name : spot.action;
}

function showPointer(s, slotAt) {
  const slot = s.pointer && s.open ? slotAt(s.pointer) : null;
  $("position").textContent = slot === null ? "–" : "x " + s.pointer[0] + ", y " + s.pointer[1];
  $("press").textContent = slot === null ? "" : pressText(s, slot);
}

// Each sentence said once: a new text node is a change a screen reader
// reads even when the sentence is the one it read last.
function showNotice(s) {
  if (shown.notice === s.notice.count) return;
  shown.notice = s.notice.count;
  $("status").replaceChildren(document.createTextNode(s.notice.text));
  $("status").classList.toggle("problem", s.notice.problem);
}

function showProgress(s) {
  $("progress").hidden = !s.progress;
  if (!s.progress) return;
  Object.assign($("progress"), { max: Math.max(s.progress.total, 1), value: s.progress.done });
  $("progress").setAttribute("aria-valuetext", s.progress.done + " of " + s.progress.total + " sounds read");
}

export function renderStatus(s, slotAt) {
  showNotice(s);
  showProgress(s);
  if (s.progress) document.body.dataset.busy = "1";
  else delete document.body.dataset.busy;
  showPointer(s, slotAt);
  if (s.checks && document.body.dataset.checks !== String(s.checks)) document.body.dataset.checks = String(s.checks);
}
