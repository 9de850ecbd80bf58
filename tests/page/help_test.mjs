// The help page in a real browser: it opens without a console message or a
// script error, every link in it leads somewhere that exists, and axe-core
// finds no accessibility fault (contrast included) in the light colour scheme
// or in the dark one.
// Usage: node help_test.mjs PATH_TO_HELP_HTM
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';
import { accessibilityFaults } from './axe.mjs';

const help = path.resolve(process.argv[2] ?? '');
if (!fs.existsSync(help)) {
  console.error('usage: node help_test.mjs PATH_TO_HELP_HTM');
  process.exit(2);
}
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium' });
try {
  const page = await browser.newPage();
  const complaints = [];
  page.on('console', (message) => complaints.push(`console ${message.type()}: ${message.text()}`));
  page.on('pageerror', (error) => complaints.push(`script error: ${error.message}`));
  page.on('requestfailed', (request) => complaints.push(`failed: ${request.url()}`));
  await page.goto(pathToFileURL(help).href);
  const links = await page.$$eval('a[href]', (anchors) => anchors.map((a) => a.href));
  assert.ok(links.length > 0, 'the page has links');
  for (const link of links) {
    const url = new URL(link);
    assert.equal(url.protocol, 'file:', `${link}: only links within the shipped files`);
    const file = fileURLToPath(url);
    assert.ok(fs.existsSync(file), `${link}: the file exists`);
    if (url.hash && file === help) {
      const id = decodeURIComponent(url.hash.slice(1));
      assert.ok(await page.$(`[id="${id}"]`), `${link}: the anchor exists`);
    }
  }
  assert.deepEqual(complaints, [], 'no console message, script error or failed load');
  for (const colorScheme of ['light', 'dark']) {
    await page.emulateMedia({ colorScheme });
    assert.deepEqual(await accessibilityFaults(page), [], `no accessibility fault in the ${colorScheme} scheme`);
  }
  console.log(`help page: ${links.length} links resolve, no console messages, no accessibility fault in light or dark`);
} finally {
  await browser.close();
}
