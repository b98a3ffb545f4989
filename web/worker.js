// The page's worker: runs the program, compiled from its C++ into neuronet.js. Every run is an
// instance of its own of the compiled module, made from the answers typed; a run is exact, so
// any instance of the same answers is the same run, to any step. The one the page shows trains,
// is held and goes on where the page says; others replay the run for a download.
importScripts('neuronet.js');

const encoder = new TextEncoder();
const compiled = fetch('neuronet.wasm').then((response) => {
  if (!response.ok) throw new Error(`neuronet.wasm could not be loaded (HTTP ${response.status})`);
  return WebAssembly.compileStreaming(response);
});
let seam = null;   // the codes the program and this worker pass each other (PageSeam)
let warmUps = 8;   // dialogues run for the engine's sake while the first answer is awaited
const tick = (ms = 0) => new Promise((resolve) => setTimeout(resolve, ms));
// The console's first lines, which the page keeps in view; and its last, which a run resumed
// from a checkpoint must have written since: two a step.
const view = { headLines: 40, tailLines: 200 };
const tailBytes = 32768;   // as much of a frame's end as can be in view

// A promise that never settles: a run that waits on it is abandoned where it stands.
const never = () => new Promise(() => {});

// What the page is shown of a frame's standard output: the bytes still of the run's first
// lines, how many lines the frame ends, and the frame's end; not the whole of a long run's
// text, which the page never keeps.
function summary(chunks, console) {
  const bytes = new Uint8Array(chunks.reduce((size, chunk) => size + chunk.length, 0));
  chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
  let from = 0;
  while (console.headLeft > 0 && from < bytes.length) {
    const end = bytes.indexOf(10, from) + 1 || bytes.length;
    console.headLeft -= bytes[end - 1] === 10 ? 1 : 0;
    from = end;
  }
  let lines = 0;
  for (const byte of bytes) lines += byte === 10 ? 1 : 0;
  const start = Math.max(from, bytes.length - tailBytes);
  return { head: bytes.slice(0, from), lines, tail: bytes.slice(start), cut: start > from };
}

// The run the page is on: its answers, its seed, where it was stopped, if it was, and what its
// instances have learnt of it: its first lines, and the checkpoints to resume from.
class History {
  constructor(answers, seed, stopAt) {
    this.answers = [...answers];
    this.seed = seed;
    this.stopAt = stopAt;
    this.head = null;
    this.checkpoints = [];  // { step, lines, state, kept }, by step
  }

  add(step, lines, state, kept) {
    if (step > (this.checkpoints.at(-1)?.step ?? 0)) this.checkpoints.push({ step, lines, state, kept });
  }

  // The latest checkpoint from which a run writes every line the console shows at `step`.
  before(step) {
    const latest = step - view.tailLines / 2;
    let found = null;
    for (const checkpoint of this.checkpoints) if (checkpoint.step <= latest) found = checkpoint;
    return found;
  }

  // What a run resumed from the checkpoint is given: its state, and the picture's steps
  // logged up to it.
  offer(checkpoint) {
    const kept = this.checkpoints.filter(({ step }) => step <= checkpoint.step).map(({ kept }) => kept);
    const logged = new Float64Array(kept.reduce((size, part) => size + part.length, 0));
    kept.reduce((at, part) => (logged.set(part, at), at + part.length), 0);
    return [checkpoint.state, logged];
  }

  get lastCheckpoint() { return this.checkpoints.at(-1)?.step ?? 0; }

  // The checkpoints, and the bytes of their numbers.
  usage() {
    const bytes = this.checkpoints.reduce((sum, { state, kept }) => sum + state.byteLength + kept.byteLength, 0);
    return { checkpoints: this.checkpoints.length, bytes };
  }
}

// One instance of the program. `answers` are the lines typed, fed as they come; `hooks` say
// what becomes of its output and what it does where the program waits.
class Run {
  constructor(answers, hooks) {
    this.queue = answers.map((answer) => encoder.encode(`${answer}\n`));
    this.hooks = hooks;
    this.wake = null;
  }

