// The page, driven from the keyboard in Chromium: the platform's long run typed into
// "Answer" downloads the standard's transcript byte for byte, and the picture neuronet-plot
// draws of it, and so does a new run; markup in an unreadable word stays text; the picture
// shows the network once it is built and the training under way; "Stop" ends training at
// once. Screenshots of the page at 375 and 1280 px wide go to SCREENSHOT_DIR.
// Usage: node page.test.mjs SITE_DIR TRANSCRIPTS_DIR SCREENSHOT_DIR NEURONET_PLOT
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { answer, openPage, typeRun } from './browser.mjs';

const [site, transcripts, shots, plot] = process.argv.slice(2);
const { page, origin, faults, close } = await openPage(site);
const outcome = page.getByRole('status', { name: 'Outcome' });
const press = (role, name) => page.getByRole(role, { name }).press('Enter');

let passed = 0, failed = 0;
function check(what, ok) {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  ok ? ++passed : ++failed;
}

async function download(name) {
  const [file] = await Promise.all([page.waitForEvent('download'), press('link', name)]);
  return file.path();
}
const transcript = async () => readFileSync(await download('Download transcript'));

await page.goto(origin);
const long = `${transcripts}/platform-long`;
await typeRun(page, `${long}.in`, 0);
const transcribed = await download('Download transcript');
check('the long run downloads the transcript, its 5,203 steps counted',
  readFileSync(transcribed).equals(readFileSync(`${long}.out`)) &&
  await page.locator('#steps').textContent() === '5,203');
await page.getByAltText('neuronet: a 3-1-3-9-3 network trained for 5203 steps').waitFor();
check('its picture is what neuronet-plot draws of it',
  readFileSync(await download('Download picture')).equals(execFileSync(plot, [transcribed])));
for (const width of [375, 1280]) {
  await page.setViewportSize({ width, height: 900 });
  await page.screenshot({ path: `${shots}/page-${width}.png`, fullPage: true });
}

const word = '<img/src=x/onerror=alert(1)>';
await press('button', 'New run');
await answer(page, word);
await outcome.filter({ hasText: 'Exit status 2:' }).waitFor();
const diagnostic = 'neuronet: cannot read element [0] of the input vector: ' +
  `found "${word}", not a number\n`;
check('the unreadable word shows as typed, as no element', await page.locator('img').count() === 1 &&
  await page.getByRole('region', { name: 'Diagnostics' }).locator('pre').textContent() === diagnostic);

await press('button', 'New run');
await answer(page, '0.1 0.1 0.1');
await page.getByAltText('neuronet: a 3-1-3-9-3 network 0 steps into training').waitFor();
await answer(page, '-0.3372135954999569 0.1101 0.1101');
await page.getByAltText(/network [1-9]\d* steps? into training$/).waitFor();
await press('button', 'Stop');
const stopped = await page.locator('#steps').textContent();
await page.waitForTimeout(300);
check('"Stop" ends training at once, as Ctrl-C', await page.locator('#steps').textContent() === stopped &&
  await outcome.textContent() === 'Exit status 130: stopped, as Ctrl-C stops the console.');
check('the picture shows the network once built, and training with its target under way',
  !readFileSync(await download('Download picture'), 'latin1').includes('target is not known'));

await press('button', 'New run');
await typeRun(page, `${long}.in`, 0);
check('a new run builds the same network', (await transcript()).equals(readFileSync(`${long}.out`)));
check(`nothing failed in the page${faults.map((fault) => `\n  ${fault}`).join('')}`, !faults.length);
console.log(`${passed} passed, ${failed} failed`);
await close();
process.exitCode = failed ? 1 : 0;
