// Test pictures made on the spot: JPEG landscapes in a colour of their own
// (so screenshots show which picture is which), a real TIF, and a damaged file.
import jpeg from 'jpeg-js';

// A calm landscape: sky fading to the horizon, a sun, two rows of hills.
function landscape(width, height, hue) {
  const data = Buffer.alloc(width * height * 4);
  const rgb = (h, s, l) => {
    const f = (n) => {
      const k = (n + h / 30) % 12;
      const a = s * Math.min(l, 1 - l);
      return Math.round(255 * (l - a * Math.max(-1, Math.min(k - 3, 9 - k, 1))));
    };
    return [f(0), f(8), f(4)];
  };
  const sunX = width * 0.68, sunY = height * 0.38, sunR = Math.min(width, height) * 0.09;
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const u = x / width, v = y / height;
      const far = 0.58 + 0.06 * Math.sin(u * 7 + hue) + 0.03 * Math.sin(u * 19);
      const near = 0.72 + 0.08 * Math.sin(u * 4 + hue * 2) + 0.02 * Math.sin(u * 31);
      let colour;
      if (v > near) colour = rgb((hue + 140) % 360, 0.45, 0.16 + 0.1 * (1 - v));
      else if (v > far) colour = rgb((hue + 170) % 360, 0.35, 0.3 + 0.1 * (v - far));
      else if (Math.hypot(x - sunX, y - sunY) < sunR) colour = rgb(45, 0.95, 0.85);
      else colour = rgb(hue, 0.6, 0.35 + 0.4 * v);
      data.set([...colour, 255], (y * width + x) * 4);
    }
  }
  return { data, width, height };
}

export function jpegPicture(width, height, hue) {
  return jpeg.encode(landscape(width, height, hue), 85).data;
}

// A JPEG of one colour ([r, g, b]), for a thumbnail that shows whose it is.
export function flatPicture(width, height, colour) {
  const data = Buffer.alloc(width * height * 4, 255);
  for (let at = 0; at < data.length; at += 4) data.set(colour, at);
  return jpeg.encode({ data, width, height }, 95).data;
}

// An uncompressed RGB TIF: a file that is a real picture, but one that most
// browsers do not show.
export function tifPicture(width, height) {
  const tags = [
    [256, 3, 1, width], [257, 3, 1, height], [258, 3, 3, 0], [259, 3, 1, 1], [262, 3, 1, 2],
    [273, 4, 1, 0], [277, 3, 1, 3], [278, 3, 1, height], [279, 4, 1, width * height * 3],
  ];
  const ifdSize = 2 + tags.length * 12 + 4;
  const bitsAt = 8 + ifdSize, pixelsAt = bitsAt + 6;
  const file = Buffer.alloc(pixelsAt + width * height * 3, 0x80);
  file.write('II', 0, 'latin1');
  file.writeUInt16LE(42, 2);
  file.writeUInt32LE(8, 4);
  file.writeUInt16LE(tags.length, 8);
  tags.forEach(([tag, type, n, value], i) => {
    const at = 10 + i * 12;
    if (tag === 258) value = bitsAt;
    if (tag === 273) value = pixelsAt;
    file.writeUInt16LE(tag, at);
    file.writeUInt16LE(type, at + 2);
    file.writeUInt32LE(n, at + 4);
    if (type === 3 && n === 1) file.writeUInt16LE(value, at + 8);
    else file.writeUInt32LE(value, at + 8);
  });
  file.writeUInt32LE(0, 8 + 2 + tags.length * 12);
  [8, 8, 8].forEach((bits, i) => file.writeUInt16LE(bits, bitsAt + i * 2));
  return file;
}

// Starts with a JPEG's signature, then holds nothing a decoder can use: a
// damaged copy, as a failing card or an interrupted transfer leaves it.
export function damagedPicture() {
  return Buffer.concat([Buffer.from([0xff, 0xd8, 0xff, 0xe0]), Buffer.alloc(400, 0x5a)]);
}

// A GIF of one white pixel, the smallest a browser shows.
export function gifPicture() {
  return Buffer.from('474946383961010001008000' + '00ffffff000000' + '2c000000000100010000' + '0202440100' + '3b', 'hex');
}

// The JPEG with an EXIF segment holding one ImageDescription (a
// photographer's caption), put right after its start-of-image marker.
export function withDescription(jpegBytes, text) {
  const words = Buffer.concat([Buffer.from(text, 'utf8'), Buffer.from([0])]);
  const tiff = Buffer.alloc(8 + 2 + 12 + 4);
  tiff.write('II', 0, 'latin1');
  tiff.writeUInt16LE(42, 2);
  tiff.writeUInt32LE(8, 4);
  tiff.writeUInt16LE(1, 8);                 // one entry
  tiff.writeUInt16LE(0x010e, 10);           // ImageDescription
  tiff.writeUInt16LE(2, 12);                // ASCII
  tiff.writeUInt32LE(words.length, 14);
  tiff.writeUInt32LE(tiff.length, 18);      // the text follows the directory
  const body = Buffer.concat([Buffer.from('Exif\0\0', 'latin1'), tiff, words]);
  const head = Buffer.from([0xff, 0xe1, 0, 0]);
  head.writeUInt16BE(body.length + 2, 2);
  return Buffer.concat([jpegBytes.subarray(0, 2), head, body, jpegBytes.subarray(2)]);
}
