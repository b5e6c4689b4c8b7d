// Tessera's page: loads the game (tessera.js and tessera.wasm, the page build),
// keeps the player's folder in IndexedDB, offers the campaigns and fetches the
// one picked, and hands the game the keys, clicks and touches the browser would
// otherwise take. The game itself draws into the canvas through SDL and sizes
// the frame in it as on the desktop (whole scales when they fit).
"use strict";
(function () {
  const $ = (id) => document.getElementById(id);
  const canvas = $("canvas");
  const home = "/home/web_user";  // the game's HOME: saves, settings, own campaigns
  const campaigns = [
    {id: "demo-english", label: "Demo (English)"},
    {id: "demo-chinese-simplified", label: "演示（简体中文）"},
    {id: "demo-chinese-traditional", label: "演示（繁體中文）"},
  ];
  const wholeFont = "/fonts/wqy-zenhei.ttc";
  let storage = "unknown";  // "ok", or "none" when the browser keeps nothing
  let playing = false;
  let persistAsked = false;
  let loadedBytes = 0;  // bytes fetched so far, for the report in the page
  const screenshotsSeen = new Set();

  function status(text) { $("status").textContent = text; }
  function error(text) {
    $("error").textContent = text;
    console.error("tessera: " + text);
  }
  function note(text) { $("note").textContent = text; }
  function progress(loaded, total) {
    // While the game plays, the campaign's later files are said in the tool bar.
    if (playing) {
      const saying = "Loading the game's files: ";
      if (total > 0 && loaded < total) note(saying + Math.floor((100 * loaded) / total) + "%");
      else if ($("note").textContent.startsWith(saying)) note("");
      return;
    }
    const bar = $("bar");
    bar.style.display = total > 0 ? "block" : "none";
    if (total > 0) bar.firstElementChild.style.width = Math.min(100, (100 * loaded) / total).toFixed(1) + "%";
    const mb = (n) => (n / 1048576).toFixed(1) + " MB";
    $("bytes").textContent = total > 0 ? mb(loaded) + " of " + mb(total) + " (" + Math.floor((100 * loaded) / total) + "%)" : "";
  }

  function missingFeature() {
    if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function")
      return "This browser cannot run WebAssembly, which Tessera needs. A current Firefox, Chrome, Edge or Safari can.";
    if (typeof indexedDB === "undefined" && typeof Promise === "undefined") return "This browser is too old for Tessera.";
    // The game is built for WebAssembly's SIMD and bulk memory: a tiny module
    // using both (i8x16.splat, memory.copy) must validate.
    const probe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 8, 2, 0x60, 0, 1, 0x7b, 0x60, 0, 0, 3, 3, 2, 0, 1,
      5, 3, 1, 0, 1, 10, 21, 2, 6, 0, 0x41, 0, 0xfd, 0x0f, 0x0b, 12, 0, 0x41, 0, 0x41, 0, 0x41, 0, 0xfc, 0x0a, 0, 0, 0x0b]);
    if (!WebAssembly.validate(probe))
      return "This browser's WebAssembly lacks SIMD or bulk memory, which Tessera needs. A current Firefox, Chrome, Edge or Safari (16.4 or later) has them.";
    return null;
  }
  function hasWebGl() {
    try {
      const probe = document.createElement("canvas");
      return !!(probe.getContext("webgl") || probe.getContext("experimental-webgl"));
    } catch (e) {
      return false;
    }
  }

  // A file fetched with its progress shown; rejects with a message naming it.
  async function fetchWithProgress(url, label) {
    let response;
    try {
      response = await fetch(url);
    } catch (e) {
      throw new Error("could not fetch " + url + " (" + e.message + ")");
    }
    if (!response.ok) throw new Error("could not fetch " + url + " (HTTP " + response.status + ")");
    const total = Number(response.headers.get("Content-Length")) || 0;
    status(label);
    if (!response.body || !response.body.getReader) {
      const bytes = new Uint8Array(await response.arrayBuffer());
      loadedBytes += bytes.length;
      return bytes;
    }
    const reader = response.body.getReader();
    const parts = [];
    let loaded = 0;
    for (;;) {
      const {done, value} = await reader.read();
      if (done) break;
      parts.push(value);
      loaded += value.length;
      progress(loaded, total);
    }
    loadedBytes += loaded;
    const bytes = new Uint8Array(loaded);
    let at = 0;
    for (const part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    return bytes;
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement("script");
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error("could not load " + src));
      document.body.appendChild(script);
    });
  }

  // ---- the player's folder in IndexedDB ----
  let syncing = false;
  let syncAgain = false;
  function sync() {
    if (storage !== "ok") return;
    if (syncing) {
      syncAgain = true;
      return;
    }
    syncing = true;
    FS.syncfs(false, (err) => {
      syncing = false;
      if (err) {
        storage = "none";
        note("Your saves could not be stored in this browser: they last until the page is closed.");
        return;
      }
      askToKeep();
      if (syncAgain) {
        syncAgain = false;
        sync();
      }
    });
  }
  // After the first save the browser is asked to keep the page's storage
  // rather than clear it when space runs short.
  function askToKeep() {
    if (persistAsked || !hasSaves()) return;
    persistAsked = true;
    if (!navigator.storage || !navigator.storage.persist) return;
    navigator.storage.persist().then((kept) => {
      note(kept ? "The browser keeps your saves." :
                  "The browser may clear your saves when it needs space: \u201cExport my data\u201d keeps a copy.");
    });
  }
  function hasSaves() {
    let found = false;
    walk(home, (path) => {
      if (/\.sav$/i.test(path)) found = true;
    });
    return found;
  }
  function walk(folder, onFile) {
    let names;
    try {
      names = FS.readdir(folder);
    } catch (e) {
      return;
    }
    for (const name of names) {
      if (name === "." || name === "..") continue;
      const path = folder + "/" + name;
      const mode = FS.stat(path).mode;
      if (FS.isDir(mode)) walk(path, onFile);
      else if (FS.isFile(mode)) onFile(path);
    }
  }

  // Called by the game (platform/web) when it replaced or removed a file.
  function filesChanged() {
    sync();
    offerScreenshots();
  }
  // F12 writes the frame as a PNG into the screenshots folder; the page offers
  // each new one as a download.
  function offerScreenshots() {
    const folder = home + "/.local/share/tessera/screenshots";
    let names = [];
    try {
      names = FS.readdir(folder);
    } catch (e) {
      return;
    }
    for (const name of names) {
      if (!/\.png$/i.test(name) || screenshotsSeen.has(name)) continue;
      screenshotsSeen.add(name);
      if (!playing) continue;  // the ones there before this visit
      download(FS.readFile(folder + "/" + name), name, "image/png");
    }
  }
  function download(bytes, name, type) {
    const url = URL.createObjectURL(new Blob([bytes], {type}));
    const a = document.createElement("a");
    a.href = url;
    a.download = name;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  // ---- export and import: one tar file of the player's folder ----
  function tarHeader(name, size, type) {
    const header = new Uint8Array(512);
    const put = (text, at, length) => {
      const bytes = new TextEncoder().encode(text);
      header.set(bytes.subarray(0, length), at);
    };
    const octal = (value, length) => value.toString(8).padStart(length - 1, "0");
    let prefix = "";
    if (new TextEncoder().encode(name).length > 100) {
      const cut = name.lastIndexOf("/", 154);
      prefix = name.slice(0, cut);
      name = name.slice(cut + 1);
    }
    put(name, 0, 100);
    put(type === "5" ? "0000755" : "0000644", 100, 8);
    put("0000000", 108, 8);
    put("0000000", 116, 8);
    put(octal(size, 12), 124, 12);
    put(octal(Math.floor(Date.now() / 1000), 12), 136, 12);
    put("        ", 148, 8);
    put(type, 156, 1);
    put("ustar", 257, 6);
    put("00", 263, 2);
    put(prefix, 345, 155);
    let sum = 0;
    for (const byte of header) sum += byte;
    put(octal(sum, 7) + "\0", 148, 8);
    return header;
  }
  function exportData() {
    const parts = [];
    walk(home, (path) => {
      const bytes = FS.readFile(path);
      parts.push(tarHeader(path.slice(home.length + 1), bytes.length, "0"), bytes);
      if (bytes.length % 512) parts.push(new Uint8Array(512 - (bytes.length % 512)));
    });
    parts.push(new Uint8Array(1024));
    download(new Blob(parts), "tessera-data.tar", "application/x-tar");
  }
  async function importData(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const text = (at, length) => {
      let end = at;
      while (end < at + length && bytes[end] !== 0) end++;
      return new TextDecoder().decode(bytes.subarray(at, end));
    };
    let count = 0;
    for (let at = 0; at + 512 <= bytes.length;) {
      const name = text(at, 100);
      if (!name) break;
      const size = parseInt(text(at + 124, 12).trim() || "0", 8);
      const type = String.fromCharCode(bytes[at + 156] || 48);
      const prefix = text(at + 345, 155);
      const path = (prefix ? prefix + "/" : "") + name;
      const start = at + 512;
      if (!(size >= 0) || start + size > bytes.length) throw new Error("the file is cut short");
      // Only plain files inside the player's folder.
      if (type === "0" && !path.split("/").some((p) => p === ".." || p === "") && !path.startsWith("/")) {
        const target = home + "/" + path;
        FS.mkdirTree(target.slice(0, target.lastIndexOf("/")));
        FS.writeFile(target, bytes.subarray(start, start + size));
        count++;
      }
      at = start + Math.ceil(size / 512) * 512;
    }
    sync();
    return count;
  }

  // ---- input the browser would take ----
  function setUpInput() {
    // Right-click is the game's.
    canvas.addEventListener("contextmenu", (e) => e.preventDefault());
    window.addEventListener("keydown", (e) => {
      if (!playing) return;
      if (e.key === "Enter" && e.altKey) {
        // The page's full screen (the game's own would wait for the next event).
        e.preventDefault();
        e.stopImmediatePropagation();
        if (!e.repeat) toggleFullScreen();
        return;
      }
      if (["F1", "F2", "F12", "Backspace", "Tab"].includes(e.key)) e.preventDefault();
    }, {capture: true});
    window.addEventListener("keyup", (e) => {
      if (playing && e.key === "Enter" && e.altKey) e.stopImmediatePropagation();
    }, {capture: true});
    // The game follows the pointer once it saw it enter the canvas; a pointer
    // already resting there when the game starts (or a finger, below) never
    // entered, so its first move says so.
    let pointerIn = false;
    window.addEventListener("mousemove", (e) => {
      if (!playing || pointerIn || e.target !== canvas) return;
      pointerIn = true;
      canvas.dispatchEvent(new MouseEvent("mouseenter", {clientX: e.clientX, clientY: e.clientY, view: window}));
    }, {capture: true});
    canvas.addEventListener("mouseleave", () => { pointerIn = false; });
    // Touch: a tap is a left click where it lands, a press held half a second
    // a right click. The game sees mouse events only.
    let touch = null;
    const mouse = (type, x, y, button) =>
      canvas.dispatchEvent(new MouseEvent(type, {clientX: x, clientY: y, button, buttons: type === "mousedown" ? (button === 2 ? 2 : 1) : 0,
                                               bubbles: true, cancelable: true, view: window}));
    const onTouch = (e) => {
      if (!playing || e.target !== canvas) return;
      e.preventDefault();
      e.stopPropagation();
      resumeAudio();
      const t = e.changedTouches[0];
      if (e.type === "touchstart") {
        if (touch) return;  // one finger is the pointer
        touch = {id: t.identifier, x: t.clientX, y: t.clientY, long: false};
        mouse("mousemove", t.clientX, t.clientY, 0);
        touch.timer = setTimeout(() => {
          touch.long = true;
          mouse("mousedown", touch.x, touch.y, 2);
          mouse("mouseup", touch.x, touch.y, 2);
        }, 500);
      } else if (touch && t.identifier === touch.id) {
        if (e.type === "touchmove") {
          if (Math.hypot(t.clientX - touch.x, t.clientY - touch.y) > 12) clearTimeout(touch.timer);
          mouse("mousemove", t.clientX, t.clientY, 0);
          return;
        }
        clearTimeout(touch.timer);
        if (e.type === "touchend" && !touch.long) {
          mouse("mousedown", t.clientX, t.clientY, 0);
          mouse("mouseup", t.clientX, t.clientY, 0);
        }
        touch = null;
      }
    };
    for (const type of ["touchstart", "touchmove", "touchend", "touchcancel"])
      window.addEventListener(type, onTouch, {capture: true, passive: false});
    for (const type of ["mousedown", "keydown", "touchend"]) window.addEventListener(type, resumeAudio, {capture: true});
  }

  // ---- files for the game: pictures for its puzzle maker, packages ----
  // Dropped onto the page, chosen with "Make a puzzle…", or chosen with the
  // chooser the game asks for (its form's "Add pictures…", its library's
  // "Open…"): written into the page's memory (not the stored player's folder:
  // the game copies what it makes of them there) and handed to the game one
  // path at a time, as a desktop drops them. Pictures open the game's maker.
  // Each drop or choice has a folder of its own in givenRoot, freed once the
  // game is done with its files (releaseFiles).
  const givenRoot = "/tmp/given";
  let drops = 0;
  const filling = new Set();  // folders whose files are still being read
  async function giveFiles(files) {
    if (files.length === 0) return;
    if (!playing) {
      note("Choose a campaign first; then drop your pictures onto the game to make a puzzle of them.");
      return;
    }
    const folder = givenRoot + "/" + ++drops;
    FS.mkdirTree(folder);
    filling.add(folder);
    const taken = new Set();
    const paths = [];
    for (const file of files) {
      const base = file.name.replace(/[\/\\\0]/g, "_") || "picture";
      let name = base;
      for (let n = 2; taken.has(name.toLowerCase()); n++) name = n + "-" + base;
      taken.add(name.toLowerCase());
      try {
        FS.writeFile(folder + "/" + name, new Uint8Array(await file.arrayBuffer()));
      } catch (e) {
        note("\u201c" + file.name + "\u201d could not be read.");
        continue;
      }
      paths.push(folder + "/" + name);
    }
    Module.tesseraDrops = (Module.tesseraDrops || []).concat(paths);
    filling.delete(folder);
    canvas.focus();
  }
  // Called by the game (platform/web) once it is done with the files given to
  // it (made into a puzzle, installed, or set aside): a phone's photos are
  // megabytes each, and the page's memory holds them until the tab closes.
  // The folders of files still being read or not yet taken by the game stay.
  function releaseFiles() {
    const keep = new Set(filling);
    for (const path of Module.tesseraDrops || []) keep.add(path.slice(0, path.lastIndexOf("/")));
    let names;
    try {
      names = FS.readdir(givenRoot);
    } catch (e) {
      return;
    }
    for (const name of names) {
      const folder = givenRoot + "/" + name;
      if (name === "." || name === ".." || keep.has(folder)) continue;
      try {
        walk(folder, (path) => FS.unlink(path));
        FS.rmdir(folder);
      } catch (e) {
        console.warn("tessera: " + folder + " could not be freed: " + e);
      }
    }
  }
  // The game asks for the page's chooser while it handles the player's click
  // or key, the moment a browser lets a page open one.
  function chooseFiles(kind) {
    if (!playing) return false;
    $(kind === "package" ? "open-file" : "pictures-file").click();
    return true;
  }
  // The files of a drop; a dropped folder gives its own files (not those of
  // the folders in it), in name order, as a folder dropped on the desktop.
  async function droppedFiles(transfer) {
    const entries = Array.from(transfer.items || [])
      .map((item) => (item.kind === "file" && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null));
    if (entries.length === 0 || entries.some((entry) => !entry)) return Array.from(transfer.files || []);
    const files = [];
    const fileOf = (entry) => new Promise((resolve) => entry.file(resolve, () => resolve(null)));
    for (const entry of entries) {
      if (entry.isFile) {
        files.push(await fileOf(entry));
      } else if (entry.isDirectory) {
        const reader = entry.createReader();
        const inside = [];
        for (;;) {
          const batch = await new Promise((resolve) => reader.readEntries(resolve, () => resolve([])));
          if (batch.length === 0) break;
          inside.push(...batch.filter((e) => e.isFile));
        }
        inside.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
        for (const e of inside) files.push(await fileOf(e));
      }
    }
    return files.filter((file) => file);
  }
  function setUpPictures() {
    $("pictures").onclick = () => $("pictures-file").click();
    for (const id of ["pictures-file", "open-file"]) {
      $(id).onchange = async (e) => {
        const files = Array.from(e.target.files || []);
        e.target.value = "";
        await giveFiles(files);
      };
    }
    const carriesFiles = (e) => e.dataTransfer && Array.from(e.dataTransfer.types || []).includes("Files");
    window.addEventListener("dragover", (e) => {
      if (!carriesFiles(e)) return;
      e.preventDefault();  // else the browser opens the picture in place of the page
      e.dataTransfer.dropEffect = "copy";
    });
    window.addEventListener("drop", async (e) => {
      if (!carriesFiles(e)) return;
      e.preventDefault();
      await giveFiles(await droppedFiles(e.dataTransfer));
    });
  }

  // Browsers start sound only after the player did something on the page.
  function resumeAudio() {
    if (typeof AL === "undefined" || !AL.contexts) return;
    for (const context of Object.values(AL.contexts)) {
      if (context && context.audioCtx && context.audioCtx.state === "suspended") context.audioCtx.resume();
    }
  }

  function toggleFullScreen() {
    const stage = $("stage");
    if (document.fullscreenElement || document.webkitFullscreenElement) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    } else {
      const request = stage.requestFullscreen || stage.webkitRequestFullscreen;
      if (request) Promise.resolve(request.call(stage)).catch(() => note("The browser did not allow full screen."));
    }
  }

  function landscape() {
    document.body.classList.toggle("landscape", window.innerWidth > window.innerHeight && window.innerHeight < 600);
  }

  // ---- start-up ----
  async function start() {
    const missing = missingFeature();
    if (missing) {
      status("");
      error(missing);
      return;
    }
    if (!hasWebGl()) note("WebGL is off in this browser: the game draws without it, more slowly.");
    $("fullscreen").onclick = toggleFullScreen;
    $("export").onclick = () => (storage === "unknown" ? null : exportData());
    $("import").onclick = () => $("import-file").click();
    $("import-file").onchange = async (e) => {
      const file = e.target.files[0];
      if (!file) return;
      try {
        const count = await importData(file);
        note("Imported " + count + " files." + (playing ? " Reload the page to play with them." : ""));
      } catch (err) {
        error("The import failed: " + err.message);
      }
      e.target.value = "";
    };
    window.addEventListener("resize", landscape);
    // A file that fails to arrive, or anything else going wrong, is said on the page.
    window.addEventListener("error", (e) => error(String(e.message || e)));
    window.addEventListener("unhandledrejection", (e) => error(String(e.reason && e.reason.message || e.reason)));
    landscape();
    setUpInput();
    setUpPictures();

    let wasm;
    try {
      wasm = await fetchWithProgress("tessera.wasm", "Loading the game…");
    } catch (e) {
      status("");
      error("The game could not be loaded: " + e.message + ".");
      return;
    }
    window.Module = {
      wasmBinary: wasm,
      canvas: canvas,
      noInitialRun: true,
      // Campaign packages fetch their data beside their loaders.
      locateFile: (path) => (path.endsWith(".data") ? "data/" + path : path),
      onFilesChanged: filesChanged,
      tesseraChooseFiles: chooseFiles,
      tesseraReleaseFiles: releaseFiles,
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
      setStatus: (text) => {
        const m = /\((\d+)\/(\d+)\)/.exec(text);
        if (m) progress(Number(m[1]), Number(m[2]));
      },
      onAbort: (what) => error("The game stopped: " + what),
      onRuntimeInitialized: () => mountHome().then(offerCampaigns),
    };
    try {
      await loadScript("tessera.js");
    } catch (e) {
      status("");
      error("The game could not be loaded: " + e.message + ".");
    }
  }

  // The player's folder, from IndexedDB when the browser has it.
  function mountHome() {
    return new Promise((resolve) => {
      try {
        FS.mount(IDBFS, {}, home);
      } catch (e) {
        storage = "none";
      }
      if (storage === "none" || typeof indexedDB === "undefined") {
        storage = "none";
        note("This browser keeps no data for this page (a private window or blocked storage): you can play, but saves last only until the page is closed.");
        resolve();
        return;
      }
      FS.syncfs(true, (err) => {
        if (err) {
          storage = "none";
          note("This browser keeps no data for this page (a private window or blocked storage): you can play, but saves last only until the page is closed.");
        } else {
          storage = "ok";
        }
        offerScreenshots();
        resolve();
      });
    });
  }

  function offerCampaigns() {
    status("Choose a campaign:");
    progress(0, 0);
    const choices = $("choices");
    choices.textContent = "";
    for (const campaign of campaigns) {
      const button = document.createElement("button");
      button.type = "button";
      button.textContent = campaign.label;
      button.onclick = () => play(campaign);
      choices.appendChild(button);
    }
  }

  // Fetches the campaign (and the Chinese font when its texts need it), then
  // starts the game, which finds it in /campaigns beside the player's own.
  async function play(campaign) {
    $("choices").textContent = "";
    resumeAudio();
    let later = {menu: [], opening: [], later: []};
    try {
      // The game's text is drawn from the font's first part, with the
      // characters of the campaigns offered; the whole font (9 MB) is fetched
      // only when the game asks for a character beyond them.
      await loadPackage("font-part", "Loading " + campaign.label + "…");
      await loadPackage(campaign.id, "Loading " + campaign.label + "…");
      const response = await fetch("data/" + campaign.id + "-later.json");
      if (!response.ok) throw new Error("could not fetch data/" + campaign.id + "-later.json (HTTP " + response.status + ")");
      later = await response.json();
    } catch (e) {
      status("");
      error("The campaign could not be loaded: " + e.message + ".");
      offerCampaigns();
      return;
    }
    console.log("tessera: " + loadedBytes + " bytes fetched before the game started");
    // The campaign's other files come while the game runs: first the menu
    // pictures (while the start logos wait for a click), then the opening
    // movie (which the player may skip before it arrived), then the levels'
    // pictures, heads, music and later movies (while the start menu shows).
    // The game waits for one it asks for before it arrived.
    Module.tesseraArriving = new Set([...later.menu, ...later.opening, ...later.later].map((file) => file.toLowerCase()));
    Module.tesseraOnDemand = {[wholeFont]: () => {
      Module.tesseraArriving.add(wholeFont);
      loadPackage("fonts", null).then(() => Module.tesseraArriving.delete(wholeFont), (e) => {
        Module.tesseraArriving.delete(wholeFont);  // the game draws the missing characters as boxes
        note("The Chinese font could not be loaded: " + e.message + ".");
      });
    }};
    const arrived = (files) => () => {
      for (const file of files) Module.tesseraArriving.delete(file.toLowerCase());
    };
    loadPackage(campaign.id + "-menu", null).then(arrived(later.menu)).then(() => {
      console.log("tessera: " + loadedBytes + " bytes fetched before the start menu");
      return loadPackage(campaign.id + "-opening", null);
    }).then(arrived(later.opening)).then(() => {
      console.log("tessera: " + loadedBytes + " bytes fetched with the opening movie");
      return loadPackage(campaign.id + "-later", null);
    }).then(arrived(later.later)).then(() => {
      console.log("tessera: " + loadedBytes + " bytes fetched in all");
    }, (e) => {
      // The panel is hidden while the game plays: the tool bar says it.
      const text = "The campaign's pictures could not be loaded: " + e.message + ". Reload the page to try again.";
      note(text);
      console.error("tessera: " + text);
    });
    $("panel").style.display = "none";
    canvas.style.display = "block";
    canvas.style.inset = "0";
    // The canvas gets whole CSS pixels: the game's window takes the canvas'
    // size in whole pixels and scales the pointer by their ratio, so a
    // fractional height (the tool bar's line height) would move the pointer.
    const stage = $("stage");
    const fitCanvas = () => {
      const r = stage.getBoundingClientRect();
      canvas.style.width = Math.floor(r.width) + "px";
      canvas.style.height = Math.floor(r.height) + "px";
    };
    fitCanvas();
    // The game's window follows the page's window; a stage that changes on its
    // own (the tool bar hidden in landscape) says so the same way.
    if (window.ResizeObserver) new ResizeObserver(() => {
      const before = canvas.style.width + canvas.style.height;
      fitCanvas();
      if (canvas.style.width + canvas.style.height !== before) window.dispatchEvent(new Event("resize"));
    }).observe(stage);
    document.body.classList.add("playing");
    playing = true;
    $("pictures").hidden = false;
    canvas.focus();
    window.tesseraStarted = true;
    // "?arg=" values join the game's command line (the page's check asks for
    // a --trace file this way).
    Module.callMain(["--windowed", ...new URLSearchParams(location.search).getAll("arg")]);
  }

  // A package made by Emscripten's file packager: data/NAME.js places the
  // files of data/NAME.data in the file system once they arrived. Packages may
  // come side by side (the campaign's later one and the whole font): each is
  // taken as done once no file of any is still to come.
  const packagesLoading = [];
  function loadPackage(name, label) {
    return new Promise((resolve, reject) => {
      if (label) status(label);
      Module.monitorRunDependencies = (left) => {
        for (const loading of packagesLoading.slice()) {
          if (left > 0) loading.seen = true;
          if (!loading.seen || left !== 0) continue;
          packagesLoading.splice(packagesLoading.indexOf(loading), 1);
          loading.done();
        }
      };
      const loading = {seen: false, done: () => {
        const downloads = Module.dataFileDownloads || {};
        for (const url of Object.keys(downloads)) {
          if (!url.endsWith(name + ".data")) continue;
          loadedBytes += downloads[url].loaded || 0;
          delete downloads[url];
        }
        resolve();
      }};
      packagesLoading.push(loading);
      loadScript("data/" + name + ".js").catch((e) => {
        packagesLoading.splice(packagesLoading.indexOf(loading), 1);
        reject(e);
      });
    });
  }

  start();
})();
