// The viewer page and qev preview in a real browser: Debian's Chromium,
// headless, driven with puppeteer-core (nothing is downloaded).
//   QEV=path/to/qev QEVHOST=path/to/qevhost SOURCE_DIR=repo node viewer_test.mjs
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { makeGlb, twoBlockModel } from './fixture_glb.mjs';

const qev = process.env.QEV;
const qevhost = process.env.QEVHOST;
const sourceDir = process.env.SOURCE_DIR;
const browserPath = process.env.BROWSER || '/usr/bin/chromium';
const BACKGROUND = [0x30, 0x34, 0x3b];
let work;
let browser;

function qevRun(...args) {
  return spawnSync(qev, args, { encoding: 'utf8' });
}

function viewPage(input) {
  const page = path.join(work, `${path.basename(input)}.html`);
  const run = qevRun('view', input, '-o', page);
  assert.equal(run.status, 0, run.stderr);
  return page;
}

// Opens a page written by qev view and collects every console error and
// uncaught exception; waits until the page says the model is drawn.
async function openPage(file) {
  const page = await browser.newPage();
  const errors = [];
  page.on('console', (message) => { if (message.type() === 'error') errors.push(message.text()); });
  page.on('pageerror', (error) => errors.push(error.message));
  await page.setViewport({ width: 900, height: 600 });
  await page.goto(`file://${file}`);
  await page.waitForFunction(() => window.qevDrawn, { timeout: 120000 });
  return { page, errors };
}

// Counts pixels of a PNG by class, decoding it in the browser (no PNG library needed).
async function pixelClasses(page, png) {
  return page.evaluate(async (base64, background) => {
    const image = new Image();
    image.src = `data:image/png;base64,${base64}`;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const data = context.getImageData(0, 0, image.width, image.height).data;
    const counts = { width: image.width, height: image.height, total: image.width * image.height,
                     model: 0, yellow: 0, red: 0, blue: 0 };
    for (let i = 0; i < data.length; i += 4) {
      const [r, g, b] = [data[i], data[i + 1], data[i + 2]];
      if (Math.abs(r - background[0]) + Math.abs(g - background[1]) + Math.abs(b - background[2]) > 24) counts.model++;
      if (r > 200 && g > 150 && b < 120 && counts.yellow++ === 0) {
        counts.firstYellow = { x: (i / 4) % image.width, y: Math.floor(i / 4 / image.width) };
      }
      if (r > 100 && r > 2 * g && r > 2 * b) counts.red++;
      if (b > 100 && b > 2 * r && b > 2 * g) counts.blue++;
    }
    return counts;
  }, Buffer.from(png).toString('base64'), BACKGROUND);
}