  async start({ holdAt = 0, end = 0, checkpointsAfter = 0, drawn = false, trace = null, offered = null,
    seed = null }) {
    const module = await compiled;
    this.program = await createNeuronet({
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(module, imports).then((instance) => receive(instance));
        return {};
      },
      offered,
      takeText: (stream, bytes) => this.hooks.text(stream, bytes),
      sendFrame: (...frame) => this.hooks.frame(...frame),
      readAnswer: (capacity) => this.read(capacity),
      yieldToPage: (step) => this.hooks.yield(step),
      holdAt: (step, last, holding, texts) => this.hooks.hold(step, last, holding, texts),
      runBegins: (layout, texts) => this.hooks.runBegins?.(layout, texts),
      checkpoint: (...checkpoint) => this.hooks.checkpoint?.(...checkpoint),
      trainingBegins: (after) => this.hooks.trainingBegins?.(after),
      hasAnswer: () => this.queue.length > 0,
    });
    seam ??= JSON.parse(this.program.ccall('neuronet_seam', 'string', [], []));
    this.program._neuronet_least_text_size(drawn ? leastTextSize : 0);
    if (drawn) this.program._neuronet_pace(pace);
    this.hooks.loaded?.();
    return this.program.ccall('neuronet_run', 'number', ['number', 'number', 'number', 'number', 'string', 'number'],
      [holdAt, end, checkpointsAfter, drawn ? 1 : 0, trace, seed ?? -1], { async: true });
  }

  add(answer) {
    this.queue.push(encoder.encode(`${answer}\n`));
    this.wake?.();
  }

  // At most `capacity` bytes of the answers, once there is one.
  async read(capacity) {
    while (!this.queue.length) {
      if (this.hooks.inputEnds?.()) return never();
      if (this.warm && warmUps > 0) {
        --warmUps;
        this.program._neuronet_warm_up();
        await tick();
        continue;
      }
      await new Promise((resolve) => { this.wake = resolve; });
    }
    const answer = this.queue[0];
    if (answer.length <= capacity) return this.queue.shift();
    this.queue[0] = answer.subarray(capacity);
    return answer.subarray(0, capacity);
  }
}

let history = null;   // the run the page is on
let pace = 0;         // at most so many steps a second, each shown; 0: as fast as it can
let leastTextSize = 0;  // the pictures' least text size, larger for a projector
let shown = null;     // the instance the page shows
let instances = 0;

// The instance the page shows: its text and pictures go to the page in frames; it yields to
// the page's messages every 50 ms while it trains, and is held where the page says. Resumed
// from a checkpoint, it does not write what it wrote before: the page is given the run's first
// lines and the count of its lines instead.
function show({ holdAt = 0, from = null }) {
  const id = ++instances;
  const post = (message, transfer = []) => postMessage({ ...message, instance: id }, transfer);
  let output = [];
  let errors = '';
  const console = { headLeft: view.headLines, head: [] };
  const decoder = new TextDecoder();
  let command = null;  // where to hold next, told at the next yield (PageSession::follow)
  let resume = null;   // lets a held run go on
  let waking = null;   // ends a wait for a paced step's time
  let paced = { step: 0, time: 0, shown: 0 };  // where the pace was last set, and the last step shown
  let goingTo = holdAt;  // a step gone to, which the pace does not slow
  let stopping = false;
  let abandoned = false;
  const instance = {
    at: 0,  // the steps made, as far as known
    ended: false,
    // Holds where `where` says (a step, or one of seam.holds): now if held, else at the
    // next yield.
    steer(where) {
      if (resume) resume(where);
      else command = where;
      resume = null;
      goingTo = Math.max(where, 0);
      instance.pace();
    },
    // Goes at the page's pace from the step it has come to.
    pace() {
      paced = { step: instance.at, time: performance.now(), shown: 0 };
      run.program?._neuronet_pace(pace);
      waking?.();
    },
    // Draws the picture again, if it is held or its run has ended.
    redraw() {
      run.program?._neuronet_least_text_size(leastTextSize);
      if (resume) {
        resume(seam.holds.redraw);
        resume = null;
      } else if (instance.ended) {
        run.program._neuronet_draw();
      }
    },
    // Stops the run: held, where it is; else at the next step. It stays held for good.
    stop() {
      stopping = true;
      if (resume) resume = null;
      else command = seam.holds.next;
    },
    abandon() {
      abandoned = true;
      run.wake?.();
    },
    add: (text) => run.add(text),
  };
  const sendFrame = (steps, picture, title, fault, waits) => {
    const text = summary(output, console);
    if (!from && !history.head) {
      console.head.push(text.head.slice());
      if (console.headLeft === 0) history.head = new Uint8Array(console.head.flatMap((part) => [...part]));
    }
    post({ type: 'frame', text, errors, steps, picture, title, fault, waits },
      [text.head.buffer, text.tail.buffer, ...(picture ? [picture.buffer] : [])]);
    [output, errors] = [[], ''];
  };
  const run = new Run(history.answers, {
    text: (stream, bytes) => {
      if (stream === seam.streams.output) output.push(bytes.slice());
      else if (stream === seam.streams.errors) errors += decoder.decode(bytes, { stream: true });
    },
    frame: (...frame) => abandoned || sendFrame(...frame),
    loaded: () => post({ type: 'seam', seam, view }),
    runBegins: (layout, texts) => abandoned || post({ type: 'run', layout, texts }),
    trainingBegins: (after) => {
      instance.at = after;
      instance.pace();
      if (abandoned || !after) return;
      output = [];  // the text the run wrote before its resumption
      console.headLeft = 0;
      post({ type: 'resumed', step: after, head: history.head, lines: from.lines });
    },
    checkpoint: (...checkpoint) => history.add(...checkpoint),
    inputEnds: () => abandoned,
    yield: async (step) => {
      instance.at = Math.max(instance.at, step);
      if (pace > 0) return atPace(step);
      await tick(5);  // on a busy machine, the page's thread gets a processor to paint
      if (abandoned) return never();
      const next = command ?? seam.holds.keep;
      command = null;
      return next;
    },
    hold: async (step, last, holding, texts) => {
      if (abandoned) return never();
      instance.at = step;
      const pausing = holding && !last;  // the last step never holds: the run ends there
      if (pausing && command !== null && !stopping) {  // the page has asked to go on already
        const next = command;
        command = null;
        return next;
      }
      const final = pausing && (stopping || step === history.stopAt);
      post({ type: 'held', step, last, holding: pausing, final, texts });
      if (final) return never();
      if (!pausing) return seam.holds.nowhere;
      return new Promise((resolve) => { resume = resolve; });
    },
  });
  // A step made at a pace waits for its time, then is shown if one is due: every step up to
  // ten a second, else ten a second. A pause asked for meanwhile holds it at once.
  async function atPace(step) {
    if (step < goingTo && command === null) return seam.holds.keep;
    const wait = paced.time + ((step - paced.step) * 1000) / pace - performance.now();
    if (wait > 4 && command === null) await new Promise((resolve) => {
      waking = resolve;
      setTimeout(resolve, wait);
    });
    waking = null;
    if (abandoned) return never();
    if (command !== null) {
      const next = command === seam.holds.next ? step : command;
      command = null;
      return next;
    }
    if (performance.now() - paced.shown < Math.max(100, 1000 / pace) - 1) return seam.holds.keep;
    paced.shown = performance.now();
    return seam.holds.glimpse;
  }
  run.warm = !history.answers.length;
  post({ type: 'instance', resumed: Boolean(from) });
  run.start({ holdAt, end: history.stopAt, checkpointsAfter: history.lastCheckpoint, drawn: true,
    offered: from ? history.offer(from) : null, seed: history.seed }).then((status) => {
    instance.ended = true;
    if (abandoned) return;
    post({ type: 'status', status,
      words: run.program.ccall('neuronet_status_words', 'string', ['number'], [status]) });
    run.program._neuronet_draw();  // the last picture, once the page knows how the run ended
  }, failed);
  return instance;
}

