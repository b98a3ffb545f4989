// The page's worker: runs the program, compiled from its C++ into neuronet.js, posts its
// frames to the page and hands it the page's answers when it reads.
importScripts('neuronet.js');

const answers = [];  // the answers not yet read, as bytes, oldest first
let answerCame = null;  // ends the program's wait for an answer
const encoder = new TextEncoder();
const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
// The frame in the making: its text by stream, and standard output's bytes for the
// transcript, which the page keeps as they are.
let written = { 1: '', 2: '' };
let outputBytes = [];

// An answer is a line typed at the console: Enter ends it.
onmessage = ({ data }) => {
  answers.push(encoder.encode(`${data.answer}\n`));
  answerCame?.();
};

// At most `capacity` bytes of the answers, once there is one; the rest waits for the next read.
async function readAnswer(capacity) {
  while (!answers.length) await new Promise((resolve) => { answerCame = resolve; });
  const answer = answers[0];
  if (answer.length <= capacity) return answers.shift();
  answers[0] = answer.subarray(capacity);
  return answer.subarray(0, capacity);
}

createNeuronet({
  takeText(stream, bytes) {
    written[stream] += decoders[stream].decode(bytes, { stream: true });
    if (stream === 1) outputBytes.push(bytes.slice());
  },
  sendFrame(steps) {
    postMessage({ out: written[1], outBlob: new Blob(outputBytes), err: written[2], steps });
    written = { 1: '', 2: '' };
    outputBytes = [];
  },
  readAnswer,
}).then((program) => program.ccall('neuronet_run', 'number', [], [], { async: true }))
  .then((status) => postMessage({ status }))
  .catch((failure) => setTimeout(() => { throw failure; }));  // to the page's onerror
