// The page's state: one object, every field declared here, changed only by `apply`, one
// handler per event, and only where the table of moves allows the event. The screen is drawn
// from it, and the address written from it; nothing is read back from the screen. `apply`
// returns what the worker is to be told.

// What the page is doing: loading the program; asking for an answer; training (or going
// through a finished run); held at a step; at the end of a run that ended by itself, or that
// was stopped; or failed.
export const phases = ['loading', 'asking', 'training', 'held', 'ended', 'stopped', 'failed'];

// The moves: in each phase, the events it takes and the phase each leads to. An event a
// phase does not take is passed over. `start`, the choices of neuron and weight, the console's
// frames and the step field's editing are taken in every phase and keep it.
const moves = {
  loading: { waiting: 'asking', began: 'training', ended: 'ended', failed: 'failed' },
  asking: { waiting: 'asking', answer: 'asking', pause: 'asking', began: 'training',
    held: 'held', stop: 'stopped', ended: 'ended', failed: 'failed' },
  training: { began: 'training', pause: 'training', held: 'held', go: 'training',
    stop: 'stopped', stopped: 'stopped', ended: 'ended', failed: 'failed' },
  held: { held: 'held', resume: 'training', oneStep: 'training', go: 'training', stop: 'stopped',
    stopped: 'stopped', ended: 'ended', failed: 'failed' },
  ended: { go: 'training', failed: 'failed' },
  stopped: { held: 'held', stopped: 'stopped', ended: 'ended', go: 'training', failed: 'failed' },
  failed: {},
};
const everywhere = new Set(['start', 'instance', 'seam', 'frame', 'resumed', 'run',
  'select', 'explain', 'worksheet', 'view', 'speed', 'enlarge', 'editStep', 'linkNotes',
  'addressWritten', 'linkCopied']);

export function initialState() {
  return {
    phase: 'loading',
    seam: null,          // the program's prompts, a stop's status and the console's view
    instance: 0,         // the worker's instance whose messages count
    answers: [],         // the answers typed: the run is made again from them
    seed: null,          // the seed the generator is given first, if any
    stopAt: 0,           // the step the run was stopped at, or 0
    ending: null,        // how the run ended: { status, words, step }, or { step, stopped }
    step: 0,             // the step on screen
    furthest: 0,         // the furthest step of the run known
    hold: null,          // where the run was last asked to hold: 'next', a step, or null
    goingTo: 0,          // the step being gone to, or 0
    queued: 0,           // a step asked for while another is gone to: only the latest waits
    pauseFirst: false,   // a pause asked for before training, which holds its first step
    prompt: '',          // the prompt the program waits at
    console: { head: '', tail: '', lines: 0 },
    errors: '',          // the diagnostics, as standard error has them
    run: null,           // the network's layout, and the constants of training, as texts
    numbers: null,       // every number of the step on screen, as texts (StepTexts)
    selection: { layer: 0, neuron: 0, from: 0 },
    explaining: false,
    worksheet: false,    // the explanation as a worksheet, its results blank, and its key
    view: '',            // the step's phase shown: 'forward', 'backward', 'update', or all
    speed: 0,            // training's steps a second at most; 0: as fast as it can
    enlarged: false,     // the picture fills the window, its text larger, for a projector
    picture: null,       // the latest picture: { svg, title, steps }
    pictureFault: '',
    stepEditing: false,  // a step is being typed into the Step field
    linkNotes: [],       // what a link asked for that the page could not honour
    linkSaid: '',        // what became of a link copied
    failure: '',
    // Where the address stands: `push` when the next moment shown is to be a history entry
    // of its own.
    address: { push: false },
  };
}

const finished = (state) => state.ending !== null;
const lastStep = (state) => (finished(state) ? state.ending.step : Infinity);

// The last `count` lines of the text, with the line still being written.
function lastLines(text, count) {
  let at = text.length;
  for (let k = 0; k <= count && at > 0; ++k) at = text.lastIndexOf('\n', at - 1);
  return at < 0 ? text : text.slice(at + 1);
}

const decoder = new TextDecoder();

// The step on screen changes: its numbers are those of a step held or made last.
function showStep(state, step) {
  state.step = step;
  state.furthest = Math.max(state.furthest, step);
}

// Where a step asked for can lead: within a finished run, from its first to its last step.
function reachable(state, step) {
  return Math.max(1, Math.min(Math.floor(step), lastStep(state)));
}

