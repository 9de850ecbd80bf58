// The slide show page over a slow link: a folder of 40 camera-size photos
// (6000 x 4000, made once from examples/photos and cached in build/) served
// over HTTP to headless Chromium at 10 Mbit/s down with 40 ms latency, at
// 1280 x 800 and as a phone (390 x 844 at 3x), once with the originals only
// (and their thumbnails) and once with web copies. It prints the time until
// the first photo is shown and the bytes fetched until then, and the time
// and bytes for the next five photos (Right five times, each waiting until
// the photo is shown), the median of three runs each, beside the targets.
//
// "Shown" is the second animation frame after the photo's load event and its
// decode(): the first frame's callback runs before the paint that holds the
// picture, the second after it. Times count from the start of navigation
// (for a key, from the press); bytes are those received on the wire until
// then, as Chromium's network log counts them (headers included).
//
// Usage: node bench/page/network.mjs [PATH_TO_ORVALE] [--stand-in-copies]
// The copies come from `orvale --build DIR --web --thumbnails`; with
// --stand-in-copies ImageMagick makes them instead (2048, 1024 and 240 px on
// the long side, quality 82, progressive, stripped), for an orvale without
// --web. Needs ImageMagick (scripts/setup --bench).
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const args = process.argv.slice(2);
const standIn = args.includes('--stand-in-copies');
const orvale = path.resolve(args.find((arg) => !arg.startsWith('--')) || path.join(repository, 'build/bin/orvale'));
if (!fs.existsSync(orvale)) {
  console.error(`${orvale} is missing: build first, or name the executable`);
  process.exit(2);
}
const { chromium } = createRequire(path.join(repository, 'tests/page/package.json'))('playwright-core');

const PHOTOS = 40;
const RUNS = 3;
const NEXT = 5;
const LINK = { offline: false, latency: 40, downloadThroughput: 10e6 / 8, uploadThroughput: 5e6 / 8 };
const DEVICES = [
  ['desktop', { viewport: { width: 1280, height: 800 } }],
  ['phone', { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true }],
];
const TARGETS = { first: 1500, firstBytes: 1e6, nextBytes: 3e6 };

const cache = path.join(repository, 'build/bench-network');
const convert = (...options) => execFileSync('convert', options, { stdio: ['ignore', 'ignore', 'inherit'] });
const names = Array.from({ length: PHOTOS }, (_, i) => `DSC_${String(i + 1).padStart(4, '0')}.jpg`);

// 6000 x 4000 (4000 x 6000 for the portrait sample), each in a hue of its
// own. Grain added at 2400 x 1600 gives them detail at the copies' scale, as
// a camera's photo has: the samples enlarged alone are smooth, and their
// files and copies a third of a camera's.
function makePhotos() {
  const photos = path.join(cache, 'photos');
  fs.mkdirSync(photos, { recursive: true });
  const samples = fs.readdirSync(path.join(repository, 'examples/photos')).filter((name) => /\.jpe?g$/i.test(name)).sort();
  names.forEach((name, i) => {
    const file = path.join(photos, name);
    if (fs.existsSync(file)) return;
    const sample = path.join(repository, 'examples/photos', samples[i % samples.length]);
    const [grain, size] = /portrait/i.test(sample) ? ['1600x2400', '4000x6000'] : ['2400x1600', '6000x4000'];
    process.stderr.write(`making ${name}\r`);
    convert(sample, '-resize', grain + '^', '-gravity', 'center', '-extent', grain, '-attenuate', '0.3', '+noise', 'Gaussian',
      '-resize', size, '-modulate', `100,100,${100 + ((i * 37) % 60) - 30}`, '-quality', '95', 'jpeg:' + file + '.part');
    fs.renameSync(file + '.part', file);
  });
  return photos;
}

// A folder of hard links to the photos, with its page; made once.
function makeFolder(photos, kind) {
  const folder = path.join(cache, standIn && kind === 'copies' ? 'copies-stand-in' : kind);
  if (fs.existsSync(path.join(folder, 'Index.htm'))) {
    execFileSync(orvale, ['--build', folder, '--by-name', '--replace'], { stdio: 'ignore' }); // today's templates
    return folder;
  }
  fs.mkdirSync(folder, { recursive: true });
  for (const name of names) if (!fs.existsSync(path.join(folder, name))) fs.linkSync(path.join(photos, name), path.join(folder, name));
  const options = ['--build', folder, '--by-name', '--replace', '--thumbnails'];
  if (kind === 'copies' && !standIn) options.push('--web');
  try {
    execFileSync(orvale, options, { stdio: ['ignore', 'ignore', 'inherit'] });
  } catch (error) {
    if (error.status === 2 && options.includes('--web')) console.error('this orvale has no --web yet: use --stand-in-copies');
    fs.rmSync(path.join(folder, 'Index.htm'), { force: true }); // made again next time
    process.exit(2);
  }
  if (kind === 'copies' && standIn) {
    for (const name of names) {
      const copy = (size, from) => {
        fs.mkdirSync(path.join(folder, 'Web', String(size)), { recursive: true });
        convert(from, '-resize', `${size}x${size}>`, '-quality', '82', '-interlace', 'Plane', '-strip',
          path.join(folder, 'Web', String(size), name + '.jpg'));
      };
      copy(2048, path.join(folder, name));
      copy(1024, path.join(folder, 'Web/2048', name + '.jpg'));
      copy(240, path.join(folder, 'Web/1024', name + '.jpg'));
    }
  }
  return folder;
}

