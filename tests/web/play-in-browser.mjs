// Plays the web build in headless Chromium through real key events: what only
// the page shows. It loads from its own site alone and takes the keyboard;
// held arrows win the end-to-end tests' winning level (played in place of the
// game's own through ?level=); the best time and the best run are stored in
// the browser, apart from the game's own level's, and read back after a reload; a display paced by
// a page clock of its own at 144 frames a second gets the game's 66.7 updates a
// second; a browser without storage plays on.
// usage: node play-in-browser.mjs WEB_BUILD_FOLDER WIN_LEVEL
import puppeteer from 'puppeteer-core';
import { PNG } from 'pngjs';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const [webBuild, winLevel] = process.argv.slice(2).map((arg) => path.resolve(arg));
// The winning level's line after its map names the arrow held for each leg.
const ROUTE = fs.readFileSync(winLevel, 'utf8').split('\n')[11].trim().split(/\s+/);
// The player's jacket colour, from the art's palette, marks where it stands.
const PLAYER = parseInt(/^h\s+([0-9A-Fa-f]{6})/m.exec(fs.readFileSync(
  new URL('../../data/art/palette.txt', import.meta.url), 'utf8'))[1], 16);

let failures = 0;
let site = '';
function check(ok, what) {
  if (!ok) console.log(`FAILED: ${what}`);
  failures += !ok;
  return ok;
}
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
async function poll(seconds, test) {
  for (const deadline = Date.now() + seconds * 1000; Date.now() < deadline; await sleep(100))
    if (await test()) return true;
  return false;
}

// Where the player's jacket starts on the canvas, or '' when it is not shown.
async function playerAt(page) {
  const box = await (await page.$('#canvas')).boundingBox();
  const shot = PNG.sync.read(Buffer.from(await page.screenshot({ clip: box, type: 'png' })));
  for (let at = 0; at < shot.width * shot.height; ++at)
    if (shot.data.readUIntBE(at * 4, 3) === PLAYER) return `${at % shot.width},${Math.floor(at / shot.width)}`;
  return '';
}
const consoleLine = (page, text) => page.consoleLines.find((line) => line.includes(text));

async function open(browser, url, { frameRate = 0, noStorage = false } = {}) {
  const page = await browser.newPage();
  page.consoleLines = [];
  page.on('console', (message) => page.consoleLines.push(message.text()));
  page.on('pageerror', (error) => check(false, `page error: ${error.message}`));
  page.on('request', (request) => check(request.url().startsWith(`${site}/`) || /^(data|blob):/.test(request.url()),
    `a request outside the page's site: ${request.url()}`));
  await page.setViewport({ width: 1000, height: 760, deviceScaleFactor: 1 });
  // A paced display: each frame comes one frame's time after the last by the
  // page's own clock, however late the busy machine runs it.
  await page.evaluateOnNewDocument((rate, hideStorage) => {
    if (hideStorage)
      Object.defineProperty(window, 'indexedDB', { get() { throw new Error('no storage here'); } });
    if (!rate) return;
    let frames = 0;
    const start = performance.now();
    performance.now = () => start + (frames * 1000) / rate;
    window.requestAnimationFrame = (callback) => setTimeout(() => callback(start + (++frames * 1000) / rate), 1000 / rate);
  }, frameRate, noStorage);
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  await page.waitForFunction(() => typeof Module !== 'undefined' && Module.calledRun
    && Module._engine_update_count() > 0, { polling: 100, timeout: 120000 });
  // The canvas at its own size: its pixels one to one on a screenshot.
  await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    canvas.style.setProperty('width', `${canvas.width}px`, 'important');
    canvas.style.setProperty('height', `${canvas.height}px`, 'important');
  });
  return page;
}

async function startRun(page, key) {
  await page.keyboard.press(key);
  return check(await poll(20, async () => (await playerAt(page)) !== ''), `${key} starts a run`);
}

// Holds the arrow until the player has moved and then stands still.
async function hold(page, key) {
  const from = await playerAt(page);
  let previous = null;
  let now = from;
  await page.keyboard.down(`Arrow${key}`);
  for (let tries = 0; tries < 240 && !(now !== from && now === previous); ++tries) {
    previous = now;
    await sleep(250);
    now = await playerAt(page);
  }
  await page.keyboard.up(`Arrow${key}`);
  return check(now !== from && now === previous, `holding ${key} moved the player to a stop`);
}

