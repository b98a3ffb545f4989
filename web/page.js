// The page around the program: the console's view, the answer box, the controls that hold,
// step and move the run, its picture, and every number of the step it stands at. The worker
// runs the program; the page keeps the answers typed, not the run's text, for every run is
// exact and is made again from its answers whenever a download or another step asks for it.
// Text from the program or the person is only ever set as text, never parsed as markup.
import { exact, grouped } from './format.js';
import { StepNumbers, both, explanation } from './numbers.js';

const element = (id) => document.getElementById(id);
const tailLines = 200;          // the latest lines of a long run that stay in view
const pictureInterval = 500;    // ms between the pictures shown while training
const wholeTrace = 20000;       // a trace of more steps is thinned
const decoder = new TextDecoder();
const caption = element('picture-caption').textContent;

const run = {
  answers: [],        // the answers typed, as lines: the run is made again from them
  phase: 'loading',   // answering, training, paused, ended, stopped, failed
  generation: 0,      // counts the runs started, so that a download is never a former run's
  step: 0,            // the last step made
  lastStep: 0,        // the furthest step this run has come to, or made in all, once ended
  held: null,         // the numbers of the step the run is held at, or of its last
  line: null,         // the run's first trace line: sizes, η, α, the initial weights
  target: null,
  selection: { layer: 0, neuron: 0, from: 0 },
  holdAt: 0,          // the step a started run is to be held at
};
let head, tail, afterHead;
let shownPicture = null;   // the picture on the page: { url, steps, title }
let nextPicture = null;    // the latest picture come, not shown yet
let pictureDue = 0;
const prepared = { transcript: null, trace: null };  // { generation, step, url, name, id }
let preparing = 0;

let worker = null;
let prompts = null;  // the program's prompts, as its build gives them

// ---- the run ---------------------------------------------------------------------------

function start(answers = [], holdAt = 0) {
  run.answers = [...answers];
  run.generation += 1;
  Object.assign(run, { phase: answers.length ? 'training' : 'loading', step: 0, held: null,
    line: null, target: null, holdAt, lastStep: holdAt > 0 ? Math.max(run.lastStep, holdAt) : 0 });
  if (!answers.length) run.lastStep = 0;
  [head, tail, afterHead] = ['', '', 0];
  outputChanged = true;
  showOutput();
  element('diagnostics').textContent = '';
  element('diagnostics-note').textContent = '';
  forgetDownloads();
  worker.postMessage({ type: 'start', answers: run.answers, holdAt });
  update();
}

const steer = (step) => worker.postMessage({ type: 'steer', step });

// Takes the run to step k: on, from where it stands, or made again from its answers. While
// it goes to one step, a step asked for meanwhile waits, and only the latest: a slider
// dragged asks for many.
function go(k) {
  if (!(k >= 1) || run.phase === 'answering') return;
  if (run.phase === 'training' && run.holdAt > 0) {
    run.waiting = k;
    return;
  }
  k = Math.floor(run.phase === 'ended' ? Math.min(k, run.lastStep) : k);
  const at = run.phase === 'paused' ? run.held.step : run.step;
  if ((run.phase === 'paused' || run.phase === 'training') && k > at) {
    run.holdAt = k;
    if (run.phase === 'paused') run.phase = 'training';
    steer(k);
  } else if (!(run.phase === 'paused' && k === at)) {
    start(run.answers, k);
  }
  update();
}

function answer(text) {
  run.answers.push(text);
  worker.postMessage({ type: 'answer', text });
}

// ---- what the worker says ---------------------------------------------------------------

function message({ data }) {
  switch (data.type) {
    case 'frame': return showFrame(data);
    case 'run': return learnRun(data);
    case 'target': run.target = JSON.parse(data.line); return undefined;
    case 'prompts': prompts = data.prompts; return undefined;
    case 'held': return held(data);
    case 'status': return ended(data.status, data.words);
    case 'prepared': return downloadPrepared(data);
    case 'failed': return failed(data.message);
  }
}

// The run as training begins; the outputs' range, which its target had better keep to.
function learnRun({ line, centres }) {
  run.line = JSON.parse(line);
  placeNeurons(JSON.parse(centres));
  element('answer-range').textContent = `Every output lies between ${exact(run.line.offset)} and ${
    exact(run.line.offset + 1)}: a target beyond cannot be met.`;
}

