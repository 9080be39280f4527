// Benchmark of «Почему?» in headless Chromium against lum -w: a loop recorded to just under 100,000
// steps, then the answers timed as the view gives them (goal: at most 100 ms each): of the line
// the program printed last, of a variable's value at the last step, and of a line that never ran
// (the first of these counts the trace's points once). Also the recording time, to set beside
// bench/step_bench.mjs. Prints figures; it asserts nothing.
//
//   npm ci --prefix tests/browser/node   # once: the browser driver, playwright-core
//   ninja -C build lum step && LUM_EXE=build/lum node bench/why_bench.mjs
import fs from 'node:fs';
import path from 'node:path';
import { launchBrowser, startWatch, stopWatch, tempFolder } from '../tests/browser/watch_helpers.mjs';

process.env.LUM_EXE = path.resolve(process.env.LUM_EXE || 'build/lum');
const program = 'функция добавить(а, б):\n  вернуть а + б\nконец\nпусть сумма = 0\nпусть i = 0\n' +
  'пока i меньше 19990 делать\n  сумма = добавить(сумма, i)\n  i = i + 1\n  если i меньше 0 то\n    вывести("никогда")\n  конец\nконец\n' +
  'вывести(добавить(сумма))\n';
const stats = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return `first ${values[0].toFixed(2)} ms, then median ${sorted[sorted.length >> 1].toFixed(2)} ms, max ${sorted.at(-1).toFixed(2)} ms (${sorted.length} answers)`;
};

const browser = await launchBrowser();
const folder = tempFolder('lum-why-bench-');
fs.writeFileSync(path.join(folder, 'б.лумс'), program);
const watch = await startWatch(folder, 'б.лумс');
try {
  const page = await browser.context.newPage();
  await page.goto(watch.url + 'step');
  await page.waitForFunction(() => window.__ЛУМ_ШАГИ__, null, { timeout: 60000 });
  const got = await page.evaluate(() => {
    const { trace, view, recordedMs } = window.__ЛУМ_ШАГИ__;
    const last = trace.count - 1;
    const timed = (question) => {
      const times = [];
      let answer = null;
      for (let i = 0; i < 30; i++) {
        answer = view.ask(question);
        times.push(view.answerMs);
      }
      return { times, steps: answer.items.length, more: answer.more, summary: answer.summary };
    };
    return {
      count: trace.count, recordedMs,
      output: timed({ step: last }),
      value: timed({ step: last - 1, name: 'сумма', frame: 0 }),
      notRun: timed({ line: 10 }),
    };
  });
  console.log(`recorded ${got.count} steps in ${got.recordedMs.toFixed(1)} ms`);
  console.log(`«Почему?» of the last output line (${got.output.steps} steps shown): ${stats(got.output.times)}`);
  console.log(`  ${got.output.summary}`);
  console.log(`«Почему?» of a variable at the last step: ${stats(got.value.times)}`);
  console.log(`«Почему не выполнилась?» of a line never run: ${stats(got.notRun.times)}`);
  console.log(`  ${got.notRun.summary}`);
  await page.close();
} finally {
  await stopWatch(watch);
  await browser.close();
}
