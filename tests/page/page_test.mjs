// The slide show page in a real browser: orvale builds it for a folder of
// ordinary and hostile names, and headless Chromium uses it as a person would.
// Usage: node page_test.mjs PATH_TO_ORVALE
// With ORVALE_PAGE_SCREENS set to a folder, screenshots are saved there.
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import jpeg from 'jpeg-js';
import { accessibilityFaults } from './axe.mjs';
import {
  CAPTION, COPY_SIZES, DECOY_COLOUR, buildMediaPage, buildPage, copyRows, largeName, makeCopiesFolder, makeFolder,
  makeLargeFolder, makeMediaFolder, mediaRows, rows, takeBlocks,
} from './folder.mjs';
import { jpegPicture } from './pictures.mjs';

const orvale = process.argv[2];
if (!orvale || !fs.existsSync(orvale)) {
  console.error('usage: node page_test.mjs PATH_TO_ORVALE');
  process.exit(2);
}
const CHROMIUM = '/usr/bin/chromium';
if (!fs.existsSync(CHROMIUM)) {
  console.error(`${CHROMIUM} is missing: install the chromium package`);
  process.exit(1);
}
const { chromium } = await import('playwright-core').catch(() => {
  console.error('playwright-core is missing: run `npm ci` in tests/page');
  process.exit(1);
});
const screens = process.env.ORVALE_PAGE_SCREENS;
const WAIT = { timeout: 15000 };
const PAGE_COLOUR = [0x11, 0x13, 0x18]; // --bg, behind the filmstrip
const last = rows.length - 1;
const at = (name) => rows.findIndex((row) => row.name === name);

let root, folder, pageUrl, server, serverUrl, browser;
const allowed = [];        // address prefixes that count as "inside the folder"
const left = [];           // requests that tried to leave the folder (blocked)
const requested = new Set(); // files of the folder that the browser asked for
const complaints = [];     // script errors and console messages not allowed
const dialogs = [];        // alerts and the like: a name's script ran

// The file in the folder that an address names, or null for any other address.
function fileOf(url) {
  if (url.startsWith('file:') && allowed.some((prefix) => url.startsWith(prefix))) return fileURLToPath(url);
  if (serverUrl && url.startsWith(serverUrl)) {
    try { return path.join(folder, decodeURIComponent(new URL(url).pathname)); } catch { return null; }
  }
  return null;
}

// The one console message allowed: a thumbnail or web copy that is not there failed to load.
function missingThumbnail(url) {
  const file = fileOf(url), folder = file && path.dirname(file);
  return file !== null && (path.basename(folder) === 'ThumbNails' || path.basename(path.dirname(folder)) === 'Web')
    && !fs.existsSync(file);
}

function watch(context) {
  context.fetched = new Set(); // what this context alone asked for
  context.route('**/*', (route) => {
    const url = route.request().url();
    if (allowed.some((prefix) => url.startsWith(prefix))) {
      const file = fileOf(url);
      if (file) {
        requested.add(file);
        context.fetched.add(file);
      }
      return route.continue();
    }
    left.push(url);
    return route.abort();
  });
  context.on('console', (message) => {
    const failedThumb = /^Failed to load resource/.test(message.text()) && missingThumbnail(message.location().url);
    if (!failedThumb) complaints.push(`${message.type()}: ${message.text()} (${message.location().url})`);
  });
  context.on('weberror', (error) => complaints.push(`script error: ${error.error().message}`));
  context.on('dialog', (dialog) => { dialogs.push(dialog.message()); dialog.dismiss(); });
}

async function newPage(options = {}) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, ...options });
  watch(context);
  return context.newPage();
}

// What the page shows now, read the way a viewer would see it.
function shown(page) {
  return page.evaluate(() => {
    const byId = (id) => document.getElementById(id);
    const photo = byId('photo');
    const box = (element) => { const r = element.getBoundingClientRect(); return { width: r.width, height: r.height }; };
    return {
      caption: byId('caption').textContent,
      count: byId('count').textContent,
      alt: photo.alt,
      natural: [photo.naturalWidth, photo.naturalHeight],
      photoVisible: photo.checkVisibility(),
      photo: box(photo),
      frame: box(byId('frame')),
      notice: byId('fail').checkVisibility() ? byId('failName').textContent : null,
      address: decodeURIComponent(location.hash.slice(1)),
      status: document.querySelector('[aria-live]').textContent,
    };
  });
}

// Waits for row i to be on screen, settled (loaded or given up), and checks it.
async function expectShown(page, i, why) {
  await page.waitForFunction((name) => document.getElementById('caption').textContent === name
    && !document.getElementById('stage').classList.contains('loading'), rows[i].name, WAIT);
  const now = await shown(page);
  const row = rows[i];
  assert.equal(now.count, `${i + 1} / ${rows.length}`, `${why}: position of ${JSON.stringify(row.name)}`);
  if (row.shows === 'picture') {
    assert.ok(now.photoVisible && now.notice === null, `${why}: ${JSON.stringify(row.name)} is shown`);
    assert.deepEqual(now.natural, row.size, `${why}: ${JSON.stringify(row.name)} loaded from its own file`);
    assert.equal(now.alt, row.name, 'the picture\'s alt text is its name');
    // As large as the space allows, never cropped, never enlarged.
    const scale = Math.min(1, now.frame.width / row.size[0], now.frame.height / row.size[1]);
    assert.ok(Math.abs(now.photo.width - row.size[0] * scale) <= 1
      && Math.abs(now.photo.height - row.size[1] * scale) <= 1,
      `${why}: ${row.name} drawn ${now.photo.width}x${now.photo.height} in ${now.frame.width}x${now.frame.height}`);
  } else {
    assert.ok(!now.photoVisible, `${why}: no broken picture for ${row.name}`);
    assert.equal(now.notice, row.name, `${why}: the notice names ${row.name}`);
  }
  return now;
}

