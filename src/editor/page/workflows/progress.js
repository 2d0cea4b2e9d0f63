// Files read as sounds with the progress bar moving after each.

import { readParts, readSounds } from "../audio/sounds.js";
import { setProgress, snapshot } from "../store.js";

// show renders the store as it stands; asParts reads the files as a board's
// pads, each its part levelled, else as sounds beside a skin.
export async function readShowingProgress(files, show, asParts) {
  setProgress(0, files.length);
  show();
  try {
    return await (asParts ? readParts : readSounds)(files, snapshot().soundBytes, (done, total) => { setProgress(done, total); show(); });
  } finally {
    setProgress(null);
  }
}

export const renamedText = (renamed) => renamed.map(([from, name]) => "\"" + from + "\" as " + name).join(", ");

export const countText = (count, noun) => count + " " + noun + (count === 1 ? "" : "s");
