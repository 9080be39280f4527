// A class end to end in headless Chromium: a pupil presses «Сдать» twice on the learner's page
// (the name typed once is remembered; both files stay, the newer counts), and lum --class on a
// folder with known verdicts, a pupil of the list who handed nothing in, a broken file, a foreign
// one, a badly named source and a planted copy prints exactly the expected table and writes a
// класс.html where nothing a pupil wrote becomes markup (nor drives the terminal).
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchBrowser, tempFolder } from './watch_helpers.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const samples = path.join(root, 'tests', 'tasks', 'samples');
const lum = path.resolve(process.env.LUM_EXE || path.join(root, 'build', 'lum'));
const work = tempFolder('lum-class-work-');
const folder = tempFolder('lum-class-');
const profile = tempFolder('lum-class-chromium-');  // one profile: the pupil's name stays stored

after(() => {
  fs.rmSync(work, { recursive: true, force: true });
  fs.rmSync(folder, { recursive: true, force: true });
  fs.rmSync(profile, { recursive: true, force: true });
});

// A page in a browser of its own on the one profile: a headless browser left open between the
// steps was sometimes gone by the next one, so each step starts one and closes it.
async function withPage(use) {
  const browser = await launchBrowser(profile);
  try {
    const page = await browser.context.newPage();
    return await use(page);
  } finally {
    await browser.close();
  }
}

// The learner's page of a sample solution; «Сдать» pressed, the file saved into the class folder.
async function handIn(sample, name) {
  fs.copyFileSync(path.join(samples, sample), path.join(work, sample));
  const compiled = spawnSync(lum, [path.join(work, sample), '--task', path.join(samples, 'сумма.задача')], { encoding: 'utf8' });
  assert.equal(compiled.status, 0, compiled.stdout);
  return withPage(async (page) => {
    await page.goto(pathToFileURL(path.join(work, sample.replace('.лумс', '.html'))).href);
    if (name) await page.fill('#task-pupil', name);
    else assert.equal(await page.inputValue('#task-pupil'), 'Иванова Анна', 'the name typed before is remembered');
    const [download] = await Promise.all([page.waitForEvent('download', { timeout: 60000 }), page.click('#task-hand-in')]);
    const file = path.join(folder, download.suggestedFilename());
    await download.saveAs(file);
    assert.match(await page.textContent('#task-hand-in-note'), /Сохранён файл/);
    return JSON.parse(fs.readFileSync(file, 'utf8'));
  });
}

