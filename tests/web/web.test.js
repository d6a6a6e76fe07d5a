// The show's web page in the real browser: headless Chromium (WebGL2 through ANGLE on
// SwiftShader) on pages served over HTTP by scripts/test-web.sh, which passes where they are:
//   SHOW_WEB_URL       the page of dist/web/
//   SHOW_WEB_MISSING   a copy of it with the data file of H_bout.baf removed
//   SHOW_WEB_RELEASE   the page of the unzipped dist/show-web.zip (optional)
//   SHOW_WEB_STILLS    the Linux capture's es3 stills (frame-<ms>.png)
//   SHOW_WEB_MP3       the soundtrack, decoded here with ffmpeg
// One line per test; the exit status is the number of failures (at most 1), 128 + N when
// stopped by signal N.
'use strict';

const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { PNG } = require('pngjs');
const puppeteer = require('puppeteer-core');

const env = (name) => {
  if (!process.env[name]) throw new Error(name + ' is not set (scripts/test-web.sh sets it)');
  return process.env[name];
};
const PAGE = env('SHOW_WEB_URL').replace(/\/?$/, '/');
const MISSING = env('SHOW_WEB_MISSING').replace(/\/?$/, '/');
const RELEASE = process.env.SHOW_WEB_RELEASE ? process.env.SHOW_WEB_RELEASE.replace(/\/?$/, '/') : '';
const STILLS = env('SHOW_WEB_STILLS');
const MP3 = env('SHOW_WEB_MP3');

const RATE = 44100;
const MAX_BYTES = 14000000;
// How far the page's stills may be from the capture's es3 ones: never further than the
// native suite lets es3 be from gl1 (tests/capture: a mean absolute channel difference of at
// most 1.3, and at least 99.5 % of the pixels with no channel more than 8 apart), and closer
// where the page was measured closer. Measured on SwiftShader against llvmpipe's es3 stills
// (mean; channels more than 8 apart, of 2 359 296): 15 s 0.0112, 0; 41 s 0.369, 452; 90 s
// 1.102, 1386; 150 s 1.218, 501; and gl1 against es3: 0.00000085, 0.192, 0.758, 0.899. The
// two rasterisers differ at edges and in texture filtering, more than the two paths on one.
const STILL_BOUNDS = {
  15000: { mean: 0.05, within8: 0.9999 },
  41000: { mean: 0.6, within8: 0.999 },
  90000: { mean: 1.3, within8: 0.995 },
  150000: { mean: 1.3, within8: 0.995 },
};

// ---- the browser and its pages -------------------------------------------------------------
let browser = null;

async function launch() {
  browser = await puppeteer.launch({
    executablePath: process.env.SHOW_WEB_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    handleSIGINT: false, handleSIGTERM: false, handleSIGHUP: false,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
           '--autoplay-policy=no-user-gesture-required', '--mute-audio',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
           '--disable-backgrounding-occluded-windows'],
  });
  if (process.env.SHOW_WEB_BROWSER_PID) fs.writeFileSync(process.env.SHOW_WEB_BROWSER_PID, String(browser.process().pid));
}

// A page of its own browser context (its own cache), with what it said kept for a failure's
// report, and every alert or confirm box counted and dismissed.
async function open(url, { width = 1024, height = 768 } = {}) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  page.said = [];
  page.boxes = [];
  page.on('console', (m) => page.said.push(m.type() + ': ' + m.text() +
                                           (m.type() === 'error' && m.location().url ? ' (' + m.location().url + ')' : '')));
  page.on('pageerror', (e) => page.said.push('page error: ' + e.message));
  page.on('dialog', (d) => { page.boxes.push(d.type() + ': ' + d.message()); d.dismiss().catch(() => {}); });
  page.close = () => context.close();
  await page.setViewport({ width, height, deviceScaleFactor: 1 });
  page.network = await page.createCDPSession();
  if (url) await page.goto(url);
  return page;
}

const pageState = (page) => page.evaluate(() => ({ state: showPage.state, message: showPage.message,
                                                   frames: showPage.frames }));

// Waits until the page's check holds; a sentence of the page's own ends the wait at once.
async function until(page, check, arg, what, timeout) {
  try {
    await page.waitForFunction(new Function('arg', 'return showPage.state === "error" || (' + check + ')'),
                               { timeout, polling: 50 }, arg);
  } catch (e) {
    const now = await pageState(page).catch(() => ({}));
    throw new Error(what + ' did not happen within ' + timeout / 1000 + ' s (state ' + now.state +
                    ', ' + now.frames + ' frames)');
  }
  const now = await pageState(page);
  if (now.state === 'error') throw new Error('the page stopped: ' + now.message);
}

