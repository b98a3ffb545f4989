// The page around the program: its events go to the state (state.js), the state's messages to
// the worker, which runs the program, and the worker's back to the state; the screen and the
// address are drawn from the state. Text from the program or the person is only ever set as
// text, never parsed as markup.
import { fragmentOf, readFragment, seedOf } from './address.js';
import { renderConsole } from './console.js';
import { downloadPrepared, offerDownload, renderDownloads } from './downloads.js';
import { renderNumbers } from './numbers.js';
import { renderPicture, setUpNeurons } from './picture.js';
import { apply, grouped, initialState } from './state.js';

const element = (id) => document.getElementById(id);
const state = initialState();
const worker = new Worker('worker.js');
let focusAnswer = true;  // once the program asks: after loading, or New run

// An event of the person's is drawn at once; the worker's, at the next frame (render).
function dispatch(event, now = false) {
  for (const message of apply(state, event)) worker.postMessage(message);
  if (now) draw();
  else render();
}
const act = (event) => dispatch(event, true);

// The worker's messages, as events; those of an instance the page has left are passed over.
const events = { status: 'ended' };
worker.onmessage = ({ data }) => {
  if (data.type === 'prepared') return downloadPrepared(data);
  if (data.instance < state.instance) return undefined;
  return dispatch({ ...data, type: events[data.type] ?? data.type });
};
worker.onerror = (event) => {
  event.preventDefault();
  dispatch({ type: 'failed', message: event.message });
};

// The screen is drawn at an animation frame, once for all the events come by then: while
// training on, five times a second at most, so that the page's thread is free to paint.
let drawing = false;
let drawDue = 0;
function render() {
  if (drawing) return;
  drawing = true;
  const wait = state.phase === 'training' && !state.goingTo ? drawDue - performance.now() : 0;
  setTimeout(() => requestAnimationFrame(() => {
    drawing = false;
    drawDue = performance.now() + 200;
    draw();
  }), Math.max(0, wait));
}

const choose = (layer, neuron, from = 0) => act({ type: 'select', layer, neuron, from });
setUpNeurons(choose, () => state);

function draw() {
  renderConsole(state);
  renderPicture(state);
  renderNumbers(state, choose);
  renderControls();
  renderDownloads(state);
  writeAddress();
  moveFocus();
}

// The last `count` lines of the text.
function lastLines(text, count) {
  return text.split('\n').slice(-count - 1).join('\n');
}

const lastStep = () => (state.ending ? state.ending.step : Infinity);

function outcome() {
  const { phase, ending, seam } = state;
  if (phase === 'failed') return `The program could not run in this browser: ${state.failure}`;
  if (ending?.stopped && seam) return `Exit status ${seam.stopped.status}: ${seam.stopped.words}.`;
  if (ending) return `Exit status ${ending.status}: ${ending.words}.`;
  if (phase === 'loading') return 'Loading the program…';
  if (phase === 'asking') return state.pauseFirst ? 'Training will pause at its first step.' : 'Waiting for an answer.';
  if (phase === 'held') return `Paused at step ${grouped(state.step)}.`;
  return state.goingTo ? `Going to step ${grouped(state.goingTo)}.` : 'Training.';
}

// Where the view of a finished run is: its outcome stays the run's.
function moment() {
  const { phase, ending } = state;
  if (!ending || !ending.step || phase === 'failed') return '';
  const last = grouped(ending.step);
  if (phase === 'held') return `Showing step ${grouped(state.step)} of ${last}.`;
  if (phase === 'training') {
    return state.goingTo ? `Going to step ${grouped(state.goingTo)} of ${last}.` : `Going on to step ${last}.`;
  }
  return `Showing the run's end, step ${last}.`;
}

function setText(id, text) {
  if (element(id).textContent !== text) element(id).textContent = text;
}

