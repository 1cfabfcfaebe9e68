// Plays the web build in headless Chromium through real key events and checks
// what the canvas shows, as the desktop end-to-end tests do with the window:
// the title picture, a run started with a key, the player moved by a held
// arrow, a win on the end-to-end tests' winning level (played in place of the
// game's own through the page's ?level=), and the best time still shown after
// a reload and kept apart from the game's own level's, and the best run's
// ghost after the reload. Prints what the page costs: first-frame time
// against a bare SDL page, its size, updates per second at several frame
// rates, main-thread time.
// usage: node play-in-browser.mjs WEB_BUILD_FOLDER WIN_LEVEL
import puppeteer from 'puppeteer-core';
import { PNG } from 'pngjs';
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

const [webBuild, winLevel] = process.argv.slice(2).map((arg) => path.resolve(arg));
const dist = path.join(webBuild, 'dist');
const stage = path.join(webBuild, 'game', 'web', 'stage');  // the packed data, as files
// The data files by the names the code knows them by, from the asset list as
// the native data build wrote it for the shell tests (NAME='file' lines).
const assets = Object.fromEntries(
  fs.readFileSync(path.join(webBuild, 'native', 'generated', 'assets.sh'), 'utf8')
    .split('\n').map((line) => /^(VAULTRUN_\w+)='?([^']*)'?$/.exec(line)).filter(Boolean)
    .map((match) => [match[1], match[2]]));

const [SKY, BLACK, WHITE, TITLE_RED] = [0x87ceeb, 0x000000, 0xffffff, 0xff0000];
const PLAYER_NAVY = 0x23304f;  // the jacket: in the standing and the climbing picture
const [PLAYER_NAVY_DX, PLAYER_NAVY_DY] = [6, 4];  // where the jacket's box starts inside the sprite
const area = (x, y, w, h) => ({ x, y, w, h });
const HI_SCORE_TEXT = area(550, 0, 250, 40);
// Each leg holds one arrow until the map stops the player there, as the
// desktop's winning run does ("Key:x:y" words); after the last, Up climbs to the chest.
const WIN_LEGS = /WIN_LEGS="([^"]*)"/.exec(fs.readFileSync(new URL('../e2e/winning-run.sh', import.meta.url), 'utf8'))[1]
  .split(' ').map((leg) => leg.split(':')).map(([key, x, y]) => [`Arrow${key}`, Number(x), Number(y)]);

let failures = 0;
let site = '';  // the local server's address
function check(ok, what) {
  if (!ok) console.log(`FAILED: ${what}`);
  failures += !ok;
  return ok;
}
const note = (text) => console.log(`  ${text}`);
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// ---------------------------------------------------------------- pictures

// An 800 x 600 picture from its bytes, colours as 0xRRGGBB.
function image(bytes, channels) {
  return { rgb: (x, y) => bytes.readUIntBE((y * 800 + x) * channels, 3) };
}

// A reference picture from the packed data, decoded by ImageMagick.
function picture(name) {
  return image(execFileSync('convert', [path.join(stage, name), '-alpha', 'off', 'rgb:-'],
    { maxBuffer: 16 << 20 }), 3);
}

// Whether the test holds for every pixel of the region, row by row.
function every({ x, y, w, h }, test) {
  for (let row = y; row < y + h; ++row) {
    for (let col = x; col < x + w; ++col) if (!test(col, row)) return false;
  }
  return true;
}
const sameRegion = (a, b, region) => every(region, (x, y) => a.rgb(x, y) === b.rgb(x, y));
function count(shown, region, colour) {
  let n = 0;
  every(region, (x, y) => { n += shown.rgb(x, y) === colour; return true; });
  return n;
}
// Each band of the shot holds clearly more of the colour than the picture: a text.
const textsOver = (shown, picture, colour, bands) =>
  bands.every((band) => count(shown, band, colour) > count(picture, band, colour) + 40);

function playerPosition(shown) {
  let left = Infinity;
  let top = Infinity;
  every(area(0, 0, 800, 600), (x, y) => {
    if (shown.rgb(x, y) === PLAYER_NAVY) [left, top] = [Math.min(left, x), Math.min(top, y)];
    return true;
  });
  return left === Infinity ? null : [left - PLAYER_NAVY_DX, top - PLAYER_NAVY_DY];
}

// A run is on: the heads-up band holds black and white only, the sky shows below it.
const showsRun = (shown) => every(area(0, 0, 800, 40), (x, y) => [BLACK, WHITE].includes(shown.rgb(x, y)))
  && count(shown, area(0, 0, 800, 40), BLACK) > 0 && count(shown, area(0, 40, 800, 560), SKY) > 0;

