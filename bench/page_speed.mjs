// The page's speed on one run typed as a person types it: from loading to the first prompt,
// the training's steps per second from the Enter of the last answer to the run's status, and
// the longest time between two paints in between.
// Usage: node bench/page_speed.mjs SITE_DIR INPUT_FILE [EXIT_STATUS]
import { openPage, prompted, typeRun } from '../tests/web/browser.mjs';

const [site, input, status = '0'] = process.argv.slice(2);
const { page, origin, close } = await openPage(site);
await page.addInitScript(() => {
  const PageWorker = Worker;
  window.Worker = class extends PageWorker {
    constructor(...options) {
      super(...options);
      this.addEventListener('message', ({ data }) => 'status' in data &&
        (window.ended = performance.now()));
    }
  };
  addEventListener('submit', () => { window.sent = performance.now(); window.longestGap = 0; });
  requestAnimationFrame(function paint(now, last = now) {
    window.longestGap = Math.max(window.longestGap, now - last);
    requestAnimationFrame((next) => paint(next, now));
  });
});
await page.goto(origin);
const firstPrompt = await (await prompted(page)).jsonValue();
await typeRun(page, input, status);
const { steps, seconds, gap } = await page.evaluate(() => ({ seconds: (ended - sent) / 1000,
  steps: +document.getElementById('steps').textContent.replaceAll(',', ''), gap: longestGap }));
console.log(`first prompt ${firstPrompt.toFixed(0)} ms after loading began; ${steps} steps in ` +
  `${seconds.toFixed(3)} s, ${Math.round(steps / seconds)} steps/s; longest paint gap ` +
  `${gap.toFixed(0)} ms`);
await close();
