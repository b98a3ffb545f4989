// The moment on screen as the address's fragment, which no browser sends to a server, and
// back: the answers, the seed, where the run was stopped, the step, the neuron and weight
// chosen, whether the step is explained or made a worksheet, its phase shown, and the speed.

import { grouped } from './state.js';

// The phases of a step the page shows one at a time, and the speeds it trains at (0: as fast as
// it can).
export const phases = ['', 'forward', 'backward', 'update'];
export const speeds = [0, 1000, 100, 10, 1];

// The fragment of the moment the state shows, or is going to.
export function fragmentOf(state) {
  const fields = new URLSearchParams();
  if (!state.answers.length && state.seed === null) return '';
  fields.set('answers', state.answers.join('\n'));
  if (state.seed !== null) fields.set('seed', state.seed);
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
  if (state.worksheet) fields.set('worksheet', 1);
  if (state.view) fields.set('phase', state.view);
  if (state.speed) fields.set('speed', state.speed);
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
    notes.push(`The link's ${name} ${text} is not one the page has: ${grouped(near)} is taken.`);
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
  const seed = seedOf(fields, notes);
  const selection = {
    layer: count(fields, 'layer', 0, 'layer', notes) ?? 0,
    neuron: (count(fields, 'neuron', 0, 'neuron', notes) ?? 0),
    from: (count(fields, 'from', 0, 'weight', notes) ?? 0),
  };
  const flag = (key, what) => {
    const value = fields.get(key);
    if (value !== null && value !== '0' && value !== '1') {
      notes.push(`The link's ${key} "${value}" is neither 0 nor 1: ${what}.`);
    }
    return value === '1';
  };
  const explaining = flag('explain', 'the step is not explained');
  const worksheet = flag('worksheet', 'no worksheet is shown');
  const view = fields.get('phase') ?? '';
  if (!phases.includes(view)) notes.push(`The link's phase "${view}" is none of ${phases.slice(1).join(', ')}.`);
  const speed = fields.has('speed') ? Number(fields.get('speed')) : 0;
  if (!speeds.includes(speed)) notes.push(`The link's speed "${fields.get('speed')}" is none the page offers.`);
  return { answers, seed, holdAt: stopAt && step > stopAt ? stopAt : step, stopAt, selection,
    explaining, worksheet, view: phases.includes(view) ? view : '', speed: speeds.includes(speed) ? speed : 0,
    notes };
}

// The seed: a whole number from 0 to 2^32 - 1, as neuronet --seed takes it; none for any other,
// with a note.
export function seedOf(fields, notes) {
  if (!fields.has('seed') || fields.get('seed') === '') return null;
  const text = fields.get('seed');
  if (/^\d+$/.test(text) && Number(text) <= 2 ** 32 - 1) return Number(text);
  notes.push(`The seed "${text}" is not a whole number from 0 to 4294967295: the run is not seeded.`);
  return null;
}
