// The photo folder the page tests build a slide show of. Each row is a file
// and what the page should make of it; the rows are in the order the page
// must show them (by modified time, oldest first).
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { damagedPicture, flatPicture, gifPicture, jpegPicture, tifPicture, withDescription } from './pictures.mjs';

// shows:  'picture' loads in the browser, 'notice' gets the can't-show notice.
// tile:   'thumb' the filmstrip shows its thumbnail, 'placeholder' the
//         picture's number and file type (never the picture itself).
// thumb:  the size of the thumbnail the folder holds for it, if any; a
//         'decoy' is there under the name another naming rule would give
//         it, and must not be used for this one.
export const rows = [
  { name: '01 Harbour at dawn.jpg', size: [1200, 800], shows: 'picture', tile: 'thumb', thumb: [50, 33] },
  { name: 'hash #2 & 100% sure?.jpg', size: [800, 600], shows: 'picture', tile: 'thumb', thumb: [50, 38] },
  { name: 'x"];alert(1);x.jpg', size: [800, 533], shows: 'picture', tile: 'placeholder' },
  { name: '<script>alert(2)<.jpg', size: [600, 800], shows: 'picture', tile: 'thumb', thumb: [38, 50] },
  { name: '<!--<script>x.jpg', size: [800, 600], shows: 'picture', tile: 'placeholder' },
  { name: 'back\\slash.jpg', size: [900, 600], shows: 'picture', tile: 'thumb', thumb: [50, 33] },
  { name: 'new\nline.jpg', size: [800, 600], shows: 'picture', tile: 'placeholder' },
  { name: 'Café Ünïcode 日本 ☀.jpg', size: [1000, 750], shows: 'picture', tile: 'thumb', thumb: [50, 38] },
  { name: 'it\'s "quoted".jpg', size: [800, 600], shows: 'picture', tile: 'placeholder' },
  { name: '<img src=x onerror=alert(3)>.jpg', size: [700, 700], shows: 'picture', tile: 'thumb', thumb: [50, 50] },
  { name: 'nodotjpg', size: [800, 500], shows: 'picture', tile: 'placeholder' },
  { name: 'scan.tif', size: [64, 48], shows: 'notice', tile: 'placeholder', decoy: 'thumbscan.jpg' },
  { name: 'photo.jpeg', size: [800, 600], shows: 'picture', tile: 'thumb', thumb: [50, 38] },
  { name: 'damaged.jpg', shows: 'notice', tile: 'placeholder' },
  { name: 'tiny.jpg', size: [160, 120], shows: 'picture', tile: 'placeholder' },
  { name: 'line\u2028separator.jpg', size: [800, 600], shows: 'picture', tile: 'placeholder' },
  { name: `Long ${'and longer '.repeat(20)}name.jpg`, size: [640, 480], shows: 'picture', tile: 'placeholder' },
  { name: '2023-08-14 12.30.05.jpg', size: [900, 600], shows: 'picture', tile: 'thumb', thumb: [50, 33], decoy: 'thumb2023-08-14 12.jpg' },
  { name: '2023-08-14 12.31.10.jpg', size: [900, 600], shows: 'picture', tile: 'thumb', thumb: [50, 33] },
  { name: 'Zebra crossing.jpg', size: [2400, 1600], shows: 'picture', tile: 'thumb', thumb: [50, 33] },
];

// Each thumbnail is one colour of its own, far from the others' and from
// the decoys' black, so a tile's pixels tell whose thumbnail it shows.
const thumbRows = rows.filter((row) => row.thumb);
thumbRows.forEach((row, k) => {
  const hue = (k * 360) / thumbRows.length, f = (n) => {
    const h = (n + hue / 30) % 12;
    return Math.round(255 * (0.5 - 0.45 * Math.max(-1, Math.min(h - 3, 9 - h, 1))));
  };
  row.colour = [f(0), f(8), f(4)];
});
export const DECOY_COLOUR = [0, 0, 0];
const DECOY_SIZE = [21, 21]; // no real thumbnail has this size

// The name of a picture's thumbnail: "thumb", the name up to its last dot, ".jpg".
export const thumbName = (name) => `thumb${name.slice(0, name.lastIndexOf('.'))}.jpg`;