// Nothing sticks out sideways, even with long names and a filmstrip wider
// than the screen (a phone's browser would widen the page to show it).
async function expectFits(page) {
  const width = page.viewportSize().width;
  const layout = await page.evaluate(() => ({
    scroll: [document.documentElement.scrollWidth, document.body.scrollWidth, window.innerWidth],
    outside: [...document.querySelectorAll('header > *, #caption, #controls > *, #strip')]
      .filter((element) => { const r = element.getBoundingClientRect(); return r.left < 0 || r.right > window.innerWidth; })
      .map((element) => element.id || element.tagName),
  }));
  assert.ok(layout.scroll.every((w) => w <= width), `page widths ${layout.scroll} on a screen ${width} wide`);
  assert.deepEqual(layout.outside, [], 'every control is on screen');
}

async function playing(page) {
  return (await page.locator('#play').getAttribute('aria-label')) === 'Pause slide show';
}

async function waitFor(test, what) {
  for (let tries = 0; tries < 150 && !test(); tries++) await new Promise((done) => setTimeout(done, 100));
  assert.ok(test(), what);
}

async function screenshot(page, name) {
  if (screens) await page.screenshot({ path: path.join(screens, name) });
}

function startServer() {
  server = http.createServer((request, response) => {
    let file;
    try {
      file = path.join(folder, decodeURIComponent(new URL(request.url, 'http://host').pathname));
    } catch {
      return response.writeHead(400).end(); // a badly encoded address: the page's fault, shown as a failed load
    }
    fs.readFile(file, (error, data) => {
      if (error || !file.startsWith(folder + path.sep)) return response.writeHead(404).end();
      const types = { '.htm': 'text/html', '.jpg': 'image/jpeg', '.jpeg': 'image/jpeg', '.tif': 'image/tiff' };
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' }).end(data);
    });
  });
  return new Promise((done) => server.listen(0, '127.0.0.1', () => {
    serverUrl = `http://127.0.0.1:${server.address().port}/`;
    done();
  }));
}

before(async () => {
  root = fs.mkdtempSync(path.join(os.tmpdir(), 'orvale-page-'));
  folder = path.join(root, 'Holiday in Lisbon');
  fs.mkdirSync(folder);
  makeFolder(folder);
  pageUrl = pathToFileURL(buildPage(orvale, folder)).href;
  allowed.push(pathToFileURL(folder).href + '/');
  await startServer();
  allowed.push(serverUrl);
  // Playwright gives the browser a fresh profile folder (--user-data-dir) of its own.
  browser = await chromium.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
  if (root) fs.rmSync(root, { recursive: true, force: true });
});

// The same walk from disk and from a web server: every picture in order,
// each one's neighbour fetched ahead, each filmstrip tile as designed.
for (const where of ['disk', 'server']) {
  describe(`the page opened from ${where}`, () => {
    let page;
    before(async () => {
      page = await newPage();
      await page.goto(where === 'disk' ? pageUrl : serverUrl + 'Index.htm');
    });
    after(() => page.context().close());

    it('shows every picture in order, stepping with the Right key, and fetches the next one ahead', async () => {
      for (let i = 0; i <= last; i++) {
        const now = await expectShown(page, i, 'walk');
        if (i > 0) assert.equal(now.address, rows[i].name, 'the address names the picture');
        if (where === 'disk' && i === 0) await screenshot(page, 'desktop.png');
        if (rows[i].name.length > 30) await expectFits(page);
        if (where === 'disk' && rows[i].name === 'scan.tif') await screenshot(page, 'desktop-tif.png');
        const next = path.join(folder, rows[(i + 1) % rows.length].name);
        await waitFor(() => requested.has(next), `${rows[(i + 1) % rows.length].name} fetched ahead`);
        await page.keyboard.press('ArrowRight');
      }
      await expectShown(page, last, 'Right at the last picture stays there');
    });

    it('gives each filmstrip tile its own thumbnail, else its number and file type', async () => {
      await page.waitForFunction(() => [...document.querySelectorAll('#strip button')].every((tile) => {
        const img = tile.querySelector('img');
        return img ? img.complete && img.naturalWidth > 0 : tile.classList.contains('none');
      }), null, WAIT);
      const tiles = await page.locator('#strip button').evaluateAll((all) => all.map((tile) => {
        const img = tile.querySelector('img');
        return {
          size: img && [img.naturalWidth, img.naturalHeight],
          number: getComputedStyle(tile, '::before').content,
          type: getComputedStyle(tile, '::after').content,
          name: tile.getAttribute('aria-label'),
          opacity: +getComputedStyle(tile).opacity,
        };
      }));
      assert.equal(tiles.length, rows.length, 'one tile per picture');
      for (const [i, row] of rows.entries()) {
        const tile = tiles[i];
        assert.equal(tile.name, row.name, 'a tile is labelled with its picture\'s name');
        if (row.tile === 'thumb') {
          assert.deepEqual(tile.size, row.thumb, `${row.name}: a thumbnail's size`);
          // The tile's middle pixel, as drawn (through the tile's opacity,
          // over the page), is nearest to its own thumbnail's colour.
          const shot = jpeg.decode(await page.locator('#strip button').nth(i).screenshot({ type: 'jpeg', quality: 100 }));
          const at = (Math.floor(shot.height / 2) * shot.width + Math.floor(shot.width / 2)) * 4;
          const seen = [...shot.data.subarray(at, at + 3)];
          const drawn = (colour) => colour.map((c, k) => tile.opacity * c + (1 - tile.opacity) * PAGE_COLOUR[k]);
          const distance = (colour) => Math.hypot(...drawn(colour).map((c, k) => c - seen[k]));
          const others = [DECOY_COLOUR, ...rows.filter((other) => other.colour && other !== row).map((other) => other.colour)];
          assert.ok(others.every((colour) => distance(colour) > distance(row.colour)) && distance(row.colour) < 24,
            `${row.name}: its own thumbnail (pixel ${seen}, own colour ${row.colour})`);
        } else {
          assert.equal(tile.size, null, `${row.name}: no picture in the tile`);
          assert.equal(tile.number, `"${i + 1}"`, `${row.name}: its number`);
          const type = row.name.includes('.') ? path.extname(row.name).slice(1) : row.name.slice(-3);
          assert.equal(tile.type, `"${type.toUpperCase()}"`, `${row.name}: its file type`);
        }
      }
    });
  });
}

