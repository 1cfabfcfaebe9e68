// Takes the README's screenshot of the web page: a run under way on the
// shipped level, the page as a player sees it in a 1024 x 768 browser window.
// It drives the browser through the browser test's packages (tests/web,
// installed by `make test-web`).
// usage: node scripts/take-web-screenshot.mjs WEB_BUILD_FOLDER OUTPUT.png
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const puppeteer = createRequire(new URL('../tests/web/', import.meta.url))('puppeteer-core');
const [webBuild, output] = process.argv.slice(2).map((arg) => path.resolve(arg));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vaultrun-shot-'));
const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1',
  '--directory', path.join(webBuild, 'dist')], { stdio: ['ignore', 'pipe', 'ignore'] });
const port = await new Promise((found) => server.stdout.on('data', (text) => {
  const match = /port (\d+)/.exec(text.toString());
  if (match) found(match[1]);
}));
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  await page.goto(`http://127.0.0.1:${port}/`);
  await page.waitForFunction(() => Module.calledRun && Module._engine_update_count() > 0,
    { polling: 'raf', timeout: 60000 });
  await page.keyboard.press('Space');
  await sleep(500);
  await page.keyboard.down('ArrowRight');
  await sleep(700);
  await page.keyboard.up('ArrowRight');
  await page.screenshot({ path: output });
} finally {
  await browser.close();
  server.kill();
  fs.rmSync(profile, { recursive: true, force: true });
}
