// Bundles step.js, the step view, from index.js and the parser (acorn, pinned by
// package-lock.json) into one script that a page can hold inline.
//   node build.mjs --modules <node_modules> --out <step.js>
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { bundle } from '../playground/bundle.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const options = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const name of ['modules', 'out']) {
  if (!options[name]) {
    console.error(`build.mjs: --${name} is missing; usage: node build.mjs --modules node_modules --out step.js`);
    process.exit(1);
  }
}
const built = await bundle(path.join(here, 'index.js'), options.modules);
const licence = fs.readFileSync(path.join(options.modules, 'acorn', 'LICENSE'), 'utf8').trim();
const script = `/* step.js — «По шагам» для ЛУМ скрипт. Разбор JavaScript: acorn.\n${licence.replace(/\*\//g, '* /')}\n*/\n${built.outputFiles[0].text}`;
// The script stands inline in pages: nothing in it may end its element early.
if (/<\/script|<!--/i.test(script)) {
  console.error('build.mjs: the bundle holds text that would end its script element early');
  process.exit(1);
}
fs.writeFileSync(options.out + '.tmp', script);
fs.renameSync(options.out + '.tmp', options.out);
console.log(`step.js: ${Buffer.byteLength(script)} bytes`);
