// Try: a press acts as lum.exe would. lum.exe plays one sound at a time, and
// a press on a pad ends the sound playing before its own starts; the stop
// pad plays a short silence, which ends it.

import { facts, readFolderFile, soundFileOf } from "../model.js";
import { say, snapshot } from "../store.js";

const kTried = {
  minimise: "minimise: the window would be minimised.",
  exit: "exit: the program would end.",
};

// The one sound playing, as lum.exe has one: an element of the browser's,
// which the store need not know.
const player = { audio: null };

export function stopPlaying() {
  if (!player.audio) return;
  player.audio.pause();
  URL.revokeObjectURL(player.audio.src);
  player.audio = null;
}

function whatPlays(s, spot) {
  if (s.board && spot.slot - 1 < s.board.pads.length) return "\"" + s.board.pads[spot.slot - 1].label + "\"";
  if (s.board && spot.slot - 1 === s.board.pads.length) return "the stop pad";
  return "line " + spot.line + ": " + spot.name;
}

// The press on the slot; show renders once the browser has started or refused the sound.
export function tryPress(slot, show) {
  const s = snapshot();
  if (slot === facts().noHotspot) { say("drag: the window would follow the pointer until the button is let go."); return; }
  const spot = s.hotspots[slot];
  if (kTried[spot.action]) { say(kTried[spot.action]); return; }
  const path = soundFileOf(slot);
  stopPlaying();
  if (!path) { say("line " + spot.line + ": " + spot.name + " is not found in the folder, so nothing would play.", true); return; }
  const what = whatPlays(s, spot);
  const stop = s.board && slot === s.board.pads.length;
  playWave(readFolderFile(path), what, stop ? "the stop pad: the sound playing ended." : "playing " + what + ".", show);
}

// The WAV plays in place of the sound playing; the status line says
// playing once the browser has started it, or that it cannot.
export function playWave(bytes, what, playing, show) {
  stopPlaying();
  const audio = new Audio(URL.createObjectURL(new Blob([bytes], { type: "audio/wav" })));
  player.audio = audio;
  audio.addEventListener("ended", () => { if (player.audio === audio) stopPlaying(); });
  audio.play().then(() => { say(playing); show(); },
                    (e) => { if (e.name !== "AbortError") { say(what + ": the browser cannot play it.", true); show(); } });
}