// Writes the pictures, their thumbnails and decoys into `folder`, with
// modified times one minute apart in row order.
export function makeFolder(folder) {
  const thumbs = path.join(folder, 'ThumbNails');
  fs.mkdirSync(thumbs, { recursive: true });
  const start = Date.UTC(2026, 5, 1, 9, 0, 0) / 1000;
  rows.forEach((row, i) => {
    const file = path.join(folder, row.name);
    if (row.name.endsWith('.tif')) fs.writeFileSync(file, tifPicture(...row.size));
    else if (!row.size) fs.writeFileSync(file, damagedPicture());
    else fs.writeFileSync(file, jpegPicture(...row.size, (i * 47) % 360));
    fs.utimesSync(file, start + i * 60, start + i * 60);
    if (row.thumb) fs.writeFileSync(path.join(thumbs, thumbName(row.name)), flatPicture(...row.thumb, row.colour));
    if (row.decoy) fs.writeFileSync(path.join(thumbs, row.decoy), flatPicture(...DECOY_SIZE, DECOY_COLOUR));
  });
}

// A folder of `count` pictures, "IMG_00001.jpg" and on: hard links to three
// real pictures, so that a big slide show costs little disk.
export const largeName = (n) => `IMG_${String(n).padStart(5, '0')}.jpg`;
export function makeLargeFolder(folder, count) {
  const originals = [0, 120, 240].map((hue, k) => {
    const file = path.join(folder, `original${k}.pic`); // not a picture type: not listed
    fs.writeFileSync(file, jpegPicture(320, 240, hue));
    return file;
  });
  for (let n = 1; n <= count; n++) fs.linkSync(originals[n % 3], path.join(folder, largeName(n)));
}

// Runs the real builder on the folder and returns the page's path.
export function buildPage(orvale, folder, options = ['--all-types']) {
  execFileSync(orvale, ['--build', folder, ...options], { stdio: ['ignore', 'pipe', 'pipe'] });
  return path.join(folder, 'Index.htm');
}

// A folder with web copies where Tesselet puts them: Web/2048, Web/1024 and
// Web/240, each the picture's whole name + ".jpg", never larger than the
// picture. `size` is the original's; `copies` the sizes of its three copies,
// none for a picture added after the copies were made (it has a thumbnail);
// `original`: shown from its original all the same (a GIF may move).
export const copyRows = [
  { name: 'Harbour wide.jpg', size: [2400, 1600], copies: [[2048, 1365], [1024, 683], [240, 160]] },
  { name: 'Lighthouse tall.jpg', size: [1600, 2400], copies: [[1365, 2048], [683, 1024], [160, 240]] },
  { name: 'Added later.jpg', size: [900, 600], thumb: [50, 33] },
  { name: 'Bay 2023.08.14.jpeg', size: [1800, 1200], copies: [[1800, 1200], [1024, 683], [240, 160]] },
  { name: 'Old scan.jpg', size: [400, 300], copies: [[400, 300], [400, 300], [240, 180]] },
  { name: 'Moving.gif', size: [1, 1], copies: [[1, 1], [1, 1], [1, 1]], original: true },
];
export const COPY_SIZES = [2048, 1024, 240];

// Modified times one minute apart in row order.
export function makeCopiesFolder(folder) {
  const start = Date.UTC(2026, 5, 2, 9, 0, 0) / 1000;
  copyRows.forEach((row, i) => {
    const hue = i * 70, file = path.join(folder, row.name);
    fs.writeFileSync(file, row.name.endsWith('.gif') ? gifPicture() : jpegPicture(...row.size, hue));
    fs.utimesSync(file, start + i * 60, start + i * 60);
    row.copies?.forEach((size, k) => {
      fs.mkdirSync(path.join(folder, 'Web', String(COPY_SIZES[k])), { recursive: true });
      fs.writeFileSync(path.join(folder, 'Web', String(COPY_SIZES[k]), row.name + '.jpg'), jpegPicture(...size, hue));
    });
    if (row.thumb) {
      fs.mkdirSync(path.join(folder, 'ThumbNails'), { recursive: true });
      fs.writeFileSync(path.join(folder, 'ThumbNails', thumbName(row.name)), jpegPicture(...row.thumb, hue));
    }
  });
}

