// playground.html in headless Chromium, opened from file:// with the network off: every example
// gives the very page (and messages) native lum gives, a typed program runs and survives a reload,
// a warning's line is one click away, and lum --playground hands out a copy with its own rules.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchBrowser, tempFolder } from '../browser/watch_helpers.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const exe = process.env.LUM_EXE;
const playground = process.env.LUM_PLAYGROUND_HTML;
let browser;
const offNetwork = [];

// lum's output lines after the banner.
function lum(args, cwd) {
  const run = spawnSync(exe, args, { cwd, encoding: 'utf8', env: { ...process.env, LUM_HOME: cwd } });
  return { status: run.status, lines: run.stdout.split('\n').slice(1).filter((line) => line !== '') };
}

async function open(file) {
  const page = await browser.context.newPage();
  page.on('dialog', (dialog) => dialog.accept());
  await page.goto(pathToFileURL(file).href);
  await page.locator('#status.ok').waitFor();
  return page;
}

async function type(page, text) {
  await page.click('#program-editor .cm-content');
  await page.keyboard.press('Control+A');
  await page.keyboard.insertText(text);
}

const panel = (page, text) => page.frameLocator('#output iframe').locator('#result', { hasText: text }).waitFor();

before(async () => {
  assert.ok(exe && playground, 'LUM_EXE and LUM_PLAYGROUND_HTML name what is tested; run through ctest');
  browser = await launchBrowser();
  await browser.context.setOffline(true);
  browser.context.on('request', (request) => /^(file|data|blob|about):/.test(request.url()) || offNetwork.push(request.url()));
});
after(async () => {
  await browser?.close();
  assert.deepEqual(offNetwork, [], 'the playground asked the network for something');
});

test('every example gives the page and the messages of native lum', async () => {
  const folder = tempFolder('lum-playground-');
  fs.cpSync(path.join(root, 'examples'), folder, { recursive: true, filter: (from) => !/\.(html|js)$/.test(from) });
  const page = await open(playground);
  await page.uncheck('#autorun'); // the pages are compared, not run
  for (const name of fs.readdirSync(folder).filter((entry) => /\.лумс?$/.test(entry))) {
    const native = lum([name], folder);
    assert.equal(native.status, 0, name);
    await page.selectOption('#examples', name);
    // Chromium drops a frame's 11th download within one second: at most about seven a second here.
    await new Promise((resolve) => setTimeout(resolve, 150));
    // The download compiles the text at once and shows that compile's messages.
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
    const bytes = fs.readFileSync(await download.path());
    assert.ok(bytes.equals(fs.readFileSync(path.join(folder, download.suggestedFilename()))), `${name}: the page differs`);
    const shown = [...(await page.locator('#notes li').allTextContents()), await page.textContent('#status')];
    assert.deepEqual(shown, native.lines, name);
  }
  await page.close();
});

test('a typed program runs beside the editor and survives a reload', async () => {
  const page = await open(playground);
  await type(page, 'вывести("набрано в песочнице")\n');
  await panel(page, 'набрано в песочнице');
  await page.reload();
  await panel(page, 'набрано в песочнице');
  assert.match(await page.textContent('#program-editor .cm-content'), /набрано в песочнице/);
  await page.close();
});

test('a warning is listed under the editor and a click moves the cursor to its line', async () => {
  const page = await open(playground);
  await type(page, 'вывести(1)\nвывести(2)\nвывести("не закрыта)\nвывести(4)\n');
  const note = page.locator('#notes li.goto', { hasText: 'строка 3: незакрытая кавычка' });
  await note.click();
  assert.equal(await page.textContent('#program-editor .cm-activeLineGutter'), '3');
  await page.close();
});

