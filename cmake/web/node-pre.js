// Programs of the WebAssembly build run under Node.js as the Linux ones run:
// the process's environment is theirs (Emscripten starts with its own small
// one), and the .wasm beside the script is read from the disk. Node.js 18 and
// later have a fetch() that Emscripten 3.1.6 would take for loading it, and
// which takes no file paths: this module's own `fetch` hides it.
var fetch;
// The launcher names itself (the program's file, as a binary is on Linux); the
// programs this one starts do not inherit the name.
if (typeof process == "object" && process.env) {
  Module["webLauncher"] = process.env["TESSERA_WEB_LAUNCHER"] || "";
  delete process.env["TESSERA_WEB_LAUNCHER"];
}
Module["preRun"] = Module["preRun"] || [];
Module["preRun"].push(function () {
  if (typeof ENV == "object") for (var name in process.env) ENV[name] = process.env[name];
});
