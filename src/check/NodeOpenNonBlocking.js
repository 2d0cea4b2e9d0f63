// The node build of the checker opens files through node's fs, and emscripten
// drops O_NONBLOCK on the way. Without it, opening a FIFO for reading waits
// for a writer that never comes; with it, the open returns and the reader's
// own check refuses what is not a plain file, as the native build does.
(function () {
  var nodeFs = require("fs");
  var openSync = nodeFs.openSync;
  nodeFs.openSync = function (path, flags, mode) {
    if (typeof flags === "number" && (flags & 3) === nodeFs.constants.O_RDONLY)
      flags |= nodeFs.constants.O_NONBLOCK;
    return openSync.call(nodeFs, path, flags, mode);
  };
})();