// A frame's text is taken at once; the page shows it, and every control as it should be, at
// an animation frame, once for all the frames come by then: while training, five times a
// second at most, so that the page's thread is free to paint.
let rendering = false;
let renderDue = 0;
function render() {
  if (rendering) return;
  rendering = true;
  const wait = run.phase === 'training' ? renderDue - performance.now() : 0;
  setTimeout(() => requestAnimationFrame(() => {
    rendering = false;
    renderDue = performance.now() + 200;
    showOutput();
    update();
  }), Math.max(0, wait));
}

function showFrame({ text, errors, steps, picture, title, fault }) {
  addOutput(text);
  render();
  if (errors) addDiagnostic(errors);
  if (steps !== run.step) {
    run.step = steps;
    run.lastStep = Math.max(run.lastStep, steps);
    if (run.phase === 'answering' && steps > 0) run.phase = 'training';
  }
  if (['answering', 'loading', 'training'].includes(run.phase) && run.step === 0) notePrompt();
  if (picture) queuePicture(picture, title, steps);
  const said = fault ? `The picture stopped: ${fault}` : caption;
  if (element('picture-caption').textContent !== said) element('picture-caption').textContent = said;
  render();
}

function held({ step, last, holding, line }) {
  run.step = step;
  run.lastStep = Math.max(run.lastStep, step);
  if (line && run.line) {
    run.held = new StepNumbers(run.line, run.target, line);
    showNumbers();
  }
  if (holding && run.phase !== 'stopped') {
    run.phase = 'paused';
    run.holdAt = 0;
    showPicture();
  } else if (run.phase === 'stopped') {
    showPicture();
  }
  update();
  const waiting = run.waiting;
  run.waiting = 0;
  if (holding && waiting && waiting !== step) go(waiting);
}

function ended(status, words) {
  run.phase = 'ended';
  run.lastStep = Math.max(run.step, 1);
  setOutcome(`Exit status ${status}: ${words}.`);
  element('outcome').focus({ preventScroll: true });  // a key typed on goes nowhere
  update();
}

function failed(reason) {
  run.phase = 'failed';
  const plain = String(reason).replace(/^Aborted\(|\)?\. Build with .*$/g, '');
  setOutcome(`The program could not run in this browser: ${plain}`);
  update();
}

// ---- the console ------------------------------------------------------------------------

// The last `count` lines of the text, with the line still being written.
function lastLines(text, count) {
  let at = text.length;
  for (let k = 0; k <= count && at > 0; ++k) at = text.lastIndexOf('\n', at - 1);
  return at < 0 ? text : text.slice(at + 1);
}

// The run's first lines, whole, and the end of the frame, read from its first whole line
// when the frame was cut (the worker sends only so much of a long frame).
function addOutput({ head: first, lines, tail: end, cut }) {
  outputChanged = true;
  head += decoder.decode(first);
  afterHead += lines;
  const text = decoder.decode(end);
  tail = lastLines(cut ? text.slice(text.indexOf('\n') + 1) : tail + text, tailLines);
}

let outputChanged = true;
function showOutput() {
  if (!outputChanged) return;
  outputChanged = false;
  const view = element('output');
  const atEnd = view.scrollTop + view.clientHeight >= view.scrollHeight - 8;
  const left = afterHead - (tail.match(/\n/g)?.length ?? 0);
  if (element('output-head').textContent !== head) element('output-head').textContent = head;
  element('output-gap').hidden = left === 0;
  element('output-gap').textContent = left === 0 ? ''
    : `… ${grouped(left)} lines left out: "Download transcript" has them all …`;
  element('output-tail').textContent = tail;
  if (atEnd) view.scrollTop = view.scrollHeight;
}

// The prompt the program waits at, said and shown beside the answer box.
function notePrompt() {
  const line = (tail || head).split('\n').pop();
  if (!prompts) return;
  const waiting = line.endsWith(prompts.elementEnd);
  const prompt = waiting ? line.slice(line.lastIndexOf(prompts.elementStart)).trim() : '';
  const target = line.includes(prompts.target) ? 'The target D: ' : '';
  const asked = prompt && `${target}${prompt}`;
  if (element('asked').textContent !== asked) {
    element('asked').textContent = asked;
    element('prompt-said').textContent = asked;
  }
  if (asked) {
    const first = run.phase === 'loading';
    run.phase = 'answering';
    if (first && (run.focusAnswer || document.activeElement === document.body)) {
      run.focusAnswer = false;
      update();
      element('answer').focus({ preventScroll: true });  // at any zoom, the prompt stays in view
    }
  }
}