// Frames are being presented: the count grows by a few.
async function framesGrow(page, what) {
  const before = (await pageState(page)).frames;
  await until(page, 'showPage.frames >= arg', before + 5, what + ': frames presented', 30000);
}

// Shown: not hidden and laid out (the page's screens are fixed, which have no offsetParent).
const shown = (page, selector) => page.$eval(selector, (e) => !e.hidden && getComputedStyle(e).display !== 'none');

// ---- pictures ------------------------------------------------------------------------------
function readPng(file) {
  return PNG.sync.read(fs.readFileSync(file));
}

// The mean absolute difference of the channels and the share of pixels with no channel more
// than 8 apart, of the page's still (RGB, rows bottom first) against the capture's PNG (rows
// top first).
function stillDifference(still, png) {
  const { width, height } = png;
  let sum = 0, within8 = 0;
  for (let y = 0; y < height; ++y) {
    const from = (height - 1 - y) * width * 3;
    for (let x = 0; x < width; ++x) {
      let most = 0;
      for (let c = 0; c < 3; ++c) {
        const d = Math.abs(still[from + x * 3 + c] - png.data[(y * width + x) * 4 + c]);
        sum += d;
        most = Math.max(most, d);
      }
      if (most <= 8) within8++;
    }
  }
  return { mean: sum / (width * height * 3), within8: within8 / (width * height) };
}

// ---- sound ---------------------------------------------------------------------------------
// The level of the soundtrack's frames [from, from + frames) as decoded on Linux.
function decodedLevel(from, frames) {
  const raw = execFileSync('ffmpeg', ['-v', 'error', '-i', MP3, '-af',
    'atrim=start_sample=' + from + ':end_sample=' + (from + frames), '-f', 'f32le', '-ac', '2', '-ar',
    String(RATE), '-'], { maxBuffer: 64 << 20 });
  const samples = new Float32Array(raw.buffer, raw.byteOffset, raw.length / 4);
  if (samples.length !== 2 * frames) throw new Error('ffmpeg gave ' + samples.length / 2 + ' frames, not ' + frames);
  let squares = 0;
  for (const s of samples) squares += s * s;
  return 10 * Math.log10(squares / (2 * frames));
}

// ---- the tests -----------------------------------------------------------------------------
const tests = [];
const test = (name, run) => tests.push({ name, run });

for (const ms of Object.keys(STILL_BOUNDS).map(Number)) {
  test('still at ' + ms + ' ms is the capture\'s es3 still', async (page) => {
    const png = readPng(path.join(STILLS, 'frame-' + String(ms).padStart(6, '0') + '.png'));
    if (png.width !== 1024 || png.height !== 768) throw new Error('the capture\'s still is ' + png.width + 'x' + png.height);
    const p = page.use(await open(PAGE + 'index.html?still=' + ms + '&resolution=1024x768'));
    await until(p, 'showPage.state === "still"', null, 'the still', 180000);
    const { width, height, base64 } = await p.evaluate(() => ({
      width: showPage.still.width, height: showPage.still.height, base64: showPage.stillBase64() }));
    const rgb = Buffer.from(base64, 'base64');
    if (width !== 1024 || height !== 768 || rgb.length !== width * height * 3)
      throw new Error('the page\'s still is ' + width + 'x' + height + ' with ' + rgb.length + ' bytes');
    const got = stillDifference(rgb, png), bound = STILL_BOUNDS[ms];
    let figures = 'mean ' + got.mean.toPrecision(3) + ' (at most ' + bound.mean + '), ' +
                  (100 * got.within8).toFixed(3) + ' % of pixels within 8 (at least ' + 100 * bound.within8 + ' %)';
    if (got.mean > bound.mean || got.within8 < bound.within8) {
      // Rows the other way round are a fault of their own: say so.
      const row = width * 3, flipped = Buffer.alloc(rgb.length);
      for (let y = 0; y < height; ++y) rgb.copy(flipped, (height - 1 - y) * row, y * row, (y + 1) * row);
      if (stillDifference(flipped, png).mean < got.mean / 2) figures += '; rows appear top first';
      throw new Error(figures);
    }
    return figures;
  });
}

