// Sounds coming in: a new board from them, new pads of a board, a pad's
// new sound, or sounds beside a skin's hotspot file.

import { silentWave } from "../audio/wave.js";
import { mostPads, kPadsBesideSounds } from "../board/layout.js";
import { facts } from "../model.js";
import { addPads, addSounds, openFolder, replacePadSound, say, snapshot, startBoard } from "../store.js";
import { countText, readShowingProgress, renamedText } from "./progress.js";

export const kBoardName = "Sound board";

const notAdded = (sentences) => (sentences.length ? " Not added: " + sentences.join(" ") : "");

// Said before any sound is read: "" when count sounds fit.
function boardRefusal(count) {
  if (count <= mostPads()) return "";
  const { slots, minimiseKeyword, exitKeyword } = facts();
  return "A board holds at most " + mostPads() + " sounds (lum has " + slots + " hotspots, and the stop pad, " +
         minimiseKeyword + " and " + exitKeyword + " take " + kPadsBesideSounds + "); " + count + " were given.";
}

// The sounds become a new board: a pad each, a stop pad, MIN and EXIT. Too
// many are refused before any is read, and the work open is left only when
// the user says so.
export async function newBoard(files, show) {
  const refusal = boardRefusal(files.length);
  if (refusal) { say(refusal, true); return; }
  if (snapshot().unsaved && !window.confirm("Start a new board? The edits not saved yet will be lost.")) return;
  const read = await readShowingProgress(files, show, true);
  if (!read.sounds.length) { say("No board was made." + notAdded(read.failures), true); return; }
  openFolder(new Map(), kBoardName, null, null);
  const made = startBoard(kBoardName, read.sounds, silentWave());
  const problems = [...read.failures, ...made.refused];
  if (!made.made) { say("No board was made." + notAdded(problems), true); return; }
  const renamed = renamedText(made.renamed.filter(([from]) => from !== "stop.wav"));
  say("New board of " + countText(made.names.length, "sound") + " and a stop pad." +
      (renamed ? " Named in ASCII: " + renamed + "." : "") + notAdded(problems), problems.length > 0);
}

// On a board, a new pad each; on a skin, files beside the hotspot file.
export async function addSoundFiles(files, show) {
  const board = snapshot().board;
  const read = await readShowingProgress(files, show, board !== null);
  const added = board ? addPads(read.sounds) : addSounds(read.sounds);
  const problems = [...read.failures, ...added.refused];
  const converted = read.sounds.filter((sound) => !sound.kept).length;
  const count = added.names.length;
  const made = board ? "Added " + countText(count, "pad") + ", each cut of its silence and levelled"
                     : "Added " + countText(count, "sound file") + (converted ? ", " + converted + " of them made into WAV" : "");
  say(made +
      (board ? "." : "; saving writes them beside " + facts().hotspotFile + ".") +
      (added.renamed.length ? " Named so that lum reads them whole: " + renamedText(added.renamed) + "." : "") +
      notAdded(problems), problems.length > 0);
}

// The selected pad plays the file from now on.
export async function replaceSound(file, show) {
  const index = snapshot().selected;
  const read = await readShowingProgress([file], show, true);
  if (!read.sounds.length) { say("The sound was not replaced." + notAdded(read.failures), true); return; }
  const label = snapshot().board.pads[index].label;
  const replaced = replacePadSound(index, read.sounds[0]);
  if (!replaced || !replaced.names.length) { say("The sound was not replaced." + notAdded(replaced ? replaced.refused : []), true); return; }
  say("Pad \"" + label + "\" now plays " + replaced.names[0].name + ".");
}
