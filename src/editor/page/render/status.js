// The status line, the progress bar, what a press under the pointer does,
// and the marks a script waits for: data-checks counts the checks shown,
// data-busy is there while files are read.

import { $ } from "./dom.js";
import { facts } from "../model.js";

function pressText(s, slot) {
  if (slot === facts().noHotspot) return "drag";
  const spot = s.hotspots[slot];
  if (!spot) return "";
  if (s.board && slot < s.board.pads.length) return s.board.pads[slot].label + ": plays " + spot.name;
  return spot.action === "sound" ? "line " + spot.line + ": " + spot.name : spot.action;
}

function showPointer(s, slotAt) {
  const slot = s.pointer && s.open ? slotAt(s.pointer) : null;
  $("position").textContent = slot === null ? "–" : "x " + s.pointer[0] + ", y " + s.pointer[1];
  $("press").textContent = slot === null ? "" : pressText(s, slot);
}

export function renderStatus(s, slotAt) {
  if ($("status").textContent !== s.notice.text) $("status").textContent = s.notice.text;
  $("status").classList.toggle("problem", s.notice.problem);
  $("progress").hidden = !s.progress;
  if (s.progress) Object.assign($("progress"), { max: Math.max(s.progress.total, 1), value: s.progress.done });
  if (s.progress) document.body.dataset.busy = "1";
  else delete document.body.dataset.busy;
  showPointer(s, slotAt);
  if (s.checks && document.body.dataset.checks !== String(s.checks)) document.body.dataset.checks = String(s.checks);
}