// Every control as the phase allows it.
function renderControls() {
  const { phase, ending } = state;
  const asking = phase === 'asking';
  element('answer').disabled = !asking;
  element('send').disabled = !asking;
  element('pause').disabled = !(phase === 'training' || (asking && state.answers.length && !state.pauseFirst));
  element('pause').hidden = phase === 'held';
  element('resume').hidden = phase !== 'held';
  element('one-step').disabled = phase !== 'held' || state.step >= lastStep();
  element('stop').disabled = Boolean(ending) || !['asking', 'training', 'held'].includes(phase);
  element('copy-link').disabled = !state.answers.length;
  const outputs = state.run?.sizes.at(-1) ?? 0;
  element('explain').disabled = !state.numbers || outputs === 0;
  element('explain').setAttribute('aria-expanded', String(state.explaining));
  element('worksheet-button').disabled = element('explain').disabled;
  element('worksheet-button').setAttribute('aria-pressed', String(state.worksheet));
  for (const view of ['forward', 'backward', 'update']) {
    element(`phase-${view}`).disabled = !state.numbers;
    element(`phase-${view}`).setAttribute('aria-pressed', String(state.view === view));
  }
  element('speed').value = String(state.speed);
  document.body.classList.toggle('printing-worksheet', state.worksheet);
  setText('output-last', lastLines(state.console.tail || state.console.head, 8));
  const stepping = state.furthest > 0 && phase !== 'failed' && phase !== 'loading';
  const shown = String(state.goingTo || state.step);
  const most = String(ending ? Math.max(ending.step, 1) : Math.max(state.furthest, state.step, 1));
  for (const control of [element('step-slider'), element('step-number')]) {
    const editing = control === element('step-number') ? state.stepEditing : dragging;
    if (control.max !== most) control.max = most;
    if (!editing) {
      control.disabled = !stepping;
      if (control.value !== shown) control.value = shown;
    }
  }
  const range = state.run?.texts;
  setText('answer-range', range ? `Every output lies between ${range.lowest[0]} and ${range.highest[0]}: a ` +
    'target beyond cannot be met.' : '');
  if (document.activeElement !== element('seed')) element('seed').value = state.seed ?? '';
  setText('outcome', outcome());
  setText('moment', moment());
  setText('link-note', state.linkNotes.join(' '));
  setText('link-said', state.linkSaid);
}

