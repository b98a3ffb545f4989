// The numbers of the step on screen, and its explanation. Every number is a text the program
// wrote (StepTexts): a pair, exact and as the console prints it. Layer 0 is the input; layer
// L > 0 is computed layer L − 1 of the step's texts, fed by its weights W[from][to].
import { grouped } from './state.js';
import { layerName } from './picture.js';

const element = (id) => document.getElementById(id);

// A number in full and as the console would print it; alone; and as a term of a sum or a
// product, a negative one in parentheses.
const both = ([exact, printed]) => `${exact} (${printed})`;
const exact = ([text]) => text;
const term = ([text]) => (text.startsWith('-') ? `(${text})` : text);

function addPair(list, name, value) {
  const dt = document.createElement('dt');
  const dd = document.createElement('dd');
  dt.textContent = name;
  dd.textContent = value;
  list.append(dt, dd);
}

// What a neuron is, and its numbers.
function neuronNumbers(numbers, layer, k) {
  if (layer === 0) return [['input x', numbers.input[k]]];
  const g = numbers.layers[layer - 1];
  return [['weighted sum s', g.s[k]], ['output y', g.y[k]], ['error term δ', g.delta[k]]];
}

let drawn = [];  // what the panel was drawn from: it is drawn again only when that changes

export function renderNumbers(state, choose) {
  const source = [state.numbers, state.run, state.selection, state.explaining];
  if (source.every((value, k) => value === drawn[k])) return;
  drawn = source;
  const { numbers, run } = state;
  const { layer, neuron, from } = state.selection;
  element('numbers-title').textContent = numbers ? `Numbers at step ${grouped(numbers.step)}` : 'Numbers';
  element('numbers-hint').hidden = Boolean(numbers);
  const list = element('neuron-numbers');
  const weights = element('weights');
  list.replaceChildren();
  weights.replaceChildren();
  element('explanation').hidden = true;
  if (!numbers || !run || layer >= run.sizes.length || neuron >= run.sizes[layer]) return;
  addPair(list, 'Neuron', `${layerName(run, layer)}, neuron ${neuron + 1}`);
  for (const [name, value] of neuronNumbers(numbers, layer, neuron)) addPair(list, name, both(value));
  for (let k = 0; layer > 0 && k < run.sizes[layer - 1]; ++k) {
    const g = numbers.layers[layer - 1];
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = `weight from neuron ${k + 1}: W = ${both(g.W[k][neuron])}, changed by ${exact(g.dW[k][neuron])}`;
    button.setAttribute('aria-pressed', String(k === from));
    button.addEventListener('click', () => choose(layer, neuron, k));
    item.append(button);
    weights.append(item);
  }
  if (state.explaining && numbers.explained) explain(state);
}

// One step of an output neuron, the chosen one or the first, and of its weight from the
// chosen neuron of the layer before, in the formulas and with the step's own numbers.
function explain({ numbers, run, selection }) {
  const list = element('explanation');
  const output = run.sizes.length - 1;
  const k = selection.layer === output ? selection.neuron : 0;
  const from = selection.layer === output ? selection.from : 0;
  const { eta, alpha, slope, lowest, highest } = run.texts;
  if (run.sizes[output] === 0) {
    addPair(list, 'At step', `${numbers.step}: the output layer has no neurons.`);
    list.hidden = false;
    return;
  }
  const out = numbers.layers[output - 1];
  const X = output === 1 ? numbers.input : numbers.layers[output - 2].y;
  const sums = X.map((x, i) => `${term(x)} · ${term(out.Wbefore[i][k])}`).join(' + ') || '(no input)';
  const rows = [
    ['At step', `${numbers.step}, output neuron ${k + 1} and the weight into it from neuron ${
      from + 1} of the layer before. η = ${exact(eta)} (drawn once), α = ${exact(alpha)}; every ` +
      `output lies between ${exact(lowest)} and ${exact(highest)}.`],
    ['Weighted sum', `s = Σ X·W = ${sums} = ${exact(out.s[k])}`],
    ['Output', `y = 1 / (exp(−${exact(slope)} · s) + 1) + ${exact(lowest)} = ${both(out.y[k])}`],
    ['Error term', `δ = (y − D) · f(y), f(y) = ${exact(slope)} · e / ((e + 1) · (e + 1)), ` +
      `e = exp(−${exact(slope)} · y): y − D = ${term(out.y[k])} − ${term(numbers.target[k])} = ${
      exact(out.difference[k])}; δ = ${both(out.delta[k])}`],
  ];
  if (X.length) {
    rows.push(['Weight change', `ΔW = (X · (δ · (1 − α)) + P · α) · (−η) = (${term(X[from])} · ${
      term(out.share[k])} + ${term(out.P[from][k])} · ${term(alpha)}) · (−${exact(eta)}) = ${
      term(out.sum[from][k])} · (−${exact(eta)}) = ${exact(out.dW[from][k])}`]);
    rows.push(['New weight', `W = ${term(out.Wbefore[from][k])} + ${term(out.dW[from][k])} = ${
      exact(out.W[from][k])}`]);
  }
  for (const [name, text] of rows) addPair(list, name, text);
  list.hidden = false;
}
