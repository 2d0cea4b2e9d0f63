// The colours a board's pads are painted in, each dark enough that a white
// label on it reads at a contrast of 4.5:1 or more. The stop pad has a
// colour of its own, which no sound pad takes, so that it is found at once.

export const kPadColours = Object.freeze([
  "#c0392b",  // red
  "#b5460f",  // orange
  "#8c6d00",  // ochre
  "#2e7d32",  // green
  "#00796b",  // teal
  "#1565c0",  // blue
  "#3949ab",  // indigo
  "#8e24aa",  // purple
  "#ad1457",  // pink
  "#6d4c41",  // brown
]);

export const kStopColour = "#455a64";  // slate

// What the pad's panel calls each colour.
export const kColourNames = Object.freeze(Object.fromEntries(kPadColours.map((colour, i) =>
  [colour, ["Red", "Orange", "Ochre", "Green", "Teal", "Blue", "Indigo", "Purple", "Pink", "Brown"][i]])));

// The relative luminance of a colour written #rrggbb.
function luminance(colour) {
  const [r, g, b] = [1, 3, 5].map((at) => {
    const c = parseInt(colour.slice(at, at + 2), 16) / 255;
    return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
  });
  return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

// White or black, whichever reads better on the pad: one of them is at
// 4.58:1 or more against any colour.
export function labelColour(colour) {
  const l = luminance(colour);
  return (1.05 / (l + 0.05) >= (l + 0.05) / 0.05) ? "#ffffff" : "#000000";
}
