// The page as a learner and a teacher use it, in Chromium: every neuron and weight explained
// with the trace's own numbers; the step's phases; a slow pace that a pause catches; every
// number named; print, worksheet and projector; and what reaches every user, axe-core's WCAG
// 2.2 AA rules among it, at 375 and 1280 px.
// Usage: node teaching.test.mjs SITE_DIR TRANSCRIPTS_DIR NEURONET PLATFORM_CHECK
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { answer, checks, chooseNeuron as choose, download, openPage, outcome, press, settled, shown,
  skipUnlessTranscriptsHold } from './browser.mjs';

const [site, transcripts, neuronet, platform] = process.argv.slice(2);
skipUnlessTranscriptsHold(platform);
const { origin, faults, close, fresh } = await openPage(site);
const { check, done } = checks();
const long = `${transcripts}/platform-long`;
const work = mkdtempSync(`${tmpdir()}/teaching-`);
execFileSync(neuronet, ['--trace', `${work}/long.jsonl`], { input: readFileSync(`${long}.in`), stdio: ['pipe', 'ignore', 'ignore'] });
// The trace's steps, every number kept as the text neuronet wrote.
const traced = new Map(readFileSync(`${work}/long.jsonl`, 'latin1').trim().split('\n')
  .map((line) => JSON.parse(line.replace(/(?<=[:,[])(-?\d[^,\]}]*)/g, '"$1"')))
  .filter((line) => line.kind === 'step').map((line) => [Number(line.step), line]));
const at101 = `${origin}/#${new URLSearchParams({ answers: readFileSync(`${long}.in`, 'latin1').trimEnd(), step: 101 })}`;
const axe = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'latin1');

const text = (on, selector) => on.locator(selector).textContent();
const pages = (pdf) => pdf.toString('latin1').match(/\/Type\s*\/Page\b/g).length;

