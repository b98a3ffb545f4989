// The picture of the run as the state holds it, with a focusable mark on every neuron, whose
// numbers show when it has focus or the pointer is on it.
const element = (id) => document.getElementById(id);
const pictureInterval = 500;  // ms between the pictures shown while training

let shown = null;     // the picture on the page: { picture, url }
let showing = null;   // the picture being decoded
let due = 0;
let placed = null;    // the layout the marks are placed for

// Showing a picture takes the page tens of milliseconds: while training, only the latest
// comes on screen, at most every half second; a held or ended run's at once.
export function renderPicture(state, choose) {
  placeNeurons(state.run, choose);
  for (const mark of element('neurons').children) {
    const { layer, neuron } = state.selection;
    mark.setAttribute('aria-pressed', String(+mark.dataset.layer === layer && +mark.dataset.neuron === neuron));
  }
  element('picture-about').hidden = Boolean(state.pictureFault);
  element('picture-fault').hidden = !state.pictureFault;
  element('picture-fault').textContent = state.pictureFault && `The picture stopped: ${state.pictureFault}`;
  const wanted = state.picture;
  if (!wanted || wanted === shown?.picture || wanted === showing) return;
  const wait = state.phase === 'training' ? due - performance.now() : 0;
  if (wait > 0) {
    setTimeout(() => renderPicture(state, choose), wait);
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

function placeNeurons(run, choose) {
  if (!run || run === placed) return;
  placed = run;
  const { width, height, centres } = run;
  const marks = element('neurons');
  marks.replaceChildren();
  centres.forEach((layer, L) => layer.forEach(([x, y], k) => {
    const mark = document.createElement('button');
    mark.type = 'button';
    mark.style.left = `${(100 * x) / width}%`;
    mark.style.top = `${(100 * y) / height}%`;
    mark.dataset.layer = L;
    mark.dataset.neuron = k;
    mark.setAttribute('aria-label', `${layerName(run, L)}, neuron ${k + 1}`);
    for (const event of ['focus', 'pointerenter', 'click']) mark.addEventListener(event, () => choose(L, k));
    marks.append(mark);
  }));
}

export const layerName = (run, L) => (L === 0 ? 'input' : L === run.sizes.length - 1 ? 'output layer'
  : `hidden layer ${L}`);