// A diagnostic as the console writes it, and the characters of a word quoted as bytes.
function addDiagnostic(text) {
  element('diagnostics').append(text);
  const found = /found "((?:[^"\\]|\\.)*)"/.exec(text);
  if (!found || !/\\x[89a-f]/.test(found[1])) return;
  const bytes = [];
  for (let k = 0; k < found[1].length; ++k) {
    const hex = found[1][k] === '\\' && found[1][k + 1] === 'x';
    bytes.push(hex ? parseInt(found[1].substr(k + 2, 2), 16) : found[1].charCodeAt(k + (found[1][k] === '\\')));
    k += hex ? 3 : found[1][k] === '\\' ? 1 : 0;
  }
  element('diagnostics-note').textContent =
    `The word found, as characters: “${decoder.decode(new Uint8Array(bytes))}”.`;
}

// ---- the picture ------------------------------------------------------------------------

// Showing a picture takes the page tens of milliseconds: while training, only the latest
// comes on screen, at most every half second; a held or ended run's at once.
function queuePicture(svg, title, steps) {
  nextPicture = { svg, title, steps };
  const wait = run.phase === 'training' ? pictureDue - performance.now() : 0;
  if (wait <= 0) showPicture();
  else setTimeout(showPicture, wait);
}

async function showPicture() {
  if (!nextPicture) return;
  const { svg, title, steps } = nextPicture;
  nextPicture = null;
  pictureDue = performance.now() + pictureInterval;
  const url = URL.createObjectURL(new Blob([svg], { type: 'image/svg+xml' }));
  const image = new Image();
  image.src = url;
  await image.decode().catch(() => {});
  if (shownPicture) URL.revokeObjectURL(shownPicture.url);
  shownPicture = { url, steps, title };
  const picture = element('picture');
  picture.src = url;
  picture.alt = title;
  picture.hidden = false;
  const link = element('picture-download');
  link.href = url;
  link.download = run.phase === 'ended' ? 'neuronet-run.svg' : `neuronet-run-to-step-${steps}.svg`;
  link.hidden = false;
}

// One focusable mark on every neuron of the picture: its numbers show when it has focus or
// the pointer is on it.
function placeNeurons({ width, height, centres }) {
  const marks = element('neurons');
  marks.replaceChildren();
  centres.forEach((layer, L) => layer.forEach(([x, y], k) => {
    const mark = document.createElement('button');
    mark.type = 'button';
    mark.style.left = `${(100 * x) / width}%`;
    mark.style.top = `${(100 * y) / height}%`;
    mark.dataset.layer = L;
    mark.dataset.neuron = k;
    mark.setAttribute('aria-label', `${layerName(L)}, neuron ${k + 1}`);
    const choose = () => select(L, k);
    mark.addEventListener('focus', choose);
    mark.addEventListener('pointerenter', choose);
    mark.addEventListener('click', choose);
    marks.append(mark);
  }));
}

const layerName = (L) => (L === 0 ? 'input' : L === run.line.sizes.length - 1 ? 'output layer'
  : `hidden layer ${L}`);

// ---- the numbers ------------------------------------------------------------------------

function select(layer, neuron, from = 0) {
  run.selection = { layer, neuron, from };
  showNumbers();
}

function showNumbers() {
  const numbers = run.held;
  const { layer, neuron, from } = run.selection;
  for (const mark of element('neurons').children) {
    mark.setAttribute('aria-pressed', String(+mark.dataset.layer === layer && +mark.dataset.neuron === neuron));
  }
  element('numbers-title').textContent = numbers ? `Numbers at step ${grouped(numbers.step)}` : 'Numbers';
  element('numbers-hint').hidden = Boolean(numbers);
  if (!numbers || layer >= numbers.sizes.length || neuron >= numbers.sizes[layer]) return;
  const list = element('neuron-numbers');
  list.replaceChildren();
  addPair(list, 'Neuron', `${layerName(layer)}, neuron ${neuron + 1}`);
  for (const [name, value] of numbers.neuron(layer, neuron)) addPair(list, name, both(value));
  const weights = element('weights');
  weights.replaceChildren();
  for (let k = 0; layer > 0 && k < numbers.sizes[layer - 1]; ++k) {
    const { W, dW } = numbers.weight(layer, k, neuron);
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = `weight from neuron ${k + 1}: W = ${both(W)}, changed by ${exact(dW)}`;
    button.setAttribute('aria-pressed', String(k === from));
    button.addEventListener('click', () => select(layer, neuron, k));
    item.append(button);
    weights.append(item);
  }
  if (!element('explanation').hidden || run.explaining) explain(run.explaining);
}

