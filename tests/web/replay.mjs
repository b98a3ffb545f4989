// Every transcript case replayed through the browser build under Node.js, by its entry for
// tests: standard output, standard error and exit status must be the case's, byte for byte,
// and the run's last picture what neuronet-plot draws of the case's transcript.
// Usage: node replay.mjs SITE_DIR NEURONET_PLOT CASES_DIR...
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const [site, plot, ...folders] = process.argv.slice(2);
const createNeuronet = createRequire(import.meta.url)(`${site}/neuronet.js`);
let written, picture;
const program = await createNeuronet({
  wasmBinary: readFileSync(`${site}/neuronet.wasm`),
  takeText: (stream, bytes) => written[stream].push(Buffer.from(bytes)),
  sendFrame: (steps, svg) => { picture = svg ?? picture; },
});

let passed = 0, failed = 0;
for (const folder of folders) {
  for (const [name, seed, limit, status] of readFileSync(`${folder}/cases.tsv`, 'latin1')
    .split('\n').filter((line) => /^[^#]/.test(line)).map((line) => line.split('\t'))) {
    const input = readFileSync(`${folder}/${name}.in`);
    const at = program._malloc(input.length + 1);
    program.HEAPU8.set(input, at);
    [written, picture] = [{ 1: [], 2: [] }, []];
    const got = program._neuronet_replay(+seed, limit === '-' ? 0 : +limit, at, input.length);
    program._free(at);
    const wrong = ['out', 'err'].filter((kind, k) =>
      !Buffer.concat(written[k + 1]).equals(readFileSync(`${folder}/${name}.${kind}`)));
    if (String(got) !== status) wrong.push(`exit status (${got})`);
    if (!Buffer.from(picture).equals(execFileSync(plot, [`${folder}/${name}.out`]))) wrong.push('picture');
    console.log(wrong.length ? `FAILED: ${name}: ${wrong.join(', ')} differ` : `ok: ${name}`);
    wrong.length ? ++failed : ++passed;
  }
}
console.log(`${passed} passed, ${failed} failed`);
process.exitCode = failed || !passed ? 1 : 0;