describe('moving around the slide show', () => {
  let page;
  before(async () => {
    page = await newPage();
    await page.goto(pageUrl);
    await expectShown(page, 0, 'start');
  });
  after(() => page.context().close());

  it('follows the keyboard, with the filmstrip shown or hidden', async () => {
    // A template may hide the filmstrip: the tiles then have no width at all.
    const steps = [
      ['End', last], ['Home', 0], ['ArrowLeft', 0], ['ArrowRight', 1], ['ArrowRight', 2],
      ['ArrowLeft', 1], ['PageDown', 2], ['PageUp', 1], ['End', last], ['ArrowLeft', last - 1],
      ['Home', 0, 'strip hidden'], ['ArrowRight', 1, 'strip hidden'], ['End', last, 'strip hidden'],
    ];
    for (const [key, expected, hidden] of steps) {
      await page.evaluate((none) => { document.getElementById('strip').style.display = none ? 'none' : ''; }, !!hidden);
      const errors = complaints.length, why = `key ${key}${hidden ? ', ' + hidden : ''}`;
      await page.keyboard.press(key);
      const now = await expectShown(page, expected, why);
      assert.equal(now.address, rows[expected].name, `${why}: the address names the picture`);
      assert.deepEqual(complaints.slice(errors), [], `${why}: no script error`);
    }
    await page.evaluate(() => { document.getElementById('strip').style.display = ''; });
  });

  it('follows the buttons and the arrows over the picture', async () => {
    await page.keyboard.press('Home');
    const steps = [
      [page.getByRole('button', { name: 'Next picture' }), 1],
      [page.getByRole('button', { name: 'Next picture' }), 2],
      [page.getByRole('button', { name: 'Previous picture' }), 1],
      [page.locator('#sideNext'), 2],
      [page.locator('#sidePrev'), 1],
    ];
    for (const [control, expected] of steps) {
      await page.locator('#stage').hover();
      await control.click();
      await expectShown(page, expected, 'click');
    }
  });

  it('marks Previous and Next, and their arrows over the picture, unavailable at either end', async () => {
    const ids = ['prev', 'sidePrev', 'next', 'sideNext'];
    const ends = [
      ['Home', 0, ['true', 'true', 'false', 'false']],
      ['ArrowRight', 1, ['false', 'false', 'false', 'false']],
      ['End', last, ['false', 'false', 'true', 'true']],
    ];
    for (const [key, i, expected] of ends) {
      await page.keyboard.press(key);
      await expectShown(page, i, `key ${key}`);
      const marks = await page.evaluate((all) => all.map((id) => document.getElementById(id).getAttribute('aria-disabled')), ids);
      assert.deepEqual(marks, expected, `aria-disabled of ${ids.join(', ')} at picture ${i + 1}`);
    }
  });

  it('opens the picture whose filmstrip tile is clicked', async () => {
    for (const i of [at('<img src=x onerror=alert(3)>.jpg'), at('hash #2 & 100% sure?.jpg'), last, at('scan.tif'), 0]) {
      const tile = page.locator('#strip button').nth(i);
      await tile.click();
      await expectShown(page, i, 'tile click');
      assert.equal(await tile.getAttribute('aria-current'), 'true', 'the tile shows it is the current one');
    }
  });

  it('walks back through the pictures with the browser\'s Back button', async () => {
    await page.goto(pageUrl);
    await expectShown(page, 0, 'fresh');
    await page.getByRole('button', { name: 'Next picture' }).click();
    await expectShown(page, 1, 'next');
    await page.keyboard.press('ArrowRight');
    await expectShown(page, 2, 'next');
    await page.locator('#strip button').nth(10).click();
    await expectShown(page, 10, 'tile');
    for (const expected of [2, 1, 0]) {
      await page.goBack();
      await expectShown(page, expected, 'Back');
    }
    await page.goForward();
    await expectShown(page, 1, 'Forward');
  });

  it('opens the picture that a link names, by name or by position', async () => {
    const links = [
      ['#' + encodeURIComponent('x"];alert(1);x.jpg'), at('x"];alert(1);x.jpg')],
      ['#' + encodeURIComponent('Café Ünïcode 日本 ☀.jpg'), at('Café Ünïcode 日本 ☀.jpg')],
      ['#' + encodeURIComponent('new\nline.jpg'), at('new\nline.jpg')],
      ['#' + encodeURIComponent('hash #2 & 100% sure?.jpg'), at('hash #2 & 100% sure?.jpg')],
      ['#Zebra crossing.jpg', at('Zebra crossing.jpg')],
      ['#scan.tif', at('scan.tif')],
      ['#3', 2], ['#999', last], ['#no-such-picture.jpg', 0],
    ];
    for (const [hash, expected] of links) {
      await page.goto('about:blank');
      await page.goto(pageUrl + hash);
      await expectShown(page, expected, `link ${hash}`);
    }
  });

  it('plays by itself at the chosen pace, goes on past pictures it cannot show, and pauses', async () => {
    // The page's clock is stopped and moved by hand: each turn must come at
    // the chosen number of seconds to the millisecond, with no waiting.
    const start = at('nodotjpg');
    await page.clock.install();
    await page.goto('about:blank');
    await page.goto(pageUrl + '#' + (start + 1));
    await expectShown(page, start, 'start');
    await page.clock.pauseAt(await page.evaluate(() => Date.now() + 1000));
    const caption = async () => (await shown(page)).caption;
    const turn = async (seconds, expected) => {
      const before = await caption();
      await page.clock.runFor(seconds * 1000 - 1);
      assert.equal(await caption(), before, `still ${before} before ${seconds} s`);
      await page.clock.runFor(1);
      await expectShown(page, expected, `after ${seconds} s`);
    };
    await page.getByLabel('Seconds per picture').selectOption('3');
    const historyBefore = await page.evaluate(() => history.length);
    await page.locator('body').press(' ');
    assert.ok(await playing(page), 'Space starts the slide show');
    await turn(3, start + 1);
    await turn(3, start + 2);
    await page.getByLabel('Seconds per picture').selectOption('1');
    for (let i = start + 3; i <= last + 1; i++) await turn(1, i % rows.length);
    assert.equal(await page.evaluate(() => history.length), historyBefore, 'playing does not fill the history');
    await page.getByRole('button', { name: 'Pause slide show' }).click();
    assert.ok(!(await playing(page)), 'the button pauses');
    const paused = await caption();
    await page.clock.runFor(60000);
    assert.equal(await caption(), paused, 'nothing moves while paused');
    await page.getByRole('button', { name: 'Play slide show' }).click();
    assert.ok(await playing(page), 'the button plays');
    await page.keyboard.press('Escape');
    assert.ok(!(await playing(page)), 'Esc stops the slide show');
    await page.clock.runFor(60000);
    assert.equal(await caption(), paused, 'nothing moves once stopped');
  });

  it('goes full screen with F and the button, fades its bars while the mouse rests, and leaves with Esc', async () => {
    const screen = await newPage();
    await screen.clock.install();
    await screen.goto(pageUrl);
    await expectShown(screen, 0, 'start');
    // Full screen as the viewer sees it: the browser's state and the page's layout for it.
    const full = (on) => screen.waitForFunction((wanted) => !!document.fullscreenElement === wanted
      && document.body.classList.contains('full') === wanted, on, WAIT);
    const bars = (opacity) => screen.waitForFunction((wanted) => getComputedStyle(document.querySelector('footer')).opacity === wanted, opacity, WAIT);
    await screen.keyboard.press('f');
    await full(true);
    await screen.clock.runFor(10000);
    await bars('0'); // the mouse has rested
    await screen.mouse.move(300, 300);
    await bars('1'); // and moved again
    await screen.keyboard.press('Escape');
    await full(false);
    await screen.getByRole('button', { name: 'Full screen' }).click();
    await full(true);
    await screen.getByRole('button', { name: 'Leave full screen' }).click();
    await full(false);
    await screen.context().close();
  });
});