function addPair(list, term, value) {
  const dt = document.createElement('dt');
  const dd = document.createElement('dd');
  dt.textContent = term;
  dd.textContent = value;
  list.append(dt, dd);
}

// The chosen output neuron and weight, or the first of them. The last step of a run that
// ended was not held, so the weights its update started from are not known: asked for, the
// run is made again and held there.
function explain(asked) {
  const numbers = run.held;
  if (!numbers) return;
  run.explaining = asked && !numbers.explained;
  if (!numbers.explained) {
    element('explanation').hidden = true;
    return asked ? go(numbers.step) : undefined;
  }
  const output = numbers.sizes.length - 1;
  const { layer, neuron, from } = run.selection;
  const k = layer === output ? neuron : 0;
  const list = element('explanation');
  list.replaceChildren();
  if (numbers.sizes[output] === 0) {
    addPair(list, 'At step', `${numbers.step}: the output layer has no neurons.`);
  } else {
    const source = layer === output ? from : 0;
    for (const [term, text] of explanation(numbers, k, source)) addPair(list, term, text);
  }
  list.hidden = false;
}

// ---- downloads --------------------------------------------------------------------------

// Where the run stands, for a replay to stop at: a held or stopped step, the step training
// has come to, or nothing (the run's end, or where it waits for an answer).
function stopPoint() {
  if (run.phase === 'ended' || run.step === 0) return 0;
  return run.phase === 'paused' ? run.held.step : run.step;
}

function forgetDownloads() {
  for (const kind of ['transcript', 'trace']) {
    if (prepared[kind]?.url) URL.revokeObjectURL(prepared[kind].url);
    prepared[kind] = null;
    element(kind).removeAttribute('href');
  }
}

// A download's file is made when a person shows they may want it (pointing at its link,
// focusing it, opening its menu): so its link never offers another run's file, or a file
// that is not there yet.
function prepare(kind) {
  const step = stopPoint();
  const current = prepared[kind];
  if (current && current.generation === run.generation && current.step === step &&
      current.phase === run.phase) return;
  if (current?.url) URL.revokeObjectURL(current.url);
  element(kind).removeAttribute('href');
  const whole = run.phase === 'ended';
  const extension = kind === 'trace' ? 'jsonl' : 'txt';
  const name = `neuronet-${kind}${whole ? '' : step ? `-to-step-${step}` : '-so-far'}.${extension}`;
  const thin = Math.max(step, run.lastStep) > wholeTrace
    ? `1-1000,every:${Math.ceil(Math.max(step, run.lastStep) / (wholeTrace - 1000))}` : 'every:1';
  prepared[kind] = { generation: run.generation, step, phase: run.phase, name, id: ++preparing };
  worker.postMessage({ type: 'prepare', answers: run.answers, step, id: preparing,
    trace: kind === 'trace' ? thin : null });
}

function downloadPrepared({ id, blob }) {
  for (const kind of ['transcript', 'trace']) {
    const entry = prepared[kind];
    if (entry?.id !== id) continue;
    entry.url = URL.createObjectURL(blob);
    const link = element(kind);
    link.href = entry.url;
    link.download = entry.name;
    if (entry.clicked) link.click();
  }
}

function offerDownload(kind) {
  const link = element(kind);
  for (const event of ['pointerenter', 'pointerdown', 'focus', 'contextmenu']) {
    link.addEventListener(event, () => prepare(kind));
  }
  link.addEventListener('click', (event) => {
    prepare(kind);
    if (!link.hasAttribute('href')) {
      event.preventDefault();
      prepared[kind].clicked = true;  // it downloads once made
    }
  });
  link.addEventListener('keydown', (event) => event.key === 'Enter' && !link.hasAttribute('href') &&
    link.dispatchEvent(new MouseEvent('click', { cancelable: true })));
}

// ---- the controls -----------------------------------------------------------------------

function setOutcome(text) {
  if (element('outcome').textContent !== text) element('outcome').textContent = text;
}

