// The numbers of one step, as its trace line gives them, and what the page shows of them: a
// neuron's weighted sum, output and error term, a weight's value and change, and a step of
// one output neuron written out in the formulas of docs/arithmetic.md.
import { exact, number, threeDecimals } from './format.js';

const values = (array) => array.map(number);

// Layer 0 is the input; layer g + 1 is computed layer g, fed by weights[g].
export class StepNumbers {
  constructor(run, target, line) {
    this.run = run;
    this.D = values(target?.D ?? []);
    const step = JSON.parse(line);
    this.step = step.step;
    this.E = number(step.E);
    this.layers = step.layers.map((layer) => Object.fromEntries(Object.entries(layer)
      .map(([key, value]) => [key, key === 's' || key === 'y' || key === 'delta'
        ? values(value) : value.map(values)])));
    this.explained = 'Wbefore' in step.layers[0];
  }

  get sizes() { return this.run.sizes; }

  // The values that feed layer L: the input for L = 1, else layer L − 1's outputs.
  inputsOf(layer) {
    return layer === 1 ? values(this.run.input) : this.layers[layer - 2].y;
  }

  // What a neuron is, and its numbers: [name, value] pairs.
  neuron(layer, k) {
    if (layer === 0) return [['input x', this.inputsOf(1)[k]]];
    const g = this.layers[layer - 1];
    return [['weighted sum s', g.s[k]], ['output y', g.y[k]], ['error term δ', g.delta[k]]];
  }

  // The weight from neuron `from` of layer L − 1 to neuron k of layer L, and its change.
  weight(layer, from, k) {
    const g = this.layers[layer - 1];
    return { W: g.W[from][k], dW: g.dW[from][k] };
  }
}

// A number in full and as the console would print it.
export const both = (x) => `${exact(x)} (${threeDecimals(x)})`;

// A number as a term of a sum or a product: a negative one in parentheses.
const term = (x) => (exact(x).startsWith('-') ? `(${exact(x)})` : exact(x));

// Writes one step of output neuron k, and of its weight from neuron `from`, in the formulas
// and with the step's own numbers; every value is the program's, or made from its by one
// IEEE operation as the program makes it.
export function explanation(numbers, k, from) {
  const { run } = numbers;
  const L = numbers.sizes.length - 1;
  const out = numbers.layers[L - 1];
  const X = numbers.inputsOf(L);
  const before = out.Wbefore.map((row) => row[k]);
  const y = out.y[k];
  const D = numbers.D[k];
  const alpha = number(run.alpha);
  const eta = number(run.eta);
  const share = out.delta[k] * (1 - alpha);
  const P = out.P[from][k];
  const sum = X[from] * share + P * alpha;
  const sums = X.map((x, i) => `${term(x)} · ${term(before[i])}`).join(' + ') || '(no input)';
  return [
    ['At step', `${numbers.step}, output neuron ${k + 1} and the weight into it from neuron ${
      from + 1} of the layer before. η = ${exact(eta)} (drawn once), α = ${exact(alpha)}; every ` +
      `output lies between ${exact(run.offset)} and ${exact(run.offset + 1)}.`],
    ['Weighted sum', `s = Σ X·W = ${sums} = ${exact(out.s[k])}`],
    ['Output', `y = 1 / (exp(−${exact(run.slope)} · s) + 1) + ${exact(run.offset)} = ${both(y)}`],
    ['Error term', `δ = (y − D) · f(y), f(y) = ${exact(run.slope)} · e / ((e + 1) · (e + 1)), ` +
      `e = exp(−${exact(run.slope)} · y): y − D = ${term(y)} − ${term(D)} = ${exact(y - D)}; ` +
      `δ = ${both(out.delta[k])}`],
    ['Weight change', `ΔW = (X · (δ · (1 − α)) + P · α) · (−η) = (${term(X[from])} · ${
      term(share)} + ${term(P)} · ${term(alpha)}) · (−${exact(eta)}) = ${term(sum)} · (−${
      exact(eta)}) = ${exact(sum * -eta)}`],
    ['New weight', `W = ${term(before[from])} + ${term(out.dW[from][k])} = ${exact(out.W[from][k])}`],
  ];
}
