// Assembles playground.html: the page template with its style, the bundled editor (esbuild over
// main.js and CodeMirror), the worker (lum.js from the browser build, then worker.js), the
// examples with their libraries and fields, the default rules and the bundled packages' licences, all inline.
//
//   node build.mjs --wasm <lum.js> --modules <node_modules> --step <step.js> --out <playground.html>
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { bundle } from './bundle.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..', '..');
// A guard against bloat, not a hard need: the page is opened from a disk or a school's server once
// and kept by the browser. 2.5 MiB since the executors, their field editor and «Почему?» came in.
const maxBytes = 2.5 * 1024 * 1024;

const options = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const name of ['wasm', 'modules', 'step', 'out'])
  if (!options[name]) fail(`--${name} is missing; usage: node build.mjs --wasm lum.js --modules node_modules --step step.js --out playground.html`);

function fail(message) {
  console.error(`build.mjs: ${message}`);
  process.exit(1);
}

const read = (file) => fs.readFileSync(file, 'utf8');
// A JSON text that can stand inside a script element.
const json = (value) => JSON.stringify(value).replace(/</g, '\\u003c');

const editor = await bundle(path.join(here, 'main.js'), options.modules, { metafile: true });

// Licences of every package the bundle took code from, in one comment.
const packages = new Set();
for (const input of Object.keys(editor.metafile.inputs)) {
  const match = /node_modules\/((?:@[^/]+\/)?[^/]+)\//.exec(input);
  if (match) packages.add(match[1]);
}
const licences = [...packages].sort().map((name) => {
  const folder = path.join(options.modules, name);
  const file = fs.readdirSync(folder).find((entry) => /^licen[cs]e/i.test(entry));
  if (!file) fail(`${name} has no licence file to include`);
  return `${name}:\n${read(path.join(folder, file)).trim()}`;
});

const examplesFolder = path.join(root, 'examples');
const sources = (folder) => fs.readdirSync(folder).filter((name) => /\.лумс?$/.test(name)).sort();
const examples = {
  examples: sources(examplesFolder).map((name) => [name, read(path.join(examplesFolder, name))]),
  libraries: [
    ...sources(path.join(examplesFolder, 'библиотеки')).map((name) => [
      `библиотеки/${name}`, read(path.join(examplesFolder, 'библиотеки', name)),
    ]),
    // The Robot's fields the examples ask for, beside them as in examples/.
    ...fs.readdirSync(path.join(examplesFolder, 'поля')).filter((name) => name.endsWith('.поле')).sort().map((name) => [
      `поля/${name}`, read(path.join(examplesFolder, 'поля', name)),
    ]),
  ],
};

const pieces = {
  licenses: licences.join('\n\n').replace(/--/g, '- -'),
  style: read(path.join(here, 'style.css')),
  rules: json(read(path.join(root, 'src', 'keywords.csv'))),
  examples: json(examples),
  worker: `${read(options.wasm)}\n${read(path.join(here, 'worker.js'))}`,
  script: editor.outputFiles[0].text,
  step: read(options.step),
};
// Raw text inside a script or style element ends at the first "</script" or "</style"; "<!--"
// changes how a script element is read.
for (const [name, text] of Object.entries(pieces))
  if (/<\/(script|style)|<!--/i.test(text)) fail(`the ${name} piece holds text that would end its element early`);

// One pass, so that no piece is searched for markers.
const template = read(path.join(here, 'playground.html'));
const markers = [...template.matchAll(/\{\{(\w+)\}\}/g)].map((m) => m[1]).sort();
if (markers.join() !== Object.keys(pieces).sort().join()) fail(`the template holds the markers ${markers}`);
const page = template.replace(/\{\{(\w+)\}\}/g, (marker, name) => pieces[name]);
const size = Buffer.byteLength(page);
if (size > maxBytes) fail(`playground.html would be ${size} bytes, more than the ${maxBytes} allowed`);
fs.writeFileSync(options.out + '.tmp', page);
fs.renameSync(options.out + '.tmp', options.out);
console.log(`playground.html: ${size} bytes (editor ${pieces.script.length}, worker ${pieces.worker.length}, step view ${pieces.step.length})`);
