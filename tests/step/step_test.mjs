// «По шагам» in headless Chromium against lum -w (its /step page and step.js): the steps of each
// kind of statement, stepping back, the canvas of a step against a run stopped there, every
// example run with and without step mode, and the source map read by a library.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser, startWatch, stopWatch, tempFolder } from '../browser/watch_helpers.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const require = createRequire(path.join(root, 'tests', 'browser', 'node', 'package.json'));
const { parse } = require('acorn');
const { TraceMap, originalPositionFor } = require('@jridgewell/trace-mapping');
let browser;

before(async () => {
  assert.ok(process.env.LUM_EXE, 'LUM_EXE names the lum under test; run through ctest');
  assert.ok(fs.existsSync(path.join(path.dirname(process.env.LUM_EXE), 'step.js')), 'step.js is built beside lum');
  browser = await launchBrowser();
});
after(async () => browser?.close());

// Runs `use(watch)` with lum -w serving `name` written in a fresh folder (the examples beside it).
async function serving(name, text, use) {
  const folder = tempFolder('lum-step-');
  fs.cpSync(path.join(root, 'examples'), folder, { recursive: true, filter: (from) => !/\.(html|js)$/.test(from) });
  if (text !== null) fs.writeFileSync(path.join(folder, name), text);
  const watch = await startWatch(folder, name);
  try {
    return await use(watch);
  } finally {
    await stopWatch(watch);
  }
}

// A page with a seeded Math.random, a fake clock and a fixed answer to every question.
async function open(url, clock = false) {
  const page = await browser.context.newPage();
  page.on('dialog', (dialog) => dialog.accept('Вася'));
  await page.addInitScript(() => {
    let seed = 7;
    Math.random = () => ((seed = (seed * 16807) % 2147483647) - 1) / 2147483646;
  });
  if (clock) await page.clock.install({ time: 0 });
  await page.goto(url);
  return page;
}
const recorded = (page) => page.waitForFunction(() => window.__ЛУМ_ШАГИ__, null, { timeout: 15000 });

// Steps as "line:changed,names", the error step and the notes.
function trace(page) {
  return page.evaluate(() => {
    const t = window.__ЛУМ_ШАГИ__.trace;
    const steps = [];
    for (let k = 0; k < Math.min(t.count, 40); k++) {
      const changed = [];
      t.globals.forEach((g, i) => t.valueAt(t.globalHistory[i], k)?.[1] && changed.push(g));
      for (const [name, h] of t.frames[t.frame[k]].vars) if (t.valueAt(h, k)?.[1]) changed.push(name);
      steps.push(t.points[t.point[k]].line + ':' + changed.join(','));
    }
    return { steps: steps.join(' '), count: t.count, errorStep: t.errorStep, notes: t.notes.map((n) => n.kind + ' ' + n.text) };
  });
}

const table = [
  ['sequence', 'пусть а = 2\nпусть б = а * 3\nа = а + б\nвывести(а)\n', '1:а 2:б 3:а 4:'],
  ['if/else', 'пусть x = 1\nесли x больше 3 то\n  вывести("много")\nиначе\n  вывести("мало")\nконец\n', '1:x 2: 5:'],
  ['пока', 'пусть i = 0\nпока i меньше 2 делать\n  i = i + 1\nконец\n', '1:i 2: 3:i 2: 3:i 2:'],
  ['повторить', 'повторить 2 раза\n  вывести(счётчик)\nконец\n', '1:счетчик 2: 1:счетчик 2:'],
  ['для каждого', 'пусть всего = 0\nдля каждого ч из [4, 5] делать\n  всего = всего + ч\nконец\n', '1:всего 2:ч 3:всего 2:ч 3:всего'],
  ['for and do-while', 'for (let k = 0; k < 2; k++) {\n  вывести(k)\n}\nlet d = 0\ndo {\n  d++\n} while (d < 2)\n',
    '1:k 2: 1:k 2: 1:k 4:d 6:d 7: 6:d 7:'],
  ['calls and recursion', 'функция ф(н):\n  если н меньше 2 то\n    вернуть 1\n  конец\n  вернуть н * ф(н - 1)\nконец\nпусть р = ф(3)\n',
    '7:р 2: 5: 2: 5: 2: 3:'],
  ['a list', 'пусть л = [1]\nл.добавить(2)\nл[0] = 5\nвывести(л.длина)\n', '1:л 2:л 3:л 4:'],
  ['a question', 'пусть имя = спросить("Как зовут?")\nвывести("Привет, " + имя)\n', '1:имя 2:', 'question Вопрос «Как зовут?» — ответ: «Вася»'],
  ['an error', 'пусть а = 1\nпусть б = неизвестное + 1\nвывести(б)\n', '1:а 2:', /^error У вас ошибка .*неизвестное/],
];