describe('with the keyboard alone and a screen reader', () => {
  let page;
  before(async () => {
    page = await newPage();
    await page.goto(pageUrl + '#2');
    await expectShown(page, 1, 'start');
  });
  after(() => page.context().close());

  it('reaches every control with Tab, shows where the focus is, and has one filmstrip stop', async () => {
    const stops = [];
    for (let n = 0; n < 12; n++) {
      await page.keyboard.press('Tab');
      const stop = await page.evaluate(() => {
        const element = document.activeElement;
        if (element === document.body) return null;
        const style = getComputedStyle(element);
        return {
          name: element.getAttribute('aria-label') || element.textContent.trim(),
          tile: !!element.closest('#strip'),
          outline: style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 2,
        };
      });
      if (!stop || stops.some((seen) => seen.name === stop.name)) break;
      stops.push(stop);
    }
    const names = stops.map((stop) => stop.name);
    for (const name of ['Previous picture', 'Play slide show', 'Next picture', 'Seconds per picture', 'Full screen', 'Keyboard shortcuts']) {
      assert.ok(names.includes(name), `Tab reaches "${name}" (reached: ${names.join(', ')})`);
    }
    assert.deepEqual(stops.filter((stop) => stop.tile).map((stop) => stop.name), [rows[1].name],
      'only the current tile is a Tab stop');
    for (const stop of stops) assert.ok(stop.outline, `focus ring on "${stop.name}"`);
  });

  it('plays and pauses with Space even where the focus is on a button, without pressing it', async () => {
    const next = page.getByRole('button', { name: 'Next picture' });
    await next.focus();
    for (const expected of [true, false]) {
      await page.keyboard.press(' ');
      assert.equal(await playing(page), expected, `Space: ${expected ? 'playing' : 'paused'}`);
      await expectShown(page, 1, 'Space on the Next button');
    }
    await page.keyboard.press('Enter');
    await expectShown(page, 2, 'Enter presses the button');
    await page.keyboard.press('ArrowLeft');
    await expectShown(page, 1, 'back to where it was');
  });

  it('moves the focus along the filmstrip with the arrow keys', async () => {
    await page.locator('#strip button[aria-current="true"]').focus();
    await page.keyboard.press('ArrowRight');
    await expectShown(page, 2, 'Right on a tile');
    assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), rows[2].name,
      'the focus follows to the new current tile');
    await page.keyboard.press('Enter');
    await expectShown(page, 2, 'Enter on the current tile');
  });

  it('tells a screen reader where it is, and lists the keys in a dialog', async () => {
    await page.keyboard.press('ArrowRight');
    await expectShown(page, 3, 'Right');
    assert.match((await shown(page)).status, new RegExp(`Picture 4 of ${rows.length}`), 'the live region announces the move');
    await page.keyboard.press('?');
    const dialog = page.getByRole('dialog', { name: 'Keyboard shortcuts' });
    assert.ok(await dialog.isVisible(), '? opens the list of keys');
    await page.keyboard.press('ArrowRight');
    await expectShown(page, 3, 'keys go to the dialog while it is open');
    await page.keyboard.press('Escape');
    assert.ok(!(await dialog.isVisible()), 'Esc closes it');
  });
});

