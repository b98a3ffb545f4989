// The transcript and the trace, made on demand by replaying the run: what each holds
// depends on the moment on screen only. A file is made when a person shows they may want it
// (pointing at its link, focusing it, opening its menu), so a link never offers another
// moment's file, or one not made yet.
const element = (id) => document.getElementById(id);
const wholeTrace = 20000;  // a trace of more steps is thinned

// The transcript: the whole run once it has ended by itself; to the step it was stopped at,
// or a live run is held at or has come to; so far, before training.
function transcriptOf(state) {
  const { ending } = state;
  if (ending && !ending.stopped) return { step: 0, name: 'neuronet-transcript.txt' };
  const step = ending?.stopped ? ending.step : state.step;
  return { step, name: step ? `neuronet-transcript-to-step-${step}.txt` : 'neuronet-transcript-so-far.txt' };
}

// The trace: every step up to the one on screen, and that one; of more than 20,000, the first
// 1,000, every n-th and that one. To the run's end, its end too.
function traceOf(state) {
  const { ending, step } = state;
  const whole = ending && !ending.stopped && step === ending.step;
  const steps = step <= wholeTrace ? 'every:1' : `1-1000,every:${Math.ceil(step / (wholeTrace - 1000))},${step}`;
  const name = whole ? 'neuronet-trace.jsonl' : step ? `neuronet-trace-to-step-${step}.jsonl`
    : 'neuronet-trace-so-far.jsonl';
  return { step: whole ? 0 : step, name, trace: steps };
}

const prepared = { transcript: null, trace: null };  // { key, name, id, url, clicked }
let preparing = 0;
let asked = null;  // the worker that makes the files

// A run stopped while it trains stops at a step the worker has not yet said: until it does,
// a file asked for waits, so that it is never the file of a step the run went past.
const stopUnknown = (state) => state.ending?.stopped && !state.ending.step;

// The file of the moment on screen, asked of the worker unless it is made already.
function prepare(kind, state) {
  if (stopUnknown(state)) {
    if (prepared[kind]?.key !== null) forget(kind);
    prepared[kind] ??= { key: null, answers: state.answers, clicked: false };
    return;
  }
  const wanted = kind === 'trace' ? traceOf(state) : transcriptOf(state);
  const key = JSON.stringify([state.answers, state.stopAt, wanted]);
  if (prepared[kind]?.key === key) return;
  const clicked = prepared[kind]?.key === null && prepared[kind].clicked;
  forget(kind);
  prepared[kind] = { key, name: wanted.name, id: ++preparing, clicked };
  asked.postMessage({ type: 'prepare', step: wanted.step, trace: wanted.trace ?? null, id: preparing });
}

function forget(kind) {
  if (prepared[kind]?.url) URL.revokeObjectURL(prepared[kind].url);
  prepared[kind] = null;
  element(kind).removeAttribute('href');
}

// A file the worker has made.
export function downloadPrepared({ id, blob }) {
  for (const kind of ['transcript', 'trace']) {
    const entry = prepared[kind];
    if (entry?.id !== id) continue;
    entry.url = URL.createObjectURL(blob);
    Object.assign(element(kind), { href: entry.url, download: entry.name });
    if (entry.clicked) element(kind).click();
  }
}

// A moment of another run, or another moment, offers no file of the one before; a run that
// trains offers the file of the step it had come to when the file was asked for.
export function renderDownloads(state) {
  if (state.phase === 'training' && !state.ending) return;
  for (const kind of ['transcript', 'trace']) {
    const waiting = prepared[kind]?.key === null && !stopUnknown(state);
    if (waiting && prepared[kind].answers === state.answers) prepare(kind, state);
    else if (waiting) forget(kind);
    if (stopUnknown(state)) continue;
    const wanted = kind === 'trace' ? traceOf(state) : transcriptOf(state);
    if (prepared[kind] && prepared[kind].key !== JSON.stringify([state.answers, state.stopAt, wanted])) {
      forget(kind);
    }
  }
}

export function offerDownload(kind, state, worker) {
  asked = worker;
  const link = element(kind);
  for (const event of ['pointerenter', 'pointerdown', 'focus', 'contextmenu']) {
    link.addEventListener(event, () => prepare(kind, state));
  }
  link.addEventListener('click', (event) => {
    prepare(kind, state);
    if (!link.hasAttribute('href')) {
      event.preventDefault();
      prepared[kind].clicked = true;  // it downloads once made
    }
  });
  link.addEventListener('keydown', (event) => event.key === 'Enter' && !link.hasAttribute('href') &&
    link.dispatchEvent(new MouseEvent('click', { cancelable: true })));
}
