// The learner's task page (lum решение.лумс --task задача) in headless Chromium: «Проверить» on the
// five sample solutions of tests/tasks/samples gives exactly their rows, hidden tests show only
// their verdict and carry no expected output, a program cannot reach the checker's page, and the
// check table of the off-by-one solution is saved as a picture (LUM_TASK_SCREENSHOT names where;
// docs/задача_проверка.png was made so).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchBrowser, tempFolder } from './watch_helpers.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const samples = path.join(root, 'tests', 'tasks', 'samples');
const lum = path.resolve(process.env.LUM_EXE || path.join(root, 'build', 'lum'));
const folder = tempFolder('lum-task-page-');
let browser;

before(async () => {
  for (const name of fs.readdirSync(samples)) fs.copyFileSync(path.join(samples, name), path.join(folder, name));
  // Tries to read the checker's page: the sandbox leaves it nothing to read.
  fs.writeFileSync(path.join(folder, 'вор.лумс'), 'вывести(parent.document.body.innerHTML)\n');
  // Runs past the limit on the first test only; the program shown under the table is no test.
  fs.writeFileSync(path.join(folder, 'застрял.лумс'), 'пусть а = спросить_число("Первое число?")\n' +
    'пусть б = спросить_число("Второе число?")\nесли а равно 2 то\n  пока истина делать\n  конец\nконец\nвывести(а + б)\n');
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
  fs.rmSync(folder, { recursive: true, force: true });
});

// Compiles the solution with the task, presses «Проверить» and returns the rows' texts.
async function check(name, screenshot) {
  const result = spawnSync(lum, [path.join(folder, name + '.лумс'), '--task', path.join(folder, 'сумма.задача')], { encoding: 'utf8' });
  assert.equal(result.status, 0, result.stdout + result.stderr);
  const html = path.join(folder, name + '.html');
  const page = await browser.context.newPage();
  try {
    await page.goto(pathToFileURL(html).href);
    await page.click('#task-check');
    await page.waitForSelector('#task-summary[data-ms]', { timeout: 30000 });
    if (screenshot) await page.screenshot({ path: screenshot, fullPage: true });
    const rows = await page.$$eval('#task-table tr', (trs) => trs.map((tr) => tr.textContent));
    const summary = await page.textContent('#task-summary');
    const data = await page.evaluate(() => window.__LUM_ЗАДАЧА__.тесты);
    return { rows, summary, data, text: fs.readFileSync(html, 'utf8') };
  } finally {
    await page.close();
  }
}

const passed = (n, hidden) => `Тест ${n} из 5${hidden ? ' (скрытый)' : ''}: пройден`;
const allPassed = [1, 2, 3, 4, 5].map((n) => passed(n, n > 3));

test('five sample solutions get exactly their rows', async () => {
  const cases = {
    верно: allPassed,
    пробелы: allPassed,
    на_один: [
      'Тест 1 из 5: не пройден — ввод: 2, 3; ожидалось: 5; получено: 6; первое отличие — строка 1',
      'Тест 2 из 5: не пройден — ввод: 10, -4; ожидалось: 6; получено: 7; первое отличие — строка 1',
      'Тест 3 из 5: не пройден — ввод: 0, 0; ожидалось: 0; получено: 1; первое отличие — строка 1',
      'Тест 4 из 5 (скрытый): не пройден',
      'Тест 5 из 5 (скрытый): не пройден',
    ],
    подогнано: [passed(1), passed(2), passed(3), 'Тест 4 из 5 (скрытый): не пройден', passed(5, true)],
    // A hidden test tells no more than «не пройден», whatever the reason.
    вечно: [1, 2, 3].map((n) => `Тест ${n} из 5: слишком долго (2 с)`)
      .concat(['Тест 4 из 5 (скрытый): не пройден', 'Тест 5 из 5 (скрытый): не пройден']),
  };
  for (const [name, rows] of Object.entries(cases)) {
    const shot = name === 'на_один' ? process.env.LUM_TASK_SCREENSHOT || path.join(folder, 'проверка.png') : '';
    const got = await check(name, shot);
    assert.deepEqual(got.rows, rows, name);
    if (shot) assert.ok(fs.statSync(shot).size > 1000, 'the screenshot is written');
    assert.match(got.summary, name === 'верно' || name === 'пробелы' ? /^Задача решена! Пройдено тестов: 5 из 5$/ : /^Пройдено тестов: \d из 5$/);
  }
});

test('hidden tests carry a digest, never their expected output', async () => {
  const { data, text } = await check('подогнано');
  assert.deepEqual(data.map((t) => 'ожидалось' in t), [true, true, true, false, false]);
  assert.match(data[3].отпечаток, /^[0-9a-f]{64}$/);
  assert.ok(!text.includes('"123"') && !text.includes('\\n123'), 'the hidden answer 123 is nowhere in the page');
});

test('a program cannot read the checker\'s page', async () => {
  const { rows } = await check('вор');
  assert.equal(rows.length, 5);
  for (const row of rows.slice(0, 3)) assert.match(row, /^Тест \d из 5: ошибка — У вас ошибка .*около строки 1 вашей программы/);
  assert.equal(rows[3], 'Тест 4 из 5 (скрытый): не пройден');
});

test('a test stopped at the limit delays no other test', async () => {
  const { rows } = await check('застрял');
  assert.deepEqual(rows, ['Тест 1 из 5: слишком долго (2 с)', passed(2), passed(3), passed(4, true), passed(5, true)]);
});