test('each kind of statement makes its steps with the variables it changed', async () => {
  for (const [what, program, steps, note] of table) {
    await serving('п.лумс', program, async (watch) => {
      const page = await open(watch.url + 'step');
      await recorded(page);
      const got = await trace(page);
      assert.equal(got.steps, steps, what);
      if (typeof note === 'string') assert.ok(got.notes.includes(note), `${what}: ${got.notes}`);
      if (note instanceof RegExp) {
        assert.equal(got.errorStep, got.count - 1, what);
        assert.ok(got.notes.some((n) => note.test(n)), `${what}: ${got.notes}`);
      }
      await page.close();
    });
  }
});

// Programs whose values hold their own code: the recorder shows them without running it.
const ownCode = [
  ['a getter element', 'пусть м = [1, 2]\nObject.defineProperty(м, 0, { get: function () { return 7 } })\nвывести(м[0])\n',
    '[(вычисляется),2]'],
  ['a proxy over a list', 'пусть м = new Proxy([1, 2], { get: function (ц, к) { return ц[к] } })\nм.push(3)\nвывести(м.length)\n',
    '[1,2,3]'],
  ['a replaced push', 'const старый = Array.prototype.push\nArray.prototype.push = function (...а) { return старый.apply(this, а) }\n' +
    'пусть м = [1]\nм.push(2)\nвывести(м.length)\n', '[1,2]'],
];

test('values holding the program\'s own code are read without running it', async () => {
  for (const [what, program, value] of ownCode) {
    await serving('п.лумс', program, async (watch) => {
      const page = await open(watch.url + 'step');
      await recorded(page);
      const got = await page.evaluate(() => {
        const t = window.__ЛУМ_ШАГИ__.trace;
        const kept = t.valueAt(t.globalHistory[t.globals.indexOf('м')], t.count - 1)[0];
        return { count: t.count, errors: t.notes.filter((n) => n.kind === 'error').length,
          value: '[' + kept.items.map(([, v]) => (typeof v === 'object' ? v.name : v)).join(',') + ']' };
      });
      assert.ok(got.count >= 3, what);
      assert.deepEqual([got.errors, got.value], [0, value], what);
      await page.close();
    });
  }
});

test('an endless loop stops at the guard with its trace kept', async () => {
  await serving('п.лумс', 'пусть н = 0\nпока истина делать\n  н = н + 1\nконец\n', async (watch) => {
    const page = await open(watch.url + 'step');
    await recorded(page);
    const got = await trace(page);
    assert.match(got.steps, /^1:н 2: 3:н 2: 3:н/);
    assert.ok(got.notes.some((n) => /^limit Записано 100000 шагов/.test(n)), got.notes);
    assert.ok(got.notes.some((n) => /^error .*не заканчивается/.test(n)), got.notes);
    assert.equal(got.errorStep, got.count - 1);
    await page.close();
  });
});

// What the view shows: canvas pixels, panel, variables and margins.
const shown = (page) => page.evaluate(() => ({
  canvas: document.getElementById('лш-холст').toDataURL(),
  panel: document.getElementById('лш-панель').outerHTML,
  variables: document.querySelector('#лш .лш-переменные').textContent,
  margins: [...document.querySelectorAll('#лш .лш-поле')].map((m) => m.textContent).join('|'),
}));
const drawing = 'ПБ расширенной работы с холстом\nразмеры_холста(200, 120)\nпусть x = 10\nповторить 6 раз\n' +
  '  цвет("rgb(" + x + ", 90, 160)")\n  круг(x, 60, 12)\n  вывести("круг " + x)\n  x = x + 30\nконец\nлиния(0, 0, 200, 120)\n';

