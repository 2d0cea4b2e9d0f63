// The start: the parts joined once the model is ready. LumModel is the
// model's factory, which the page's other script defines.

import { say, startDocument } from "./document.js";
import { wireInput } from "./input.js";
import { startModel } from "./model.js";
import { render, startView } from "./view.js";

const stopped = (what) => { say("The skin model stopped (" + what + "); reload the page.", true); render(); };

LumModel({ onAbort: stopped }).then((model) => {
  startModel(model);
  startDocument();
  startView();
  wireInput();
  say("Open a skin folder, or make a new skin from a picture; a folder, a picture or sound files can also be dropped here.");
  render();
  document.body.dataset.ready = "1";
});
