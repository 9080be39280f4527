// Benchmark of the run-time layer's message translation (__LUM__.перевести in
// src/output/runtime/words.js) on the browser's messages for ever longer names: the time must
// grow with the length, not with its square (goal: a 100,000-character name in under 50 ms).
// Runs the file as the page runs it, in a fresh context of Node's V8. Prints figures; asserts nothing.
//
//   node bench/messages_bench.mjs
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const context = vm.createContext({});
vm.runInContext(fs.readFileSync(path.join(root, 'src/output/runtime/words.js'), 'utf8'), context);
const translate = vm.runInContext('__LUM__.перевести', context);

const messages = {
  'reading a long key': (name) => `типа: Cannot read properties of undefined (reading '${name}')`,
  'a long name that is no function': (name) => `типа: ${name} не является функцией`,
  'a long word, no known message': (name) => `типа: ${name}`,
};
console.log('message                              length     ms (best of 3)   shown length');
for (const [what, make] of Object.entries(messages)) {
  for (const length of [1000, 10000, 100000]) {
    const text = make('я'.repeat(length));
    let best = Infinity;
    let shown = 0;
    for (let run = 0; run < 3; run++) {
      const start = performance.now();
      shown = translate(text).текст.length;
      best = Math.min(best, performance.now() - start);
    }
    console.log(`${what.padEnd(36)} ${String(length).padStart(7)} ${best.toFixed(2).padStart(12)} ${String(shown).padStart(14)}`);
  }
}
