// One step of the chosen neuron and of its chosen incoming weight, written out in the formulas
// neuronet computes, with the step's own numbers (StepTexts): each row a name and its parts,
// text and numbers; a result the worksheet leaves blank is marked as an answer.
import { layerName } from './picture.js';

// A number as a part: as a term of a sum or a product, a negative one in parentheses.
const num = ([text]) => ({ number: text.startsWith('-') ? `(${text})` : text });
const result = ([text]) => ({ number: text, answer: true });
const plain = ([text]) => ({ number: text });
const words = (text) => ({ text });

// Σ over pairs, "a · b + c · d", or what an empty sum is.
function products(pairs, empty) {
  if (!pairs.length) return [words(empty)];
  return pairs.flatMap(([a, b], k) => [...(k ? [words(' + ')] : []), num(a), words(' · '), num(b)]);
}

function sum(values) {
  return values.flatMap((value, k) => [...(k ? [words(' + ')] : []), num(value)]);
}

// The layer's values that feed layer L: the input for L = 1.
const inputsOf = (numbers, L) => (L === 1 ? numbers.input : numbers.layers[L - 2].y);

function forward(numbers, run, L, j) {
  const g = numbers.layers[L - 1];
  const X = inputsOf(numbers, L);
  const { slope, lowest } = run.texts;
  return [
    ['Weighted sum', [words('s = Σ X · W = '), ...products(X.map((x, i) => [x, g.Wbefore[i][j]]),
      '0 (the layer before has no neurons)'), words(' = '), result(g.s[j])]],
    ['Output', [words(`y = 1 / (exp(−${slope[0]} · s) + 1) + ${lowest[0]} = `), result(g.y[j])]],
  ];
}

// f(y), the derivative neuronet takes at the output y.
function derivative(run, g, j) {
  const { slope } = run.texts;
  return [words(`f(y) = ${slope[0]} · e / ((e + 1) · (e + 1)), e = exp(−${slope[0]} · y): f(y) = `),
    plain(g.slopeAt[j])];
}

function outputError(numbers, run, j) {
  const g = numbers.layers.at(-1);
  return [['Error term', [words('δ = (y − D) · f(y); '), ...derivative(run, g, j), words('; y − D = '),
    num(g.y[j]), words(' − '), num(numbers.target[j]), words(' = '), plain(g.difference[j]),
    words('; δ = '), num(g.difference[j]), words(' · '), num(g.slopeAt[j]), words(' = '), result(g.delta[j])]]];
}

// A hidden neuron's error term: f(y) times the error terms of the layer above, each weighted by
// the weight from this neuron to it as it was before this step's update.
function hiddenError(numbers, run, L, j) {
  const g = numbers.layers[L - 1];
  const above = numbers.layers[L];
  const pairs = above.delta.map((delta, k) => [delta, above.Wbefore[j][k]]);
  return [
    ['Error sum', [words(`Σₖ δₖ · Wⱼₖ over ${layerName(run, L + 1)}, with the weights before this ` +
      'step\'s update = '), ...products(pairs, '0 (that layer has no neurons)'),
    ...(pairs.length > 1 ? [words(' = '), ...sum(g.terms[j])] : []), words(' = '), plain(g.errorSum[j])]],
    ['Error term', [words('δ = f(y) · Σₖ δₖ · Wⱼₖ; '), ...derivative(run, g, j), words('; δ = '),
      num(g.slopeAt[j]), words(' · '), num(g.errorSum[j]), words(' = '), result(g.delta[j])]],
  ];
}

function weightChange(numbers, run, L, j, i) {
  const g = numbers.layers[L - 1];
  const X = inputsOf(numbers, L);
  const { eta, alpha } = run.texts;
  if (!X.length) return [['Weight change', [words('The layer before has no neurons: no weight comes in.')]]];
  return [
    ['Weight change', [words('ΔW = (X · (δ · (1 − α)) + P · α) · (−η) = ('), num(X[i]), words(' · '),
      num(g.share[j]), words(' + '), num(g.P[i][j]), words(' · '), num(alpha), words(`) · (−${eta[0]}) = `),
      num(g.sum[i][j]), words(` · (−${eta[0]}) = `), result(g.dW[i][j])]],
    ['New weight', [words('W = '), num(g.Wbefore[i][j]), words(' + '), num(g.dW[i][j]), words(' = '),
      result(g.W[i][j])]],
  ];
}

// The rows explaining the chosen neuron and weight at the step.
export function explanationRows({ numbers, run, selection }) {
  const { layer: L, neuron: j, from: i } = selection;
  const out = run.sizes.length - 1;
  const { eta, alpha, lowest, highest } = run.texts;
  const name = `${layerName(run, L)}, neuron ${j + 1}`;
  if (L === 0) {
    return [['At step', [words(`${numbers.step}, ${name}: it passes x = `), num(numbers.input[j]),
      words(` on to ${layerName(run, 1)}. An input has no weighted sum, no error term and no ` +
        'weights into it: only the computed layers learn.')]]];
  }
  const before = L === 1 ? 'the input' : layerName(run, L - 1);
  const rows = [['At step', [words(`${numbers.step}, ${name}, and the weight into it from neuron ` +
    `${i + 1} of ${before}. η = ${eta[0]} (drawn once), α = ${alpha[0]}; every output lies between ` +
    `${lowest[0]} and ${highest[0]}.${L === out ? '' : ` Its error term comes back from ${
      layerName(run, L + 1)}.`}`)]]];
  rows.push(...forward(numbers, run, L, j));
  rows.push(...(L === out ? outputError(numbers, run, j) : hiddenError(numbers, run, L, j)));
  rows.push(...weightChange(numbers, run, L, j, i));
  rows.push(['Unlike the textbook', [words('neuronet takes f at the output y, the offset ' +
    `${lowest[0]} included, not at the weighted sum s; and a change keeps the share 1 − α of its ` +
    'new term, the share α of the change before. docs/arithmetic.md says so, with every formula: '),
  { link: 'arithmetic.md', text: 'The arithmetic' }]]);
  return rows;
}