test('a step back shows exactly the step before, and the canvas of a step is the canvas of a run stopped there', async () => {
  await serving('рисунок.лумс', drawing, async (watch) => {
    const page = await open(watch.url + 'step');
    await recorded(page);
    const count = await page.evaluate(() => window.__ЛУМ_ШАГИ__.trace.count);
    await page.focus('#лш');
    for (const k of [3, 9, count - 2]) {
      await page.evaluate((at) => window.__ЛУМ_ШАГИ__.view.go(at), k);
      const before = await shown(page);
      await page.keyboard.press('ArrowRight');
      assert.notDeepEqual(await shown(page), before, `step ${k + 1} changes something`);
      await page.keyboard.press('ArrowLeft');
      assert.deepEqual(await shown(page), before, `back to step ${k}`);

      const stopped = await open(`${watch.url}step?остановить=${k}`);
      await recorded(stopped);
      const live = await stopped.evaluate(() => document.getElementById('canvas').toDataURL());
      assert.equal(live, before.canvas, `canvas at step ${k}`);
      await stopped.close();
    }
    await page.close();
  });
});

test("the Robot's field at a step, forwards or back, is the field of a run stopped there", async () => {
  await serving('робот.лумс', null, async (watch) => {
    const page = await open(watch.url + 'step');
    await recorded(page);
    const field = (p) => p.evaluate(() => document.getElementById('executor-field').toDataURL());
    const seen = new Set();
    for (const k of [12, 3, 20]) {
      await page.evaluate((at) => window.__ЛУМ_ШАГИ__.view.go(at), k);
      const shownField = await field(page);
      seen.add(shownField);
      const stopped = await open(`${watch.url}step?остановить=${k}`);
      await recorded(stopped);
      await stopped.waitForTimeout(100);
      assert.equal(await field(stopped), shownField, `field at step ${k}`);
      await stopped.close();
    }
    assert.equal(seen.size, 3, 'the three steps show three fields');
    await page.close();
  });
});

// Output and drawing of a page: the program's own panel and canvas.
const outcome = (page) => page.evaluate(() => ({
  panel: document.getElementById('result').textContent,
  canvas: document.getElementById('canvas').toDataURL(),
}));

test('every example and every program here gives the same output and drawing in step mode', async () => {
  const examples = fs.readdirSync(path.join(root, 'examples')).filter((n) => /\.лумс?$/.test(n)).map((n) => [n, null]);
  const programs = [...table.map(([, text], i) => [`т${i}.лумс`, text]), ['рисунок.лумс', drawing]];
  for (const [name, text] of [...examples, ...programs]) {
    await serving(name, text, async (watch) => {
      const plain = await open(watch.url, true);
      await plain.clock.runFor(3000);
      const expected = await outcome(plain);
      await plain.close();
      const stepped = await open(watch.url + 'step', true);
      await recorded(stepped);
      await stepped.clock.runFor(3000);
      assert.deepEqual(await outcome(stepped), expected, name);
      // The last step shows what the run left.
      const last = await stepped.evaluate(() => {
        const { trace, view } = window.__ЛУМ_ШАГИ__;
        view.go(trace.count - 1);
        return { full: trace.full, panel: document.getElementById('лш-панель').textContent, canvas: document.getElementById('лш-холст').toDataURL(),
          notes: view.notes.map((n) => n.line + ': ' + n.text) };
      });
      if (!last.full) assert.deepEqual({ panel: last.panel, canvas: last.canvas }, expected, `${name}: last step`);
      assert.deepEqual(last.notes, [], `${name}: a correct program gets no note of its run`);
      await stepped.close();
    });
  }
});

// Every statement of the script that the map names gets the line the line map gives it;
// statements of the run-time layer and of the built-in library get none.
function checkMap(script, bodyFirstLine, lineMap) {
  const found = /\/\/# sourceMappingURL=data:application\/json;charset=utf-8;base64,(\S+)/.exec(script);
  assert.ok(found, 'the script carries its map');
  const map = new TraceMap(JSON.parse(Buffer.from(found[1], 'base64').toString('utf8')));
  const library = [script.indexOf('/*подключение библиотеки'), script.indexOf('/*конец библиотеки')];
  let mapped = 0;
  (function walk(node) {
    if (!node || typeof node.type !== 'string') return;
    if (/Statement$|Declaration$/.test(node.type)) {
      const at = originalPositionFor(map, { line: node.loc.start.line, column: node.loc.start.column });
      const bodyLine = node.loc.start.line - bodyFirstLine + 1;
      const own = bodyLine >= 1 && !(node.start > library[0] && node.start < library[1]);
      assert.equal(at.line, own ? lineMap[bodyLine - 1] : null, `${node.type} on script line ${node.loc.start.line}`);
      if (own) mapped++;
    }
    for (const value of Object.values(node)) {
      if (Array.isArray(value)) value.forEach(walk);
      else if (value && typeof value.type === 'string') walk(value);
    }
  })(parse(script, { ecmaVersion: 'latest', locations: true }));
  assert.ok(mapped > 10, `${mapped} statements mapped`);
}

