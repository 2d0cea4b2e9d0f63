// The one writer of the page's DOM and canvas: render(snapshot) shows the
// store as it stands; each part draws again only what has changed.

import { renderCanvas } from "./canvas.js";
import { renderCanvasItems } from "./items.js";
import { focusNow, keepFocus } from "./focus.js";
import { renderLists } from "./lists.js";
import { renderPanel } from "./panel.js";
import { renderStatus } from "./status.js";
import { $ } from "./dom.js";
import { codePages, facts, slotAt } from "../model.js";
import { kCoordinates } from "./panel.js";

const pageNames = new Map();  // code page -> "1251 Cyrillic"

// The labels say the file names the model gives, and the coordinate fields
// take the numbers it can write: once, before the first render.
export function startRender() {
  const names = (text) => text.replaceAll("{hotspotFile}", facts().hotspotFile).replaceAll("{skinFile}", facts().skinFile);
  for (const element of document.querySelectorAll("[title]")) element.title = names(element.title);
  for (const element of document.querySelectorAll("[aria-label]"))
    element.setAttribute("aria-label", names(element.getAttribute("aria-label")));
  for (const part of document.querySelectorAll("header, aside")) {
    const walker = document.createTreeWalker(part, NodeFilter.SHOW_TEXT);
    while (walker.nextNode()) walker.currentNode.nodeValue = names(walker.currentNode.nodeValue);
  }
  for (const id of kCoordinates) Object.assign($(id), { min: facts().smallestCoordinate, max: facts().largestCoordinate });
  for (const { page, script } of codePages()) pageNames.set(page, page + " " + script);
  $("code-page").replaceChildren(...[...pageNames].map(([page, name]) => new Option(name, String(page))));
}

export function render(s) {
  const focused = focusNow();
  renderCanvas(s);
  renderCanvasItems(s);
  renderLists(s, pageNames);
  renderPanel(s);
  renderStatus(s, slotAt);
  keepFocus(s, focused);
}
