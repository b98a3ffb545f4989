// The page served as static files, in Debian's Chromium, driven by Playwright from the
// keyboard: the platform's long run typed into "Answer" downloads the standard's transcript
// byte for byte, and the picture neuronet-plot draws of it, and so does a new run; markup in
// an unreadable word stays text; the picture shows the network once it is built and the
// training under way; "Stop" ends training at once. Prints its speed figures; with
// INPUT_FILE, makes only that run.
// Usage: node page.test.mjs SITE_DIR TRANSCRIPTS_DIR SCREENSHOT_DIR NEURONET_PLOT [INPUT_FILE]
import { execFileSync } from 'node:child_process';
import { once } from 'node:events';
import { readFileSync } from 'node:fs';
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { join } from 'node:path';
const { chromium } = await import('playwright-core').catch(() => {
  console.log('playwright-core is missing: run npm ci --prefix tests/web');
  process.exit(1);
});

const [site, transcripts, shots, plot, measured] = process.argv.slice(2);
const types = { html: 'text/html', js: 'text/javascript', css: 'text/css', svg: 'image/svg+xml', wasm: 'application/wasm' };
const server = createServer(async (request, response) => {
  const path = join(site, new URL(request.url, 'http://page').pathname.replace(/\/$/, '/index.html'));
  const body = await readFile(path).catch(() => null);
  response.writeHead(body ? 200 : 404, { 'Content-Type': types[path.split('.').pop()] });
  response.end(body);
}).listen(0, '127.0.0.1');
await once(server, 'listening');
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--disable-gpu', '--disable-quic',
  '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'] });
const page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
const faults = [];
page.on('console', (message) => message.type() === 'error' && faults.push(message.text()));
page.on('pageerror', (error) => faults.push(error.message));
page.on('dialog', (dialog) => faults.push(`a dialog: ${dialog.message()}`));
page.on('request', (request) => /^(blob:|data:)/.test(request.url()) ||
  request.url().startsWith(origin) || faults.push(`a request to ${request.url()}`));
// Measured in the page: when the last answer went and the run's end came, and the longest
// time between two paints since that answer.
await page.addInitScript(() => {
  const PageWorker = Worker;
  window.Worker = class extends PageWorker {
    constructor(...options) {
      super(...options);
      this.addEventListener('message', ({ data }) => 'status' in data && (window.ended = performance.now()));
    }
  };
  addEventListener('submit', () => { window.sent = performance.now(); window.longestGap = 0; });
  requestAnimationFrame(function paint(now, last = now) {
    window.longestGap = Math.max(window.longestGap, now - last);
    requestAnimationFrame((next) => paint(next, now));
  });
});
const outcome = page.getByRole('status', { name: 'Outcome' });
const prompted = () => page.waitForFunction(() => output.textContent.endsWith(': ') && performance.now());
async function answer(text, pause = 0) {
  await prompted();
  await page.waitForTimeout(pause);
  await page.getByRole('textbox', { name: 'Answer' }).pressSequentially(text);
  await page.keyboard.press('Enter');
}
const press = (role, name) => page.getByRole(role, { name }).press('Enter');

let passed = 0, failed = 0;
function check(what, ok) {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  ok ? ++passed : ++failed;
}

// Answers with each line of the input file a second after its prompt, as a person would.
async function run(name, status) {
  for (const line of readFileSync(name, 'latin1').trimEnd().split('\n')) await answer(line, 1000);
  await outcome.filter({ hasText: `Exit status ${status}:` }).waitFor({ timeout: 600_000 });
  const { steps, seconds, gap } = await page.evaluate(() => ({ seconds: (ended - sent) / 1000,
    steps: +document.getElementById('steps').textContent.replaceAll(',', ''), gap: longestGap }));
  console.log(`${name}: ${steps} steps in ${seconds.toFixed(3)} s, ${Math.round(steps / seconds)} ` +
    `steps/s; longest paint gap ${gap.toFixed(0)} ms`);
}
async function download(name) {
  const [file] = await Promise.all([page.waitForEvent('download'), press('link', name)]);
  return file.path();
}
const transcript = async () => readFileSync(await download('Download transcript'));
const picture = page.getByRole('img');

await page.goto(origin);
console.log(`first prompt ${(await (await prompted()).jsonValue()).toFixed(0)} ms after loading began`);
const long = `${transcripts}/platform-long`;
await run(measured ?? `${long}.in`, 0);
if (!measured) {
  const transcribed = await download('Download transcript');
  check('the long run downloads the transcript, its 5,203 steps counted', readFileSync(transcribed)
    .equals(readFileSync(`${long}.out`)) && await page.locator('#steps').textContent() === '5,203');
  await page.getByAltText('neuronet: a 3-1-3-9-3 network trained for 5203 steps').waitFor();
  check('its picture is what neuronet-plot draws of it', readFileSync(await download('Download picture'))
    .equals(execFileSync(plot, [transcribed])));
  for (const width of [375, 1280]) {
    await page.setViewportSize({ width, height: 900 });
    await page.screenshot({ path: `${shots}/page-${width}.png`, fullPage: true });
  }
  const word = '<img/src=x/onerror=alert(1)>';
  await press('button', 'New run');
  await answer(word);
  await outcome.filter({ hasText: 'Exit status 2:' }).waitFor();
  check('the unreadable word shows as typed, as no element', await page.getByRole('region',
    { name: 'Diagnostics' }).locator('pre').textContent() === 'neuronet: cannot read element ' +
    `[0] of the input vector: found "${word}", not a number\n` && await page.locator('img').count() === 1);

  await press('button', 'New run');
  await answer('0.1 0.1 0.1');
  await page.getByAltText('neuronet: a 3-1-3-9-3 network 0 steps into training').waitFor();
  await answer('-0.3372135954999569 0.1101 0.1101');
  await page.getByAltText(/network [1-9]\d* steps? into training$/).waitFor();
  await press('button', 'Stop');
  const stopped = await page.locator('#steps').textContent();
  await page.waitForTimeout(300);
  check('"Stop" ends training at once, as Ctrl-C', await outcome.textContent() === 'Exit status ' +
    '130: stopped, as Ctrl-C stops the console.' && await page.locator('#steps').textContent() === stopped);
  check('the picture shows the network once built, and training with its target under way',
    !readFileSync(await download('Download picture'), 'latin1').includes('target is not known'));

  await press('button', 'New run');
  await run(`${long}.in`, 0);
  check('a new run builds the same network', (await transcript()).equals(readFileSync(`${long}.out`)));
}
check(`nothing failed in the page${faults.map((fault) => `\n  ${fault}`).join('')}`, !faults.length);
console.log(`${passed} passed, ${failed} failed`);
await browser.close();
server.close();
process.exitCode = failed ? 1 : 0;
