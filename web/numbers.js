// The numbers of the step on screen, the step's phases, its explanation and its worksheet.
// Every number is a text the program wrote (StepTexts): a pair, exact and as the console
// prints it. Layer 0 is the input; layer L > 0 is computed layer L − 1 of the step's texts.
import { explanationRows } from './explanation.js';
import { layerName } from './picture.js';
import { grouped } from './state.js';

const element = (id) => document.getElementById(id);
const both = ([exact, printed]) => `${exact} (${printed})`;
const text = (words) => document.createTextNode(words);

// A number never breaks inside itself: a line breaks between terms.
function numberSpan(text, className = 'n') {
  const span = document.createElement('span');
  span.className = className;
  span.textContent = text;
  return span;
}

function addPair(list, name, ...content) {
  const dt = document.createElement('dt');
  const dd = document.createElement('dd');
  dt.textContent = name;
  dd.append(...content.map((part) => (typeof part === 'string' ? numberSpan(part) : part)));
  list.append(dt, dd);
}

// A row's parts; in a worksheet, its answers left blank.
function parts(row, blank) {
  return row.map((part) => {
    if (part.link) {
      const link = document.createElement('a');
      Object.assign(link, { href: part.link, textContent: part.text });
      return link;
    }
    if (part.text !== undefined) return document.createTextNode(part.text);
    return blank && part.answer ? numberSpan('__________', 'n blank') : numberSpan(part.number);
  });
}

// What a neuron is, and its numbers; an output neuron's target beside it.
function neuronNumbers(numbers, run, layer, k) {
  if (layer === 0) return [['input x', numbers.input[k]]];
  const g = numbers.layers[layer - 1];
  const target = layer === run.sizes.length - 1 ? [['target D', numbers.target[k]]] : [];
  return [['weighted sum s', g.s[k]], ['output y', g.y[k]], ...target, ['error term δ', g.delta[k]]];
}

// The step in one of its phases: the forward pass up the layers, the error terms down them, or
// every weight's change and new value.
function phaseRows(numbers, run, phase) {
  const layers = run.sizes.map((size, L) => L).slice(1);
  const list = (values) => (values.length ? values.map(([exact]) => exact) : ['(no neurons)']);
  if (phase === 'forward') {
    return [['input x', list(numbers.input)], ...layers.flatMap((L) => [
      [`${layerName(run, L)}: s`, list(numbers.layers[L - 1].s)],
      [`${layerName(run, L)}: y`, list(numbers.layers[L - 1].y)]])];
  }
  if (phase === 'backward') {
    return layers.reverse().map((L) => [`${layerName(run, L)}: δ`, list(numbers.layers[L - 1].delta)]);
  }
  return layers.flatMap((L) => numbers.layers[L - 1].W.map((row, i) => [
    `into ${layerName(run, L)} from neuron ${i + 1}: ΔW → W`,
    row.length ? row.map((W, j) => `${numbers.layers[L - 1].dW[i][j][0]} → ${W[0]}`) : ['(no neurons)']]));
}

let drawn = [];  // what the panel was drawn from: it is drawn again only when that changes

export function renderNumbers(state, choose) {
  const source = [state.numbers, state.run, state.selection, state.explaining, state.view, state.worksheet];
  if (source.every((value, k) => value === drawn[k])) return;
  drawn = source;
  const { numbers, run } = state;
  const { layer, neuron, from } = state.selection;
  element('numbers-title').textContent = numbers ? `Numbers at step ${grouped(numbers.step)}` : 'Numbers';
  element('numbers-hint').hidden = Boolean(numbers);
  for (const id of ['step-error', 'neuron-numbers', 'weights', 'phase-numbers', 'explanation',
    'worksheet-questions', 'worksheet-key']) element(id).replaceChildren();
  element('explanation').hidden = true;
  element('worksheet').hidden = true;
  if (!numbers || !run || layer >= run.sizes.length || neuron >= run.sizes[layer]) return;
  const error = element('step-error');
  addPair(error, 'error E', numbers.E[0], text(' (the report would print '), numbers.Eprinted, text(')'));
  if (numbers.fall) addPair(error, 'fall since the step before', numbers.fall[0]);
  if (state.view) {
    for (const [name, texts] of phaseRows(numbers, run, state.view)) {
      addPair(element('phase-numbers'), name, ...texts.flatMap((value, k) => (k ? [text(' '), value] : [value])));
    }
  } else {
    showNeuron(state, choose, layer, neuron, from);
  }
  if (state.explaining && numbers.explained) explain(state, element('explanation'), false);
  if (state.worksheet && numbers.explained) worksheet(state);
}

function showNeuron({ numbers, run }, choose, layer, neuron, from) {
  const list = element('neuron-numbers');
  addPair(list, 'Neuron', text(`${layerName(run, layer)}, neuron ${neuron + 1}`));
  for (const [name, value] of neuronNumbers(numbers, run, layer, neuron)) addPair(list, name, both(value));
  for (let k = 0; layer > 0 && k < run.sizes[layer - 1]; ++k) {
    const g = numbers.layers[layer - 1];
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = `weight from neuron ${k + 1}: W = ${both(g.W[k][neuron])}, changed by ${g.dW[k][neuron][0]}`;
    button.setAttribute('aria-pressed', String(k === from));
    button.addEventListener('click', () => choose(layer, neuron, k));
    item.append(button);
    element('weights').append(item);
  }
}

function explain(state, list, blank) {
  if (state.run.sizes.at(-1) === 0) {
    addPair(list, 'At step', text(`${state.numbers.step}: the output layer has no neurons.`));
  } else {
    for (const [name, row] of explanationRows(state)) addPair(list, name, ...parts(row, blank));
  }
  list.hidden = false;
}

// The explanation with its results blank, and its key: the results, in order, on a page of its
// own when printed.
function worksheet(state) {
  element('worksheet').hidden = false;
  explain(state, element('worksheet-questions'), true);
  const answers = explanationRows(state).flatMap(([name, row]) => row.filter((part) => part.answer)
    .map((part) => [name, part.number]));
  for (const [name, number] of answers) addPair(element('worksheet-key'), name, number);
}
