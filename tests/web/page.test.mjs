// The page, driven from the keyboard in Chromium. The platform's long run typed into "Answer"
// downloads the standard's transcript byte for byte, also paused, stepped, taken back and
// forth and resumed; at any step it shows the numbers of `neuronet --trace`, and the picture
// neuronet-plot draws of that trace at that step; a copied link opens the same moment. Then
// a table of what a first-time user met, each a check. Screenshots of the page at 375 and
// 1280 px wide, paused and explained, go to SCREENSHOT_DIR.
// Usage: node page.test.mjs SITE_DIR TRANSCRIPTS_DIR SCREENSHOT_DIR NEURONET_PLOT NEURONET
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { answer, checks, chooseNeuron, download, goTo, openPage, outcome, press, settled, typeRun, skipUnlessTranscriptsHold } from './browser.mjs';

const [site, transcripts, shots, plot, neuronet, platform] = process.argv.slice(2);
skipUnlessTranscriptsHold(platform);
const { page, origin, faults, close, fresh } = await openPage(site);
const long = `${transcripts}/platform-long`;
const work = mkdtempSync(`${tmpdir()}/page-`);
execFileSync(neuronet, ['--trace', `${work}/long.jsonl`], { input: readFileSync(`${long}.in`) });
// The trace's steps, every number kept as the text neuronet wrote.
const traced = new Map(readFileSync(`${work}/long.jsonl`, 'latin1').trim().split('\n')
  .map((line) => JSON.parse(line.replace(/(?<=[:,[])(-?\d[^,\]}]*)/g, '"$1"')))
  .filter((line) => line.kind === 'step').map((line) => [Number(line.step), line]));

const { check, done } = checks();
// The numbers shown of the neuron at `layer`, `neuron` (input 0, then the computed layers).
async function numbersOf(on, layer, neuron) {
  await chooseNeuron(on, layer, neuron);
  return on.locator('#neuron-numbers dd').allTextContents();
}

// The long run typed as a person types it, and its files.
await page.goto(origin);
await typeRun(page, `${long}.in`, 0);
const whole = await download(page, 'Download transcript');
check('the long run downloads the whole transcript, and its picture is neuronet-plot\'s at its last step',
  readFileSync(whole.path).equals(readFileSync(`${long}.out`)) &&
  whole.name === 'neuronet-transcript.txt' &&
  readFileSync((await download(page, 'Download picture')).path).equals(execFileSync(plot,
    ['--trace', `${work}/long.jsonl`, '--step', '5203', whole.path])));

// Every number of a step, in full as the trace writes it and with the console's three
// decimals (which the transcript shows for the output layer).
const outputs = readFileSync(`${long}.out`, 'latin1').split('\n').filter((text) => text.includes('Propagate is: '))
  .map((text) => text.slice(text.indexOf('Propagate is: ') + 14).split(' '));
for (const step of [1, 1000, 2718, 5203]) {
  await goTo(page, step);
  const line = traced.get(step);
  const [hidden, output] = [line.layers[1], line.layers[3]];
  const shown = [...await numbersOf(page, 2, 0), ...await numbersOf(page, 4, 1)];
  const expected = ['hidden layer 2, neuron 1', `${hidden.s[0]} (`, `${hidden.y[0]} (`,
    `${hidden.delta[0]} (`, 'output layer, neuron 2', `${output.s[1]} (`, `${output.y[1]} (`, '-0.147 (-0.147)', `${output.delta[1]} (`];
  const weight = await page.locator('#weights button').first().textContent();
  check(`at step ${step} a hidden neuron, an output neuron and a weight show the trace's numbers`,
    expected.every((value, k) => shown[k].startsWith(value)) && shown[6].endsWith(`(${outputs[step][1]})`) &&
    weight.includes(`W = ${output.W[0][1]} (`) && weight.endsWith(`changed by ${output.dW[0][1]}`));
}

// The picture at a step, the explanation, and a link to the moment.
await goTo(page, 2718);
await page.locator('#weights button').nth(2).press('Enter');
await press(page, 'button', 'Explain');
const explained = await page.locator('#explanation').textContent();
check('the picture at step 2,718 is what neuronet-plot draws of the trace at that step',
  readFileSync((await download(page, 'Download picture')).path).equals(execFileSync(plot,
    ['--trace', `${work}/long.jsonl`, '--step', '2718', `${long}.out`])));
