// The page's worker: runs the program, compiled from its C++ into neuronet.js, and talks to
// the page. Every run is an instance of its own of the compiled module, started from the
// answers typed so far: the live run, which the page shows and steers, and the runs that
// replay it for a download. A run is exact, so a replay from the same answers is the same
// run, to any step.
importScripts('neuronet.js');

const encoder = new TextEncoder();
const compiled = fetch('neuronet.wasm').then((response) => {
  if (!response.ok) throw new Error(`neuronet.wasm could not be loaded (HTTP ${response.status})`);
  return WebAssembly.compileStreaming(response);
});
let live = null;  // the run the page shows
let warmUps = 8;  // dialogues run for the engine's sake while the first answer is awaited
const tick = (ms = 0) => new Promise((resolve) => setTimeout(resolve, ms));
const headLines = 40;      // the beginning of a run that the page keeps in view
const tailBytes = 32768;   // as much of a frame's end as can be in view

// What the page is shown of a frame's standard output: the bytes still of the run's first
// lines, how many lines follow, and the frame's end; not the whole of a long run's text,
// which the page never keeps.
function summary(chunks, view) {
  const bytes = new Uint8Array(chunks.reduce((size, chunk) => size + chunk.length, 0));
  chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
  let from = 0;
  while (view.headLeft > 0 && from < bytes.length) {
    const end = bytes.indexOf(10, from) + 1 || bytes.length;
    view.headLeft -= bytes[end - 1] === 10 ? 1 : 0;
    from = end;
  }
  let lines = 0;
  for (let at = from; at < bytes.length; ++at) lines += bytes[at] === 10 ? 1 : 0;
  const start = Math.max(from, bytes.length - tailBytes);
  return { head: bytes.slice(0, from), lines, tail: bytes.slice(start), cut: start > from };
}

// One run of the program. `answers` are the lines typed, fed as they come; `hooks` says what
// becomes of its output and what it does where the program waits.
class Run {
  constructor(answers, hooks) {
    this.queue = answers.map((answer) => encoder.encode(`${answer}\n`));
    this.hooks = hooks;
    this.wake = null;
  }

  async start(holdAt, drawn, traceSteps) {
    const module = await compiled;
    this.program = await createNeuronet({
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(module, imports).then((instance) => receive(instance));
        return {};
      },
      takeText: (stream, bytes) => this.hooks.text(stream, bytes),
      sendFrame: (...frame) => this.hooks.frame(...frame),
      readAnswer: (capacity) => this.read(capacity),
      yieldToPage: (step) => this.hooks.yield(step),
      holdAt: (step, last, holding, line) => this.hooks.hold(step, last, holding, line),
      runLine: (line, centres) => this.hooks.runLine?.(line, centres),
      targetLine: (line) => this.hooks.targetLine?.(line),
    });
    this.hooks.loaded?.(this.program);
    return this.program.ccall('neuronet_run', 'number', ['number', 'number', 'string'],
      [holdAt, drawn ? 1 : 0, traceSteps], { async: true });
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

// A promise that never settles: a run that waits on it is abandoned where it stands.
const never = () => new Promise(() => {});

// The live run: its text and pictures go to the page in frames; it yields to the page's
// messages every 50 ms while it trains, and is held where the page asks.
function startLive({ answers, holdAt }) {
  let output = [];
  let errors = '';
  const view = { headLeft: headLines };
  const decoder = new TextDecoder();
  const keep = -2;
  let command = keep;  // where the run is held next, told at its next yield (PageSession::follow)
  let resume = null;   // lets a held run go on
  let stopping = false;
  let abandoned = false;  // another run has taken its place: it says nothing more
  const run = new Run(answers, {
    text: (stream, bytes) => {
      if (stream === 1) output.push(bytes.slice());
      else if (stream === 2) errors += decoder.decode(bytes, { stream: true });
    },
    frame: (steps, picture, title, fault) => {
      if (abandoned) return;
      const text = summary(output, view);
      postMessage({ type: 'frame', text, errors, steps, picture, title, fault },
        [text.head.buffer, text.tail.buffer, ...(picture ? [picture.buffer] : [])]);
      [output, errors] = [[], ''];
    },
    runLine: (line, centres) => abandoned || postMessage({ type: 'run', line, centres }),
    loaded: (program) => postMessage({ type: 'prompts',
      prompts: JSON.parse(program.ccall('neuronet_prompts', 'string', [], [])) }),
    targetLine: (line) => abandoned || postMessage({ type: 'target', line }),
    inputEnds: () => abandoned,
    yield: async () => {
      await tick(5);  // on a busy machine, the page's thread gets a processor to paint
      if (abandoned) return never();
      const next = command;
      command = keep;
      return next;
    },
    hold: async (step, last, holding, line) => {
      if (abandoned) return never();
      if (holding && command !== keep) {  // the page has asked to go on already
        const next = command;
        command = keep;
        return next;
      }
      postMessage({ type: 'held', step, last, holding, line });
      if (stopping) return never();
      return holding ? new Promise((resolve) => { resume = resolve; }) : 0;
    },
  });
  run.warm = !answers.length;
  const control = {
    run,
    // Holds at step k (-1: the next step), now if held, else at the next yield.
    steer(k) {
      if (resume) {
        resume(k);
        resume = null;
      } else {
        command = k;
      }
    },
    stop() {
      stopping = true;
      if (resume) return;
      command = -1;
    },
    abandon() {
      abandoned = true;
      run.wake?.();
    },
  };
  run.start(holdAt, true, null).then((status) => {
    if (abandoned) return;
    postMessage({ type: 'status', status, words: run.program.ccall('neuronet_status_words',
      'string', ['number'], [status]) });
    run.program._neuronet_draw();  // the last picture, once the page knows how the run ended
  }, failed);
  return control;
}

// A replay of the live run as far as it has come, for a download: its standard output, or
// its trace of the given steps, as a Blob. It ends where the live run stands: at a step, or
// where it waits for an answer not yet typed, or at its end.
function replay({ answers, step, trace, id }) {
  const chunks = [];
  let done = false;
  const finish = () => {
    if (done) return;
    done = true;
    const type = trace ? 'application/jsonl' : 'text/plain';
    postMessage({ type: 'prepared', id, blob: new Blob(chunks, { type }) });
  };
  const run = new Run(answers, {
    text: (stream, bytes) => stream === (trace ? 3 : 1) && chunks.push(bytes.slice()),
    frame: () => {},
    inputEnds: () => { finish(); return true; },
    yield: async () => { await tick(); return -2; },
    hold: async (step, last, holding) => {
      if (!holding) return 0;
      finish();
      return never();
    },
  });
  run.start(step, false, trace).then(finish, failed);
}

function failed(failure) {
  postMessage({ type: 'failed', message: String(failure?.message ?? failure) });
}

onmessage = ({ data }) => {
  switch (data.type) {
    case 'start': live?.abandon(); live = startLive(data); break;
    case 'answer': live?.run.add(data.text); break;
    case 'steer': live?.steer(data.step); break;
    case 'stop': live?.stop(); break;
    case 'prepare': replay(data); break;
  }
};
compiled.catch(failed);
