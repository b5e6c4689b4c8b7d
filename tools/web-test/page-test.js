// Drives the page (build/web, served locally) in Debian's headless Chromium:
//   node page-test.js URL LINUX_START_MENU_PNG OUT_DIR
// - the English demo is picked and the start menu appears: the frame, cut from
//   a screenshot of the page, matches the Linux build's dump of the same
//   moment (a 3% colour tolerance for the browser's colour handling, nothing
//   for position: the frame sits at a whole scale);
// - the first start logo shows while the campaign's menu pictures and opening
//   movie are held back; past the logos the game waits for the movie, the
//   player skips it before it arrived, and the game waits for the menu
//   pictures; the start menu comes while the movie is still held back;
// - the start menu comes while the campaign's later package is held back, and
//   the game waits for that package's files once it needs them;
// - the idle start menu's CPU use over 10 s is measured and reported;
// - clicks start a level and a click on the board turns a piece; a touch tap
//   (the page emulating a touch screen) turns one too;
// - a picture dropped onto the page opens the game's maker with it, the
//   form's "Add pictures…" opens the page's file chooser and shows the picture
//   chosen, the tool bar's "Make a puzzle…" chooser adds one more, and a title
//   typed and Enter make a puzzle of the three, after which the page's memory
//   no longer holds them;
// - a game saved in slot 1 and the puzzle made are still there after the page
//   is reloaded;
// - a title in characters beyond the font's first part has the page fetch the
//   whole font, and draws from it once it arrived; the library's "Open…"
//   opens the page's file chooser for a package;
// - the console shows no errors all along.
// Prints one line per check and "N passed, N failed" last; the exit code says.
"use strict";
const puppeteer = require("puppeteer-core");
const {execFileSync} = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");

const [url, linuxStartMenu, outDir] = process.argv.slice(2);
if (!url || !linuxStartMenu || !outDir) {
  console.error("usage: node page-test.js URL LINUX_START_MENU_PNG OUT_DIR");
  process.exit(2);
}
fs.mkdirSync(outDir, {recursive: true});
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let passed = 0;
let failed = 0;
function check(ok, what) {
  console.log((ok ? "ok: " : "FAILED: ") + what);
  if (ok) passed++;
  else failed++;
}

// Pixels apart between two pictures, colours within 3% counted as equal.
function pixelsApart(a, b) {
  try {
    execFileSync("compare", ["-metric", "AE", "-fuzz", "3%", a, b, "null:"], {stdio: ["ignore", "pipe", "pipe"]});
    return 0;
  } catch (e) {
    const n = parseFloat(String(e.stderr));
    return Number.isFinite(n) ? n : Infinity;
  }
}

// Where the game puts the 800x600 frame in the canvas (as FitFrame does).
async function frameRect(page) {
  const box = await page.$eval("#canvas", (c) => {
    const r = c.getBoundingClientRect();
    return {left: r.left, top: r.top, width: Math.floor(r.width), height: Math.floor(r.height)};
  });
  const whole = Math.min(Math.floor(box.width / 800), Math.floor(box.height / 600));
  let w, h;
  if (box.width * 600 <= box.height * 800) {
    w = box.width;
    h = Math.floor((box.width * 600) / 800);
  } else {
    w = Math.floor((box.height * 800) / 600);
    h = box.height;
  }
  if (whole >= 1 && whole * 800 * 10 >= w * 9) {
    w = 800 * whole;
    h = 600 * whole;
  }
  return {x: box.left + Math.floor((box.width - w) / 2), y: box.top + Math.floor((box.height - h) / 2), w, h};
}

async function shootFrame(page, file) {
  const r = await frameRect(page);
  await page.screenshot({path: file, clip: {x: r.x, y: r.y, width: r.w, height: r.h}, captureBeyondViewport: false});
  return file;
}

async function shootArea(page, fx, fy, size, file) {
  const r = await frameRect(page);
  const s = r.w / 800;
  await page.screenshot({path: file, clip: {x: r.x + (fx - size / 2) * s, y: r.y + (fy - size / 2) * s, width: size * s, height: size * s}, captureBeyondViewport: false});
  return file;
}

