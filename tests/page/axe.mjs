// axe-core's accessibility check of a page open in the browser.
import fs from 'node:fs';
import { createRequire } from 'node:module';

const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core'), 'utf8');

// Every rule axe-core has for WCAG 2.0 to 2.2, levels A and AA, and its best
// practices. A failure names each rule and the elements that break it.
export async function accessibilityFaults(page) {
  await page.addScriptTag({ content: axeSource });
  const results = await page.evaluate(() => window.axe.run(document, {
    runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'] },
  }));
  return results.violations.map((violation) =>
    `${violation.id}: ${violation.help} (${violation.nodes.map((node) => node.target.join(' ')).join(', ')})`);
}