describe('on a phone', () => {
  let page, touch;
  before(async () => {
    page = await newPage({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
    touch = await page.context().newCDPSession(page);
    await page.goto(pageUrl + '#4');
    await expectShown(page, 3, 'start');
  });
  after(() => page.context().close());

  it('fits the screen without sideways scrolling', async () => {
    await expectFits(page);
    await screenshot(page, 'phone.png');
  });

  it('turns pictures with a sideways swipe, and only then', async () => {
    const swipe = async ([dx, dy]) => {
      const [x, y] = [195, 300];
      await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
      await touch.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x: x + dx / 2, y: y + dy / 2 }] });
      await touch.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x: x + dx, y: y + dy }] });
      await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    };
    const swipes = [
      [[-150, 10], 4, 'left: next'], [[-150, -20], 5, 'left: next'], [[160, 0], 4, 'right: previous'],
      [[20, 0], 4, 'too short: nothing'], [[-60, 200], 4, 'mostly down: nothing'],
    ];
    for (const [move, expected, what] of swipes) {
      await swipe(move);
      await expectShown(page, expected, `swipe ${what}`);
    }
  });
});

describe('a folder of one picture', () => {
  it('shows it, with nothing to step to and nothing to play', async () => {
    const single = path.join(root, 'Just one');
    fs.mkdirSync(single);
    fs.copyFileSync(path.join(folder, rows[0].name), path.join(single, rows[0].name));
    allowed.push(pathToFileURL(single).href + '/');
    const page = await newPage();
    await page.goto(pathToFileURL(buildPage(orvale, single)).href);
    await page.waitForFunction(() => document.getElementById('photo').complete, null, WAIT);
    assert.equal((await shown(page)).count, '1 / 1');
    for (const key of ['ArrowRight', 'End', ' ']) await page.keyboard.press(key);
    assert.equal((await shown(page)).count, '1 / 1', 'still the one picture');
    assert.ok(!(await playing(page)), 'one picture does not play');
    await page.context().close();
  });
});

describe('a folder without thumbnails', () => {
  it('fetches no picture for the filmstrip: only the one shown and the next', async () => {
    const bare = path.join(root, 'No thumbnails');
    fs.mkdirSync(bare);
    const names = Array.from({ length: 12 }, (_, i) => `p${String(i + 1).padStart(2, '0')}.jpg`);
    names.forEach((name, i) => fs.writeFileSync(path.join(bare, name), jpegPicture(320, 240, i * 30)));
    allowed.push(pathToFileURL(bare).href + '/');
    const page = await newPage();
    await page.goto(pathToFileURL(buildPage(orvale, bare, ['--by-name'])).href);
    const fetched = () => names.filter((name) => requested.has(path.join(bare, name)));
    for (const [key, n] of [[null, 1], ['ArrowRight', 2], ['ArrowRight', 3]]) {
      if (key) await page.keyboard.press(key);
      await page.waitForFunction((caption) => document.getElementById('caption').textContent === caption
        && [...document.querySelectorAll('#strip .tile')].every((tile) => tile.classList.contains('none')), names[n - 1], WAIT);
      await waitFor(() => requested.has(path.join(bare, names[n])), `${names[n]} fetched ahead`);
    }
    assert.equal(await page.locator('#strip .tile').count(), names.length, 'every tile is there');
    assert.deepEqual(fetched(), names.slice(0, 4), 'the pictures shown and the one after each, no other');
    assert.ok(names.every((name) => requested.has(path.join(bare, 'ThumbNails', `thumb${name.slice(0, -4)}.jpg`))),
      'each tile asked for its thumbnail');
    const web = [...page.context().fetched].filter((file) => file.startsWith(path.join(bare, 'Web') + path.sep));
    assert.equal(web.length, 1, `one web copy asked for, which tells that there are none (${web})`);
    await screenshot(page, 'desktop-no-thumbnails.png');
    await page.setViewportSize({ width: 390, height: 844 });
    await screenshot(page, 'phone-no-thumbnails.png');
    await page.context().close();
  });
});

