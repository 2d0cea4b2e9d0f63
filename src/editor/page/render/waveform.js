// The selected pad's sound as a waveform, drawn by wavesurfer.js, with its
// part as a region to drag and resize. The waveform is made from peaks the
// page reduces the decoded sound to: given the whole channels, wavesurfer
// takes a third of a second for a 3-minute song, given 8,000 points a
// channel a few milliseconds. It never loads a URL, which the page's
// policy refuses.

import WaveSurfer from "wavesurfer.js";
import RegionsPlugin from "wavesurfer.js/dist/plugins/regions.esm.js";
import { $ } from "./dom.js";
import { kSmallestPart } from "../audio/part.js";

const kPeakPoints = 8000;
const kRegionColour = "rgba(25, 118, 210, 0.25)";

// What the view draws now: the decoded sound it was made from, whether
// wavesurfer is ready with it, the part its region shows and the part it
// should show, so that a render changes only what differs, and whether the
// user is dragging the region, which a render then leaves alone.
const view = {
  wave: null, regions: null, region: null, decoded: null, loads: 0, ready: false, shown: null, part: null,
  dragging: false, handlers: null,
};

// The handlers of a region being dragged ({ moving, moved }, each given the
// region's start and end in the decoded sound's seconds); set once, before the first render.
export function bindWaveform(handlers) {
  view.handlers = handlers;
}

// The largest magnitude of each stretch of the channel, keeping its sign:
// peaks in the shape wavesurfer draws from.
export function peaksOf(channel, points) {
  const count = Math.min(points, channel.length);
  const peaks = new Float32Array(count);
  for (let p = 0; p < count; p++) {
    const from = Math.floor((p * channel.length) / count), to = Math.floor(((p + 1) * channel.length) / count);
    let peak = 0;
    for (let i = from; i < to; i++) if (Math.abs(channel[i]) > Math.abs(peak)) peak = channel[i];
    peaks[p] = peak;
  }
  return peaks;
}

function region(start, end) {
  const made = view.regions.addRegion({ start, end, color: kRegionColour, drag: true, resize: true, minLength: kSmallestPart });
  made.on("update", () => { view.dragging = true; view.handlers.moving(made.start, made.end); });
  made.on("update-end", () => { view.dragging = false; view.handlers.moved(made.start, made.end); });
  return made;
}

function create() {
  view.regions = RegionsPlugin.create();
  view.wave = WaveSurfer.create({
    container: $("pad-wave"), height: 96, waveColor: "#37474f", progressColor: "#37474f", cursorWidth: 0,
    interact: false, plugins: [view.regions],
  });
}

// The part, start and end in the decoded sound's seconds. A region made
// before wavesurfer knows the sound's length would be clamped to nothing,
// so it waits for ready. setOptions moves the region without an
// update-end, so showing never reads as a drag.
function showPart() {
  const { part, shown } = view;
  if (!view.ready || view.dragging || (shown && part.start === shown.start && part.end === shown.end)) return;
  if (!view.region) view.region = region(part.start, part.end);
  else view.region.setOptions(part);
  view.shown = part;
}

// From the decoded sound to the waveform drawn, on the browser's
// performance timeline as "lum waveform".
function load(decoded) {
  const start = performance.now();
  view.wave.once("redrawcomplete", () => performance.measure("lum waveform", { start }));
  const load = ++view.loads;  // a load superseded by this one never gets ready
  view.wave.once("ready", () => { if (load === view.loads) { view.ready = true; showPart(); } });
  view.regions.clearRegions();
  Object.assign(view, { decoded, ready: false, region: null, shown: null, dragging: false });
  view.wave.load("", decoded.channels.map((channel) => peaksOf(channel, kPeakPoints)), decoded.seconds);
}

// sound: the decoded sound of the selected pad ({ channels, seconds }) and
// its part in its own seconds, or null when there is none to show.
export function renderWaveform(sound) {
  $("pad-wave").hidden = !sound;
  if (!sound) { view.decoded = null; return; }  // no decoded sound held past the store's
  if (!view.wave) create();
  view.part = { start: sound.start, end: sound.end };
  if (view.decoded !== sound.decoded) load(sound.decoded);
  showPart();
}