test('sound from 60 s is the soundtrack\'s level (No button)', async (page) => {
  const p = page.use(await open(PAGE + 'index.html?from=60000'));
  await p.click('#no');
  await until(p, '(s => s && s.frames >= arg)(showPage.sound())', 2 * RATE, '2 s of sound mixed', 20000);
  const sound = await p.evaluate(() => showPage.sound());
  if (sound.from < 60 * RATE - RATE || sound.from > 60 * RATE + RATE)
    throw new Error('the sound started at frame ' + sound.from + ', not near 60 s');
  const level = 10 * Math.log10(sound.squares / (2 * sound.frames));
  const linux = decodedLevel(sound.from, sound.frames);
  const figures = 'page ' + level.toFixed(2) + ' dB, Linux ' + linux.toFixed(2) + ' dB over ' + sound.frames + ' frames';
  if (!(Math.abs(level - linux) <= 0.5)) throw new Error(figures);
  return figures;
});

test('Yes button plays; an opaque canvas; Escape ends; Play again plays; a lost context is said', async (page) => {
  const p = page.use(await open(PAGE + 'index.html'));
  await p.click('#yes');
  await framesGrow(p, 'after Yes');
  if (await shown(p, '#start')) throw new Error('#start is still shown while frames are presented');
  // Over the canvas every pixel is opaque, whatever the page behind it.
  const box = await (await p.$('#canvas')).boundingBox();
  if (!box || box.width < 100 || box.height < 100) throw new Error('the canvas is ' + JSON.stringify(box));
  const shot = PNG.sync.read(await p.screenshot({ omitBackground: true, clip: box }));
  let clear = 0;
  for (let i = 3; i < shot.data.length; i += 4) if (shot.data[i] !== 255) clear++;
  if (clear) throw new Error(clear + ' of ' + shot.width * shot.height + ' pixels over the canvas are not opaque');
  await p.keyboard.press('Escape');
  await until(p, 'showPage.state === "ended"', null, 'the end screen after Escape', 10000);
  const again = await p.$eval('#end', (e) => !e.hidden && e.querySelector('#again').textContent.trim());
  if (again !== 'Play again') throw new Error('#end shows ' + JSON.stringify(again));
  await p.click('#again');
  await framesGrow(p, 'after Play again');
  const now = await pageState(p);
  if (now.state !== 'playing' || await shown(p, '#end')) throw new Error('after Play again: state ' + now.state);
  // A lost WebGL context is said on the page, not left as a blank canvas.
  await p.evaluate(() => canvas.getContext('webgl2').getExtension('WEBGL_lose_context').loseContext());
  await p.waitForFunction(() => showPage.state === 'error', { timeout: 10000, polling: 50 }).catch(() => {});
  const lost = await pageState(p);
  if (lost.state !== 'error' || !/WebGL context/.test(lost.message) || !(await shown(p, '#message')))
    throw new Error('after the context was lost: state ' + lost.state + ', message ' + JSON.stringify(lost.message));
});

// The whole transfer of a first load, from the browser's network log.
async function loadsWithin(p, url) {
  let bytes = 0;
  const files = new Map();
  await p.network.send('Network.enable');
  await p.network.send('Network.setCacheDisabled', { cacheDisabled: true });
  p.network.on('Network.responseReceived', (e) => files.set(e.requestId, e.response.url));
  p.network.on('Network.loadingFinished', (e) => { bytes += e.encodedDataLength; });
  await p.goto(url);
  await p.keyboard.press('Enter');
  await until(p, 'showPage.frames >= 1', null, 'the first frame after Return', 60000);
  if (await shown(p, '#start')) throw new Error('#start is still shown after the first frame');
  const figures = (bytes / 1e6).toFixed(2) + ' MB in ' + files.size + ' responses';
  if (bytes > MAX_BYTES) throw new Error(figures + ', more than ' + MAX_BYTES / 1e6 + ' MB');
  return figures;
}
test('Return answers Yes; a first load is at most 14 MB', async (page) =>
  loadsWithin(page.use(await open()), PAGE + 'index.html'));
if (RELEASE)
  test('the release zip\'s page: Return answers Yes; at most 14 MB', async (page) =>
    loadsWithin(page.use(await open()), RELEASE + 'index.html'));

