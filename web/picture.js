// The picture of the run as the state holds it, with a mark on every neuron, the chosen one
// showing its numbers.
const element = (id) => document.getElementById(id);
const pictureInterval = 500;  // ms between the pictures shown while training

let shown = null;     // the picture on the page: { picture, url }
let showing = null;   // the picture being decoded
let due = 0;
let placed = null;    // the layout the marks are placed for

// Showing a picture takes the page tens of milliseconds: while training, only the latest
// comes on screen, at most every half second; a held or ended run's at once.
export function renderPicture(state) {
  placeNeurons(state.run);
  const { layer, neuron } = state.selection;
  for (const mark of element('neurons').children) {
    const chosen = +mark.dataset.layer === layer && +mark.dataset.neuron === neuron;
    mark.setAttribute('aria-selected', String(chosen));
    markPhase(mark, state);
  }
  const chosen = element(`neuron-${layer}-${neuron}`);
  if (chosen) element('neurons').setAttribute('aria-activedescendant', chosen.id);
  element('figure').classList.toggle('enlarged', state.enlarged);
  element('enlarge').setAttribute('aria-pressed', String(state.enlarged));
  element('picture-about').hidden = Boolean(state.pictureFault);
  element('picture-fault').hidden = !state.pictureFault;
  element('picture-fault').textContent = state.pictureFault && `The picture stopped: ${state.pictureFault}`;
  const wanted = state.picture;
  if (!wanted || wanted === shown?.picture || wanted === showing) return;
  const slow = state.speed > 0 && state.speed <= 10;
  const wait = state.phase === 'training' && !slow ? due - performance.now() : 0;
  if (wait > 0) {
    setTimeout(() => renderPicture(state), wait);
    return;
  }
  show(wanted, state.phase === 'ended' ? 'neuronet-run.svg' : `neuronet-run-to-step-${wanted.steps}.svg`);
}

async function show(picture, name) {
  showing = picture;
  due = performance.now() + pictureInterval;
  const url = URL.createObjectURL(new Blob([picture.svg], { type: 'image/svg+xml' }));
  const image = new Image();
  image.src = url;
  await image.decode().catch(() => {});
  if (showing !== picture) return URL.revokeObjectURL(url);
  showing = null;
  if (shown) URL.revokeObjectURL(shown.url);
  shown = { picture, url };
  Object.assign(element('picture'), { src: url, alt: picture.title, hidden: false });
  Object.assign(element('picture-download'), { href: url, download: name, hidden: false });
  return undefined;
}

// The neurons as one list over the picture, one tab stop: arrow keys move between neurons and
// layers, and a pointer picks the neuron nearest to it.
export function setUpNeurons(choose, current) {
  const marks = element('neurons');
  marks.addEventListener('keydown', (event) => {
    const moved = step(current(), event.key);
    if (!moved) return;
    event.preventDefault();
    choose(...moved);
  });
  const pick = (event) => {
    const nearest = nearestNeuron(event);
    if (nearest) choose(...nearest);
  };
  marks.addEventListener('pointermove', pick);
  marks.addEventListener('click', pick);
}

// Where a key moves the choice: up and down a layer, to the layers either side, to a layer's
// first or last neuron; layers without neurons are passed over.
function step({ run, selection: { layer, neuron } }, key) {
  if (!run) return null;
  const { sizes } = run;
  const across = (by) => {
    for (let L = layer + by; L >= 0 && L < sizes.length; L += by) {
      if (sizes[L] > 0) return [L, Math.min(neuron, sizes[L] - 1)];
    }
    return null;
  };
  switch (key) {
    case 'ArrowUp': return neuron > 0 ? [layer, neuron - 1] : null;
    case 'ArrowDown': return neuron + 1 < sizes[layer] ? [layer, neuron + 1] : null;
    case 'ArrowLeft': return across(-1);
    case 'ArrowRight': return across(1);
    case 'Home': return [layer, 0];
    case 'End': return [layer, sizes[layer] - 1];
    default: return null;
  }
}

function nearestNeuron(event) {
  if (!placed) return null;
  const box = element('neurons').getBoundingClientRect();
  const x = ((event.clientX - box.left) / box.width) * placed.width;
  const y = ((event.clientY - box.top) / box.height) * placed.height;
  let best = null;
  placed.centres.forEach((layer, L) => layer.forEach(([cx, cy], k) => {
    const distance = Math.hypot(cx - x, cy - y);
    if (distance < 40 && (!best || distance < best.distance)) best = { distance, at: [L, k] };
  }));
  return best?.at ?? null;
}

function placeNeurons(run) {
  if (!run || run === placed) return;
  placed = run;
  const { width, height, centres } = run;
  const marks = element('neurons');
  marks.replaceChildren();
  centres.forEach((layer, L) => layer.forEach(([x, y], k) => {
    const mark = document.createElement('div');
    mark.id = `neuron-${L}-${k}`;
    mark.setAttribute('role', 'option');
    mark.style.left = `${(100 * x) / width}%`;
    mark.style.top = `${(100 * y) / height}%`;
    mark.dataset.layer = L;
    mark.dataset.neuron = k;
    mark.setAttribute('aria-label', `${layerName(run, L)}, neuron ${k + 1}`);
    marks.append(mark);
  }));
}

// In the forward phase a neuron is shaded by its output; in the backward phase, coloured by
// its error term's sign and sized by its share of its layer's largest.
function markPhase(mark, state) {
  const L = +mark.dataset.layer;
  const k = +mark.dataset.neuron;
  const g = L > 0 ? state.numbers?.layers[L - 1] : null;
  const view = g ? state.view : '';
  mark.dataset.phase = view;
  if (view === 'forward') mark.style.setProperty('--level', Number(g.y[k][0]) - Number(state.run.texts.lowest[0]));
  if (view === 'backward') {
    const sizes = g.delta.map(([text]) => Math.abs(Number(text)));
    const largest = Math.max(...sizes.filter(Number.isFinite));
    const delta = g.delta[k][0];
    mark.dataset.sign = Number(delta) === 0 ? 'zero' : delta.startsWith('-') ? 'negative' : 'positive';
    mark.style.setProperty('--size', largest > 0 ? sizes[k] / largest : 0);
  }
}

export const layerName = (run, L) => (L === 0 ? 'input' : L === run.sizes.length - 1 ? 'output layer'
  : `hidden layer ${L}`);