// The model area as drawn after change (if any) is on screen.
async function drawnPixels(page, change) {
  if (change) {
    const frames = await page.evaluate(() => window.qevFrames);
    await change();
    await page.waitForFunction((n) => window.qevFrames > n, { timeout: 60000 }, frames);
  }
  const canvas = await page.$('#stage canvas');
  return pixelClasses(page, await canvas.screenshot());
}

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'qev-viewer-test-'));
  fs.writeFileSync(path.join(work, 'two.glb'), makeGlb(twoBlockModel()));
  fs.writeFileSync(path.join(work, 'boneless.glb'), makeGlb({ ...twoBlockModel(), bones: [] }));
  // The example model as the exporter writes it, and the same file cut inside
  // its second mesh block's vertices: "body" is read whole, the second block
  // (unnamed, since its name was not reached) keeps the vertices read whole.
  execFileSync(qevhost, ['export', path.join(sourceDir, 'examples/sample_model.json'), path.join(work, 'example.qev')]);
  fs.writeFileSync(path.join(work, 'damaged.qev'), fs.readFileSync(path.join(work, 'example.qev')).subarray(0, 500));
  browser = await puppeteer.launch({
    executablePath: browserPath,
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

test('the page draws the model and its toggles, bones and weight view change the picture', async () => {
  const { page, errors } = await openPage(viewPage(path.join(work, 'two.glb')));
  assert.equal(await page.evaluate(() => window.qevDrawn), 'ok');

  const shown = await drawnPixels(page, null);
  assert.ok(shown.model > shown.total * 0.05 && shown.model < shown.total * 0.8, `model pixels ${shown.model}`);
  assert.equal(shown.yellow, 0);

  // Geostates start hidden; the blocks start shown.
  const toggles = await page.$$eval('input[data-mesh]', (boxes) => boxes.map((box) => box.checked));
  assert.deepEqual(toggles, [true, false, true]);

  const withoutArm = await drawnPixels(page, () => page.click('input[data-mesh="2"]'));
  assert.ok(withoutArm.model < shown.model * 0.9, `arm hidden: ${withoutArm.model} of ${shown.model}`);
  const armAgain = await drawnPixels(page, () => page.click('input[data-mesh="2"]'));
  assert.equal(armAgain.model, shown.model);

  const bones = await drawnPixels(page, () => page.click('#bones'));
  assert.ok(bones.yellow > 20, `bone marker pixels ${bones.yellow}`);
  const box = await (await page.$('#stage canvas')).boundingBox();
  await page.mouse.move(box.x + bones.firstYellow.x + 2, box.y + bones.firstYellow.y + 2);
  await page.waitForFunction(() => document.getElementById('tooltip').style.display === 'block', { timeout: 10000 });
  assert.ok(['hip', 'hand'].includes(await page.$eval('#tooltip', (tip) => tip.textContent)));
  await drawnPixels(page, () => page.click('#bones'));

  // "hip" holds the body fully and the arm not at all (one arm vertex is bound to no bone).
  const hip = await drawnPixels(page, () => page.select('#weight-bone', '0'));
  assert.ok(hip.red > shown.model * 0.2, `red (weight 100) pixels ${hip.red}`);
  assert.ok(hip.blue > shown.model * 0.1, `blue (weight 0) pixels ${hip.blue}`);
  const hand = await drawnPixels(page, () => page.select('#weight-bone', '1'));
  assert.ok(hand.blue > hip.blue, 'the body turns blue for the other bone');

  const wire = await drawnPixels(page, () => page.select('#weight-bone', '-1').then(() => page.click('#wireframe')));
  assert.ok(wire.model < shown.model * 0.7, `wireframe pixels ${wire.model}`);

  const names = await page.$$eval('#weight-bone option', (options) => options.map((o) => o.textContent));
  assert.deepEqual(names, ['(shaded)', 'hip', 'hand']);
  assert.deepEqual(errors, []);
  await page.close();
});

test('a model without bones has no bone choice and draws without errors', async () => {
  const { page, errors } = await openPage(viewPage(path.join(work, 'boneless.glb')));
  assert.equal(await page.evaluate(() => window.qevDrawn), 'ok');
  assert.equal(await page.$eval('#weight-bone', (select) => select.disabled), true);
  assert.ok((await drawnPixels(page, () => page.click('#bones'))).model > 0);
  assert.deepEqual(errors, []);
  await page.close();
});

test('qev preview writes pictures of the asked size that show the models', async () => {
  const out = path.join(work, 'pictures');
  fs.mkdirSync(out);
  const run = qevRun('preview', path.join(work, 'two.glb'), path.join(work, 'boneless.glb'), '--out-dir', out,
                     '--size', '320x200');
  assert.equal(run.status, 0, run.stderr);
  const page = await browser.newPage();
  for (const name of ['two.png', 'boneless.png']) {
    const counts = await pixelClasses(page, fs.readFileSync(path.join(out, name)));
    assert.deepEqual([counts.width, counts.height], [320, 200], name);
    assert.ok(counts.model > counts.total * 0.05, `${name}: model pixels ${counts.model}`);
  }
  await page.close();
});

test('bad input gives one line and writes no page', () => {
  const missing = path.join(work, 'missing.glb');
  const page = path.join(work, 'missing.html');
  const run = qevRun('view', missing, '-o', page);
  assert.equal(run.status, 2);
  assert.match(run.stderr, /^qev: .*missing\.glb.*\n$/);
  assert.equal(fs.existsSync(page), false);

  const noBrowser = spawnSync(qev, ['preview', path.join(work, 'two.glb')],
                              { encoding: 'utf8', env: { ...process.env, QEV_BROWSER: '/nonexistent/chromium' } });
  assert.equal(noBrowser.status, 2);
  assert.match(noBrowser.stderr, /^qev: .*apt-get install chromium\n$/);
});

test('the page of the example model shows its meshes and says the file is whole', async (t) => {
  const { page, errors } = await openPage(viewPage(path.join(work, 'example.qev')));
  assert.equal(await page.evaluate(() => window.qevDrawn), 'ok');
  const shown = await drawnPixels(page, null);
  assert.ok(shown.model > shown.total * 0.02 && shown.model < shown.total * 0.8, `model pixels ${shown.model}`);
  assert.match(await page.$eval('#header', (h) => h.textContent), /example\.qev.*version 4.*whole/s);
  const meshes = await page.$$eval('#meshes .name', (names) => names.map((n) => n.textContent));
  assert.deepEqual(meshes, ['body', 'visor']);
  const bones = await page.$$eval('#weight-bone option', (options) => options.map((o) => o.textContent));
  assert.deepEqual(bones, ['(shaded)', 'root', 'spine', 'head', 'm\u00e2choire']);
  assert.deepEqual(errors, []);
  await page.close();
});

test('the page of a damaged file shows what was read whole and says damaged', async (t) => {
  const { page, errors } = await openPage(viewPage(path.join(work, 'damaged.qev')));
  assert.equal(await page.evaluate(() => window.qevDrawn), 'ok');
  assert.equal(await page.$eval('#integrity', (line) => line.className), 'integrity damaged');
  assert.match(await page.$eval('#integrity', (line) => line.textContent), /^damaged/);
  assert.deepEqual(await page.$$eval('#meshes .name', (names) => names.map((n) => n.textContent)),
                   ['body', 'group_1']);
  assert.ok((await drawnPixels(page, null)).model > 0);
  assert.deepEqual(errors, []);
  await page.close();
});

test('qev preview of the example model and of a damaged file, in one call', async (t) => {
  const out = path.join(work, 'qev-pictures');
  fs.mkdirSync(out);
  const run = qevRun('preview', path.join(work, 'example.qev'), path.join(work, 'damaged.qev'), '--out-dir', out);
  assert.equal(run.status, 0, run.stderr);
  const page = await browser.newPage();
  for (const name of ['example.png', 'damaged.png']) {
    const counts = await pixelClasses(page, fs.readFileSync(path.join(out, name)));
    assert.deepEqual([counts.width, counts.height], [800, 600], name);
    assert.ok(counts.model > counts.total * 0.01, `${name}: model pixels ${counts.model}`);
  }
  await page.close();
});