test('Escape answers No; a hidden page holds picture and sound, and plays on when shown', async (page) => {
  const p = page.use(await open(PAGE + 'index.html'));
  await p.keyboard.press('Escape');
  if ((await p.evaluate(() => showPage.startAnswer)) !== 0) throw new Error('Escape did not answer No');
  await framesGrow(p, 'after Escape');
  if (await shown(p, '#start')) throw new Error('#start is still shown while frames are presented');
  // Another tab in front hides the page: the show pauses as Space does, and plays on after.
  const said = (text) => p.said.some((line) => line.includes(text));
  const other = await p.browserContext().newPage();
  await other.bringToFront();
  await until(p, 'document.hidden', null, 'the page hidden behind another tab', 10000);
  for (let waited = 0; !said('show: paused at') && waited < 10000; waited += 100) await new Promise((r) => setTimeout(r, 100));
  if (!said('show: paused at')) throw new Error('the hidden page did not pause');
  await p.bringToFront();
  for (let waited = 0; !said('show: playing from') && waited < 10000; waited += 100) await new Promise((r) => setTimeout(r, 100));
  if (!said('show: playing from')) throw new Error('the page shown again did not play on');
  await other.close();
  await framesGrow(p, 'shown again');
});

for (const [value, what] of [['abc', 'a bad value'], ['<img src=x onerror=alert(1)>', 'markup']]) {
  test('?from= with ' + what + ': the usage, the value as text', async (page) => {
    const p = page.use(await open(PAGE + 'index.html?from=' + encodeURIComponent(value)));
    await p.waitForFunction(() => showPage.state === 'error' || showPage.frames > 0, { timeout: 30000, polling: 50 });
    const seen = await p.evaluate(() => ({
      state: showPage.state, shown: !document.getElementById('message').hidden,
      text: document.getElementById('message').textContent, images: document.querySelectorAll('img').length }));
    if (seen.state !== 'error' || !seen.shown) throw new Error('no message: state ' + seen.state);
    if (!seen.text.includes(value)) throw new Error('the message does not show ' + value + ': ' + seen.text);
    if (!seen.text.includes('?from=MS')) throw new Error('the message has no usage: ' + seen.text);
    if (seen.images || p.boxes.length) throw new Error(seen.images + ' img elements, boxes: ' + p.boxes.join('; '));
  });
}

test('a missing data file is named on the page', async (page) => {
  const p = page.use(await open(MISSING + 'index.html'));
  await p.waitForFunction(() => showPage.state === 'error' || showPage.frames > 0, { timeout: 60000, polling: 50 });
  const seen = await p.evaluate(() => ({ state: showPage.state, shown: !document.getElementById('message').hidden,
                                         text: document.getElementById('message').innerText }));
  if (seen.state !== 'error' || !seen.shown || !seen.text.includes('H_bout.baf'))
    throw new Error('state ' + seen.state + ', message ' + JSON.stringify(seen.text));
});

// ---- the runner ----------------------------------------------------------------------------
async function main() {
  const begin = Date.now();
  await launch();
  let failed = 0;
  for (const { name, run } of tests) {
    const start = Date.now();
    const page = { current: null, use(p) { this.current = p; return p; } };
    let line, said = [];
    try {
      const figures = await run(page);
      line = 'ok    ' + name + (figures ? ': ' + figures : '');
    } catch (e) {
      failed++;
      line = 'FAIL  ' + name + ': ' + e.message;
      said = page.current ? page.current.said : [];
    }
    if (page.current) await page.current.close().catch(() => {});
    console.log(line + ' (' + ((Date.now() - start) / 1000).toFixed(1) + ' s)');
    for (const s of said.slice(-30)) console.log('        ' + s);
  }
  await browser.close();
  console.log('web: ' + (tests.length - failed) + ' of ' + tests.length + ' passed in ' +
              ((Date.now() - begin) / 1000).toFixed(1) + ' s');
  return failed ? 1 : 0;
}

// Chromium leads a process group of its own: all of it goes.
function killBrowser() {
  try {
    if (browser && browser.process()) process.kill(-browser.process().pid, 'SIGKILL');
  } catch (e) { /* gone already */ }
}
for (const [signal, number] of [['SIGINT', 2], ['SIGTERM', 15]])
  process.on(signal, () => {
    killBrowser();
    process.exit(128 + number);
  });
main().then((code) => process.exit(code), (e) => {
  console.log('FAIL  ' + (e && e.stack || e));
  killBrowser();
  process.exit(1);
});
