// The page's moments, in Chromium: a moment is its address, both ways; a finished run stays
// finished whatever step is looked at; a typed step acts when it is entered; a download
// depends on the moment only. Each check is a scenario of its own, on a page of its own.
// Usage: node moments.test.mjs SITE_DIR TRANSCRIPTS_DIR NEURONET
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { answer, checks, download, goTo, openPage, outcome, press, settled, shown, skipUnlessTranscriptsHold } from './browser.mjs';

const [site, transcripts, neuronet, platform] = process.argv.slice(2);
skipUnlessTranscriptsHold(platform);
const { origin, faults, close, fresh } = await openPage(site);
const { check, done } = checks();
const long = readFileSync(`${transcripts}/platform-long.out`);
const longAnswers = ['0.1 0.1 0.1', '-0.147 -0.147 -0.147'];
const steps20226 = ['0.1 0.1 0.1', '0.5 0.5 -0.3372135954999579'];
const millions = ['0.1 0.1 0.1', '-0.33721359549995694 0.1101 0.1101'];  // 9,368,237 steps
const link = (answers, rest = '') => `${origin}/#${new URLSearchParams({ answers: answers.join('\n') })}${rest}`;
const work = mkdtempSync(`${tmpdir()}/moments-`);
execFileSync(neuronet, ['--trace', `${work}/t.jsonl`], { input: `${steps20226.join('\n')}\n`, stdio: ['pipe', 'ignore', 'ignore'] });
const trace20226 = readFileSync(`${work}/t.jsonl`, 'latin1').split('\n');

execFileSync(neuronet, ['--seed', '7525', '--trace', `${work}/largest.jsonl`],
  { input: readFileSync(`${transcripts}/largest.in`), stdio: ['pipe', 'ignore', 'ignore'] });

const text = (on, id) => on.locator(`#${id}`).textContent();
const disabled = (on, ...names) => Promise.all(names.map((name) =>
  on.getByRole('button', { name, exact: true }).isDisabled()));
const stepLines = (file) => readFileSync(file, 'latin1').split('\n').filter((line) => line.includes('"kind":"step"'));

// A finished run seen at its end: its outcome, its report, One step and Stop off.
async function finishedAtEnd(on) {
  await on.locator('#moment', { hasText: "Showing the run's end, step 5,203." }).waitFor();
  return (await outcome(on).textContent()).startsWith('Exit status 0:') &&
    (await text(on, 'output')).includes('Numer of steps: 5203') &&
    (await disabled(on, 'One step', 'Stop')).every(Boolean);
}