// ---------------------------------------------------------------- the page

async function shot(page) {
  const box = await (await page.$('#canvas')).boundingBox();
  const png = await page.screenshot({ clip: { x: box.x, y: box.y, width: 800, height: 600 }, type: 'png' });
  return image(PNG.sync.read(Buffer.from(png)).data, 4);
}

async function poll(seconds, test) {
  const deadline = Date.now() + seconds * 1000;
  for (;;) {
    if (await test()) return true;
    if (Date.now() > deadline) return false;
    await sleep(50);
  }
}
const pollShot = (page, seconds, test) => poll(seconds, async () => test(await shot(page)));

// Opens the page at the URL (or takes the one just reloaded), shows the canvas
// at its own 800 x 600 so that screenshots hold its pixels one to one, and
// returns the milliseconds from navigation to the first frame the game presented.
async function open(page, url) {
  if (url) await page.goto(url, { waitUntil: 'domcontentloaded' });
  await page.addStyleTag({ content: '#canvas { width: 800px !important; height: 600px !important; }' });
  const handle = await page.waitForFunction(
    () => typeof Module !== 'undefined' && Module.calledRun && Module._engine_update_count() > 0
      && performance.now(),
    { polling: 'raf', timeout: 120000 });
  return handle.jsonValue();
}

async function newTab(browser, options = {}) {
  const page = await browser.newPage();
  page.consoleLines = [];
  page.on('console', (message) => page.consoleLines.push(message.text()));
  page.on('pageerror', (error) => check(false, `page error: ${error.message}`));
  // Everything the page needs comes from its own folder.
  page.on('request', (request) => {
    const url = request.url();
    check(url.startsWith(`${site}/`) || /^(data|blob):/.test(url), `a request outside the page's site: ${url}`);
  });
  await page.setViewport({ width: 1000, height: 760, deviceScaleFactor: 1 });
  // Counts display frames. With a rate given, the page sees a display of that
  // rate on a clock of its own: each frame comes exactly one frame's time
  // after the last by the page's clock, however late the busy machine runs
  // it, so that the game's pace is measured against the display and not
  // against the load. The real clock stays at hand as realNow.
  await page.evaluateOnNewDocument((rate) => {
    window.framesShown = 0;
    window.realNow = performance.now.bind(performance);
    const native = window.requestAnimationFrame.bind(window);
    if (!rate) {
      window.requestAnimationFrame = (callback) => native((time) => {
        window.framesShown += 1;
        callback(time);
      });
      return;
    }
    const start = window.realNow();
    performance.now = () => start + (window.framesShown * 1000) / rate;
    window.requestAnimationFrame = (callback) => setTimeout(() => {
      window.framesShown += 1;
      callback(performance.now());
    }, 1000 / rate);
  }, options.frameRate || 0);
  if (options.noStorage) {
    await page.evaluateOnNewDocument(() => {
      Object.defineProperty(window, 'indexedDB', { get() { throw new Error('no storage here'); } });
    });
  }
  return page;
}

async function hold(page, key, x, y) {
  const at = (shown) => playerPosition(shown)?.join() === `${x},${y}`;
  await page.keyboard.down(key);
  const reached = await pollShot(page, 60, at);
  await sleep(300);
  await page.keyboard.up(key);
  const shown = await shot(page);
  return check(reached && at(shown),
    `holding ${key} should bring the player to (${x}, ${y}); it is at (${playerPosition(shown)})`);
}

// Measures 5 s of the run under way: updates a second, from the first to the
// last update in that time by the game's clock, so that a frame catching up
// at either end does not count. On a paced display (see newTab) it must be
// 66 to 67 whatever the display's rate; on the browser's own frames the real
// clock rules, so there it is only noted, with the frames shown, the script
// time per frame and how busy the main thread was: that is the machine's speed.
async function checkSpeed(page, what, { paced }) {
  const sample = () => page.evaluate(() => [Module._engine_update_count(),
    Module._engine_last_update_ms(), window.realNow(), window.framesShown]);
  const metricsBefore = await page.metrics();
  const [, , timeAtMetrics, framesAtMetrics] = await sample();
  await sleep(300);  // the browser's first metrics call may hold the page up a moment
  const [updates0, update0] = await sample();
  await sleep(5000);
  const [updates1, update1, time1, frames1] = await sample();
  const metricsAfter = await page.metrics();
  const frames = frames1 - framesAtMetrics;
  const busyFor = (time1 - timeAtMetrics) / 1000;
  const perSecond = ((updates1 - updates0) * 1000) / (update1 - update0);
  note(`over 5 s of play ${what}: ${perSecond.toFixed(2)} updates/s by the game's clock, `
    + `${(frames / busyFor).toFixed(1)} frames shown a second, `
    + `${(((metricsAfter.ScriptDuration - metricsBefore.ScriptDuration) * 1000) / frames).toFixed(3)} ms script per frame, `
    + `main thread busy ${(((metricsAfter.TaskDuration - metricsBefore.TaskDuration) / busyFor) * 100).toFixed(1)} %`);
  if (paced)
    check(perSecond >= 66 && perSecond <= 67, `66 to 67 updates a second ${what}, not ${perSecond.toFixed(2)}`);
}

