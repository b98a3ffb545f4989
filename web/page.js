// The page around the program: the console's view, the answer box, the worker that runs
// the program, and the outcome. Text from the program or the person is only ever set as
// text, never parsed as markup.
'use strict';

const element = (id) => document.getElementById(id);
const headLines = 40;   // the beginning of a long run that stays in view
const tailLines = 200;  // and its latest lines

// The console's exit statuses, in the words of its manual; 130 is a run ended by Ctrl-C.
const statusWords = {
  0: 'every number was read and training met its error limit',
  1: 'training stopped before meeting the limit',
  2: 'a number could not be read',
  3: 'the run could not go on: memory ran out, or standard input or output failed',
  130: 'stopped, as Ctrl-C stops the console',
};

let worker = null;
let transcript;  // the whole standard output, one Blob per frame
let head, headCount, tail, afterHead;  // the text in view and the line count past the head
let transcriptUrl = null;

function countLines(text) {
  let count = 0;
  for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) ++count;
  return count;
}

// The last `count` lines of the text, with the line still being written.
function lastLines(text, count) {
  let at = text.length;
  for (let k = 0; k <= count && at > 0; ++k) at = text.lastIndexOf('\n', at - 1);
  return at < 0 ? text : text.slice(at + 1);
}

function addOutput(text) {
  while (headCount < headLines && text) {
    const end = text.indexOf('\n') + 1;
    head += end ? text.slice(0, end) : text;
    text = end ? text.slice(end) : '';
    headCount += end ? 1 : 0;
  }
  afterHead += countLines(text);
  tail = lastLines(tail + text, tailLines);
}

function showOutput() {
  const view = element('output');
  const atEnd = view.scrollTop + view.clientHeight >= view.scrollHeight - 8;
  const left = afterHead - countLines(tail);
  if (element('output-head').textContent !== head) element('output-head').textContent = head;
  element('output-gap').hidden = left === 0;
  element('output-gap').textContent = left === 0 ? ''
    : `… ${left.toLocaleString('en')} lines left out: "Download transcript" has them all …`;
  element('output-tail').textContent = tail;
  if (atEnd) view.scrollTop = view.scrollHeight;
}

function showFrame({ out, outBlob, err, steps }) {
  if (out) {
    transcript.push(outBlob);
    addOutput(out);
    showOutput();
  }
  if (err) element('diagnostics').append(err);
  element('steps').textContent = steps.toLocaleString('en');
}

function setRunning(running) {
  const hadFocus = document.activeElement;
  element('answer').disabled = !running;
  element('stop').disabled = !running;
  if (!running && (hadFocus === element('answer') || hadFocus === element('stop'))) {
    element('new-run').focus();
  }
}

function finish(status) {
  worker.terminate();
  setRunning(false);
  element('outcome').textContent = `Exit status ${status}: ${statusWords[status]}.`;
}

function start() {
  worker?.terminate();
  transcript = [];
  [head, headCount, tail, afterHead] = ['', 0, '', 0];
  showOutput();
  element('diagnostics').textContent = '';
  element('steps').textContent = '0';
  element('outcome').textContent = 'Running.';
  worker = new Worker('worker.js');
  worker.onmessage = ({ data }) => ('status' in data ? finish(data.status) : showFrame(data));
  worker.onerror = (event) => {
    setRunning(false);
    element('outcome').textContent = `The program could not run: ${event.message}`;
  };
  setRunning(true);
  element('answer').focus();
}

element('answer-form').addEventListener('submit', (event) => {
  event.preventDefault();
  worker.postMessage({ answer: element('answer').value });
  element('answer').value = '';
});
element('stop').addEventListener('click', () => finish(130));
element('new-run').addEventListener('click', start);
element('transcript').addEventListener('click', () => {
  if (transcriptUrl) URL.revokeObjectURL(transcriptUrl);
  transcriptUrl = URL.createObjectURL(new Blob(transcript, { type: 'text/plain' }));
  element('transcript').href = transcriptUrl;
});
start();