function serve(folder) {
  const server = http.createServer((request, response) => {
    const file = path.join(folder, decodeURIComponent(new URL(request.url, 'http://host').pathname));
    fs.readFile(file, (error, data) => {
      if (error || !file.startsWith(folder + path.sep)) return response.writeHead(404).end();
      response.writeHead(200, { 'Content-Type': file.endsWith('.htm') ? 'text/html' : 'image/jpeg' }).end(data);
    });
  });
  return new Promise((done) => server.listen(0, '127.0.0.1', () => done(server)));
}

// Records in the page when each photo is shown (see the top of this file).
function watchPhotos() {
  window.benchShown = [];
  document.addEventListener('load', (event) => {
    const photo = event.target;
    if (photo.id !== 'photo') return;
    const caption = document.getElementById('caption').textContent;
    photo.decode().catch(() => {}).then(() => requestAnimationFrame(() => requestAnimationFrame(() => {
      window.benchShown.push({ caption, at: performance.timeOrigin + performance.now(), src: photo.currentSrc });
    })));
  }, true);
}

async function measureOnce(browser, url, options) {
  const context = await browser.newContext(options);
  await context.addInitScript(watchPhotos);
  const page = await context.newPage();
  page.setDefaultTimeout(300000);
  const network = await context.newCDPSession(page);
  await network.send('Network.enable');
  await network.send('Network.emulateNetworkConditions', LINK);
  // Bytes on the wire with their wall-clock times (the log's own clock is monotonic).
  const received = [];
  let offset = null;
  network.on('Network.requestWillBeSent', (event) => { offset ??= event.wallTime - event.timestamp; });
  network.on('Network.dataReceived', (event) => received.push([event.timestamp, event.encodedDataLength]));
  const bytesUntil = (wallMs) => received.filter(([t]) => (t + offset) * 1000 <= wallMs).reduce((sum, [, n]) => sum + n, 0);
  const shownCount = (n) => page.waitForFunction((k) => window.benchShown.length >= k, n, { polling: 'raf' });

  await page.goto(url, { waitUntil: 'commit' });
  await shownCount(1);
  const start = await page.evaluate(() => performance.timeOrigin);
  let [first] = await page.evaluate(() => window.benchShown);
  const result = { first: first.at - start, firstBytes: bytesUntil(first.at), firstSrc: first.src, next: 0, nextBytes: 0 };
  for (let n = 1; n <= NEXT; n++) {
    const pressed = await page.evaluate(() => performance.timeOrigin + performance.now());
    await page.keyboard.press('ArrowRight');
    await shownCount(n + 1);
    const shown = (await page.evaluate(() => window.benchShown))[n];
    result.next += shown.at - pressed;
  }
  const last = (await page.evaluate(() => window.benchShown))[NEXT];
  result.nextBytes = bytesUntil(last.at) - result.firstBytes;
  await context.close();
  return result;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mb = (bytes) => (bytes / 1e6).toFixed(2);
const folderBytes = (folder, kept) => fs.readdirSync(folder, { recursive: true, withFileTypes: true })
  .filter((entry) => entry.isFile() && kept(path.relative(folder, path.join(entry.parentPath, entry.name))))
  .reduce((sum, entry) => sum + fs.statSync(path.join(entry.parentPath, entry.name)).size, 0);

const photos = makePhotos();
const sets = [['originals', makeFolder(photos, 'originals')], ['copies', makeFolder(photos, 'copies')]];
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
});
try {
  const sizes = names.map((name) => fs.statSync(path.join(photos, name)).size);
  console.log(`${PHOTOS} photos of ${mb(Math.min(...sizes))}-${mb(Math.max(...sizes))} MB; link 10 Mbit/s, 40 ms;`
    + ` median of ${RUNS} runs${standIn ? '; copies: ImageMagick stand-ins' : ''}`);
  console.log('set        device    first s   MB before   next 5 s   next 5 MB   first file');
  for (const [kind, folder] of sets) {
    const server = await serve(folder);
    const url = `http://127.0.0.1:${server.address().port}/Index.htm`;
    for (const [device, options] of DEVICES) {
      const runs = [];
      for (let run = 0; run < RUNS; run++) runs.push(await measureOnce(browser, url, options));
      const m = (key) => median(runs.map((r) => r[key]));
      console.log(`${kind.padEnd(10)} ${device.padEnd(8)} ${(m('first') / 1000).toFixed(2).padStart(8)}`
        + ` ${mb(m('firstBytes')).padStart(11)} ${(m('next') / 1000).toFixed(2).padStart(10)} ${mb(m('nextBytes')).padStart(11)}`
        + `   ${decodeURIComponent(new URL(runs[0].firstSrc).pathname).slice(1)}`);
    }
    server.close();
    const upload = folderBytes(folder, (file) => kind === 'originals' || !names.includes(file));
    console.log(`${kind.padEnd(10)} to upload: ${mb(upload)} MB (${kind === 'originals' ? 'page, originals, thumbnails' : 'page, Web/, thumbnails; no originals'})`);
  }
  console.log(`targets with copies: first photo within ${TARGETS.first / 1000} s, at most ${mb(TARGETS.firstBytes)} MB before it,`
    + ` the next five within ${mb(TARGETS.nextBytes)} MB`);
} finally {
  await browser.close();
}