// The address shows the moment on screen: written as the page holds, ends, asks or is taken
// to a step; a step gone to is a history entry of its own.
function writeAddress() {
  const { phase } = state;
  if (!state.address.push && !state.goingTo && !['asking', 'held', 'ended', 'stopped'].includes(phase)) return;
  const fragment = fragmentOf(state);
  const address = `${location.pathname}${fragment ? `#${fragment}` : ''}`;
  if (state.address.push) {
    history.pushState(null, '', address);
    apply(state, { type: 'addressWritten' });
  } else if (location.hash.replace(/^#/, '') !== fragment) {
    history.replaceState(null, '', address);
  }
}

// A changed address takes the page to its moment: in the same run, the step; else the run.
function followAddress(opening = false) {
  const fragment = location.hash.replace(/^#/, '');
  if (fragment === fragmentOf(state) && !opening) return;
  const asked = readFragment(fragment);
  const same = (lines) => lines.filter((line) => line.length).join('\n');
  if (asked && !opening && state.phase !== 'failed' && same(asked.answers) === same(state.answers) &&
      asked.stopAt === state.stopAt && asked.seed === state.seed) {
    dispatch({ type: 'linkNotes', notes: asked.notes });
    dispatch({ type: 'select', ...asked.selection });
    dispatch({ type: 'explain', shown: asked.explaining });
    dispatch({ type: 'worksheet', shown: asked.worksheet });
    dispatch({ type: 'view', view: asked.view });
    if (asked.speed !== state.speed) dispatch({ type: 'speed', stepsPerSecond: asked.speed });
    if (asked.holdAt) dispatch({ type: 'go', step: asked.holdAt, push: false });
    return;
  }
  focusAnswer = !asked;
  dispatch({ type: 'start', ...(asked ?? {}) });
  if (asked && asked.speed !== state.speed) dispatch({ type: 'speed', stepsPerSecond: asked.speed });
}

// Focus goes to the answer box when the program first asks; away from a control that is
// turned off under it, to the outcome, where a key typed on goes nowhere.
function moveFocus() {
  const focused = document.activeElement;
  if (state.phase === 'asking' && focusAnswer && (focused === document.body || focused === element('new-run'))) {
    focusAnswer = false;
    element('answer').focus({ preventScroll: true });  // at any zoom, the prompt stays in view
  } else if (focused?.disabled || (focused === document.body && ['ended', 'stopped'].includes(state.phase))) {
    element('outcome').focus({ preventScroll: true });
  }
}

element('answer-form').addEventListener('submit', (event) => {
  event.preventDefault();
  if (state.phase !== 'asking') return;
  act({ type: 'answer', text: element('answer').value });
  element('answer').value = '';
});
// A seed set or changed makes the run again from the answers typed so far.
element('seed').addEventListener('change', () => {
  const notes = [];
  const seed = seedOf(new URLSearchParams({ seed: element('seed').value }), notes);
  if (seed !== state.seed) act({ type: 'start', answers: state.answers, seed, notes });
  else act({ type: 'linkNotes', notes });
});
element('pause').addEventListener('click', () => act({ type: 'pause' }));
element('resume').addEventListener('click', () => {
  act({ type: 'resume' });
  element('pause').focus();
});
element('one-step').addEventListener('click', () => act({ type: 'oneStep' }));
element('stop').addEventListener('click', () => act({ type: 'stop' }));
element('new-run').addEventListener('click', () => {
  focusAnswer = true;
  history.pushState(null, '', location.pathname);
  act({ type: 'start' });
});
element('explain').addEventListener('click', () => act({ type: 'explain', shown: !state.explaining }));
// A worksheet is printed once shown.
element('worksheet-button').addEventListener('click', () => {
  act({ type: 'worksheet', shown: !state.worksheet });
  if (state.worksheet && state.numbers?.explained) print();
});
for (const view of ['forward', 'backward', 'update']) {
  element(`phase-${view}`).addEventListener('click', () => act({ type: 'view', view: state.view === view ? '' : view }));
}
element('speed').addEventListener('change', () => act({ type: 'speed', stepsPerSecond: Number(element('speed').value) }));
// For a projector: 14 units, 18 CSS pixels where the picture fills a window 1,280 pixels wide.
const enlarge = (enlarged) => act({ type: 'enlarge', enlarged, leastTextSize: 14 });
element('enlarge').addEventListener('click', () => enlarge(!state.enlarged));
addEventListener('keydown', (event) => event.key === 'Escape' && state.enlarged && enlarge(false));
element('copy-link').addEventListener('click', async () => {
  writeAddress();
  const said = await navigator.clipboard?.writeText(location.href).then(() => 'Copied.', () => null);
  act({ type: 'linkCopied', said: said ?? `The link: ${location.href}` });
});

// The Step field acts on Enter, or when it is left, not on every key typed; the slider as it
// is dragged, the first move of a drag a history entry of its own.
const field = element('step-number');
function typedStep() {
  if (!state.stepEditing) return;
  const value = Number(field.value);
  act({ type: 'editStep', editing: false });
  if (field.value.trim() !== '' && Number.isFinite(value)) act({ type: 'go', step: Math.max(1, value) });
}
field.addEventListener('input', () => state.stepEditing || dispatch({ type: 'editStep', editing: true }));
// Entered, the field's step is selected, so that a step typed takes its place; a click that
// entered it does not put the caret back.
let entering = false;
field.addEventListener('pointerdown', () => { entering = document.activeElement !== field; });
field.addEventListener('focus', () => field.select());
field.addEventListener('mouseup', (event) => {
  if (entering) event.preventDefault();
  entering = false;
});
field.addEventListener('change', typedStep);
field.addEventListener('blur', typedStep);
field.addEventListener('keydown', (event) => {
  if (event.key === 'Enter') typedStep();
  if (event.key === 'Escape') dispatch({ type: 'editStep', editing: false });
});
let dragging = false;
element('step-slider').addEventListener('input', (event) => {
  act({ type: 'go', step: +event.target.value, push: !dragging });
  dragging = true;
});
element('step-slider').addEventListener('change', () => {
  dragging = false;
  render();
});

offerDownload('transcript', state, worker);
offerDownload('trace', state, worker);
addEventListener('hashchange', () => followAddress());
addEventListener('popstate', () => followAddress());
followAddress(true);
