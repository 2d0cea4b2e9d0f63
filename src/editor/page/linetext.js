// The hotspot file's text with lines replaced, removed or reordered: every
// byte of the other lines, and of what follows the last one read, is kept.

const encoder = new TextEncoder();

// The lines' own bytes, each with whether a line break ends it.
export function lineParts(text, lines) {
  return lines.map((line) => ({ bytes: text.subarray(line.start, line.end), endsWithNewline: line.endsWithNewline }));
}

// The parts joined, then the text past the lines; a line that ended the
// text without a line break gets one when another line follows it now.
export function joinLines(parts, rest) {
  const chunks = [];
  parts.forEach((part, i) => {
    chunks.push(part.bytes);
    if (!part.endsWithNewline && i + 1 < parts.length) chunks.push(encoder.encode("\r\n"));
  });
  chunks.push(rest);
  const text = new Uint8Array(chunks.reduce((sum, c) => sum + c.length, 0));
  let at = 0;
  for (const c of chunks) { text.set(c, at); at += c.length; }
  return text;
}