// Every control as the run's phase allows it; the outcome in words.
function update() {
  const { phase } = run;
  const running = phase === 'answering' || phase === 'training' || phase === 'paused';
  const answering = phase === 'answering';
  if (!answering && element('asked').textContent) element('asked').textContent = '';
  element('answer').disabled = !answering;
  element('send').disabled = !answering;
  if (!answering && document.activeElement === element('answer')) element('outcome').focus({ preventScroll: true });
  element('pause').disabled = phase !== 'training' && !(phase === 'answering' && run.answers.length);
  element('pause').hidden = phase === 'paused';
  element('resume').hidden = phase !== 'paused';
  element('one-step').disabled = phase !== 'paused';
  element('stop').disabled = !running;
  element('copy-link').disabled = !run.answers.length;
  element('explain').disabled = !run.held || run.held.sizes.at(-1) === 0;
  const stepping = run.lastStep > 0 && phase !== 'failed' && phase !== 'loading';
  const at = phase === 'paused' ? run.held.step : run.step;
  for (const id of ['step-slider', 'step-number']) {
    const control = element(id);
    control.disabled = !stepping;
    const most = String(Math.max(run.lastStep, at, 1));
    if (control.max !== most) control.max = most;
    if (document.activeElement !== control && String(at) !== control.value) control.value = at;
  }
  if (phase === 'loading') setOutcome('Loading the program…');
  if (phase === 'answering' && !element('outcome').textContent.startsWith('Training will')) {
    setOutcome('Waiting for an answer.');
  }
  if (phase === 'training') setOutcome(run.holdAt > run.step ? `Going to step ${grouped(run.holdAt)}.` : 'Training.');
  if (phase === 'paused') setOutcome(`Paused at step ${grouped(run.held.step)}.`);
}

// "Copy link": the answers, the step and the chosen neuron and weight, in the address's
// fragment, which no browser sends to a server.
async function copyLink() {
  const { layer, neuron, from } = run.selection;
  const fragment = new URLSearchParams({ answers: run.answers.join('\n'), step: stopPoint() || run.lastStep,
    layer, neuron, from, explain: Number(!element('explanation').hidden) });
  const address = `${location.origin}${location.pathname}#${fragment}`;
  history.replaceState(null, '', address);
  const said = await navigator.clipboard?.writeText(address).then(() => 'Copied.', () => null);
  element('link-said').textContent = said ?? `The link: ${address}`;
}

// A link's fragment: the run made again to its step, its neuron and weight chosen.
function openLink() {
  const fragment = new URLSearchParams(location.hash.slice(1));
  if (!fragment.has('answers')) return start();
  const answers = fragment.get('answers').split('\n').filter((line) => line.length);
  run.selection = { layer: +fragment.get('layer') || 0, neuron: +fragment.get('neuron') || 0,
    from: +fragment.get('from') || 0 };
  run.explaining = fragment.get('explain') === '1';
  start(answers, Math.max(0, Math.floor(+fragment.get('step') || 0)));
}

function startWorker() {
  worker = new Worker('worker.js');
  worker.onmessage = message;
  worker.onerror = (event) => { event.preventDefault(); failed(event.message); };
}

element('answer-form').addEventListener('submit', (event) => {
  event.preventDefault();
  if (run.phase !== 'answering') return;
  answer(element('answer').value);
  element('answer').value = '';
  update();
});
// Before training, a pause holds its first step.
element('pause').addEventListener('click', () => {
  steer(-1);
  if (run.phase === 'answering') setOutcome('Training will pause at its first step.');
});
element('resume').addEventListener('click', () => {
  run.phase = 'training';
  run.holdAt = 0;
  steer(0);
  update();
  element('pause').focus();
});
element('one-step').addEventListener('click', () => {
  run.phase = 'training';
  run.holdAt = run.held.step + 1;
  steer(-1);
  update();
});
element('stop').addEventListener('click', () => {
  worker.postMessage({ type: 'stop' });
  run.phase = 'stopped';
  setOutcome('Exit status 130: stopped, as Ctrl-C stops the console.');
  update();
});
element('new-run').addEventListener('click', () => {
  history.replaceState(null, '', location.pathname);
  run.focusAnswer = true;  // once the program asks
  start();
});
element('step-slider').addEventListener('input', (event) => go(+event.target.value));
element('step-number').addEventListener('change', (event) => go(+event.target.value));
element('explain').addEventListener('click', () => explain(true));
element('copy-link').addEventListener('click', copyLink);
element('enlarge').addEventListener('click', () => {
  const enlarged = element('figure').classList.toggle('enlarged');
  element('enlarge').setAttribute('aria-pressed', String(enlarged));
});
offerDownload('transcript');
offerDownload('trace');
startWorker();
openLink();
