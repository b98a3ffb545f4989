// The page's speed and memory on one run typed as a person types it: from loading to the
// first prompt; the training's steps per second from the Enter of the last answer to the run's
// status; the longest time between two paints while it trains; then, on the finished run, the
// time to go to steps typed into the Step field, back and forth, until the step's picture
// shows; the longest gap between paints while the slider is dragged; the checkpoints the
// worker keeps; and the page's memory at the end.
// Usage: node bench/page_speed.mjs SITE_DIR INPUT_FILE [EXIT_STATUS]
import { execSync } from 'node:child_process';
import { openPage, prompted, typeRun } from '../tests/web/browser.mjs';

const [site, input, status = '0'] = process.argv.slice(2);
const { page, origin, close } = await openPage(site);
await page.addInitScript(() => {
  const PageWorker = Worker;
  window.Worker = class extends PageWorker {
    constructor(...options) {
      super(...options);
      window.pageWorker = this;
      this.addEventListener('message', ({ data }) => {
        if (data.type === 'status') window.ended = performance.now();
        if (data.type === 'usage') window.usage = data;
      });
    }
  };
  addEventListener('submit', () => { window.sent = performance.now(); window.longestGap = 0; });
  requestAnimationFrame(function paint(now, last = now) {
    window.longestGap = Math.max(window.longestGap ?? 0, now - last);
    requestAnimationFrame((next) => paint(next, now));
  });
});
// Memory: the page's JavaScript heap, and its renderer's resident memory, worker and
// WebAssembly included (the largest renderer of the browser's, which shows one page).
async function memory(when) {
  const session = await page.context().newCDPSession(page);
  await session.send('Performance.enable');
  await session.send('HeapProfiler.collectGarbage');
  const { metrics } = await session.send('Performance.getMetrics');
  const heap = metrics.find((m) => m.name === 'JSHeapUsedSize').value;
  const renderer = Math.max(...execSync('ps -eo rss,args').toString().split('\n')
    .filter((line) => line.includes('--type=renderer')).map((line) => parseInt(line, 10)));
  console.log(`memory ${when}: the page's JavaScript heap ${(heap / 2 ** 20).toFixed(1)} MiB, its ` +
    `renderer ${(renderer / 1024).toFixed(0)} MiB resident`);
}

await page.goto(origin);
const firstPrompt = await (await prompted(page)).jsonValue();
await typeRun(page, input, status);
const { steps, seconds, gap } = await page.evaluate(() => ({ seconds: (ended - sent) / 1000,
  steps: +document.getElementById('step-number').value, gap: longestGap }));
console.log(`first prompt ${firstPrompt.toFixed(0)} ms after loading began; ${steps} steps in ` +
  `${seconds.toFixed(3)} s, ${Math.round(steps / seconds)} steps/s; longest paint gap ` +
  `${gap.toFixed(0)} ms`);
await page.evaluate(() => window.pageWorker.postMessage({ type: 'usage' }));
const usage = await (await page.waitForFunction(() => window.usage)).jsonValue();
console.log(`checkpoints: ${usage.checkpoints}, ${(usage.bytes / 1024).toFixed(0)} KiB, ` +
  `${(usage.bytes / 1024 / (steps / 1e6)).toFixed(0)} KiB a million steps`);
await memory('once the run has ended');

// Going to steps, from the Enter in the Step field until the step's picture shows.
const field = page.getByRole('spinbutton', { name: 'Step' });
const times = [];
const fractions = [0.5, 0.1, 0.9, 0.25, 1, 0.000001, 0.75, 0.333333, 0.999, 0.6];
for (const fraction of fractions) {
  const step = Math.max(1, Math.round(steps * fraction));
  await field.fill(String(step));
  const start = await page.evaluate(() => performance.now());
  await field.press('Enter');
  await page.waitForFunction((step) => document.getElementById('picture').alt.match(
    new RegExp(`(at step|trained for) ${step}( steps)?$`)) && document.getElementById('moment').textContent
    .includes(step.toLocaleString('en')), step, { timeout: 600_000 });
  times.push([step, await page.evaluate((start) => performance.now() - start, start)]);
}
const slider = page.getByRole('slider', { name: 'Step' });
await page.evaluate(() => { window.longestGap = 0; });
const box = await slider.boundingBox();
await page.mouse.move(box.x + 4, box.y + box.height / 2);
await page.mouse.down();
for (let k = 0; k <= 40; ++k) {
  await page.mouse.move(box.x + 4 + (box.width - 8) * k / 40, box.y + box.height / 2, { steps: 2 });
}
await page.mouse.up();
await page.waitForTimeout(1000);
const scrubGap = await page.evaluate(() => longestGap);
console.log(`going to a step, until its picture shows: ${times.map(([step, t]) =>
  `${step.toLocaleString('en')} in ${t.toFixed(0)}`).join(', ')} ms; the slowest ` +
  `${Math.max(...times.map(([, t]) => t)).toFixed(0)} ms; longest paint gap while the slider is dragged ` +
  `${scrubGap.toFixed(0)} ms`);

await memory('after going to steps and dragging');
await close();
