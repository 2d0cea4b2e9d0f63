// Where the keyboard is after a render: where an operation sent it, or
// where the user was. When the render hid, disabled or took away the
// element that had the focus, the list or the canvas it belongs with takes
// it, never the page.

import { $ } from "./dom.js";

const kOwners = [["#board-panel", "pads"], ["#line-editor", "lines"], ["#lines-part", "lines"]];
const shown = { count: 0 };

const usable = (element) => element && element.isConnected && !element.disabled && element.getClientRects().length > 0;

// Before the render: the element with the focus and what would take it.
export function focusNow() {
  const element = document.activeElement;
  if (!element || element === document.body) return null;
  const owner = kOwners.find(([part]) => element.closest(part));
  return { element, owner: owner ? owner[1] : "viewport" };
}

export function keepFocus(s, before) {
  if (shown.count !== s.focus.count) {
    shown.count = s.focus.count;
    if (usable($(s.focus.id))) { $(s.focus.id).focus(); return; }
  }
  if (!before || (document.activeElement !== document.body && usable(document.activeElement))) return;
  (usable($(before.owner)) ? $(before.owner) : $("viewport")).focus({ preventScroll: true });
}
