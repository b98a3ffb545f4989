// The console as the state holds it: the run's first lines, the lines left out, its last
// lines; the prompt it waits at, said to a screen reader; and the diagnostics.
import { grouped } from './state.js';

const element = (id) => document.getElementById(id);
const decoder = new TextDecoder();
const setText = (id, text) => {
  if (element(id).textContent !== text) element(id).textContent = text;
};

export function renderConsole(state) {
  const view = element('output');
  const atEnd = view.scrollTop + view.clientHeight >= view.scrollHeight - 8;
  const { head, tail, lines } = state.console;
  const count = (text) => text.match(/\n/g)?.length ?? 0;
  const left = lines - count(head) - count(tail);
  setText('output-head', head);
  element('output-gap').hidden = left <= 0;
  setText('output-gap', left <= 0 ? '' : `… ${grouped(left)} lines left out: "Download transcript" has them all …`);
  setText('output-tail', tail);
  if (atEnd) view.scrollTop = view.scrollHeight;
  const asked = state.phase === 'asking' ? state.prompt : '';
  setText('asked', asked);
  setText('prompt-said', asked);
  setText('diagnostics', state.errors);
  setText('diagnostics-note', wordFound(state.errors));
}

// A word the diagnostics quote as bytes, as characters too.
function wordFound(errors) {
  const found = /found "((?:[^"\\]|\\.)*)"/.exec(errors);
  if (!found || !/\\x[89a-f]/.test(found[1])) return '';
  const bytes = [];
  for (let k = 0; k < found[1].length; ++k) {
    const hex = found[1][k] === '\\' && found[1][k + 1] === 'x';
    bytes.push(hex ? parseInt(found[1].substr(k + 2, 2), 16) : found[1].charCodeAt(k + (found[1][k] === '\\')));
    k += hex ? 3 : found[1][k] === '\\' ? 1 : 0;
  }
  return `The word found, as characters: “${decoder.decode(new Uint8Array(bytes))}”.`;
}
