// Files read as sounds with the progress bar moving after each.

import { readSounds } from "../audio/sounds.js";
import { setProgress, snapshot } from "../store.js";

// show renders the store as it stands.
export async function readShowingProgress(files, show) {
  setProgress(0, files.length);
  show();
  try {
    return await readSounds(files, snapshot().soundBytes, (done, total) => { setProgress(done, total); show(); });
  } finally {
    setProgress(null);
  }
}

export const renamedText = (renamed) => renamed.map(([from, name]) => "\"" + from + "\" as " + name).join(", ");

export const countText = (count, noun) => count + " " + noun + (count === 1 ? "" : "s");
