// The photo folder the page tests build a slide show of. Each row is a file
// and what the page should make of it; the rows are in the order the page
// must show them (by modified time, oldest first).
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { damagedPicture, jpegPicture, tifPicture } from './pictures.mjs';

// shows:  'picture' loads in the browser, 'notice' gets the can't-show notice.
// tile:   'thumb' the filmstrip shows its thumbnail, 'picture' the picture
//         itself, 'type' its file type as text.
// thumb:  the thumbnail file the folder holds for it, if any; a 'decoy' is
//         there under the name a picture of another type would map to, and
//         must not be used for this one.
export const rows = [
  { name: '01 Harbour at dawn.jpg', size: [1200, 800], shows: 'picture', tile: 'thumb', thumb: [50, 33] },
  { name: 'hash #2 & 100% sure?.jpg', size: [800, 600], shows: 'picture', tile: 'thumb', thumb: [50, 38] },
  { name: 'x"];alert(1);x.jpg', size: [800, 533], shows: 'picture', tile: 'picture' },
  { name: '<script>alert(2)<.jpg', size: [600, 800], shows: 'picture', tile: 'thumb', thumb: [38, 50] },
  { name: '<!--<script>x.jpg', size: [800, 600], shows: 'picture', tile: 'picture' },
  { name: 'back\\slash.jpg', size: [900, 600], shows: 'picture', tile: 'thumb', thumb: [50, 33] },
  { name: 'new\nline.jpg', size: [800, 600], shows: 'picture', tile: 'picture' },
  { name: 'Café Ünïcode 日本 ☀.jpg', size: [1000, 750], shows: 'picture', tile: 'thumb', thumb: [50, 38] },
  { name: 'it\'s "quoted".jpg', size: [800, 600], shows: 'picture', tile: 'picture' },
  { name: '<img src=x onerror=alert(3)>.jpg', size: [700, 700], shows: 'picture', tile: 'thumb', thumb: [50, 50] },
  { name: 'nodotjpg', size: [800, 500], shows: 'picture', tile: 'picture' },
  { name: 'scan.tif', size: [64, 48], shows: 'notice', tile: 'type', decoy: 'thumbscan.jpg' },
  { name: 'photo.jpeg', size: [800, 600], shows: 'picture', tile: 'picture', decoy: 'thumbphoto.jpg' },
  { name: 'damaged.jpg', shows: 'notice', tile: 'type' },
  { name: 'tiny.jpg', size: [160, 120], shows: 'picture', tile: 'picture' },
  { name: 'line\u2028separator.jpg', size: [800, 600], shows: 'picture', tile: 'picture' },
  { name: `Long ${'and longer '.repeat(20)}name.jpg`, size: [640, 480], shows: 'picture', tile: 'picture' },
  { name: 'Zebra crossing.jpg', size: [2400, 1600], shows: 'picture', tile: 'thumb', thumb: [50, 33] },
];

const DECOY_SIZE = [21, 21]; // no real thumbnail has this size

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
    if (row.thumb) {
      const base = row.name.split('.')[0];
      fs.writeFileSync(path.join(thumbs, `thumb${base}.jpg`), jpegPicture(...row.thumb, (i * 47) % 360));
    }
    if (row.decoy) fs.writeFileSync(path.join(thumbs, row.decoy), jpegPicture(...DECOY_SIZE, 0));
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