await goTo(page, 4500);  // made again from the checkpoint after step 4,096
// The transcript's lines up to step 4,500's error term: its output is the 4,501st output line.
const to4500 = readFileSync(`${long}.out`, 'latin1').split('\n');
let at4500 = 0;
for (let outputs = 0; outputs < 4501; ++at4500) outputs += to4500[at4500].includes('Propagate is: ');
check('at step 4,500, resumed from a checkpoint, the console ends as the transcript and the picture is neuronet-plot\'s',
  `${to4500.slice(0, at4500 + 1).join('\n')}\n`.endsWith(await page.locator('#output-tail').textContent()) &&
  await page.locator('#output-gap').textContent() === `… ${(at4500 + 1 - 240).toLocaleString('en')} lines left out: "Download transcript" has them all …` &&
  readFileSync((await download(page, 'Download picture')).path).equals(execFileSync(plot,
    ['--trace', `${work}/long.jsonl`, '--step', '4500', `${long}.out`])));
await goTo(page, 2718);
const traceLines = readFileSync(`${work}/long.jsonl`, 'latin1').split('\n').slice(0, 2720).join('\n');
check('the trace downloaded at step 2,718 is neuronet --trace\'s, line for line',
  readFileSync((await download(page, 'Download trace')).path, 'latin1') === `${traceLines}\n`);
check('"Explain" writes the step out with its own numbers, its weight change the trace\'s',
  explained.includes(`= ${traced.get(2718).layers[3].dW[2][1]}New weight`) && explained.includes('η = 0.36'));
await press(page, 'button', 'Copy link');
const link = await page.evaluate(() => navigator.clipboard.readText());
const before = await page.locator('.numbers').textContent();
for (const width of [375, 1280]) {
  await page.setViewportSize({ width, height: 900 });
  await page.screenshot({ path: `${shots}/page-${width}.png`, fullPage: true });
}
const opened = await fresh();
await opened.goto(link);
await settled(opened, 'Paused at step 2,718.');
await opened.locator('#explanation:not([hidden])').waitFor();
check('a copied link opens the same step, with the same numbers and explanation',
  link.startsWith(`${origin}/#answers=`) && await opened.locator('.numbers').textContent() === before);

// Paused (before training, so that the pause comes before the run's end), stepped, taken back
// and forth and resumed: the same transcript.
await press(page, 'button', 'New run');
await answer(page, '0.1 0.1 0.1');
await press(page, 'button', 'Pause');
await answer(page, '-0.147 -0.147 -0.147');
await settled(page, 'Paused at step 1.');
await press(page, 'button', 'One step');
await goTo(page, 10);
await goTo(page, 4000);
const partial = await download(page, 'Download transcript');
await press(page, 'button', 'Resume');
await settled(page, 'Exit status 0:');
check('a run paused, stepped, taken back and forth and resumed writes the same transcript',
  partial.name === 'neuronet-transcript-to-step-4000.txt' &&
  readFileSync((await download(page, 'Download transcript')).path).equals(readFileSync(`${long}.out`)));

