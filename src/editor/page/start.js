// The start: the parts joined once the model is ready. LumModel is the
// model's factory, which the page's other script defines.

import { wireControls } from "./input/controls.js";
import { wireKeys } from "./input/keys.js";
import { wirePointer } from "./input/pointer.js";
import { measureZip, zipSize } from "./board/package.js";
import { startModel } from "./model.js";
import { bindWaveform } from "./render/waveform.js";
import { decodeSelected, movedPart, movingPart } from "./workflows/part.js";
import { render, startRender } from "./render/index.js";
import { noteStopped, say, snapshot, startStore } from "./store.js";

// The zip's size for the Download button is measured once the page is
// idle: deflating a new face takes longer than an edit may.
function measureWhenIdle() {
  requestIdleCallback(() => { if (measureZip(snapshot().packageFiles)) show(); }, { timeout: 1000 });
}

function show() {
  const s = snapshot();
  render(s);
  if (s.open && zipSize(s.packageFiles) === null) measureWhenIdle();
  decodeSelected(show);
}

function stopped(what) {
  noteStopped();
  say("The skin model stopped (" + what + "); reload the page.", true);
  show();
}

LumModel({ onAbort: stopped }).then((model) => {
  startModel(model);
  startStore();
  startRender();
  wireControls(show);
  wireKeys(show);
  wirePointer(show);
  bindWaveform({ moving: (start, end) => { movingPart(start, end); show(); }, moved: (start, end) => movedPart(start, end).then(show) });
  say("Open a skin folder or a board's zip, or make a new skin from a picture or a board from sounds; a folder, a zip, " +
      "a picture or sound files can also be dropped here.");
  show();
  document.body.dataset.ready = "1";
});