test('hand-ins twice, then the class table', async () => {
  const first = await handIn('на_один.лумс', 'Иванова Анна');
  assert.equal(first.ученик, 'Иванова Анна');
  assert.equal(first.задача, 'Сумма двух чисел');
  assert.equal(first.программа, fs.readFileSync(path.join(samples, 'на_один.лумс'), 'utf8'));
  assert.deepEqual(first.проверка, { пройдено: 0, тестов: 5 });
  await new Promise((resolve) => setTimeout(resolve, 1100));  // a second later: the newer one
  const second = await handIn('верно.лумс', '');
  assert.deepEqual(second.проверка, { пройдено: 5, тестов: 5 });
  assert.equal(fs.readdirSync(folder).filter((f) => f.endsWith('.сдача')).length, 2, 'both hand-ins are kept');

  fs.copyFileSync(path.join(samples, 'сумма.задача'), path.join(folder, 'сумма.задача'));
  fs.copyFileSync(path.join(root, 'examples', 'задачи', 'таблица.задача'), path.join(folder, 'таблица.задача'));
  const write = (name, text) => fs.writeFileSync(path.join(folder, name), text);
  write('класс.txt', 'оценка 4: 75\nученики:\n  Иванова Анна\n  Петров Пётр\n  Сидоров Иван\n  Орлова Ольга\n');
  write('Петров Пётр - сумма.лумс', fs.readFileSync(path.join(samples, 'подогнано.лумс')));
  // The planted copy: Иванова's program with other names, spacing and a comment.
  write('Сидоров Иван - сумма.лумс', '// сам решил\nпусть x=спросить_число("Первое число?")\nпусть y = спросить_число("Второе число?")\nвывести(x+y)\n');
  write('Иванова Анна - таблица.лумс', 'пусть ч = спросить_число("Число?")\nповторить 5 раз\n    вывести(ч + " x " + (счётчик + 1) + " = " + ч * (счётчик + 1))\nконец\n');
  write('Сидоров Иван - таблица.лумс', 'пусть ч = спросить_число("Число?")\nпусть к = 1\nпока к <= 5 делать\n' +
        '    вывести(ч + " x " + к + " = " + ч * к)\n    к = к + 1\nконец\n');
  write('взлом.сдача', JSON.stringify({ лум: 'сдача', ученик: '<script>alert(1)</script>', задача: 'Сумма двух чисел',
    время: '2026-12-09T09:05:00+03:00', программа: 'вывести("</pre><img src=x onerror=alert(2)>\\u001b[2J")' }));
  write('испорчен.сдача', '{"лум":"сдача","ученик":"Кто-то"');
  write('заметка.txt', 'не работа');
  write('сумма.лумс', 'вывести(5)\n');

  const r = spawnSync(lum, ['--class', folder], { encoding: 'utf8', timeout: 120000 });
  assert.equal(r.status, 0, r.stdout + r.stderr);
  assert.ok(r.stdout.includes('получено </pre><img src=x onerror=alert(2)> [2J'), 'the output is told, its control characters as spaces');
  const start = r.stdout.indexOf('Ученик');
  const table = r.stdout.slice(start).split('\n').slice(0, 6).join('\n').replace(/\d\d:\d\d/g, 'ЧЧ:ММ');
  assert.equal(table, [
    'Ученик                     Сумма двух чисел  Таблица умножения  Оценка',
    'Иванова Анна               5/5 5 ЧЧ:ММ ×2    3/3 5              5',
    'Петров Пётр                4/5 4             не сдано           3',
    'Сидоров Иван               5/5 5             2/3 3              4',
    'Орлова Ольга               не сдано          не сдано           2',
    '<script>alert(1)</script>  0/5 2 ЧЧ:ММ       не сдано           2',
  ].join('\n'), r.stdout);
  for (const line of [
    '«Таблица умножения»: не сдали: Петров Пётр, Орлова Ольга, <script>alert(1)</script>',
    'Возможно списано («Сумма двух чисел»): Иванова Анна, Сидоров Иван',
    'Не проверен: испорчен.сдача: это не файл «Сдать»',
    'Не проверен: заметка.txt: не сдача',
    'Не проверен: сумма.лумс: имя не по правилу «ученик - задача.лумс»',
    'сдано раньше, чем',
    'Слова: в программе должно быть слово «повторить»',
  ]) assert.ok(r.stdout.includes(line), `${line}\n---\n${r.stdout}`);

  const html = fs.readFileSync(path.join(folder, 'класс.html'), 'utf8');
  assert.ok(!html.includes('<script') && !html.includes('<img'), 'nothing a pupil wrote is markup');
  assert.ok(html.includes('&lt;script&gt;alert(1)&lt;/script&gt;'));
  await withPage(async (page) => {
    await page.goto(pathToFileURL(path.join(folder, 'класс.html')).href);
    const cells = await page.$$eval('#grid tr:nth-child(2) td', (tds) => tds.map((td) => td.className));
    assert.deepEqual(cells, ['who', 'm5', 'm5', 'm5']);
    // The page prints on one A4 sheet.
    const pdf = await page.pdf({ format: 'A4' });
    assert.equal((pdf.toString('latin1').match(/\/Type\s*\/Page[^s]/g) || []).length, 1);
    if (process.env.LUM_CLASS_SCREENSHOT) await page.screenshot({ path: process.env.LUM_CLASS_SCREENSHOT, fullPage: true });
  });
});
