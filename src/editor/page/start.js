// The start: every control wired to what it does, once the model is ready.

function wireToolbar() {
  $("folder-input").addEventListener("change", () => openPickedFolder($("folder-input").files));
  $("picture-input").addEventListener("change", () => { if ($("picture-input").files[0]) importPicture($("picture-input").files[0]); });
  $("sound-input").addEventListener("change", () => addSounds($("sound-input").files));
  $("open-folder").hidden = typeof window.showDirectoryPicker !== "function";
  $("open-folder").addEventListener("click", openFolderInPlace);
  $("zoom").addEventListener("change", () => setZoom(Number($("zoom").value)));
  showCodePages();
  $("code-page").addEventListener("change", () => setCodePage(Number($("code-page").value)));
  $("undo").addEventListener("click", undo);
  $("redo").addEventListener("click", redo);
  $("save").addEventListener("click", save);
}

function wireLineEditor() {
  $("new-hotspot").addEventListener("click", addHotspotInView);
  $("delete").addEventListener("click", deleteSelected);
  $("move-up").addEventListener("click", () => moveSelected(-1));
  $("move-down").addEventListener("click", () => moveSelected(1));
  $("action").addEventListener("change", onActionChange);
  $("path").addEventListener("change", onPathChange);
  for (const id of kCoordinates) $(id).addEventListener("change", onCoordinateChange);
}

function wireSkin() {
  const canvas = $("skin-canvas");
  canvas.addEventListener("pointerdown", onPointerDown);
  canvas.addEventListener("pointermove", onPointerMove);
  canvas.addEventListener("pointerup", onPointerUp);
  canvas.addEventListener("pointercancel", cancelGesture);
  $("viewport").addEventListener("scroll", draw);
  window.addEventListener("resize", draw);
  document.addEventListener("keydown", onKey);
  document.addEventListener("dragover", (event) => event.preventDefault());
  document.addEventListener("drop", onDrop);
}

LumModel({ onAbort: (what) => say("The skin model stopped (" + what + "); reload the page.", true) }).then((model) => {
  startBridge(model);
  model.FS.mkdir(kFolder);
  wireToolbar();
  wireLineEditor();
  wireSkin();
  showLineEditor();
  say("Open a skin folder, or make a new skin from a picture; a folder, a picture or WAV files can also be dropped here.");
  document.body.dataset.ready = "1";
});
