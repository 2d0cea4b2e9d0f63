// The microphone: the browser's MediaRecorder keeps what it hears as the
// bytes it makes (WebM with Opus in Chromium), which become a pad's source
// as any sound file would; an AnalyserNode reads its level for the meter.

const take = { stream: null, recorder: null, chunks: [], context: null, analyser: null, samples: null, started: 0 };

function release() {
  for (const track of take.stream.getTracks()) track.stop();
  take.context.close();
  Object.assign(take, { stream: null, recorder: null, chunks: [], context: null, analyser: null, samples: null });
}

// Asks for the microphone and starts; throws the browser's error (a
// NotAllowedError when refused, a NotFoundError when there is none).
export async function startRecording() {
  // A call's processing would take a steady tone or music for noise and
  // fade it out: a pad wants what the microphone heard.
  const stream = await navigator.mediaDevices.getUserMedia({
    audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false },
  });
  const context = new AudioContext();
  const analyser = new AnalyserNode(context, { fftSize: 2048 });
  context.createMediaStreamSource(stream).connect(analyser);
  const recorder = new MediaRecorder(stream);
  Object.assign(take, { stream, recorder, chunks: [], context, analyser, samples: new Float32Array(analyser.fftSize) });
  recorder.addEventListener("dataavailable", (event) => { if (event.data.size) take.chunks.push(event.data); });
  recorder.start(250);
  take.started = performance.now();
}

export const isRecording = () => take.recorder !== null;

// { seconds, level }: how long it has recorded, and the last moment's
// largest sample (0 to 1).
export function recordingLevel() {
  take.analyser.getFloatTimeDomainData(take.samples);
  let peak = 0;
  for (const sample of take.samples) peak = Math.max(peak, Math.abs(sample));
  return { seconds: (performance.now() - take.started) / 1000, level: Math.min(peak, 1) };
}

// Stops, and gives the recording as a file named name (its extension the
// recorder's type's).
export function stopRecording(name) {
  return new Promise((resolve) => {
    const recorder = take.recorder;
    recorder.addEventListener("stop", () => {
      const type = recorder.mimeType || "audio/webm";
      const file = new File(take.chunks, name + (type.includes("ogg") ? ".ogg" : ".webm"), { type });
      release();
      resolve(file);
    }, { once: true });
    recorder.stop();
  });
}