// A template's lines as a build writes them, with or without every kind of
// file: marker lines and the block side not taken left out, each line ended
// by CR LF (a lone LF is content, but ends a marker line).
export function takeBlocks(text, allMedia) {
  const parts = text.split(/(\r\n|\r|\n)/);
  let out = '', block = '';
  for (let k = 0; k < parts.length; k += 2) {
    const line = parts[k], end = parts[k + 1] ?? '';
    if (line === '//#if all-media') block = 'if';
    else if (line === '//#else') block = 'else';
    else if (line === '//#endif') block = '';
    else if (!block || (block === 'if') === allMedia) out += line + (end && end !== '\n' ? '\r\n' : end);
  }
  return out && !out.endsWith('\r\n') ? out + '\r\n' : out;
}

// A folder of every kind of file, in list order: a JPEG whose caption
// carries markup, a PNG with transparency, a WebP, an iPhone's HEIC, an
// H.264 video (red for its first second, blue after: its copies are the
// blue frame at one second) and a .mov that is no video. Their web copies
// and thumbnails are the thumbnail maker's own (buildMediaPage).
export const CAPTION = 'Boats at dawn, <b>not bold</b> </script><script>alert(4)</script> & "quoted"';
export const mediaRows = [
  { name: 'Harbour with words.jpg', kind: 'picture', caption: CAPTION },
  { name: 'Signal flags.png', kind: 'picture' },
  { name: 'Market stall.webp', kind: 'picture' },
  { name: 'IMG_0042.HEIC', kind: 'picture' },
  { name: 'Tram ride.mp4', kind: 'video', frame: [0x30, 0x60, 0xc0] },
  { name: 'Not a video.mov', kind: 'unplayable' },
];

function ffmpeg(...args) {
  execFileSync('ffmpeg', ['-y', '-v', 'error', ...args], { stdio: ['ignore', 'pipe', 'pipe'] });
}

export function makeMediaFolder(folder) {
  const work = fs.mkdtempSync(path.join(folder, '.work-'));
  const start = Date.UTC(2026, 5, 3, 9, 0, 0) / 1000;
  const colour = (hex, size) => ['-f', 'lavfi', '-i', `color=c=${hex}:s=${size}`];
  for (const [i, row] of mediaRows.entries()) {
    const file = path.join(folder, row.name);
    if (row.name.endsWith('.jpg')) {
      fs.writeFileSync(file, withDescription(jpegPicture(1200, 800, 200), row.caption));
    } else if (row.name.endsWith('.png')) {
      ffmpeg('-f', 'lavfi', '-i', 'color=c=0x20a040@0.5:s=800x600,format=rgba', '-frames:v', '1', file);
    } else if (row.name.endsWith('.webp')) {
      const source = path.join(work, 'w.png');
      fs.writeFileSync(path.join(work, 'w.jpg'), jpegPicture(900, 600, 40));
      ffmpeg('-i', path.join(work, 'w.jpg'), source);
      execFileSync('cwebp', ['-quiet', '-q', '80', source, '-o', file]);
    } else if (row.name.endsWith('.HEIC')) {
      fs.writeFileSync(path.join(work, 'h.jpg'), jpegPicture(1200, 900, 300));
      execFileSync('heif-enc', ['-q', '60', path.join(work, 'h.jpg'), '-o', file], { stdio: 'ignore' });
    } else if (row.kind === 'video') {
      ffmpeg(...colour('0xc03030', '640x360:r=25:d=1'), ...colour('0x3060c0', '640x360:r=25:d=1'),
        '-f', 'lavfi', '-i', 'sine=frequency=440:duration=2', '-filter_complex', '[0:v][1:v]concat=n=2:v=1:a=0[v]',
        '-map', '[v]', '-map', '2:a', '-c:v', 'libx264', '-pix_fmt', 'yuv420p', '-c:a', 'aac', '-movflags', '+faststart', file);
    } else {
      fs.writeFileSync(file, 'This is a note, not a video.\n'.repeat(40));
    }
    fs.utimesSync(file, start + i * 60, start + i * 60);
  }
  fs.rmSync(work, { recursive: true, force: true });
}

// The page of the media folder built as a user builds it: the real
// slide show maker with every kind of file, web copies and thumbnails, the
// real thumbnail maker waited for. The .mov that is no video makes the
// thumbnail maker say so and exit 1, which the build passes on: the page,
// copies and thumbnails of the others are made all the same.
export function buildMediaPage(orvale, folder) {
  const page = path.join(folder, 'Index.htm');
  try {
    execFileSync(orvale, ['--build', folder, '--all-media', '--web', '--thumbnails'], { stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (error) {
    if (error.status !== 1 || !fs.existsSync(page)) throw error;
  }
  return page;
}