test('the source map, read by a library, names the line of every statement', async () => {
  const program = drawing + 'функция ф(а):\n  вернуть а * 2\nконец\nвывести(ф(2) + "</script>")\n';
  const folder = tempFolder('lum-step-map-');
  fs.writeFileSync(path.join(folder, 'карта.лумс'), program);
  const run = spawnSync(process.env.LUM_EXE, ['карта.лумс', '-js', '-map'], { cwd: folder, encoding: 'utf8' });
  assert.equal(run.status, 0, run.stdout);
  const file = fs.readFileSync(path.join(folder, 'карта.js'), 'utf8');
  const lineMap = JSON.parse(/^var __LUM_LINES__ = (\[.*\]);$/m.exec(file)[1]);
  const body = file.split('\n').findLastIndex((line) => line.startsWith('__LUM__.словарь(')) + 2;
  checkMap(file, body, lineMap);

  await serving('карта.лумс', program, async (watch) => {
    const page = await open(watch.url);
    const script = await page.evaluate(() => document.getElementById('js').textContent);
    const map = await page.evaluate(() => window.__LUM_LINES__);
    checkMap(script, 2, map); // the element's text starts with the line feed after its tag
    await page.close();
  });
  // An ordinary compile's page stays as it was: no map.
  spawnSync(process.env.LUM_EXE, ['карта.лумс'], { cwd: folder });
  assert.doesNotMatch(fs.readFileSync(path.join(folder, 'карта.html'), 'utf8'), /sourceMappingURL/);
});

test('a program that cannot be read runs as usual, and a lum without step.js says so', async () => {
  await serving('п.лумс', 'вывести("начало")\nпусть а = 5 5\n', async (watch) => {
    const page = await open(watch.url + 'step');
    await recorded(page);
    assert.match(await page.textContent('#лш'), /«По шагам» здесь не получится: в строке 2/);
    await page.close();
  });
  const folder = tempFolder('lum-step-none-');
  fs.mkdirSync(path.join(folder, 'bin'));
  for (const file of ['lum', 'keywords.csv']) fs.copyFileSync(path.join(path.dirname(process.env.LUM_EXE), file), path.join(folder, 'bin', file));
  fs.chmodSync(path.join(folder, 'bin', 'lum'), 0o755);
  fs.writeFileSync(path.join(folder, 'п.лумс'), 'вывести(1)\n');
  const exe = process.env.LUM_EXE;
  process.env.LUM_EXE = path.join(folder, 'bin', 'lum');
  const watch = await startWatch(folder, 'п.лумс').finally(() => (process.env.LUM_EXE = exe));
  try {
    const page = await open(watch.url);
    await page.click('#лус-по-шагам');
    await page.getByRole('alert').filter({ hasText: '«По шагам» не установлен' }).waitFor();
    await page.close();
  } finally {
    await stopWatch(watch);
  }
});

test('timers and keys keep adding steps; keys pressed in the view move it and reach no handler', async () => {
  const program = 'функция тик():\n  вывести("тик")\nконец\nчерез(50, тик)\nпри нажатии клавиши\n  вывести(клавиша)\nконец\n';
  await serving('п.лумс', program, async (watch) => {
    const page = await open(watch.url + 'step');
    await recorded(page);
    const lines = () => page.evaluate(() => {
      const t = window.__ЛУМ_ШАГИ__.trace;
      return Array.from(t.point.slice(0, t.count), (p) => t.points[p].line).join(' ');
    });
    await page.waitForFunction(() => window.__ЛУМ_ШАГИ__.trace.count === 3);
    assert.equal(await lines(), '4 5 2');
    await page.focus('#лш');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('x');
    assert.equal(await lines(), '4 5 2');
    await page.mouse.click(100, 300);
    await page.keyboard.press('y');
    await page.waitForFunction(() => window.__ЛУМ_ШАГИ__.trace.count === 5);
    assert.equal(await lines(), '4 5 2 5 6');
    await page.close();
  });
});