const scenarios = [
  ['a step typed while the run trains acts when entered, where it was typed', async (on) => {
    await on.goto(origin);
    for (const line of millions) await answer(on, line);
    await on.waitForFunction(() => +document.getElementById('step-number').value > 100);
    await on.getByRole('spinbutton', { name: 'Step' }).click();
    await on.getByRole('spinbutton', { name: 'Step' }).pressSequentially('2718', { delay: 150 });
    await on.keyboard.press('Enter');
    await shown(on, 2718);
    return (await outcome(on).textContent()) === 'Paused at step 2,718.' &&
      await on.evaluate(() => document.activeElement.id) === 'step-number';
  }],
  ['a finished run\'s link reopens it finished, and downloads its whole transcript', async (on) => {
    await on.goto(link(longAnswers, '&step=5203'));
    const whole = await finishedAtEnd(on);
    return whole && readFileSync((await download(on, 'Download transcript')).path).equals(long);
  }],
  ['a link past the end says so, and shows the end; its address then shows the end', async (on) => {
    await on.goto(link(longAnswers, '&step=1e9'));
    return await finishedAtEnd(on) && (await text(on, 'link-note')).includes('past the run\'s end') &&
      on.url().endsWith('&step=5203');
  }],
  ['looking back after the end, a step on and a Stop leave the outcome and the download whole', async (on) => {
    await on.goto(link(longAnswers));
    await settled(on, 'Exit status 0:');
    await goTo(on, 2718);
    await press(on, 'button', 'One step');
    await shown(on, 2719);
    await press(on, 'button', 'Stop');
    const file = await download(on, 'Download transcript');
    return (await outcome(on).textContent()).startsWith('Exit status 0:') && (await disabled(on, 'Stop'))[0] &&
      file.name === 'neuronet-transcript.txt' && readFileSync(file.path).equals(long);
  }],
  ['the trace at step 10,113 ends with it, reached by going there or by a link', async (on) => {
    await on.goto(link(steps20226));
    await settled(on, 'Exit status 0:');
    await goTo(on, 10113);
    const gone = await download(on, 'Download trace');
    await on.goto('about:blank');
    await on.goto(link(steps20226, '&step=10113'));
    await shown(on, 10113);
    const linked = await download(on, 'Download trace');
    const expected = `${trace20226.slice(0, 10115).join('\n')}\n`;
    return gone.name === 'neuronet-trace-to-step-10113.jsonl' && stepLines(gone.path).length === 10113 &&
      readFileSync(gone.path, 'latin1') === expected && readFileSync(linked.path, 'latin1') === expected;
  }],
  ['Back and Forward walk the moments; a changed fragment takes the page there', async (on) => {
    await on.goto(link(longAnswers));
    await settled(on, 'Exit status 0:');
    await goTo(on, 50);
    await on.evaluate(() => { location.hash = location.hash.replace(/step=\d+/, 'step=2718'); });
    await shown(on, 2718);
    await on.goBack();
    await shown(on, 50);
    await on.evaluate((answers) => { location.hash = new URLSearchParams({ answers }).toString(); },
      steps20226.join('\n'));
    await on.locator('#moment', { hasText: "Showing the run's end, step 20,226." }).waitFor();
    await on.goBack();
    await shown(on, 50);
    await on.goForward();
    await on.locator('#moment', { hasText: 'step 20,226.' }).waitFor();
    return true;
  }],
  ['a typed step the run has not is taken to the nearest, and the field shows the step on screen', async (on) => {
    await on.goto(link(longAnswers));
    await settled(on, 'Exit status 0:');
    const field = on.getByRole('spinbutton', { name: 'Step' });
    const landed = [];
    for (const [typed, step] of [['-5', 1], ['0', 1], ['2.5', 2], ['99999999', 5203]]) {
      await field.fill(typed);
      await field.press('Enter');
      await shown(on, step);
      landed.push(await field.inputValue() === String(step));
    }
    return landed.every(Boolean);
  }],
  ['a link\'s values that cannot be honoured are said, and the nearest moment shown', async (on) => {
    const said = [];
    for (const [rest, step, words] of [['&step=abc', 5203, '"abc" is not a number'],
      ['&step=-3', 1, '-3 is not one the page has'], ['&step=0', 1, '0 is not one the page has'],
      ['&step=2&layer=9&neuron=40', 2, 'no neuron 41 in layer 9']]) {
      await on.goto('about:blank');
      await on.goto(link(longAnswers, rest));
      await shown(on, step);
      said.push((await text(on, 'link-note')).includes(words));
    }
    return said.every(Boolean);
  }],
  ['a seed given in its field builds the network neuronet --seed builds, in the link too', async (on) => {
    await on.goto(origin);
    await on.getByRole('spinbutton', { name: 'Seed' }).fill('7525');
    await on.getByRole('spinbutton', { name: 'Seed' }).press('Enter');
    for (const line of readFileSync(`${transcripts}/largest.in`, 'latin1').trimEnd().split('\n')) await answer(on, line);
    await settled(on, 'Exit status 0:');
    const transcript = await download(on, 'Download transcript');
    const trace = await download(on, 'Download trace');
    return on.url().includes('seed=7525') &&
      readFileSync(transcript.path).equals(readFileSync(`${transcripts}/largest.out`)) &&
      readFileSync(trace.path).equals(readFileSync(`${work}/largest.jsonl`));
  }],
];
for (const [what, scenario] of scenarios) {
  const on = await fresh();
  check(what, await scenario(on).catch((error) => { console.log(error.message); return false; }));
  await on.close();
}
check(`nothing failed in the page${faults.map((fault) => `\n  ${fault}`).join('')}`, faults.length === 0);
await close();
done();
