// The selected pad's part: its waveform and region, its fields From and to
// in seconds of the pad's source, its length, and its level and gain. While
// the region is dragged the fields follow the draft the store holds.

import { $, showValue } from "./dom.js";
import { lengthText } from "./panel.js";
import { renderWaveform } from "./waveform.js";

export const partText = (seconds) => seconds.toFixed(2);

// The decoded sound of the pad's source, when the store holds it.
export function decodedOf(s, source) {
  return s.decoded && source && s.decoded.source === source.bytes ? s.decoded.sound : null;
}

// The pad's part as the fields show it: the draft while one is dragged.
function partOf(s, index, pad) {
  return s.partDraft && s.partDraft.index === index ? s.partDraft : pad;
}

const lufs = (value) => value.toFixed(1) + " LUFS";

// What rendering the pad's WAV measured, in words.
function loudnessText(pad, figures) {
  if (!figures) return pad.level || pad.gainDb ? "" : "Kept as it came: not levelled.";
  const peak = "true peak " + (Number.isFinite(figures.truePeakDb) ? figures.truePeakDb.toFixed(1) + " dBTP" : "none") + ".";
  if (figures.before === null)
    return "Shorter than one 0.4 s gating block, or silent: no loudness to level by, so the gain alone; " + peak;
  const after = figures.after === null ? "" : pad.level ? ", levelled to " + lufs(figures.after) : ", now " + lufs(figures.after);
  return "Loudness " + lufs(figures.before) + after + "; " + peak;
}

export function renderPart(s, index) {
  const pad = index >= 0 && s.board && index < s.board.pads.length ? s.board.pads[index] : null;
  $("pad-part").hidden = !pad;
  if (!pad) { renderWaveform(null); return; }
  const source = s.sources.get(pad.sound);
  const decoded = decodedOf(s, source);
  const part = partOf(s, index, pad);
  showValue($("pad-start"), partText(part.start));
  showValue($("pad-end"), partText(part.end));
  $("pad-part-length").textContent = "length " + lengthText(part.end - part.start);
  $("pad-level").checked = pad.level;
  showValue($("pad-gain"), String(pad.gainDb));
  $("pad-loudness").textContent = loudnessText(pad, s.padFigures);
  const offset = source ? source.offset : 0;
  $("pad-start").min = $("pad-end").min = partText(offset);
  $("pad-start").max = $("pad-end").max = decoded ? partText(offset + decoded.seconds) : "";
  renderWaveform(decoded && { decoded, start: part.start - offset, end: part.end - offset });
}