// «Почему?» asked through the view, as a learner asks it: of an output line (its place), of a
// variable's value, of a shape (canvas point), of a line that did not run. Expected: the answer's
// steps as their lines, newest first, and what its summary must say.
const questions = [
  ['NaN from a missing parameter', 'функция площадь(ширина, высота):\n  вернуть ширина * высота\nконец\nпусть п = площадь(5)\nвывести(п)\n',
    { output: 0 }, '5 2 4', /Строка 4 .*«площадь» передал 1 знач.*параметров у неё 2 .*«высота» остался без значения/],
  ['неопределено from a function without «вернуть»', 'функция удвоить(ч):\n  пусть р = ч * 2\nконец\nпусть х = удвоить(4)\nвывести(х)\n',
    { variable: 'х' }, '2 4', /«удвоить» дошла до «конец» без «вернуть»/],
  ['an element past the end', 'пусть м = [3, 4, 5]\nпусть н = 3\nпусть э = м[н]\nвывести(э + 1)\n',
    { output: 0 }, '4 3 2 1', /Строка 3 .*в «м» 3 эл\., их номера — с 0 до 2, а номера 3 нет/],
  ['a line not run: the condition was false', 'пусть возраст = 12\nесли возраст больше 18 то\n  вывести("взрослый")\nконец\nвывести("всё")\n',
    { line: 3 }, '2', /условие на строке 2 было «ложь»/],
  ['a shape\'s coordinates', 'ПБ расширенной работы с холстом\nразмеры_холста(200, 120)\nпусть x = 10\nпусть шаг = 40\nx = x + шаг\nкруг(x, 60, 12)\nкруг(150, 60, 12)\n',
    { shape: [50, 60] }, '6 5 4 3', null],
  ['a value set in a branch', 'пусть балл = 3\nпусть оценка = 0\nесли балл больше 4 то\n  оценка = 5\nиначе\n  оценка = 2\nконец\nвывести(оценка)\n',
    { variable: 'оценка' }, '6 3 1', null],
  ['a function never called', 'функция привет():\n  вывести("привет")\nконец\nвывести("пока")\n', { line: 2 }, '', /функция «привет» ни разу не вызвана/],
];

test('«Почему?» answers with the chain of steps a value came from', async () => {
  for (const [what, program, question, lines, summary] of questions) {
    await serving('п.лумс', program, async (watch) => {
      const page = await open(watch.url + 'step');
      await recorded(page);
      await page.evaluate(() => window.__ЛУМ_ШАГИ__.view.go(window.__ЛУМ_ШАГИ__.trace.count - 1));
      if (question.output !== undefined) await page.locator('#лш-панель [data-step]').nth(question.output).click();
      if (question.variable) await page.locator('#лш .лш-пер', { hasText: question.variable }).getByRole('button', { name: 'Почему?' }).click();
      if (question.line) {
        assert.ok(await page.locator('#лш .лш-строка').nth(question.line - 1).evaluate((r) => r.classList.contains('лш-невыполнена')), `${what}: grey`);
        await page.locator('#лш .лш-строка').nth(question.line - 1).click();
      }
      if (question.shape) {
        await page.click('#лш .лш-фигура');
        const box = await page.locator('#лш-холст').boundingBox();
        await page.mouse.click(box.x + question.shape[0], box.y + question.shape[1]);
      }
      const got = await page.evaluate(() => ({
        lines: [...document.querySelectorAll('#лш .лш-почему li')].map((li) => li.dataset.line).join(' '),
        summary: document.querySelector('#лш .лш-итог')?.textContent ?? '',
      }));
      assert.equal(got.lines, lines, `${what}: ${got.summary}`);
      if (summary) assert.match(got.summary, summary, what);
      await page.close();
    });
  }
});

