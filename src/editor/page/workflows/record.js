// Record: the microphone until Record is pressed again or the page's limits
// for a sound are reached; the recording becomes a pad, cut and levelled as
// any sound, or a new board of it when no folder is open.

import { isRecording, recordingLevel, startRecording, stopRecording } from "../audio/record.js";
import { kLargestSoundBytes, kLongestSeconds } from "../audio/sounds.js";
import { kRate, waveSize } from "../audio/wave.js";
import { noteRecording, say, snapshot } from "../store.js";
import { addSoundFiles, newBoard } from "./sounds.js";

const kTick = 100;               // ms between readings of the meter and the time
const ticking = { timer: 0 };

function microphoneProblem(error) {
  if (error.name === "NotAllowedError") return "The microphone was not allowed, so nothing was recorded.";
  if (error.name === "NotFoundError") return "This computer has no microphone the browser can use, so nothing was recorded.";
  return "The microphone could not be used (" + error.message + "), so nothing was recorded.";
}

// Whether the recording may go on: a sound lasts at most kLongestSeconds,
// and a folder's sounds, this one as a stereo WAV among them, take at most
// kLargestSoundBytes.
function roomFor(seconds) {
  return seconds < kLongestSeconds && snapshot().soundBytes + waveSize(2, seconds * kRate) < kLargestSoundBytes;
}

async function finish(show) {
  clearInterval(ticking.timer);
  const file = await stopRecording("Recording");
  noteRecording(null);
  if (snapshot().board) await addSoundFiles([file], show);
  else await newBoard([file], show);
}

function tick(show) {
  const reading = recordingLevel();
  if (!roomFor(reading.seconds)) { finish(show).then(show); return; }
  noteRecording(reading);
  show();
}

export async function toggleRecording(show) {
  if (isRecording()) { await finish(show); return; }
  if (!navigator.mediaDevices || !navigator.mediaDevices.getUserMedia) {
    say("This browser gives the page no microphone, so nothing was recorded.", true);
    return;
  }
  try {
    await startRecording();
  } catch (error) {
    say(microphoneProblem(error), true);
    return;
  }
  noteRecording({ seconds: 0, level: 0 });
  say("Recording from the microphone: press Stop to end it.");
  ticking.timer = setInterval(() => tick(show), kTick);
}
