// The WebAssembly module of npm's ebur128-wasm, made from the bytes the bundle
// embeds (esbuild --loader:.wasm=binary). The package is built for bundlers
// that load a .wasm import as its instance's exports, which esbuild 0.17 does
// not: the build points its glue's one .wasm import here ("ebur128-instance")
// and this module's import of the glue at that same copy ("ebur128-glue").
// The two import each other, so the module's imports call into the glue only
// once the page runs, never while the modules are evaluated.
import bytes from "ebur128-wasm/ebur128_wasm_bg.wasm";
import * as glue from "ebur128-glue";

const module = new WebAssembly.Module(bytes);
const imports = {};
for (const wanted of WebAssembly.Module.imports(module)) {
  imports[wanted.module] ??= {};
  imports[wanted.module][wanted.name] = (...values) => glue[wanted.name](...values);
}
const instance = new WebAssembly.Instance(module, imports);

export const {
  memory, ebur128_integrated_mono, ebur128_integrated_stereo, ebur128_true_peak_mono, ebur128_true_peak_stereo,
  __wbindgen_malloc, __wbindgen_free, __wbindgen_realloc,
} = instance.exports;