const handlers = {
  // A run, from its answers and its seed: the first instance of it, held at `holdAt` if
  // asked, ended at `stopAt` if it was stopped there.
  start(state, { answers = [], seed = null, holdAt = 0, stopAt = 0, selection, explaining = false,
    worksheet = false, view = '', notes = [] }) {
    Object.assign(state, initialState(), {
      seam: state.seam, speed: state.speed, enlarged: state.enlarged, worksheet, view,
      answers: [...answers], seed, stopAt, hold: holdAt || null, goingTo: holdAt,
      ending: stopAt ? { step: stopAt, stopped: true } : null,
      selection: selection ?? { layer: 0, neuron: 0, from: 0 }, explaining, linkNotes: notes,
      phase: 'loading',
    });
    return [{ type: 'start', answers: state.answers, seed, holdAt, stopAt }];
  },
  seam(state, { seam, view }) {
    state.seam = { ...seam, view };
  },
  instance(state, { instance, resumed }) {
    state.instance = instance;
    state.console = { head: '', tail: '', lines: 0 };
    state.errors = resumed ? state.errors : '';
  },
  resumed(state, { head, lines }) {
    state.console = { head: decoder.decode(head), tail: '', lines };
  },
  frame(state, { text, errors, steps, picture, title, fault, waits }) {
    const { head, lines, tail, cut } = text;
    const end = decoder.decode(tail);
    state.console = {
      head: state.console.head + decoder.decode(head),
      tail: lastLines(cut ? end.slice(end.indexOf('\n') + 1) : state.console.tail + end,
        state.seam.view.tailLines),
      lines: state.console.lines + lines,
    };
    state.errors += errors;
    if (picture) state.picture = { svg: picture, title, steps };
    state.pictureFault = fault;
    state.prompt = promptIn(state);
    if (waits) return apply(state, { type: 'waiting' });
    if (steps > 0 && (state.phase === 'asking' || state.phase === 'loading' || state.phase === 'training')) {
      showStep(state, steps);
      return apply(state, { type: 'began' });
    }
    return [];
  },
  waiting(state) {
    state.prompt = promptIn(state);
    if (state.goingTo) note(state, `The step ${grouped(state.goingTo)} waits for the answers still missing.`);
    state.goingTo = 0;
  },
  began(state) {
    state.prompt = '';
    state.pauseFirst = false;
  },
  run(state, { layout, texts }) {
    state.run = { ...JSON.parse(layout), texts: JSON.parse(texts) };
    state.selection = chosen(state, state.selection);
  },
  answer(state, { text }) {
    state.answers = [...state.answers, text];
    state.address.push = false;
    return [{ type: 'answer', text }];
  },
  // Before training, a pause holds its first step.
  pause(state) {
    state.hold = 'next';
    state.pauseFirst = state.phase === 'asking';
    return [{ type: 'hold', where: 'next' }];
  },
  resume(state) {
    state.hold = null;
    state.goingTo = 0;
    return [{ type: 'hold', where: 'nowhere' }];
  },
  oneStep(state) {
    if (state.step >= lastStep(state)) return false;
    state.hold = 'next';
    state.goingTo = state.step + 1;
    return [{ type: 'hold', where: 'next' }];
  },
  go(state, { step, push = true }, before) {
    if (finished(state) && !state.ending.step) return false;
    const k = reachable(state, step);
    if (before === 'held' && k === state.step) return false;
    if (state.goingTo && before === 'training' && k !== state.goingTo) {
      state.queued = k;  // gone to once the step now asked for is reached
      return [];
    }
    state.hold = k;
    state.goingTo = k;
    state.address.push = push;
    return [{ type: 'go', step: k }];
  },
  // A stopped run ends where it is held, or where it waits for an answer, or at the next step
  // (its step is not known until then).
  stop(state, event, before) {
    if (finished(state)) return false;
    state.ending = { step: null, stopped: true };
    if (before !== 'training') state.ending.step = state.stopAt = state.step;
    return [{ type: 'stop' }];
  },
  held(state, { step, last, holding, final, texts }) {
    const wanted = final || state.hold === 'next' || state.hold === step;
    if (!wanted && holding) return false;
    showStep(state, step);
    state.numbers = JSON.parse(texts);
    if (final) return apply(state, { type: 'stopped', step });
    if (!holding || last) return false;  // the run goes on to its end: its phase stays
    state.goingTo = 0;
    return goQueued(state);
  },
  stopped(state, { step }) {
    state.ending ??= { stopped: true };
    state.ending.step = state.stopAt = step;
    state.goingTo = 0;
    return goQueued(state);
  },
  // A run that ends by itself before the step it was to be stopped at was not stopped.
  ended(state, { status, words }) {
    if (state.ending?.stopped && state.ending.step > state.step) {
      note(state, `The link's stop at step ${grouped(state.ending.step)} is past the run's end.`);
    }
    if (state.ending?.stopped) [state.ending, state.stopAt] = [null, 0];
    state.ending ??= { status, words, step: state.step };
    if (state.goingTo > state.ending.step) {
      note(state, `The step ${grouped(state.goingTo)} is past the run's end at step ` +
        `${grouped(state.ending.step)}: the run is shown at its end.`);
    }
    state.goingTo = 0;
    state.hold = null;
    return goQueued(state);
  },
  failed(state, { message }) {
    state.failure = String(message).replace(/^Aborted\(|\)?\. Build with .*$/g, '');
  },
  select(state, { layer, neuron, from = 0 }) {
    state.selection = chosen(state, { layer, neuron, from });
  },
  explain(state, { shown }) {
    state.explaining = shown;
    return shown ? explained(state) : [];
  },
  worksheet(state, { shown }) {
    state.worksheet = shown;
    return shown ? explained(state) : [];
  },
  view(state, { view }) {
    state.view = view;
  },
  speed(state, { stepsPerSecond }) {
    state.speed = stepsPerSecond;
    return [{ type: 'pace', stepsPerSecond }];
  },
  // Enlarged for a projector, the picture's text is drawn larger.
  enlarge(state, { enlarged, leastTextSize }) {
    state.enlarged = enlarged;
    return [{ type: 'redraw', leastTextSize: enlarged ? leastTextSize : 0 }];
  },
  editStep(state, { editing }) {
    state.stepEditing = editing;
  },
  linkNotes(state, { notes }) {
    state.linkNotes = notes;
  },
  addressWritten(state) {
    state.address.push = false;
  },
  linkCopied(state, { said }) {
    state.linkSaid = said;
  },
};