async function main() {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'vaultrun-web-'));
  fs.symlinkSync(path.join(webBuild, 'dist'), path.join(root, 'dist'));
  fs.copyFileSync(winLevel, path.join(root, 'win.txt'));
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', root],
    { stdio: ['ignore', 'pipe', 'ignore'] });
  const port = await new Promise((found, failed) => {
    server.stdout.on('data', (text) => { const match = /port (\d+)/.exec(text.toString()); if (match) found(match[1]); });
    server.on('exit', () => failed(new Error('the web server did not start')));
  });
  site = `http://127.0.0.1:${port}`;
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, userDataDir: path.join(root, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    console.log('case: a complete win, its time stored and read back after a reload');
    const page = await open(browser, `${site}/dist/index.html?level=../win.txt`);
    check(await page.evaluate(() => document.activeElement.id) === 'canvas', 'keyboard focus on the canvas');
    check(await page.evaluate(() => document.getElementById('status').textContent) === '',
      'the loading line goes once the game runs');
    if (await startRun(page, 'Space')) {
      for (const key of ROUTE) if (!(await hold(page, key))) break;
    }
    await page.keyboard.press('Space');
    check(await poll(20, () => page.consoleLines.filter((line) => line.includes('SCORE = ')).length > 1),
      'space after the win starts the next run');
    const best = /SCORE = (\d+)/.exec(page.consoleLines.filter((line) => line.includes('SCORE = ')).pop())[1];
    check(best !== '0', 'the win stored a best time');
    // Stored by the page on its own, in the tried level's own folder.
    let bestFiles = [];
    await poll(10, async () => (bestFiles = await page.evaluate(() => new Promise((found) => {
      const request = indexedDB.open('/saves');
      request.onerror = () => found([]);
      request.onsuccess = () => {
        const keys = request.result.transaction('FILE_DATA').objectStore('FILE_DATA').getAllKeys();
        keys.onsuccess = () => found(keys.result.filter((key) => /\/(Score\.txt|Best\.replay)$/.test(key)));
        keys.onerror = () => found([]);
      };
    }))).length > 1);
    const folder = /^\/saves\/level-[^/]+\//.exec(bestFiles[0] || '')?.[0];
    check(bestFiles.length === 2 && bestFiles.every((key) => folder && key.startsWith(folder)),
      `the page stored the best time and the best run in IndexedDB, in the tried level's own folder: ${bestFiles}`);
    page.consoleLines = [];
    await page.reload({ waitUntil: 'domcontentloaded' });
    await page.waitForFunction(() => Module.calledRun && Module._engine_update_count() > 0, { timeout: 120000 });
    await startRun(page, 'ArrowDown');
    check(Boolean(consoleLine(page, `SCORE = ${best} `)), `the stored best time ${best} read after the reload`);
    check(!consoleLine(page, 'Best.replay'), 'the stored best run read back without a complaint');
    await page.close();

    console.log('case: the game\'s pace on a 144 Hz display');
    const paced = await open(browser, `${site}/dist/index.html`, { frameRate: 144 });
    await startRun(paced, 'Space');
    check(Boolean(consoleLine(paced, 'SCORE = 0 ')), 'the game\'s own level has no best time from the tried one');
    const sample = () => paced.evaluate(() => [Module._engine_update_count(), Module._engine_last_update_ms()]);
    const [updates0, time0] = await sample();
    await sleep(5000);
    const [updates1, time1] = await sample();
    const perSecond = ((updates1 - updates0) * 1000) / (time1 - time0);
    check(perSecond >= 66 && perSecond <= 67, `66 to 67 updates a second, not ${perSecond.toFixed(2)}`);
    await paced.close();

    console.log('case: a browser that cannot store plays on');
    const context = await browser.createBrowserContext();
    const secret = await open(context, `${site}/dist/index.html`, { noStorage: true });
    await startRun(secret, 'Space');
    check(Boolean(consoleLine(secret, 'SCORE = 0 ')), 'no best time without storage');
    await context.close();
  } finally {
    await browser.close();
    server.kill();
    fs.rmSync(root, { recursive: true, force: true });
  }
  console.log(failures ? `${failures} check(s) failed` : 'web: ok');
  process.exit(failures ? 1 : 0);
}

main().catch((error) => {
  console.log(`FAILED: ${error.stack || error}`);
  process.exit(1);
});
