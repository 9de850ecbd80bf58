// Times the slide show page in Chromium at 1280x800 with 6, 3,000 and 30,000
// pictures: the load event, and 20 key presses that each move (Right five
// times, Left five times, twice over, so that 6 pictures move as often as
// 30,000), each the best of five. The folders hold hard links to the sample
// photos (no thumbnails), named so that the order by name is the order of the
// links. The ratios against 6 pictures are printed beside their targets (3x
// for the load, 2x for the keys), with the page's element and image counts.
// Usage: node bench/page/browser.mjs [PATH_TO_ORVALE]   (default build/bin/orvale)
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const orvale = path.resolve(process.argv[2] || path.join(repository, 'build/bin/orvale'));
if (!fs.existsSync(orvale)) {
  console.error(`${orvale} is missing: build first, or name the executable`);
  process.exit(2);
}
// playwright-core is installed for the page tests; the benchmark borrows it.
const { chromium } = createRequire(path.join(repository, 'tests/page/package.json'))('playwright-core');

const SIZES = [6, 3000, 30000];
const PRESSES = 20;
const RUNS = 5;
const TARGETS = { load: 3, keys: 2 };

const samples = path.join(repository, 'examples/photos');
const photos = fs.readdirSync(samples).filter((name) => /\.jpe?g$/i.test(name)).sort();
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvale-page-bench-'));

// A folder of `count` pictures; the sample photos themselves for the smallest.
function makeFolder(count) {
  const folder = path.join(work, `f${count}`);
  fs.mkdirSync(folder);
  const originals = path.join(work, 'photos'); // links cannot cross file systems: copy once
  if (!fs.existsSync(originals)) {
    fs.mkdirSync(originals);
    for (const name of photos) fs.copyFileSync(path.join(samples, name), path.join(originals, name));
  }
  const digits = String(count).length;
  for (let i = 0; i < count; i++) {
    const photo = photos[i % photos.length];
    const name = count <= photos.length ? photo : `IMG_${String(i + 1).padStart(digits, '0')}.jpg`;
    fs.linkSync(path.join(originals, photo), path.join(folder, name));
  }
  execFileSync(orvale, ['--build', folder, '--by-name'], { stdio: 'ignore' });
  return pathToFileURL(path.join(folder, 'Index.htm')).href;
}

// One load and one round of key presses of the page in `page`.
async function measureOnce(page, url, count) {
  await page.goto('about:blank');
  await page.goto(url, { waitUntil: 'load' });
  const load = await page.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd);
  await page.waitForFunction(() => !document.getElementById('stage').classList.contains('loading'));
  const start = performance.now();
  for (let n = 0; n < PRESSES; n++) await page.keyboard.press(n % 10 < 5 ? 'ArrowRight' : 'ArrowLeft');
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => done()))); // drawn
  const keys = performance.now() - start;
  const shown = await page.locator('#count').textContent();
  if (shown !== `1 / ${count}`) throw new Error(`the keys ended at ${shown}`);
  return { load, keys };
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
});
try {
  const results = [];
  for (const count of SIZES) {
    const page = await (await browser.newContext({ viewport: { width: 1280, height: 800 } })).newPage();
    page.setDefaultTimeout(300000); // a slow page is a result, not a failure
    results.push({ count, url: makeFolder(count), page, load: Infinity, keys: Infinity });
  }
  // The sizes take turns, so that a busy spell of the machine falls on all of them alike.
  for (let run = 0; run < RUNS; run++) {
    for (const r of results) {
      const once = await measureOnce(r.page, r.url, r.count);
      r.load = Math.min(r.load, once.load);
      r.keys = Math.min(r.keys, once.keys);
    }
  }
  for (const r of results) {
    r.elements = await r.page.evaluate(() => [document.getElementsByTagName('*').length, document.images.length]);
  }
  const [base] = results;
  console.log('pictures   load ms  x of 6   20 keys ms  x of 6   elements  img');
  for (const r of results) {
    console.log(`${String(r.count).padStart(8)} ${r.load.toFixed(0).padStart(9)} ${(r.load / base.load).toFixed(2).padStart(7)}`
      + ` ${r.keys.toFixed(0).padStart(12)} ${(r.keys / base.keys).toFixed(2).padStart(7)}`
      + ` ${String(r.elements[0]).padStart(10)} ${String(r.elements[1]).padStart(4)}`);
  }
  const top = results[results.length - 1];
  console.log(`targets at ${top.count}: load within ${TARGETS.load}x of ${base.count} pictures`
    + ` (${(top.load / base.load).toFixed(2)}x), ${PRESSES} keys within ${TARGETS.keys}x (${(top.keys / base.keys).toFixed(2)}x)`);
} finally {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
}
