// The canvas for a screen reader: an unseen option per hotspot, saying its
// label and what a press does, the selected one the canvas's current
// option, and the keys the canvas takes in its name.

import { $, drawnFrom } from "./dom.js";
import { pressText } from "./status.js";

const shown = { inputs: null };

const kBoardKeys = "arrows choose a pad, Space plays it, Enter edits its label, Alt with an arrow moves it";
const kSkinKeys = "[ and ] choose a hotspot, arrows move it, Shift by 10, Ctrl with an arrow resizes it, " +
                  "Alt with Up or Down reorders it, N adds one, Delete removes it";
const kScrollKeys = "Page Up and Page Down scroll, with Shift sideways";

function canvasName(s) {
  if (!s.open) return "The skin: none is open";
  if (s.board) return "The board \u201c" + s.board.name + "\u201d: " + kBoardKeys + "; " + kScrollKeys;
  return "The skin: " + kSkinKeys + "; " + kScrollKeys;
}

export function renderCanvasItems(s) {
  if (drawnFrom(shown, "inputs", [s.open, s.hotspots, s.board, s.selected, s.lines])) return;
  const line = s.selected >= 0 ? s.lines[s.selected] : null;
  const items = s.hotspots.map((spot) => {
    const item = document.createElement("div");
    const selected = line !== null && line.slot === spot.slot - 1;
    Object.assign(item, { id: "spot-" + spot.slot, textContent: pressText(s, spot.slot - 1) });
    item.setAttribute("role", "option");
    item.setAttribute("aria-selected", String(selected));
    return item;
  });
  const viewport = $("viewport");
  viewport.setAttribute("aria-label", canvasName(s));
  const current = items.find((item) => item.getAttribute("aria-selected") === "true");
  if (current) viewport.setAttribute("aria-activedescendant", current.id);
  else viewport.removeAttribute("aria-activedescendant");
  $("canvas-items").replaceChildren(...items);
}
