// The moment on screen as the address's fragment, which no browser sends to a server, and
// back: the answers, where the run was stopped, the step, the neuron and weight chosen, and
// whether the step is explained.

// The fragment of the moment the state shows, or is going to.
export function fragmentOf(state) {
  const fields = new URLSearchParams();
  if (!state.answers.length) return '';
  fields.set('answers', state.answers.join('\n'));
  if (state.stopAt) fields.set('stop', state.stopAt);
  const step = state.goingTo || state.step;
  if (step) fields.set('step', step);
  const { layer, neuron, from } = state.selection;
  if (layer || neuron || from) {
    fields.set('layer', layer);
    fields.set('neuron', neuron);
    fields.set('from', from);
  }
  if (state.explaining) fields.set('explain', 1);
  return fields.toString();
}

// A count in a link: a whole number from `least`; or the nearest one, with a note, for a
// number that is not; or none, with a note, for what is no number at all.
function count(fields, key, least, name, notes) {
  if (!fields.has(key)) return undefined;
  const text = fields.get(key);
  const value = Number(text);
  if (text.trim() === '' || !Number.isFinite(value)) {
    notes.push(`The link's ${name} "${text}" is not a number: it is left out.`);
    return undefined;
  }
  const near = Math.max(least, Math.floor(value));
  if (near !== value) {
    notes.push(`The link's ${name} ${text} is not one the page has: ${near.toLocaleString('en')} is taken.`);
  }
  return near;
}

// What a fragment asks for, and a note of every value in it that cannot be honoured as it
// stands. Nothing when it names no run.
export function readFragment(fragment) {
  const fields = new URLSearchParams(fragment.replace(/^#/, ''));
  if (!fields.has('answers')) return null;
  const notes = [];
  const answers = fields.get('answers').split('\n').filter((line) => line.length);
  const step = count(fields, 'step', 1, 'step', notes) ?? 0;
  const stopAt = count(fields, 'stop', 1, 'stop', notes) ?? 0;
  const selection = {
    layer: count(fields, 'layer', 0, 'layer', notes) ?? 0,
    neuron: (count(fields, 'neuron', 0, 'neuron', notes) ?? 0),
    from: (count(fields, 'from', 0, 'weight', notes) ?? 0),
  };
  const explain = fields.get('explain');
  if (explain !== null && explain !== '0' && explain !== '1') {
    notes.push(`The link's explain "${explain}" is neither 0 nor 1: the step is not explained.`);
  }
  return { answers, holdAt: stopAt && step > stopAt ? stopAt : step, stopAt, selection,
    explaining: explain === '1', notes };
}
