// What every part of the render uses to reach the page's elements.

export const $ = (id) => document.getElementById(id);

// Whether a part's inputs are those it last drew, kept in shown[part]; if
// not, they are noted.
export function drawnFrom(shown, part, inputs) {
  const last = shown[part];
  if (last && last.length === inputs.length && last.every((value, i) => value === inputs[i])) return true;
  shown[part] = inputs;
  return false;
}

// The list's items in place of its children. The element that had the
// focus inside the list gets it back in the item of the same key; when that
// one is gone, in the item now at its place, the next, or the last at the
// end, so that a render never drops the focus to the page.
export function showItems(list, items, keyOf) {
  const focused = list.contains(document.activeElement) ? document.activeElement : null;
  const was = focused && focused.closest("[data-key]");
  const key = was ? was.dataset.key : null;
  const place = was ? [...list.children].indexOf(was) : -1;
  for (const item of items) item.dataset.key = keyOf(item);
  list.replaceChildren(...items);
  if (key === null) return;
  const after = [...items.slice(place), ...items.slice(0, place).reverse()];
  const again = items.find((item) => item.dataset.key === key) || after.find((item) => item.querySelector("button"));
  if (again && again.querySelector("button")) again.querySelector("button").focus({ preventScroll: true });
}

// A field shows the value unless the user is typing in it.
export function showValue(field, value) {
  if (document.activeElement !== field && field.value !== value) field.value = value;
}