describe('a folder with web copies, and a picture without', () => {
  let copies, copiesUrl;
  before(() => {
    copies = path.join(root, 'With copies');
    fs.mkdirSync(copies);
    makeCopiesFolder(copies);
    allowed.push(pathToFileURL(copies).href + '/');
    copiesUrl = pathToFileURL(buildPage(orvale, copies)).href;
  });

  const devices = [
    ['a desktop screen', { viewport: { width: 1280, height: 800 } }, 2048],
    ['a phone', { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true }, 1024],
  ];
  for (const [device, options, size] of devices) {
    it(`on ${device}: the ${size} px copies drawn as their pictures, tile copies, each original linked`, async () => {
      const page = await newPage(options);
      await page.goto(copiesUrl);
      const inFolder = (file) => decodeURIComponent(pathToFileURL(path.join(copies, file)).href);
      for (const [i, row] of copyRows.entries()) {
        if (i) await page.keyboard.press('ArrowRight');
        await page.waitForFunction((name) => document.getElementById('caption').textContent === name
          && !document.getElementById('stage').classList.contains('loading'), row.name, WAIT);
        const now = await page.evaluate(() => {
          const byId = (id) => document.getElementById(id), photo = byId('photo'), link = byId('original');
          const box = (element) => { const r = element.getBoundingClientRect(); return [r.width, r.height]; };
          return {
            src: decodeURIComponent(photo.currentSrc), visible: photo.checkVisibility(), drawn: box(photo), frame: box(byId('frame')),
            link: link.checkVisibility() ? [decodeURIComponent(link.href), link.getAttribute('aria-label')] : null,
          };
        });
        const copy = row.copies && !row.original, file = copy ? `Web/${size}/${row.name}.jpg` : row.name;
        assert.ok(now.visible, `${device}: ${row.name} is shown`);
        assert.equal(now.src, inFolder(file), `${device}: ${row.name} shown from ${file}`);
        // As its original would be: as large as the frame allows, never larger than the picture
        // (give or take the rounding of a copy's size at the density the browser took it at).
        const scale = Math.min(1, now.frame[0] / row.size[0], now.frame[1] / row.size[1]);
        assert.ok(now.drawn.every((side, k) => Math.abs(side - row.size[k] * scale) <= 1 + side / 200),
          `${device}: ${row.name} drawn ${now.drawn} in ${now.frame}`);
        assert.deepEqual(now.link, copy ? [inFolder(row.name), 'Original picture'] : null,
          `${device}: ${row.name}: a link to the original while a copy is shown`);
        if (i === 0) await screenshot(page, `${device === 'a phone' ? 'phone' : 'desktop'}-copies.png`);
      }
      await page.waitForFunction(() => [...document.querySelectorAll('#strip .tile')]
        .every((tile) => tile.querySelector('img')?.naturalWidth > 0 || tile.classList.contains('none')), null, WAIT);
      const tiles = await page.locator('#strip .tile').evaluateAll((all) => all.map((tile) => {
        const img = tile.querySelector('img');
        return img && decodeURIComponent(img.currentSrc);
      }));
      assert.deepEqual(tiles, copyRows.map((row) => inFolder(row.copies ? `Web/240/${row.name}.jpg` : `ThumbNails/thumb${row.name.slice(0, -4)}.jpg`)),
        `${device}: each tile shows its tile copy, else its thumbnail`);
      const web = [...page.context().fetched].filter((file) => file.startsWith(path.join(copies, 'Web') + path.sep));
      assert.deepEqual(web.map((file) => path.relative(copies, file)).sort(),
        copyRows.flatMap((row) => [...(row.original ? [] : [`Web/${size}/${row.name}.jpg`]), `Web/240/${row.name}.jpg`]).sort(),
        `${device}: the copies asked for (the picture without asked once for each)`);
      assert.deepEqual(await accessibilityFaults(page), [], `${device}: no accessibility fault`);
      await page.context().close();
    });
  }
});

