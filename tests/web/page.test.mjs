// The page served as static files, in Debian's Chromium, driven by Playwright from the
// keyboard: the platform's long run typed into "Answer" downloads the standard's transcript
// byte for byte, and so does a new run; markup in an unreadable word stays text; "Stop" ends
// training at once. Prints its speed figures; with INPUT_FILE, makes only that run.
// Usage: node page.test.mjs SITE_DIR TRANSCRIPTS_DIR SCREENSHOT_DIR [INPUT_FILE]
import { createServer } from 'node:http';
import { readFileSync } from 'node:fs';
import { readFile } from 'node:fs/promises';
import { extname, join } from 'node:path';
const { chromium } = await import('playwright-core').catch(() => {
  console.log('playwright-core is missing: run npm ci --prefix tests/web');
  process.exit(1);
});

const [site, transcripts, shots, measured] = process.argv.slice(2);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.svg': 'image/svg+xml', '.wasm': 'application/wasm' };
const server = createServer(async (request, response) => {
  const path = join(site, new URL(request.url, 'http://page').pathname.replace(/\/$/, '/index.html'));
  const body = await readFile(path).catch(() => null);
  response.writeHead(body ? 200 : 404, { 'Content-Type': types[extname(path)] ?? 'text/plain' });
  response.end(body);
}).listen(0, '127.0.0.1');
await new Promise((resolve) => server.once('listening', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--disable-gpu',
  '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update',
  '--disable-sync'] });
const page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
const faults = [];
page.on('console', (message) => message.type() === 'error' && faults.push(message.text()));
page.on('pageerror', (error) => faults.push(error.message));
page.on('dialog', (dialog) => faults.push(`a dialog: ${dialog.message()}`));
page.on('request', (request) => /^(blob:|data:)/.test(request.url()) ||
  request.url().startsWith(origin) || faults.push(`a request to ${request.url()}`));
// Measured in the page: the first frame, when the last answer was sent and when the run
// ended, and the longest time between two paints since the last answer.
await page.addInitScript(() => {
  const PageWorker = Worker;
  window.Worker = class extends PageWorker {
    constructor(...options) {
      super(...options);
      this.addEventListener('message', ({ data }) => {
        window.firstFrame ??= performance.now();
        if ('status' in data) window.ended = performance.now();
      });
    }
  };
  addEventListener('submit', () => { window.sent = performance.now(); window.longestGap = 0; });
  let last = performance.now();
  requestAnimationFrame(function paint(now) {
    window.longestGap = Math.max(window.longestGap, now - last);
    last = now;
    requestAnimationFrame(paint);
  });
});
const answer = page.getByRole('textbox', { name: 'Answer' });
const outcome = page.getByRole('status', { name: 'Outcome' });
const prompted = () => page.waitForFunction(() =>
  document.getElementById('output').textContent.endsWith(': '));

let passed = 0, failed = 0;
function check(what, ok) {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  ok ? ++passed : ++failed;
}

// Types each line of the input file into "Answer" a second after a prompt shows, as a
// person would; waits for "Outcome".
async function run(name, status) {
  for (const line of readFileSync(name, 'latin1').trimEnd().split('\n')) {
    await prompted();
    await page.waitForTimeout(1000);
    await answer.pressSequentially(line);
    await answer.press('Enter');
  }
  await outcome.filter({ hasText: `Exit status ${status}:` }).waitFor({ timeout: 600_000 });
  const { steps, seconds, gap } = await page.evaluate(() => ({ seconds: (ended - sent) / 1000,
    steps: +document.getElementById('steps').textContent.replaceAll(',', ''), gap: longestGap }));
  console.log(`${name}: ${steps} steps in ${seconds.toFixed(3)} s, ${Math.round(steps / seconds)} ` +
    `steps/s; longest paint gap ${gap.toFixed(0)} ms`);
}

async function transcript() {
  const [download] = await Promise.all([page.waitForEvent('download'),
    page.getByRole('link', { name: 'Download transcript' }).press('Enter')]);
  return readFileSync(await download.path());
}

await page.goto(origin);
await prompted();
console.log(`first frame ${(await page.evaluate(() => firstFrame)).toFixed(0)} ms after loading began`);
if (measured) {
  await run(measured, 0);
} else {
  const long = `${transcripts}/platform-long`;
  await run(`${long}.in`, 0);
  check('the long run downloads the transcript', (await transcript()).equals(readFileSync(`${long}.out`)));
  for (const width of [375, 1280]) {
    await page.setViewportSize({ width, height: 900 });
    await page.screenshot({ path: `${shots}/page-${width}.png`, fullPage: true });
  }

  const word = '<img/src=x/onerror=alert(1)>';
  await page.getByRole('button', { name: 'New run' }).press('Enter');
  await prompted();
  await answer.pressSequentially(word);
  await answer.press('Enter');
  await outcome.filter({ hasText: 'Exit status 2:' }).waitFor();
  check('the unreadable word shows as typed, as no element', await page.getByRole('region',
    { name: 'Diagnostics' }).locator('pre').textContent() === 'neuronet: cannot read element ' +
    `[0] of the input vector: found "${word}", not a number\n` &&
    await page.locator('img').count() === 1);

  await page.getByRole('button', { name: 'New run' }).press('Enter');
  await prompted();
  await answer.pressSequentially('0.1 0.1 0.1 -0.3372135954999569 0.1101 0.1101');
  await answer.press('Enter');
  await page.waitForFunction(() => document.getElementById('steps').textContent !== '0');
  await page.getByRole('button', { name: 'Stop' }).press('Enter');
  const stopped = await page.locator('#steps').textContent();
  await page.waitForTimeout(300);
  check('"Stop" ends training at once, as Ctrl-C', await outcome.textContent() === 'Exit status ' +
    '130: stopped, as Ctrl-C stops the console.' && await page.locator('#steps').textContent() === stopped);

  await page.getByRole('button', { name: 'New run' }).press('Enter');
  await run(`${long}.in`, 0);
  check('a new run builds the same network', (await transcript()).equals(readFileSync(`${long}.out`)));
}
check(`nothing failed in the page${faults.map((fault) => `\n  ${fault}`).join('')}`, !faults.length);
console.log(`${passed} passed, ${failed} failed`);
await browser.close();
server.close();
process.exitCode = failed ? 1 : 0;
