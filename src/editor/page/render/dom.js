// What every part of the render uses to reach the page's elements.

export const $ = (id) => document.getElementById(id);

// The list's items in place of its children. The element that had the
// focus inside the list gets it back in the item of the same key, or the
// last item when that one is gone, so that a render never drops the focus
// to the page.
export function showItems(list, items, keyOf) {
  const focused = list.contains(document.activeElement) ? document.activeElement : null;
  const key = focused && focused.closest("[data-key]") ? focused.closest("[data-key]").dataset.key : null;
  for (const item of items) item.dataset.key = keyOf(item);
  list.replaceChildren(...items);
  if (key === null) return;
  const again = items.find((item) => item.dataset.key === key) || items.at(-1);
  const target = again && (again.querySelector("button") || again);
  if (target) target.focus({ preventScroll: true });
}

// A field shows the value unless the user is typing in it.
export function showValue(field, value) {
  if (document.activeElement !== field && field.value !== value) field.value = value;
}