test("lum's problems on their words, a quick fix, hover and completion in the editor", async () => {
  const page = await open(playground);
  await type(page, 'пусть очки = 0\nеслиб очки больше 1 то\nконец\nесли очки > 1\n  вывести(очки)\nконец\n');
  // The unknown word underlined, a mark in the gutter; its fix applied from the hover.
  const word = page.locator('.cm-lintRange', { hasText: 'еслиб' });
  await word.waitFor();
  assert.ok(await page.locator('.cm-gutter-lint .cm-lint-marker').count() >= 2);
  await word.hover();
  const fix = page.locator('.cm-tooltip-lint button', { hasText: 'Заменить на «если»' });
  await fix.click();
  await page.locator('.cm-line', { hasText: /^если очки больше 1 то$/ }).waitFor();
  // The header without its word: the word added.
  await page.locator('.cm-lintRange', { hasText: 'если очки > 1' }).hover();
  await page.locator('.cm-tooltip-lint button', { hasText: 'Дописать «то»' }).click();
  await page.locator('.cm-line', { hasText: /^если очки > 1 то$/ }).waitFor();
  // Hover on a word of the table and on a name of the program.
  await page.mouse.move(0, 0);
  await page.locator('.cm-line').first().locator('text=пусть').hover({ position: { x: 5, y: 5 } });
  await page.locator('.cm-tooltip .lum-doc', { hasText: 'объявить переменную' }).waitFor();
  // Completion: the table's words, its snippets and the program's names.
  await page.keyboard.press('Control+End');
  await page.keyboard.type('кр');
  await page.locator('.cm-tooltip-autocomplete li', { hasText: 'круг' }).first().waitFor();
  await page.keyboard.press('Escape');
  await page.keyboard.type('\nоч');
  await page.locator('.cm-tooltip-autocomplete li', { hasText: 'очки' }).first().waitFor();
  await page.close();
});

test('lum --playground writes a copy whose default rules are the ones lum loaded', async () => {
  const folder = tempFolder('lum-playground-flag-');
  fs.mkdirSync(path.join(folder, 'bin'));
  fs.mkdirSync(path.join(folder, 'out'));
  fs.copyFileSync(exe, path.join(folder, 'bin', 'lum'));
  fs.chmodSync(path.join(folder, 'bin', 'lum'), 0o755);
  fs.copyFileSync(playground, path.join(folder, 'bin', 'playground.html'));
  // A rule that writes "</script>" must not end the page's block of rules early.
  const rules = 'pattern,replacement,flags\n\\bскажи\\b,console.log,gi\n\\bтег\\b,"\'</script><!--\'",gi\n';
  fs.writeFileSync(path.join(folder, 'bin', 'keywords.csv'), rules);
  const bin = (args) => spawnSync(path.join(folder, 'bin', 'lum'), args, { cwd: folder, encoding: 'utf8' });

  assert.match(bin(['--playground', 'нет-такой']).stdout, /Ошибка: папка не найдена: нет-такой\n$/);
  const written = bin(['--playground', 'out']);
  assert.equal(written.status, 0, written.stdout);
  assert.match(written.stdout, /OK: .*bin\/playground\.html -> out\/playground\.html {2}\(песочница, правила: .*keywords\.csv, правил: 2\)\n$/);

  const page = await open(path.join(folder, 'out', 'playground.html'));
  await type(page, 'скажи("слово учителя")\n');
  await panel(page, 'слово учителя');
  await page.click('#tab-rules');
  assert.equal((await page.locator('#rules-editor .cm-line').allTextContents()).join('\n'), rules);
  await page.close();
});

test('«По шагам» runs the program step by step beside it, library code without steps', async () => {
  const page = await open(playground);
  await type(page, 'ПБ расширенной работы с холстом\nпусть а = 1\nа = а + 1\nвывести(а)\n');
  await panel(page, '2');
  await page.click('#step');
  await page.frameLocator('#output iframe').locator('#лш').waitFor();
  const frame = page.frames().find((f) => f !== page.mainFrame());
  const lines = await frame.evaluate(() => {
    const t = window.__ЛУМ_ШАГИ__.trace;
    return Array.from(t.point.slice(0, t.count), (p) => t.points[p].line);
  });
  assert.deepEqual(lines, [2, 3, 4]);
  await page.close();
});
