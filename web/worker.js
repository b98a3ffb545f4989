// The page's worker: runs the program, compiled from its C++ into neuronet.js, posts its
// frames to the page and hands it the page's answers when it reads.
importScripts('neuronet.js');

const answers = [];  // the answers not yet read, as bytes, oldest first
let answerCame = null;  // ends the program's wait for an answer
let program = null;
let warmUps = 8;  // dialogues run for the engine's sake while the first answer is awaited
const encoder = new TextEncoder();
const errorDecoder = new TextDecoder();
// The frame in the making: standard output as bytes, which go to the page without a copy,
// and standard error as text.
let output = [];
let errors = '';

// An answer is a line typed at the console: Enter ends it.
onmessage = ({ data }) => {
  answers.push(encoder.encode(`${data.answer}\n`));
  answerCame?.();
};

// At most `capacity` bytes of the answers, once there is one; the rest waits for the next
// read. Until the first answer comes, the program warms up, one dialogue at a time.
async function readAnswer(capacity) {
  for (; warmUps > 0 && !answers.length; --warmUps) {
    program._neuronet_warm_up();
    await new Promise((resolve) => setTimeout(resolve));
  }
  warmUps = 0;
  while (!answers.length) await new Promise((resolve) => { answerCame = resolve; });
  const answer = answers[0];
  if (answer.length <= capacity) return answers.shift();
  answers[0] = answer.subarray(capacity);
  return answer.subarray(0, capacity);
}

createNeuronet({
  takeText(stream, bytes) {
    if (stream === 1) output.push(bytes.slice());
    else errors += errorDecoder.decode(bytes, { stream: true });
  },
  // The picture, a new SVG document or null, comes as bytes too.
  sendFrame(steps, picture, title, fault) {
    postMessage({ output, errors, steps, picture, title, fault },
      [...output, ...(picture ? [picture] : [])].map((bytes) => bytes.buffer));
    [output, errors] = [[], ''];
  },
  readAnswer,
}).then((module) => {
  program = module;
  return program.ccall('neuronet_run', 'number', [], [], { async: true });
}).then((status) => {
  postMessage({ status, words: program.ccall('neuronet_status_words', 'string', ['number'], [status]) });
  program._neuronet_draw();  // the last picture, once the page knows how the run ended
  close();
}).catch((failure) => setTimeout(() => { throw failure; }));  // to the page's onerror