function pageSize() {
  let plain = 0;
  let compressed = 0;
  for (const name of fs.readdirSync(dist)) {
    const bytes = fs.readFileSync(path.join(dist, name));
    plain += bytes.length;
    compressed += zlib.gzipSync(bytes, { level: 9 }).length;
  }
  return `${(plain / 1024).toFixed(0)} KiB, ${(compressed / 1024).toFixed(0)} KiB compressed (gzip -9)`;
}

// ---------------------------------------------------------------- the run

async function main() {
  const title = picture(assets.VAULTRUN_TITLE_SCREEN_PICTURE);
  const end = picture(assets.VAULTRUN_END_SCREEN_PICTURE);
  // Untouched between the title's second and third line; its three lines drawn.
  const titleShown = (shown) => sameRegion(shown, title, area(0, 285, 800, 280))
    && textsOver(shown, title, TITLE_RED, [area(115, 130, 400, 40)])
    && textsOver(shown, title, WHITE, [area(115, 250, 500, 40), area(115, 570, 685, 30)]);
  // The end picture clear between the second text and the run's time, and below it.
  const showsEnd = (shown) => sameRegion(shown, end, area(0, 395, 800, 125))
    && sameRegion(shown, end, area(0, 570, 800, 30))
    && textsOver(shown, end, WHITE, [area(115, 250, 600, 40), area(115, 350, 600, 40), area(115, 525, 600, 40)]);

  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'vaultrun-web-'));
  fs.symlinkSync(dist, path.join(root, 'dist'));
  fs.symlinkSync(path.join(webBuild, 'bare'), path.join(root, 'bare'));
  fs.copyFileSync(winLevel, path.join(root, 'win.txt'));
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1',
    '--directory', root], { stdio: ['ignore', 'pipe', 'ignore'] });
  const port = await new Promise((found, failed) => {
    server.stdout.on('data', (text) => {
      const match = /port (\d+)/.exec(text.toString());
      if (match) found(match[1]);
    });
    server.on('exit', () => failed(new Error('the web server did not start')));
  });
  site = `http://127.0.0.1:${port}`;
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(root, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });

  try {
    console.log('case: the page loads, shows the title and plays a winning run');
    note(`page size: ${pageSize()}`);
    const bare = await newTab(browser);
    await bare.goto(`${site}/bare/index.html`, { waitUntil: 'domcontentloaded' });
    const bareMs = await (await bare.waitForFunction(() => window.barePresentedAt,
      { polling: 'raf', timeout: 60000 })).jsonValue();
    await bare.close();

    const page = await newTab(browser);
    const firstMs = await open(page, `${site}/dist/index.html?level=../win.txt`);
    note(`navigation to first title frame: ${firstMs.toFixed(0)} ms (bare SDL page showing one picture: ${bareMs.toFixed(0)} ms)`);
    check(await pollShot(page, 20, titleShown), 'the title picture with its three texts');
    check(await page.evaluate(() => document.activeElement.id) === 'canvas', 'keyboard focus on the canvas');
    check(await page.evaluate(() => document.getElementById('status').textContent) === '',
      'the loading line goes once the game runs');

    await page.keyboard.press('Space');
    check(await pollShot(page, 20, showsRun), 'a key press starts a run');
    const started = Date.now();
    const runStart = await shot(page);
    const at = playerPosition(runStart);
    check(at?.join() === '100,510', `the player starts at (100, 510), not (${at})`);
    await checkSpeed(page, 'in the browser\'s own frames', { paced: false });

    for (const [key, x, y] of WIN_LEGS) {
      if (!(await hold(page, key, x, y))) break;
    }
    await page.keyboard.down('ArrowUp');
    const won = check(await pollShot(page, 30, showsEnd), 'climbing to the open chest wins');
    await page.keyboard.up('ArrowUp');
    note(`won in ${((Date.now() - started) / 1000).toFixed(1)} s`);

    await page.keyboard.press('Space');
    check(await pollShot(page, 20, showsRun), 'space starts the next run');
    // The game's console lines reach the page line by line: the one read after
    // the win is complete once the next run has printed its map.
    const scoreLine = page.consoleLines.filter((line) => line.includes('SCORE = ')).pop() || '';
    const best = (/SCORE = (\d+)/.exec(scoreLine) || [])[1];
    check(won && best !== undefined && best !== '0', `the best time read back after the win: '${scoreLine}'`);
    const afterWin = await shot(page);
    check(!sameRegion(afterWin, runStart, HI_SCORE_TEXT), 'the heads-up line shows the new best time');
    // Stored by the page on its own: look into the browser's database for it.
    let bestFiles = [];
    await poll(10, async () => (bestFiles = await page.evaluate(() => new Promise((found) => {
      const request = indexedDB.open('/saves');
      request.onerror = () => found([]);
      request.onsuccess = () => {
        const keys = request.result.transaction('FILE_DATA').objectStore('FILE_DATA').getAllKeys();
        keys.onsuccess = () => found(keys.result.filter((key) => key.endsWith('/Score.txt')));
        keys.onerror = () => found([]);
      };
    }))).length > 0);
    check(bestFiles.length === 1 && /^\/saves\/level-[^/]+\/Score\.txt$/.test(bestFiles[0]),
      `the page stored the best time in IndexedDB, in the tried level's own folder: ${bestFiles}`);
    // The best run, kept beside its best time.
    const replayStored = await page.evaluate((key) => new Promise((found) => {
      const request = indexedDB.open('/saves');
      request.onerror = () => found('');
      request.onsuccess = () => {
        const get = request.result.transaction('FILE_DATA').objectStore('FILE_DATA').get(key);
        get.onsuccess = () => found(get.result ? new TextDecoder().decode(get.result.contents) : '');
        get.onerror = () => found('');
      };
    }), (bestFiles[0] || '').replace(/Score\.txt$/, 'Best.replay'));
    check(replayStored.startsWith('vaultrun-replay 1 '), 'the page stored the best run beside it');

    console.log('case: the best time survives a reload');
    page.consoleLines = [];
    await page.reload({ waitUntil: 'domcontentloaded' });
    await open(page);
    check(await pollShot(page, 20, titleShown), 'the title after the reload');
    await page.keyboard.press('ArrowDown');
    check(await pollShot(page, 20, showsRun), 'a key press starts a run after the reload');
    check(page.consoleLines.some((line) => line.includes(`SCORE = ${best} `)),
      `the stored best time ${best} read at start-up`);
    check(sameRegion(await shot(page), afterWin, HI_SCORE_TEXT), 'the heads-up line shows the stored best time');
    // The best run stood at the start point for its first seconds (the speed
    // check above): step away from it, and its ghost shows there, see-through
    // over the sky.
    await page.keyboard.down('ArrowRight');
    await sleep(1000);
    await page.keyboard.up('ArrowRight');
    const stepped = await shot(page);
    const ghostWidth = Math.min(25, (playerPosition(stepped)?.[0] ?? 100) - 100);
    check(ghostWidth >= 6 && count(stepped, area(100, 510, ghostWidth, 30), SKY) < ghostWidth * 30 - 20,
      'the best run\'s ghost stands at the start point after the reload');
    await page.close();

    for (const frameRate of [60, 144]) {
      console.log(`case: the same speed on a ${frameRate} Hz display`);
      const paced = await newTab(browser, { frameRate });
      await open(paced, `${site}/dist/index.html`);
      await paced.keyboard.press('Space');
      check(await pollShot(paced, 20, showsRun), 'a key press starts a run');
      check(sameRegion(await shot(paced), runStart, HI_SCORE_TEXT), 'the game\'s own level has no best time from the tried one');
      await checkSpeed(paced, `at ${frameRate} Hz`, { paced: true });
      await paced.close();
    }

    console.log('case: a browser that cannot store plays on without a best time');
    const context = await browser.createBrowserContext();
    const secret = await newTab(context, { noStorage: true });
    await open(secret, `${site}/dist/index.html`);
    check(await pollShot(secret, 20, titleShown), 'the title without storage');
    await secret.keyboard.press('Space');
    check(await pollShot(secret, 20, showsRun), 'a run without storage');
    check(sameRegion(await shot(secret), runStart, HI_SCORE_TEXT), 'no best time without storage');
    await context.close();
  } finally {
    await browser.close();
    server.kill();
    fs.rmSync(root, { recursive: true, force: true });
  }
  if (failures) {
    console.log(`${failures} check(s) failed`);
    process.exit(1);
  }
  console.log('web: ok');
}

main().catch((error) => {
  console.log(`FAILED: ${error.stack || error}`);
  process.exit(1);
});
