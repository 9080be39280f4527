// A task file opened in playground.html (file://, network off): a broken one is named with its
// line, a good one makes the page the task's page, whose «Проверить» checks the program from the
// editor; «Без задачи» brings the ordinary page back.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchBrowser, tempFolder } from '../browser/watch_helpers.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const samples = path.join(root, 'tests', 'tasks', 'samples');
const playground = process.env.LUM_PLAYGROUND_HTML;
let browser;

before(async () => {
  assert.ok(playground, 'LUM_PLAYGROUND_HTML names what is tested; run through ctest');
  browser = await launchBrowser();
  await browser.context.setOffline(true);
});
after(async () => browser?.close());

test('a task file opened in the playground checks the program in the editor', async () => {
  const folder = tempFolder('lum-playground-task-');
  const broken = path.join(folder, 'плохая.задача');
  fs.writeFileSync(broken, 'задача: З\nусловие: У\nтест:\nввод: 1\n');
  const page = await browser.context.newPage();
  page.on('dialog', (dialog) => dialog.accept());
  await page.goto(pathToFileURL(playground).href);
  await page.locator('#status.ok').waitFor();

  await page.setInputFiles('#task-file', broken);
  await page.locator('#status', { hasText: 'Ошибка в задаче: плохая.задача, строка 3: у теста нет ожидаемого вывода' }).waitFor();
  assert.equal(await page.isHidden('#task-close'), true);

  await page.click('#program-editor .cm-content');
  await page.keyboard.press('Control+A');
  await page.keyboard.insertText(fs.readFileSync(path.join(samples, 'на_один.лумс'), 'utf8'));
  const frame = page.frameLocator('#output iframe');
  await frame.locator('#result', { hasText: '1' }).waitFor(); // the typed program's own page ran
  await page.setInputFiles('#task-file', path.join(samples, 'сумма.задача'));
  await frame.locator('#task-check').click();
  await frame.locator('#task-summary[data-ms]').waitFor({ timeout: 30000 });
  assert.equal(await frame.locator('#task-test-1').textContent(),
    'Тест 1 из 5: не пройден — ввод: 2, 3; ожидалось: 5; получено: 6; первое отличие — строка 1 Почему?');
  assert.equal(await frame.locator('#task-test-4').textContent(), 'Тест 4 из 5 (скрытый): не пройден');

  // «Почему?» of the first difference: the program steps as on test 2 (answers 10, -4) and the
  // answer about its first output line comes from the line that printed it, back to the answers.
  await frame.locator('#task-test-2 .task-why').click();
  const answer = frame.locator('#лш .лш-почему');
  await answer.locator('.лш-вопрос', { hasText: 'Почему в строке 1 вывода «7»?' }).waitFor();
  assert.deepEqual(await answer.locator('li').evaluateAll((items) => items.map((li) => li.dataset.line)), ['3', '2', '1']);
  assert.match(await answer.locator('li').first().textContent(), /а = 10, б = -4/);
  assert.match(await frame.locator('#лш .лш-где').textContent(), /строка 3$/);
  await page.click('#step'); // «По шагам» of a task steps its program, not the task page
  await frame.locator('#лш .лш-где', { hasText: /^шаг 1 из/ }).waitFor(); // the first step of a new run

  await page.click('#task-close');
  await frame.locator('#result', { hasText: '1' }).waitFor();
  assert.equal(await frame.locator('#task-check').count(), 0);
  fs.rmSync(folder, { recursive: true, force: true });
});
