// Stand-in for the sounds branch's module, until it is merged: only WAV files,
// kept as they are.

export async function readSounds(files, onProgress) {
  const sounds = [], failures = [];
  for (const [i, file] of files.entries()) {
    if (/\.wav$/i.test(file.name))
      sounds.push({ title: file.name.replace(/\.[^.]*$/, ""), bytes: new Uint8Array(await file.arrayBuffer()), kept: true });
    else failures.push(file.name + " (not a .wav file)");
    onProgress(i + 1, files.length);
  }
  return { sounds, failures };
}

// A tenth of a second of 16-bit mono silence at 22050 Hz.
export function silentWave() {
  const samples = 2205, bytes = new Uint8Array(44 + 2 * samples), view = new DataView(bytes.buffer);
  const text = (at, s) => [...s].forEach((c, i) => { bytes[at + i] = c.charCodeAt(0); });
  text(0, "RIFF"); view.setUint32(4, 36 + 2 * samples, true); text(8, "WAVEfmt ");
  view.setUint32(16, 16, true); view.setUint16(20, 1, true); view.setUint16(22, 1, true);
  view.setUint32(24, 22050, true); view.setUint32(28, 44100, true); view.setUint16(32, 2, true); view.setUint16(34, 16, true);
  text(36, "data"); view.setUint32(40, 2 * samples, true);
  return bytes;
}