// Notes of a run, under their lines once it has ended: what the run showed that its author would
// not expect (line -> fragment), and correct look-alikes with none.
const runNotes = [
  ['a «пока» that made no turn', 'пусть i = 0\nпока i больше 5 делать\n  вывести(i)\n  i = i + 1\nконец\n',
    { 2: /ни одного оборота: условие было «ложь» уже при первой проверке, когда i = 0/ }],
  ['«вернуть» in both branches of a loop', 'функция есть_чётное(список):\n  для каждого ч из список делать\n    если ч % 2 равно 0 то\n' +
    '      вернуть истина\n    иначе\n      вернуть ложь\n    конец\n  конец\nконец\nвывести(есть_чётное([1, 2, 3]))\n',
    { 6: /только один оборот из 3 .*здесь сработало «вернуть».*\(строки 4, 6\)/ }],
  ['a sum set to 0 in each turn', 'пусть сумма = 0\nдля каждого ч из [1, 2, 3] делать\n  сумма = 0\n  сумма = сумма + ч\nконец\nвывести(сумма)\n',
    { 3: /на 3-м обороте .*«сумма» = 0 и стёрла значение 2, полученное на 2-м обороте \(строка 4\).*последний оборот: 3$/ }],
  ['a flag set back in «иначе»', 'пусть нашли = ложь\nдля каждого имя из ["Аня", "Боря", "Вика"] делать\n  если имя равно "Боря" то\n' +
    '    нашли = истина\n  иначе\n    нашли = ложь\n  конец\nконец\nвывести(нашли)\n',
    { 6: /«нашли» = ложь и стёрла значение истина, полученное на 2-м обороте \(строка 4\).*: ложь$/ }],
  ['look-alike: a «пока» that turns', 'пусть i = 0\nпока i меньше 5 делать\n  вывести(i)\n  i = i + 1\nконец\n', {}],
  ['look-alike: «вернуть» after the loop', 'функция есть_чётное(список):\n  для каждого ч из список делать\n    если ч % 2 равно 0 то\n' +
    '      вернуть истина\n    конец\n  конец\n  вернуть ложь\nконец\nвывести(есть_чётное([1, 2, 3]))\nвывести(есть_чётное([2, 3]))\n', {}],
  ['look-alike: both branches leave, one element', 'функция первое_чётное(список):\n  для каждого ч из список делать\n' +
    '    если ч % 2 равно 0 то\n      вернуть истина\n    иначе\n      вернуть ложь\n    конец\n  конец\nконец\nвывести(первое_чётное([4]))\n', {}],
  ['look-alike: the sum set to 0 before the loop', 'пусть сумма = 5\nсумма = 0\nдля каждого ч из [1, 2, 3] делать\n  сумма = сумма + ч\nконец\nвывести(сумма)\n', {}],
  ['look-alike: a flag never set back', 'пусть нашли = ложь\nдля каждого имя из ["Аня", "Боря", "Вика"] делать\n  если имя равно "Боря" то\n' +
    '    нашли = истина\n  конец\nконец\nвывести(нашли)\n', {}],
  ['look-alike: the flag set last', 'пусть нашли = ложь\nдля каждого имя из ["Аня", "Вика", "Боря"] делать\n  если имя равно "Боря" то\n' +
    '    нашли = истина\n  иначе\n    нашли = ложь\n  конец\nконец\nвывести(нашли)\n', {}],
  ['look-alike: a row sum set to 0 per row and printed in it', 'пусть сумма = 0\nдля каждого ряд из [[1, 2], [3]] делать\n  сумма = 0\n' +
    '  для каждого ч из ряд делать\n    сумма = сумма + ч\n  конец\n  вывести(сумма)\nконец\nвывести(сумма)\n', {}],
  ['look-alike: a loop asking again that was answered at once', 'пусть ответ = спросить("Имя?")\nпока ответ не равно "Вася" делать\n' +
    '  ответ = спросить("Ещё раз")\nконец\n', {}],
  ['look-alike: a loop in a function not turning for its argument', 'функция сумма_до(н):\n  пусть с = 0\n  пусть i = 1\n' +
    '  пока i меньше или равно н делать\n    с = с + i\n    i = i + 1\n  конец\n  вернуть с\nконец\nвывести(сумма_до(0))\n', {}],
  ['look-alike: a last answer kept, chosen by answers', 'пусть согласен = ложь\nдля каждого н из [1, 2] делать\n  если спросить("Да?") равно "Вася" и н равно 1 то\n' +
    '    согласен = истина\n  иначе\n    согласен = ложь\n  конец\nконец\nвывести(согласен)\n', {}],
];

test('a run\'s notes stand under their lines, and correct look-alikes get none', async () => {
  for (const [what, program, expected] of runNotes) {
    await serving('п.лумс', program, async (watch) => {
      const page = await open(watch.url + 'step');
      await recorded(page);
      const got = await page.evaluate(() => [...document.querySelectorAll('#лш .лш-заметка')].map((n) =>
        [Number(n.dataset.line), n.textContent, n.previousElementSibling.querySelector('.лш-номер').textContent]));
      assert.deepEqual(got.map(([line]) => line), Object.keys(expected).map(Number), `${what}: ${got.map((n) => n[1]).join(' | ')}`);
      for (const [line, text, beside] of got) {
        assert.match(text, expected[line], what);
        assert.equal(beside, String(line), `${what}: under its line`);
      }
      await page.close();
    });
  }
});