// The last step of a run, unless the run was held there, comes without the weights its update
// started from: the run is held there to explain it.
function explained(state) {
  if (state.numbers && !state.numbers.explained && state.phase !== 'training') {
    return apply(state, { type: 'go', step: state.step, push: false });
  }
  return [];
}

// A moment asked for that cannot be shown as it was asked for, said in a line of its own.
function note(state, text) {
  state.linkNotes = [...state.linkNotes, text];
}

// A step asked for while another was gone to.
function goQueued(state) {
  const queued = state.queued;
  state.queued = 0;
  return queued && queued !== state.step ? apply(state, { type: 'go', step: queued }) : [];
}

// The neuron and weight chosen, within the network, and a note of a link's that was not.
function chosen(state, { layer, neuron, from }) {
  const sizes = state.run?.sizes;
  if (!sizes) return { layer, neuron, from };
  const near = (value, count) => Math.max(0, Math.min(value, count - 1));
  const L = near(layer, sizes.length);
  const k = near(neuron, sizes[L]);
  const i = L > 0 ? near(from, sizes[L - 1]) : 0;
  if (L !== layer || k !== neuron || (L > 0 && i !== from && sizes[L - 1] > 0)) {
    note(state, `The network has no neuron ${neuron + 1} in layer ${layer} with a weight from ` +
      `neuron ${from + 1}: the nearest one there is is chosen.`);
  }
  return { layer: L, neuron: k, from: i };
}

// The prompt the program waits at, from the console's last line.
function promptIn(state) {
  const { prompts } = state.seam ?? {};
  const line = (state.console.tail || state.console.head).split('\n').pop();
  if (!prompts || !line.endsWith(prompts.elementEnd)) return '';
  const prompt = line.slice(line.lastIndexOf(prompts.elementStart)).trim();
  return `${line.includes(prompts.target) ? 'The target D: ' : ''}${prompt}`;
}

// Takes an event: the phase moves on as the table says, where the phase takes the event at
// all, and its handler changes the rest of the state, or refuses it (returns false), which
// leaves the phase as it was. Returns the messages for the worker.
export function apply(state, event) {
  const before = state.phase;
  const next = everywhere.has(event.type) ? before : moves[before][event.type];
  if (next === undefined) return [];
  state.phase = next;
  const said = handlers[event.type](state, event, before);
  if (said === false) {
    state.phase = before;
    return [];
  }
  return said ?? [];
}

// 1234567 as "1,234,567".
export const grouped = (count) => String(count).replace(/\B(?=(\d{3})+$)/g, ',');