// Goes to step k: on, in the instance shown, when no checkpoint lies nearer; otherwise in an
// instance resumed from the nearest checkpoint before it, or made from the start.
function go(step) {
  const from = history.before(step);
  const on = shown && !shown.ended && shown.at < step && (!from || from.step <= shown.at);
  if (on) return shown.steer(step);
  shown?.abandon();
  shown = show({ holdAt: step, from });
  return undefined;
}

// A replay of the run as far as the page says, for a download: its standard output, or its
// trace of the given steps, as a Blob. It ends at the step given (0: at the run's end), or
// where it waits for an answer not yet typed.
function replay({ step, trace, id }) {
  const chunks = [];
  let done = false;
  const finish = () => {
    if (done) return;
    done = true;
    const type = trace ? 'application/jsonl' : 'text/plain';
    postMessage({ type: 'prepared', id, blob: new Blob(chunks, { type }) });
  };
  const wanted = () => (trace ? seam.streams.trace : seam.streams.output);
  const run = new Run(history.answers, {
    text: (stream, bytes) => stream === wanted() && chunks.push(bytes.slice()),
    frame: () => {},
    inputEnds: () => { finish(); return true; },
    yield: async () => { await tick(); return seam.holds.keep; },
    hold: async (at, last, holding) => {
      if (!holding) return seam.holds.nowhere;
      finish();
      return never();
    },
  });
  run.start({ holdAt: step, end: history.stopAt, trace, seed: history.seed }).then(finish, failed);
}

function failed(failure) {
  postMessage({ type: 'failed', message: String(failure?.message ?? failure), instance: instances });
}

onmessage = ({ data }) => {
  switch (data.type) {
    case 'start':
      shown?.abandon();
      history = new History(data.answers, data.seed, data.stopAt);
      shown = show({ holdAt: data.holdAt });
      break;
    case 'answer': history.answers.push(data.text); shown?.add(data.text); break;
    case 'go': go(data.step); break;
    case 'hold': shown?.steer(seam.holds[data.where] ?? data.where); break;
    case 'stop': shown?.stop(); break;
    case 'prepare': replay(data); break;
    case 'pace':
      pace = data.stepsPerSecond;
      shown?.pace();
      break;
    case 'redraw':
      leastTextSize = data.leastTextSize;
      shown?.redraw();
      break;
    case 'usage': postMessage({ type: 'usage', ...history?.usage() }); break;
  }
};
compiled.catch(failed);