describe('a folder of every kind of file, built with that option', () => {
  let media, mediaUrl;
  const videoAt = mediaRows.findIndex((row) => row.kind === 'video');
  before(() => {
    media = path.join(root, 'Every kind');
    fs.mkdirSync(media);
    makeMediaFolder(media);
    allowed.push(pathToFileURL(media).href + '/');
    mediaUrl = pathToFileURL(buildMediaPage(orvale, media)).href;
  });
  const inFolder = (file) => decodeURIComponent(pathToFileURL(path.join(media, file)).href);
  const settled = (page, name) => page.waitForFunction((caption) => document.getElementById('caption').textContent === caption
    && !document.getElementById('stage').classList.contains('loading'), name, WAIT);
  // The stage as a viewer meets it.
  const stageNow = (page) => page.evaluate(() => {
    const byId = (id) => document.getElementById(id), photo = byId('photo'), video = byId('video');
    return {
      photo: photo.checkVisibility() && photo.naturalWidth > 0 ? decodeURIComponent(photo.currentSrc) : null,
      video: video.checkVisibility() ? decodeURIComponent(video.currentSrc) : null,
      paused: video.paused && video.currentTime === 0,
      notice: byId('fail').checkVisibility() ? [byId('failName').textContent, byId('failWhy').textContent, decodeURIComponent(byId('failOpen').href)] : null,
      words: byId('words').checkVisibility() ? byId('words').textContent : null,
      markup: byId('words').children.length,
      status: byId('status').textContent,
    };
  });

  it('shows each file, HEIC and the rest through their copies, a video with its poster, and the caption as text', async () => {
    const page = await newPage();
    await page.goto(mediaUrl);
    for (const [i, row] of mediaRows.entries()) {
      if (i) await page.keyboard.press('ArrowRight');
      await settled(page, row.name);
      if (row.kind === 'video') {
        await page.waitForFunction(() => document.getElementById('video').poster, null, WAIT);
        await new Promise((done) => setTimeout(done, 500)); // time enough to start, were it to
      }
      const now = await stageNow(page);
      const why = `${row.name}:`;
      assert.equal(now.photo, row.kind === 'picture' ? inFolder(`Web/2048/${row.name}.jpg`) : null, `${why} the picture shown`);
      assert.equal(now.video, row.kind === 'video' ? inFolder(row.name) : null, `${why} the video shown`);
      assert.deepEqual(now.notice, row.kind === 'unplayable'
        ? [row.name, 'This browser cannot play this video. Open the file to play it elsewhere.', inFolder(row.name)] : null,
      `${why} the notice, linking the file`);
      assert.equal(now.words, row.caption ?? null, `${why} its caption`);
      assert.equal(now.markup, 0, `${why} a caption's markup stays text`);
      if (row.kind === 'video') {
        assert.ok(now.paused, 'a video does not start by itself outside the slide show');
        assert.equal(decodeURIComponent(await page.locator('#video').getAttribute('poster')), `Web/2048/${row.name}.jpg`, 'the poster is the copy a photo would take');
        assert.deepEqual(await accessibilityFaults(page), [], 'no accessibility fault with a video');
        await screenshot(page, 'desktop-video.png');
      }
      if (row.kind === 'unplayable') assert.match(now.status, /cannot be played/, 'the notice is announced');
      if (row.caption) await screenshot(page, 'desktop-caption.png');
    }
    assert.deepEqual(await accessibilityFaults(page), [], 'no accessibility fault with the notice');
    await page.context().close();
  });

  it('gives each tile its 240 px copy: a video\'s is its frame at one second, with a play mark and "video" in its label', async () => {
    const page = await newPage();
    await page.goto(mediaUrl);
    await page.waitForFunction(() => [...document.querySelectorAll('#strip .tile')].every((tile) => {
      const img = tile.querySelector('img');
      return img ? img.complete && img.naturalWidth > 0 : tile.classList.contains('none');
    }), null, WAIT);
    const tiles = await page.locator('#strip .tile').evaluateAll((all) => all.map((tile) => ({
      src: tile.querySelector('img') && decodeURIComponent(tile.querySelector('img').currentSrc),
      label: tile.getAttribute('aria-label'),
      type: getComputedStyle(tile, '::after').content,
      opacity: +getComputedStyle(tile).opacity,
    })));
    for (const [i, row] of mediaRows.entries()) {
      const made = row.kind !== 'unplayable';
      assert.equal(tiles[i].src, made ? inFolder(`Web/240/${row.name}.jpg`) : null, `${row.name}: its tile`);
      assert.equal(tiles[i].label, row.kind === 'picture' ? row.name : `${row.name} (video)`, `${row.name}: its tile's label`);
      if (!made) assert.equal(tiles[i].type, '"MOV"', `${row.name}: its tile names the type`);
    }
    // The video's tile, as drawn: its frame at the side, the play mark in the middle.
    const shot = jpeg.decode(await page.locator('#strip .tile').nth(videoAt).screenshot({ type: 'jpeg', quality: 100 }));
    const pixel = (x, y) => { const at = (Math.floor(y) * shot.width + Math.floor(x)) * 4; return [...shot.data.subarray(at, at + 3)]; };
    const drawn = (colour) => colour.map((c, k) => tiles[videoAt].opacity * c + (1 - tiles[videoAt].opacity) * PAGE_COLOUR[k]);
    const distance = (a, b) => Math.hypot(...a.map((c, k) => c - b[k]));
    const side = pixel(shot.width * 0.15, shot.height / 2), middle = pixel(shot.width / 2, shot.height / 2);
    const frame = mediaRows[videoAt].frame;
    assert.ok(distance(side, drawn(frame)) < 30 && distance(side, drawn([0xc0, 0x30, 0x30])) > 100,
      `the frame at one second, not the first (pixel ${side})`);
    assert.ok(Math.min(...middle) > Math.max(...side), `a light play mark over it (pixel ${middle})`);
    await screenshot(page, 'desktop-media-tiles.png');
    await page.setViewportSize({ width: 390, height: 844 });
    await page.goto(mediaUrl + '#' + (videoAt + 1));
    await settled(page, mediaRows[videoAt].name);
    await expectFits(page);
    await screenshot(page, 'phone-video.png');
    await page.context().close();
  });

  it('gives a video without web copies its thumbnail as poster and tile', async () => {
    const bare = path.join(root, 'Video without copies'), name = mediaRows[videoAt].name;
    fs.mkdirSync(path.join(bare, 'ThumbNails'), { recursive: true });
    for (const file of [name, 'Index.htm', `ThumbNails/thumb${name.slice(0, name.lastIndexOf('.'))}.jpg`]) {
      fs.copyFileSync(path.join(media, file), path.join(bare, file));
    }
    allowed.push(pathToFileURL(bare).href + '/');
    const page = await newPage();
    await page.goto(pathToFileURL(path.join(bare, 'Index.htm')).href + '#' + (videoAt + 1));
    await settled(page, name);
    const thumb = `ThumbNails/thumb${name.slice(0, name.lastIndexOf('.'))}.jpg`;
    await page.waitForFunction(() => document.getElementById('video').poster
      && document.querySelector('#strip .tile[aria-current="true"] img')?.naturalWidth > 0, null, WAIT);
    const seen = await page.evaluate(() => [document.getElementById('video').getAttribute('poster'),
      document.querySelector('#strip .tile[aria-current="true"] img').getAttribute('src')].map(decodeURIComponent));
    assert.deepEqual(seen, [thumb, thumb], 'the poster and the tile are the thumbnail');
    await page.context().close();
  });

  it('plays a video muted in the slide show, turns on when it ends, and waits as for a picture past one that cannot play', async () => {
    const page = await newPage();
    await page.goto(mediaUrl + '#' + (videoAt + 1));
    await settled(page, mediaRows[videoAt].name);
    await page.evaluate(() => {
      const caption = document.getElementById('caption');
      window.seen = [];
      // Caught on the way down, before the page's own listener turns on.
      window.addEventListener('ended', () => window.seen.push('ended'), true);
      new MutationObserver(() => window.seen.push(caption.textContent)).observe(caption, { childList: true });
    });
    await page.getByLabel('Seconds per picture').selectOption('1'); // shorter than the video
    await page.locator('body').press(' ');
    await page.waitForFunction(() => {
      const video = document.getElementById('video');
      return !video.paused && video.muted && video.currentTime > 0.2;
    }, null, WAIT);
    await page.waitForFunction((name) => document.getElementById('caption').textContent === name, mediaRows[0].name, WAIT);
    assert.deepEqual(await page.evaluate(() => window.seen), ['ended', ...mediaRows.slice(videoAt + 1).map((row) => row.name), mediaRows[0].name],
      'the next file only once the video ended, then on round');
    await page.context().close();
  });
});

