// The page around the program: the console's view, the answer box, the worker that runs
// the program, and the outcome. Text from the program or the person is only ever set as
// text, never parsed as markup.
'use strict';

const element = (id) => document.getElementById(id);
const headLines = 40;   // the beginning of a long run that stays in view
const tailLines = 200;  // and its latest lines


// 1234567 as "1,234,567".
const grouped = (count) => String(count).replace(/\B(?=(\d{3})+$)/g, ',');

let worker = null;
let transcript;  // standard output, whole, as the frames brought its bytes
let head, headCount, tail, afterHead;  // the text in view and the line count past the head
let transcriptUrl = null;
let pictureUrl = null;
let nextPicture = null;  // the latest picture come, shown at the next animation frame
const pictureCaption = element('picture-caption').textContent;
const decoder = new TextDecoder();

// The last `count` lines of the text, with the line still being written.
function lastLines(text, count) {
  let at = text.length;
  for (let k = 0; k <= count && at > 0; ++k) at = text.lastIndexOf('\n', at - 1);
  return at < 0 ? text : text.slice(at + 1);
}

function addOutput(bytes) {
  let from = 0;
  while (headCount < headLines && from < bytes.length) {
    const end = bytes.indexOf(10, from) + 1 || bytes.length;
    head += decoder.decode(bytes.subarray(from, end));
    headCount += bytes[end - 1] === 10 ? 1 : 0;
    from = end;
  }
  for (let at = bytes.indexOf(10, from); at >= 0; at = bytes.indexOf(10, at + 1)) ++afterHead;
  // Only the end of a long frame can be in view: it is read from its first whole line.
  const start = Math.max(from, bytes.length - 32768);
  const text = decoder.decode(bytes.subarray(start));
  tail = lastLines(start > from ? text.slice(text.indexOf('\n') + 1) : tail + text, tailLines);
}

function showOutput() {
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

// The picture as an image, never as markup in the page; its link offers the same SVG.
// Showing one takes the page tens of milliseconds, so only the latest of a frame's time is
// shown, once the messages that came with it (the run's end among them) are handled.
function showPicture(svg, title) {
  nextPicture = null;
  if (pictureUrl) URL.revokeObjectURL(pictureUrl);
  pictureUrl = svg && URL.createObjectURL(new Blob([svg], { type: 'image/svg+xml' }));
  for (const [id, attribute] of [['picture', 'src'], ['picture-download', 'href']]) {
    element(id).hidden = !svg;
    svg ? element(id).setAttribute(attribute, pictureUrl) : element(id).removeAttribute(attribute);
  }
  element('picture').alt = title;
}

function showFrame({ output, errors, steps, picture, title, fault }) {
  transcript.push(...output);
  output.forEach(addOutput);
  if (output.length) showOutput();
  if (errors) element('diagnostics').append(errors);
  element('steps').textContent = grouped(steps);
  if (picture) {
    if (!nextPicture) requestAnimationFrame(() => nextPicture && showPicture(...nextPicture));
    nextPicture = [picture, title];
  }
  const caption = fault ? `The picture stopped: ${fault}` : pictureCaption;
  if (element('picture-caption').textContent !== caption) element('picture-caption').textContent = caption;
}

function setRunning(running) {
  const hadFocus = document.activeElement;
  element('answer').disabled = !running;
  element('stop').disabled = !running;
  if (!running && (hadFocus === element('answer') || hadFocus === element('stop'))) {
    element('new-run').focus();
  }
}

// The worker ends itself after the run's last picture; "Stop" ends it at once. The program
// gives its statuses' words; 130 is the shell's for a run ended by Ctrl-C.
function finish(status, words) {
  setRunning(false);
  element('outcome').textContent = `Exit status ${status}: ${words}.`;
}

function start() {
  worker?.terminate();
  transcript = [];
  [head, headCount, tail, afterHead] = ['', 0, '', 0];
  showOutput();
  element('diagnostics').textContent = '';
  element('steps').textContent = '0';
  showPicture(null, '');
  element('outcome').textContent = 'Running.';
  worker = new Worker('worker.js');
  worker.onmessage = ({ data }) => ('status' in data ? finish(data.status, data.words) : showFrame(data));
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
element('stop').addEventListener('click', () => {
  worker.terminate();
  finish(130, 'stopped, as Ctrl-C stops the console');
});
element('new-run').addEventListener('click', start);
element('transcript').addEventListener('click', () => {
  if (transcriptUrl) URL.revokeObjectURL(transcriptUrl);
  transcriptUrl = URL.createObjectURL(new Blob(transcript, { type: 'text/plain' }));
  element('transcript').href = transcriptUrl;
});
start();