const scenarios = [
  ['every neuron explained with the trace\'s numbers: its δ, the layer above\'s, the weights of step 100', async (on) => {
    await on.goto(at101);
    await shown(on, 101);
    const [now, before] = [traced.get(101).layers, traced.get(100).layers];
    await choose(on, 2, 0);
    await press(on, 'button', 'Explain');
    const held = [];
    for (const L of [1, 2, 3]) {
      await choose(on, L, 0);
      const said = await text(on, '#explanation');
      held.push(said.includes(`hidden layer ${L}, neuron 1, and the weight into it`) &&
        said.includes(`= ${now[L - 1].delta[0]}Weight change`) &&
        now[L].delta.every((delta) => said.includes(delta.replace(/^-.*/, '($&)'))) &&
        before[L].W[0].every((W) => said.includes(W.replace(/^-.*/, '($&)'))));
    }
    await choose(on, 4, 1);
    const output = await text(on, '#explanation');
    await choose(on, 0, 2);
    const input = await text(on, '#explanation');
    await choose(on, 1, 0);
    const first = await text(on, '#explanation');
    return held.every(Boolean) && output.includes(`= ${now[3].delta[1]}Weight change`) &&
      input.includes('An input has no weighted sum') && first.includes('of the input') &&
      first.includes('s = Σ X · W = 0.1 · ') && output.includes('docs/arithmetic.md');
  }],
  ['the phases: forward up the layers, backward down them, the update of every weight', async (on) => {
    await on.goto(at101);
    await shown(on, 101);
    const step = traced.get(101).layers;
    const rows = async () => (await on.locator('#phase-numbers dt').allTextContents());
    await press(on, 'button', 'Forward');
    const forward = [await rows(), await text(on, '#phase-numbers')];
    await press(on, 'button', 'Backward');
    const backward = [await rows(), await text(on, '#phase-numbers')];
    await press(on, 'button', 'Update');
    const update = await text(on, '#phase-numbers');
    return forward[0][0] === 'input x' && forward[0].at(-1) === 'output layer: y' &&
      step.every((g) => g.s.every((s) => forward[1].includes(s)) && g.y.every((y) => forward[1].includes(y))) &&
      backward[0][0] === 'output layer: δ' && backward[0].at(-1) === 'hidden layer 1: δ' &&
      step.every((g) => g.delta.every((delta) => backward[1].includes(delta))) &&
      step.every((g) => g.W.every((row, i) => row.every((W, j) => update.includes(`${g.dW[i][j]} → ${W}`)))) &&
      await on.locator('#neurons [data-phase=""]').count() > 0;
  }],
  ['at 10 steps a second a pause holds before step 100; paced, paused and resumed, the transcript is whole', async (on) => {
    await on.goto(origin);
    await on.getByRole('combobox', { name: 'Speed' }).selectOption('10');
    const [input, target] = readFileSync(`${long}.in`, 'latin1').trimEnd().split('\n');
    await answer(on, input);
    await answer(on, target);
    await on.waitForFunction(() => +document.getElementById('step-number').value >= 5);
    await press(on, 'button', 'Pause');
    await outcome(on).filter({ hasText: /^Paused at step \d\d?\.$/ }).waitFor();
    const numbers = await text(on, '#numbers-title');
    await on.getByRole('combobox', { name: 'Speed' }).selectOption('0');
    await press(on, 'button', 'Resume');
    await settled(on, 'Exit status 0:');
    return /^Numbers at step \d\d?$/.test(numbers) &&
      readFileSync((await download(on, 'Download transcript')).path).equals(readFileSync(`${long}.out`));
  }],
  ['every number named: the console\'s lines, E exactly and as printed, its fall, the target, E on the chart', async (on) => {
    await on.goto(at101);
    await shown(on, 101);
    await choose(on, 4, 0);
    const numbers = await text(on, '.numbers');
    const picture = readFileSync((await download(on, 'Download picture')).path, 'latin1');
    const { E } = traced.get(101);
    return (await text(on, '#console-legend')).includes('error terms δ') &&
      numbers.includes(`error E${E} (the report would print 1.8134)`) && numbers.includes('fall since the step before') &&
      numbers.includes('target D-0.147 (-0.147)') &&
      picture.includes(`Circled: step 101, where the program's own E is ${E}, to the last digit.`) &&
      picture.includes('1. The network at step 101');
  }],
  ['printed, the moment is one page; a worksheet is its blanks, its key on a page of its own', async (on) => {
    await on.goto(at101);
    await shown(on, 101);
    await choose(on, 3, 2);
    await press(on, 'button', 'Explain');
    await on.emulateMedia({ media: 'print' });
    const moment = [await on.pdf({ format: 'A4' }), await on.pdf({ format: 'Letter' })];
    await on.emulateMedia({ media: null });
    await on.evaluate(() => { window.print = () => { window.printed = true; }; });
    await press(on, 'button', 'Worksheet');
    await on.locator('#worksheet:not([hidden])').waitFor();
    const sheet = await on.pdf({ format: 'A4' });
    const [questions, key] = [await text(on, '#worksheet-questions'), await text(on, '#worksheet-key')];
    const again = await fresh();
    await again.goto(on.url());
    await again.locator('#worksheet-questions', { hasText: '__________' }).waitFor();
    const reopened = await text(again, '#worksheet-questions');
    await again.close();
    const delta = traced.get(101).layers[2].delta[2];
    return moment.every((pdf) => pages(pdf) === 1) && pages(sheet) === 2 && await on.evaluate(() => window.printed) && !questions.includes(`= ${delta}`) &&
      questions.split('__________').length - 1 === 5 && key.includes(delta) && reopened === questions;
  }],
  ['enlarged for a projector, the picture fills a window 1,280 px wide, its labels 18 px or more', async (on) => {
    await on.goto(at101);
    await shown(on, 101);
    await press(on, 'button', 'Enlarge the picture');
    let svg = '';
    for (let tries = 0; tries < 20 && !/font-size="14/.test(svg); ++tries) {
      await on.waitForTimeout(200);
      svg = readFileSync((await download(on, 'Download picture')).path, 'latin1');
    }
    const sizes = [...svg.matchAll(/font-size="([\d.]+)"/g)].map(([, size]) => Number(size));
    const width = (await on.locator('#picture').boundingBox()).width;
    const least = (Math.min(...sizes) * width) / 960;
    await on.keyboard.press('Escape');
    return width >= 1250 && least >= 18 && !(await on.locator('#figure.enlarged').count());
  }],
  ['the picture is one tab stop, arrow keys move between neurons and layers; Explain shows and hides', async (on) => {
    await on.goto(at101);
    await shown(on, 101);
    await on.getByRole('listbox').focus();
    const chosen = () => on.getByRole('listbox').getAttribute('aria-activedescendant');
    const start = await chosen();
    await on.keyboard.press('ArrowRight');
    await on.keyboard.press('ArrowRight');
    await on.keyboard.press('ArrowDown');
    const moved = await chosen();
    await on.keyboard.press('Tab');
    const left = await on.evaluate(() => document.activeElement.closest('#neurons') === null);
    const explain = on.getByRole('button', { name: 'Explain' });
    await explain.press('Enter');
    const open = [await explain.getAttribute('aria-expanded'), await on.locator('#explanation').isVisible()];
    await explain.press('Enter');
    const closed = [await explain.getAttribute('aria-expanded'), await on.locator('#explanation').isVisible()];
    return start === 'neuron-0-0' && moved === 'neuron-2-1' && left && open.join() === 'true,true' &&
      closed.join() === 'false,false' && await on.locator('#neurons [tabindex]').count() === 0;
  }],
];
for (const [what, scenario] of scenarios) {
  const on = await fresh();
  check(what, await scenario(on).catch((error) => { console.log(error.message); return false; }));
  await on.close();
}

// At both widths, explained: no number broken inside itself, and no violation axe-core finds.
for (const width of [375, 1280]) {
  const on = await fresh({ viewport: { width, height: 900 }, bypassCSP: true });
  await on.goto(at101);
  await shown(on, 101);
  await choose(on, 3, 4);
  await press(on, 'button', 'Explain');
  const broken = await on.locator('#explanation .n').evaluateAll((spans) =>
    spans.filter((span) => span.getClientRects().length > 1).length);
  await on.addScriptTag({ content: axe });
  const violations = await on.evaluate(async () => (await axe.run(document, {
    runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'] } })).violations
    .map((v) => `${v.id}: ${v.nodes.map((node) => node.target.join(' ')).join(', ')}`));
  violations.forEach((violation) => console.log(`  ${violation}`));
  check(`at ${width} px no number breaks inside itself, and axe-core finds no WCAG 2.2 AA violation`,
    broken === 0 && violations.length === 0);
  await on.close();
}
check(`nothing failed in the page${faults.map((fault) => `\n  ${fault}`).join('')}`, faults.length === 0);
await close();
done();
