// The page as a person meets it: served from the site folder as static files on a local
// port, opened in Debian's Chromium by Playwright, answered from the keyboard. Every fault
// of the page is noted: an error, a dialog, a request that leaves it.
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
const types = { html: 'text/html', js: 'text/javascript', css: 'text/css', svg: 'image/svg+xml',
  wasm: 'application/wasm', md: 'text/markdown; charset=utf-8' };

export async function openPage(site) {
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, 'http://page').pathname.replace(/\/$/, '/index.html');
    const body = await readFile(join(site, path)).catch(() => null);
    response.writeHead(body ? 200 : 404, { 'Content-Type': types[path.split('.').pop()] ?? 'text/plain' });
    response.end(body);
  }).listen(0, '127.0.0.1');
  await once(server, 'listening');
  const origin = `http://127.0.0.1:${server.address().port}`;
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: [
    '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'] });
  const faults = [];
  // A page of a context of its own, every fault of which is noted.
  const fresh = async (options = {}) => {
    const context = await browser.newContext({ viewport: { width: 1280, height: 900 },
      permissions: ['clipboard-read', 'clipboard-write'], ...options });
    const page = await context.newPage();
    page.on('console', (message) => message.type() === 'error' && faults.push(message.text()));
    page.on('pageerror', (error) => faults.push(error.message));
    page.on('dialog', (dialog) => faults.push(`a dialog: ${dialog.message()}`));
    page.on('request', (request) => /^(blob:|data:)/.test(request.url()) ||
      request.url().startsWith(origin) || faults.push(`a request to ${request.url()}`));
    return page;
  };
  const page = await fresh();
  const close = async () => { await browser.close(); server.close(); };
  return { page, origin, faults, close, fresh };
}

// When the page last showed a prompt, in the page's own clock.
export const prompted = (page) =>
  page.waitForFunction(() => output.textContent.endsWith(': ') && performance.now());

// Types the answer into "Answer" `pause` ms after its prompt shows, and presses Enter.
export async function answer(page, text, pause = 0) {
  await prompted(page);
  await page.waitForTimeout(pause);
  await page.getByRole('textbox', { name: 'Answer' }).pressSequentially(text);
  await page.keyboard.press('Enter');
}

// Answers with each line of the input file a second after its prompt, as a person would,
// and waits for the outcome with the status.
export async function typeRun(page, file, status) {
  for (const line of readFileSync(file, 'latin1').trimEnd().split('\n')) {
    await answer(page, line, 1000);
  }
  await page.getByRole('status', { name: 'Outcome' }).filter({ hasText: `Exit status ${status}:` })
    .waitFor({ timeout: 600_000 });
}

// The checks of a test script, counted; the script fails if one did.
export function checks() {
  const counts = { passed: 0, failed: 0 };
  const check = (what, ok) => {
    console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
    ok ? ++counts.passed : ++counts.failed;
  };
  const done = () => {
    console.log(`${counts.passed} passed, ${counts.failed} failed`);
    process.exitCode = counts.failed ? 1 : 0;
  };
  return { check, done };
}

export const outcome = (on) => on.getByRole('status', { name: 'Outcome' });
export const press = (on, role, name) => on.getByRole(role, { name, exact: true }).press('Enter');
export const settled = (on, text) => outcome(on).filter({ hasText: text }).waitFor({ timeout: 120_000 });
// The step on screen, as the page says it: of a run still live, or of one finished.
export const shown = (on, step) => on.locator('#outcome, #moment').filter({ hasText: new RegExp(
  `^(Paused at step|Showing step|Showing the run's end, step) ${step.toLocaleString('en')}\\b`) })
  .first().waitFor({ timeout: 120_000 });
export async function download(on, name) {
  const [file] = await Promise.all([on.waitForEvent('download'), press(on, 'link', name)]);
  return { path: await file.path(), name: file.suggestedFilename() };
}
// Types the step into the Step field and presses Enter.
export async function goTo(on, step) {
  await on.getByRole('spinbutton', { name: 'Step' }).fill(String(step));
  await on.getByRole('spinbutton', { name: 'Step' }).press('Enter');
  await shown(on, step);
}

// The page computes the GNU C library's rand and its fused exp wherever it runs; a test that
// holds it to this machine's neuronet is skipped, saying why, where the two differ (status 77,
// which CTest counts as skipped).
export function skipUnlessTranscriptsHold(platformCheck) {
  const why = execFileSync(platformCheck, { encoding: 'latin1' });
  if (!why) return;
  console.log(`skipped: ${why}`);
  process.exit(77);
}

// Chooses a neuron as a pointer does, on the picture.
export async function chooseNeuron(on, layer, neuron) {
  const mark = on.locator(`#neuron-${layer}-${neuron}`);
  await mark.scrollIntoViewIfNeeded();
  const box = await mark.boundingBox();
  await on.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
}
