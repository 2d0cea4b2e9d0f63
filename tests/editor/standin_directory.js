// A folder in memory that answers as a FileSystemDirectoryHandle does, for
// the calls the editor makes, installed as the folder picker's choice: the
// test reads and changes window.standInFolder's entries as the disk.
// arguments[0]: the folder's name; arguments[1]: { name: [bytes] or { ...a folder } }.
function standInFolder(name, entries) {
  const folder = { kind: "directory", name, entries: new Map() };
  for (const [entry, value] of Object.entries(entries))
    folder.entries.set(entry, Array.isArray(value) ? new Uint8Array(value) : standInFolder(entry, value));
  folder.values = async function* () {
    for (const [entry, value] of folder.entries)
      yield value instanceof Uint8Array ? standInFile(folder, entry) : value;
  };
  folder.getFileHandle = async (entry, options) => {
    const value = folder.entries.get(entry);
    if (value === undefined && !(options && options.create)) throw new DOMException(entry, "NotFoundError");
    if (value !== undefined && !(value instanceof Uint8Array)) throw new DOMException(entry, "TypeMismatchError");
    if (value === undefined) folder.entries.set(entry, new Uint8Array(0));
    return standInFile(folder, entry);
  };
  return folder;
}

function standInFile(folder, name) {
  return {
    kind: "file",
    name,
    getFile: async () => new File([folder.entries.get(name) || new Uint8Array(0)], name),
    createWritable: async () => {
      const chunks = [];
      return {
        write: async (bytes) => { chunks.push(new Uint8Array(bytes)); },
        close: async () => { folder.entries.set(name, new Uint8Array(await new Blob(chunks).arrayBuffer())); },
      };
    },
  };
}

window.standInFolder = standInFolder(arguments[0], arguments[1]);
window.showDirectoryPicker = async () => window.standInFolder;