// What a first-time user met, each with what the page does now.
async function run(on, ...answers) {
  for (const text of answers) await answer(on, text);
}
const firstTime = [
  ['a key typed on after a run ends loses nothing', async (on) => {
    await run(on, 'inf 1 1');
    await settled(on, 'Exit status 2:');
    await on.keyboard.type('0.5 0.5 0.5');
    await on.keyboard.press('Enter');
    await on.keyboard.press(' ');
    await on.waitForTimeout(300);
    return (await outcome(on).textContent()).startsWith('Exit status 2:') &&
      (await on.locator('#diagnostics').textContent()).includes('"inf"');
  }],
  ['an Enter too many after a run out of reach loses nothing', async (on) => {
    await run(on, '1 2 3', '5 5 5');
    await settled(on, 'Exit status 1:');
    await on.keyboard.press('Enter');
    await on.waitForTimeout(300);
    return (await outcome(on).textContent()).startsWith('Exit status 1:');
  }],
  ['the transcript\'s link offers this run\'s file before any click, never a former run\'s', async (on) => {
    await run(on, '1 2 3', '0.5 0.5 0.5');
    await settled(on, 'Exit status 0:');
    await on.getByRole('link', { name: 'Download transcript' }).hover();
    await on.locator('#transcript[href^="blob:"]').waitFor();
    await press(on, 'button', 'New run');
    return !(await on.locator('#transcript').getAttribute('href'));
  }],
  ['a stopped run\'s files, and its picture, say the step it stopped at', async (on) => {
    await run(on, '0.1 0.1 0.1', '-0.3372135954999569 0.1101 0.1101');
    await on.waitForFunction(() => +document.getElementById('step-number').value > 50);
    await press(on, 'button', 'Stop');
    const file = await download(on, 'Download transcript');  // asked for before the step is known
    await settled(on, 'Exit status 130:');
    const step = await on.locator('#step-number').inputValue();
    await on.getByAltText(`neuronet: a 3-1-3-9-3 network at step ${step}`).waitFor();
    return file.name === `neuronet-transcript-to-step-${step}.txt` &&
      readFileSync(file.path, 'latin1').split('Propagate is: ').length - 2 === +step;
  }],
  ['the picture can be read, enlarged at 375 px: its labels at least 11 px', async (on) => {
    await run(on, '1 2 3', '0.5 0.5 0.5');
    await settled(on, 'Exit status 0:');
    const wide = (await on.locator('#picture').boundingBox()).width;
    await on.setViewportSize({ width: 375, height: 800 });
    await press(on, 'button', 'Enlarge the picture');
    const narrow = (await on.locator('#picture').boundingBox()).width;
    return wide * 12 / 960 >= 11 && narrow * 12 / 960 >= 11;
  }],
  ['at 375 px a row of weights stays one line', async (on) => {
    await on.setViewportSize({ width: 375, height: 800 });
    await run(on, '1 2 3');
    return await on.locator('#output').evaluate((pre) => getComputedStyle(pre).whiteSpace) === 'pre';
  }],
  ['a screen reader hears the prompt and what Answer asks; the step and the logs are named', async (on) => {
    await run(on, '1');
    await on.locator('#prompt-said', { hasText: 'Enter vector [1] element:' }).waitFor();
    const asks = await on.getByRole('textbox', { name: 'Answer' }).evaluate((box) =>
      box.getAttribute('aria-describedby').split(' ').map((id) => document.getElementById(id).textContent).join(' '));
    return asks.includes('Enter vector [1] element:') &&
      await on.getByRole('slider', { name: 'Step' }).count() === 1 &&
      !await on.locator('[aria-live]:is(#step-number, #step-slider)').count() &&
      await on.getByRole('log', { name: 'Diagnostics' }).count() === 1 &&
      await on.getByRole('figure', { name: 'Picture' }).count() === 1;
  }],
  ['the outcome says the program waits; Send is off once the run ends', async (on) => {
    await on.waitForFunction(() => !document.getElementById('send').disabled);
    const waiting = await outcome(on).textContent();
    await run(on, '1 2 3', '0.5 0.5 0.5');
    await settled(on, 'Exit status 0:');
    return waiting === 'Waiting for an answer.' && await on.locator('#send').isDisabled();
  }],
  ['the page says where outputs lie, and a word found shows its characters', async (on) => {
    await run(on, '1 2 3');
    await on.locator('#answer-range', { hasText: 'between 0.11 and 1.11' }).waitFor();
    await run(on, '１');
    await on.locator('#diagnostics-note', { hasText: '“１”' }).waitFor();
    return true;
  }],
  ['in dark mode the page is dark', async (on) => {
    await on.emulateMedia({ colorScheme: 'dark' });
    return await on.evaluate(() => getComputedStyle(document.documentElement).backgroundColor) ===
      'rgb(13, 17, 23)';
  }],
];
for (const [what, scenario] of firstTime) {
  const on = await fresh();
  await on.goto(origin);
  check(what, await scenario(on).catch((error) => { console.log(error.message); return false; }));
  await on.close();
}
const plain = await fresh({ javaScriptEnabled: false });
await plain.goto(origin);
check('without JavaScript the page says what it needs',
  (await plain.locator('.notice').textContent()).includes('needs JavaScript'));
const broken = await fresh();
await broken.route('**/neuronet.wasm', (route) => route.fulfill({ status: 200, body: 'not WebAssembly' }));
await broken.goto(origin);
await settled(broken, 'could not run in this browser');
check('a WebAssembly that does not load is told plainly',
  !/Aborted|ASSERTIONS/.test(await outcome(broken).textContent()));
const zoomed = await fresh({ viewport: { width: 640, height: 450 } });
await zoomed.goto(origin);
await zoomed.waitForFunction(() => !document.getElementById('answer').disabled);
check('at 200% zoom the page opens at its top', await zoomed.evaluate(() => scrollY) === 0);

check(`nothing failed in the page${faults.map((fault) => `\n  ${fault}`).join('')}`,
  faults.every((fault) => /neuronet\.wasm|WebAssembly/.test(fault)));
await close();
done();