// Page coordinates of a frame pixel.
async function at(page, fx, fy) {
  const r = await frameRect(page);
  const s = r.w / 800;
  return {x: r.x + (fx + 0.5) * s, y: r.y + (fy + 0.5) * s};
}

async function click(page, fx, fy) {
  const p = await at(page, fx, fy);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down();
  await sleep(60);
  await page.mouse.up();
}

(async () => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tessera-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--mute-audio"],
  });
  const errors = [];
  try {
    const page = await browser.newPage();
    page.on("console", (m) => {
      if (m.type() === "error") errors.push(m.text());
      else if (/^(tessera: \d+ bytes|waiting for )/.test(m.text())) console.log(m.text());
    });
    page.on("pageerror", (e) => errors.push(String(e)));
    page.on("requestfailed", (r) => errors.push("request failed: " + r.url()));
    // The campaign's later package (levels' pictures, music) is held back
    // until the game is seen waiting for it: the start menu must come without
    // it, and the game must go on once it arrives.
    const waited = [];
    page.on("console", (m) => {
      if (/^waiting for .* to arrive$/.test(m.text())) waited.push(m.text());
    });
    let heldMenu = null;
    let heldOpening = null;
    let heldLater = null;
    let heldFont = null;  // the whole font, held back once the game asks for it
    await page.setRequestInterception(true);
    page.on("request", (r) => {
      if (/-menu\.data$/.test(r.url()) && !heldMenu) heldMenu = r;
      else if (/-opening\.data$/.test(r.url()) && !heldOpening) heldOpening = r;
      else if (/-later\.data$/.test(r.url()) && !heldLater) heldLater = r;
      else if (/\/fonts\.data$/.test(r.url()) && !heldFont) heldFont = r;
      else r.continue();
    });
    // A mouse first: with touch emulated, Chromium turns the mouse into a
    // finger, which moves nothing until it presses.
    await page.setViewport({width: 800, height: 680, hasTouch: false});
    // The game's trace says where it is: the test waits for states, not times.
    await page.goto(url + "?arg=--trace&arg=/tmp/trace.txt", {waitUntil: "load"});
    const english = await page.waitForSelector("#choices button", {timeout: 60000});
    await english.click();
    await page.waitForFunction(() => window.tesseraStarted === true, {timeout: 120000});

    // As in the input script: the left button held through the start logos,
    // its release skips the opening movie (here while it is still on its
    // way); the pointer then rests on "New Game".
    await sleep(1500);
    const logo = await shootFrame(page, path.join(outDir, "first-logo.png"));
    const colours = Number(execFileSync("identify", ["-format", "%k", logo]));
    const centre = await at(page, 400, 300);
    await page.mouse.move(centre.x, centre.y);
    await page.mouse.down();
    await sleep(2500);
    await page.mouse.up();
    for (let waitedMs = 0; !waited.some((w) => /menu\.dat/i.test(w)) && waitedMs < 10000; waitedMs += 250)
      await sleep(250);
    const movieAt = waited.findIndex((w) => /begin\.avi/i.test(w));
    const menuAt = waited.findIndex((w) => /menu\.dat/i.test(w));
    check(heldMenu !== null && colours > 100 && movieAt >= 0 && menuAt > movieAt,
          "the first logo shows (" + colours + " colours) before the menu pictures and the opening movie, the movie " +
              "is skipped before it arrived, and the game waits for the menu pictures (" + waited.join(", ") + ")");
    if (heldMenu) heldMenu.continue();
    waited.length = 0;
    let onNewGame = await at(page, 580, 435);
    await page.mouse.move(onNewGame.x, onNewGame.y);
    let apart = Infinity;
    const startMenu = path.join(outDir, "start-menu.png");
    for (let tries = 0; tries < 40 && apart !== 0; tries++) {
      // The pointer moves onto "New Game" again: the menu draws the pointer it
      // was last told of once it is up. The canvas may have moved meanwhile
      // (the tool bar's note on the files still loading comes and goes).
      onNewGame = await at(page, 580, 435);
      await page.mouse.move(onNewGame.x + 1, onNewGame.y);
      await page.mouse.move(onNewGame.x, onNewGame.y);
      await sleep(500);
      apart = pixelsApart(await shootFrame(page, startMenu), linuxStartMenu);
    }
    check(apart === 0 && heldOpening !== null,
          "the start menu appears as the Linux build draws it (" + apart + " pixels apart), the opening movie still on its way");

    // An idle start menu: the page's share of one core over 10 s.
    const cdp = await page.target().createCDPSession();
    await cdp.send("Performance.enable");
    const metric = async (name) => (await cdp.send("Performance.getMetrics")).metrics.find((m) => m.name === name).value;
    const busyBefore = await metric("TaskDuration");
    const cpuStart = process.cpuUsage();
    const wallStart = Date.now();
    await sleep(10000);
    const busy = (await metric("TaskDuration")) - busyBefore;
    const wall = (Date.now() - wallStart) / 1000;
    console.log("idle start menu: the page's main thread busy " + ((100 * busy) / wall).toFixed(1) + "% of 10 s");
    void cpuStart;
    if (heldOpening) heldOpening.continue();

    // New game: the introduction and opening lines, each taken by a click,
    // then the countdown, then play (state 9 in the trace).
    await click(page, 580, 435);
    for (let waitedMs = 0; waited.length === 0 && waitedMs < 20000; waitedMs += 250) {
      await sleep(250);
      if (waitedMs % 1000 === 0) await click(page, 400, 300);
    }
    check(heldLater !== null && waited.length > 0, "the start menu came before the campaign's later package, and the game waits for it (" + waited.join(", ") + ")");
    if (heldLater) heldLater.continue();
    const playingNow = () => page.evaluate(() => {
      try {
        const states = FS.readFile("/tmp/trace.txt", {encoding: "utf8"}).match(/ state -?\d+ -?\d+/g) || [];
        return states.length > 0 && / 9$/.test(states[states.length - 1]);
      } catch (e) {
        return false;
      }
    });
    for (let waited = 0; !(await playingNow()); waited += 500) {
      if (waited > 60000) throw new Error("no play state within 60 s of New Game");
      await sleep(500);
      if (!(await playingNow())) await click(page, 400, 300);
    }
    await sleep(1000);
    const playing = await shootFrame(page, path.join(outDir, "play.png"));
    const beforeTurn = await shootArea(page, 430, 310, 40, path.join(outDir, "piece-before.png"));
    await click(page, 430, 310);
    await sleep(800);
    const afterTurn = await shootArea(page, 430, 310, 40, path.join(outDir, "piece-after.png"));
    check(pixelsApart(beforeTurn, afterTurn) > 0, "a click on the board turns a piece");
    void playing;

    // A tap with a finger: the page makes it a left click.
    // A finger now (through the protocol: puppeteer's own switch reloads the page).
    await cdp.send("Emulation.setTouchEmulationEnabled", {enabled: true, maxTouchPoints: 1});
    const tapAt = await at(page, 470, 320);
    const beforeTap = await shootArea(page, 470, 320, 40, path.join(outDir, "tap-before.png"));
    await page.touchscreen.tap(tapAt.x, tapAt.y);
    await sleep(800);
    const afterTap = await shootArea(page, 470, 320, 40, path.join(outDir, "tap-after.png"));
    check(pixelsApart(beforeTap, afterTap) > 0, "a touch tap turns a piece");
    await cdp.send("Emulation.setTouchEmulationEnabled", {enabled: false});

    // Saved in slot 1 (the play screen's save button, the first slot, yes),
    // then the page reloaded: the save comes back from IndexedDB.
    const savesNow = () => page.evaluate(() => {
      const found = [];
      const walk = (dir) => {
        for (const name of FS.readdir(dir)) {
          if (name === "." || name === "..") continue;
          const path = dir + "/" + name;
          if (FS.isDir(FS.stat(path).mode)) walk(path);
          else found.push(path + " " + FS.stat(path).size);
        }
      };
      walk("/home/web_user");
      return found.filter((f) => /sav/i.test(f)).sort();
    });
    const before = await savesNow();
    await click(page, 29, 574);
    await sleep(800);
    await shootFrame(page, path.join(outDir, "save-1.png"));
    await click(page, 400, 157);
    await sleep(800);
    await shootFrame(page, path.join(outDir, "save-2.png"));
    await click(page, 453, 311);
    await sleep(1500);
    await shootFrame(page, path.join(outDir, "save-3.png"));
    const saved = await savesNow();
    check(saved.length > before.length, "a game saved in slot 1 (" + saved.filter((f) => !before.includes(f)).join(", ") + ")");

    // Three pictures, given three ways, make a puzzle: one dropped onto the
    // game (a drop as the browser sends it, its File made in the page) opens
    // the maker over the level; the form's "Add pictures…" opens the page's
    // file chooser for the second; the tool bar's chooser gives the third. A
    // typed title and Enter make the puzzle, and the game goes on in it.
    const pictureDir = fs.mkdtempSync(path.join(os.tmpdir(), "tessera-pictures-"));
    const pictures = [["red", "blue"], ["green", "yellow"], ["purple", "orange"]].map(([from, to], i) => {
      const file = path.join(pictureDir, "photo-" + (i + 1) + ".png");
      execFileSync("convert", ["-size", "640x480", "gradient:" + from + "-" + to, "-fill", "white",
                               "-draw", "circle 320,240 320," + (100 + 40 * i), file]);
      return file;
    });
    const madeNow = () => page.evaluate(() => {
      const campaigns = "/home/web_user/.local/share/tessera/campaigns";
      const found = [];
      try {
        for (const name of FS.readdir(campaigns)) {
          try {
            const manifest = FS.readFile(campaigns + "/" + name + "/tessera-package.ini", {encoding: "utf8"});
            const levels = /^levels=(\d+)/m.exec(manifest);
            if (manifest.includes("Web puzzle")) found.push(name + " " + (levels ? levels[1] : "?") + " levels");
          } catch (e) {}
        }
      } catch (e) {}
      return found;
    });
    // True once the game took every file the page was given.
    const delivered = () => page.waitForFunction(() => Module.tesseraDrops && Module.tesseraDrops.length === 0, {timeout: 30000})
      .then(() => true, () => false);
    const dropAt = await at(page, 400, 300);
    const dropTaken = await page.evaluate((base64, name, x, y) => {
      const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const transfer = new DataTransfer();
      transfer.items.add(new File([bytes], name, {type: "image/png"}));
      const options = {dataTransfer: transfer, clientX: x, clientY: y, bubbles: true, cancelable: true};
      const target = document.elementFromPoint(x, y);
      target.dispatchEvent(new DragEvent("dragenter", options));
      target.dispatchEvent(new DragEvent("dragover", options));
      return !target.dispatchEvent(new DragEvent("drop", options));  // the page took it
    }, fs.readFileSync(pictures[0]).toString("base64"), path.basename(pictures[0]), dropAt.x, dropAt.y);
    const dropDelivered = await delivered();
    await sleep(2000);
    await shootFrame(page, path.join(outDir, "maker-dropped.png"));
    // The form's second picture place, empty until "Add pictures…" fills it.
    const secondEmpty = await shootArea(page, 60 + 66 + 28, 354 + 28, 56, path.join(outDir, "second-before.png"));
    const [formChooser] = await Promise.all([
      page.waitForFileChooser({timeout: 15000}).catch(() => null),
      click(page, 310, 560),
    ]);
    if (formChooser) await formChooser.accept([pictures[1]]);
    await delivered();
    await sleep(1500);
    const secondShown = await shootArea(page, 60 + 66 + 28, 354 + 28, 56, path.join(outDir, "second-after.png"));
    check(formChooser !== null && pixelsApart(secondEmpty, secondShown) > 0,
          "the form's \u201cAdd pictures\u2026\u201d opens the page's file chooser, and the picture chosen shows in the form");
    const chooser = await page.$("#pictures-file");
    await chooser.uploadFile(pictures[2]);
    await delivered();
    await sleep(1500);
    await shootFrame(page, path.join(outDir, "maker-form.png"));
    const untitled = await shootArea(page, 230, 87, 40, path.join(outDir, "title-before.png"));
    await page.keyboard.type("Web puzzle");
    await sleep(500);
    const titled = await shootArea(page, 230, 87, 40, path.join(outDir, "title-after.png"));
    check(pixelsApart(untitled, titled) > 0, "a title typed into the maker's form shows (the game's text has its font)");
    await page.keyboard.press("Enter");
    let made = [];
    for (let waitedMs = 0; made.length === 0 && waitedMs < 120000; waitedMs += 1000) {
      await sleep(1000);
      made = await madeNow();
    }
    await sleep(3000);
    await shootFrame(page, path.join(outDir, "maker-made.png"));
    check(dropTaken && dropDelivered && made.length === 1 && made[0].endsWith(" 3 levels"),
          "pictures dropped onto the page and chosen with its choosers make a puzzle in the game (" + made.join(", ") + ")");
    // Made, the pictures given to the page leave its memory.
    const given = await page.evaluate(() => {
      const left = [];
      const walk = (dir) => {
        for (const name of FS.readdir(dir)) {
          if (name === "." || name === "..") continue;
          if (FS.isDir(FS.stat(dir + "/" + name).mode)) walk(dir + "/" + name);
          else left.push(dir + "/" + name);
        }
      };
      try {
        walk("/tmp/given");
      } catch (e) {
        return null;  // no folder: nothing was ever given
      }
      return left;
    });
    check(given !== null && given.length === 0, "the pictures given to the page are freed once the puzzle is made (" + (given || ["no /tmp/given"]).join(", ") + ")");
    fs.rmSync(pictureDir, {recursive: true, force: true});

    await page.reload({waitUntil: "load"});
    await page.waitForSelector("#choices button", {timeout: 60000});
    const kept = await savesNow();
    check(saved.length > 0 && saved.every((f) => kept.includes(f)), "the save is still there after a reload (" + kept.length + " save files)");
    const madeKept = await madeNow();
    check(made.length === 1 && madeKept.length === 1 && madeKept[0] === made[0], "the puzzle made is still there after a reload (" + madeKept.join(", ") + ")");

    // The puzzle retitled in characters beyond the font's first part: the
    // library (shown at start, as the player has a puzzle of their own) draws
    // them from the whole font, which the page fetches only now; until it
    // arrives they show as boxes and the game goes on.
    await page.evaluate(() => {
      const campaigns = "/home/web_user/.local/share/tessera/campaigns";
      for (const name of FS.readdir(campaigns)) {
        const ini = campaigns + "/" + name + "/tessera-package.ini";
        try {
          const text = FS.readFile(ini, {encoding: "utf8"});
          if (text.includes("Web puzzle")) FS.writeFile(ini, text.replace(/^title=.*$/m, "title=\u9e66\u9e49\u87ba"));
        } catch (e) {}
      }
    });
    (await page.waitForSelector("#choices button", {timeout: 60000})).click();
    for (let waitedMs = 0; !heldFont && waitedMs < 90000; waitedMs += 500) await sleep(500);
    await sleep(1500);
    const boxes = await shootArea(page, 170, 108, 40, path.join(outDir, "title-boxes.png"));
    if (heldFont) heldFont.continue();
    await page.waitForFunction(() => !Module.tesseraArriving.has("/fonts/wqy-zenhei.ttc"), {timeout: 120000}).catch(() => {});
    await sleep(1500);
    const drawn = await shootArea(page, 170, 108, 40, path.join(outDir, "title-drawn.png"));
    await shootFrame(page, path.join(outDir, "library.png"));
    check(heldFont !== null && pixelsApart(boxes, drawn) > 0,
          "characters beyond the font's first part make the page fetch the whole font, and then draw from it");

    // The library's "Open…" opens the page's chooser for one package; cancelled, nothing happens.
    const [packageChooser] = await Promise.all([
      page.waitForFileChooser({timeout: 15000}).catch(() => null),
      click(page, 450, 554),
    ]);
    const accepts = await page.$eval("#open-file", (input) => input.accept);
    if (packageChooser) await packageChooser.cancel();
    check(packageChooser !== null && !packageChooser.isMultiple() && accepts === ".tessera",
          "the library's \u201cOpen\u2026\u201d opens the page's file chooser for a package");
  } catch (e) {
    check(false, "the page run: " + (e && e.stack ? e.stack : e));
  } finally {
    check(errors.length === 0, "no errors in the console" + (errors.length ? ": " + errors.join(" | ") : ""));
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
  console.log(passed + " passed, " + failed + " failed");
  process.exit(failed === 0 ? 0 : 1);
})();