describe('a folder of 30,000 pictures', () => {
  const COUNT = 30000;
  let bigUrl;
  before(() => {
    const big = path.join(root, 'Thirty thousand');
    fs.mkdirSync(big);
    makeLargeFolder(big, COUNT);
    allowed.push(pathToFileURL(big).href + '/');
    bigUrl = pathToFileURL(buildPage(orvale, big, ['--by-name'])).href;
  });

  // Waits for picture n (from 1) and checks that the filmstrip holds only a
  // screenful of tiles, in order, with picture n's tile current and in sight.
  async function expectAt(page, n, why) {
    await page.waitForFunction((caption) => {
      const tile = document.querySelector('#strip [aria-current="true"]');
      const box = tile?.getBoundingClientRect(), view = document.getElementById('strip').getBoundingClientRect();
      return document.getElementById('caption').textContent === caption && tile?.getAttribute('aria-label') === caption
        && box.left >= view.left && box.right <= view.right;
    }, largeName(n), WAIT);
    const now = await page.evaluate(() => ({
      count: document.getElementById('count').textContent,
      tiles: [...document.querySelectorAll('#strip .tile')].map((tile) => +tile.dataset.index),
      elements: document.getElementsByTagName('*').length,
    }));
    assert.equal(now.count, `${n} / ${COUNT}`, `${why}: position`);
    assert.ok(now.tiles.length < 100 && now.elements < 300, `${why}: ${now.tiles.length} tiles, ${now.elements} elements`);
    assert.deepEqual(now.tiles, [...now.tiles].sort((a, b) => a - b), `${why}: tiles in picture order`);
  }

  it('opens deep links, and follows Home, End, the arrows on the filmstrip and Back', async () => {
    const page = await newPage();
    await page.goto(bigUrl + '#29000');
    await expectAt(page, 29000, 'link #29000');
    const steps = [['End', 30000], ['Home', 1], ['End', 30000], ['ArrowLeft', 29999]];
    for (const [key, n] of steps) {
      await page.keyboard.press(key);
      await expectAt(page, n, `key ${key}`);
      if (n === 1) await screenshot(page, 'desktop-30000.png');
    }
    await page.locator('#strip [aria-current="true"]').focus();
    await page.keyboard.press('ArrowLeft');
    await expectAt(page, 29998, 'Left on a tile');
    assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), largeName(29998),
      'the focus follows to the new current tile');
    for (const n of [29999, 30000, 1, 30000, 29000]) {
      await page.goBack();
      await expectAt(page, n, 'Back');
    }
    await page.goto('about:blank');
    await page.goto(bigUrl + '#' + encodeURIComponent(largeName(12345)));
    await expectAt(page, 12345, 'link by name');
    await page.context().close();
  });

  it('plays from the last picture round to the first', async () => {
    const page = await newPage();
    await page.clock.install();
    await page.goto(bigUrl + '#30000');
    await expectAt(page, 30000, 'start');
    await page.clock.pauseAt(await page.evaluate(() => Date.now() + 1000));
    await page.getByLabel('Seconds per picture').selectOption('1');
    await page.locator('body').press(' ');
    for (const n of [1, 2]) {
      await page.clock.runFor(1000);
      await expectAt(page, n, 'playing');
    }
    await page.context().close();
  });
});

describe('safety', () => {
  it('ships templates that stay small and are valid UTF-8', () => {
    const templates = ['FirstPart.txt', 'LastPart.txt'].map((name) => fs.readFileSync(path.join(path.dirname(orvale), name)));
    for (const text of templates) new TextDecoder('utf-8', { fatal: true }).decode(text);
    // The page's own weight, without and with every kind of file.
    for (const [allMedia, budget] of [[false, 30 * 1024], [true, 36 * 1024]]) {
      const size = templates.reduce((sum, text) => sum + Buffer.byteLength(takeBlocks(text.toString(), allMedia)), 0);
      assert.ok(size < budget, `both templates together take ${size} bytes${allMedia ? ' with every kind of file' : ''}`);
    }
  });

  it('writes, without every kind of file, the very page it always wrote', () => {
    // The templates as they were before videos and captions came:
    // (git show b2792c5:orvale/resources/FirstPart.txt; printf '\r\n"a.jpg"';
    //  git show b2792c5:orvale/resources/LastPart.txt) | sha256sum
    const before = '4c61c6eccf468e661f1bf24b62e9330809d76f5ded800c1f4ef43be56f854f77';
    const same = path.join(root, 'Same bytes');
    fs.mkdirSync(same);
    fs.writeFileSync(path.join(same, 'a.jpg'), jpegPicture(16, 16, 0));
    const page = fs.readFileSync(buildPage(orvale, same, []));
    assert.equal(crypto.createHash('sha256').update(page).digest('hex'), before);
  });

  it('runs no script from a name, raises no script error, and sends no request out of the folder', async () => {
    const page = await newPage();
    await page.goto(pageUrl);
    await expectShown(page, 0, 'start');
    const markup = await page.evaluate(() => ({
      scripts: document.scripts.length,
      injected: document.querySelectorAll('img[onerror], [src="x"]').length,
    }));
    await page.context().close();
    assert.deepEqual(markup, { scripts: 1, injected: 0 }, 'no element made from a name');
    assert.deepEqual(dialogs, [], 'no dialog opened by a name');
    assert.deepEqual(complaints, [], 'only missing thumbnails may appear in the console');
    assert.deepEqual(left, [], 'no request left the folder');
    assert.ok(requested.size > rows.length, 'the watch saw the page\'s requests');
  });
});
