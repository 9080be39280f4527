// playground.html in headless Chromium, opened from file:// with the network off: every example
// gives the very page (and messages) native lum gives, a typed program runs and survives a reload
// (waiting for ▶), a warning's line is marked and one click away, a changed example is a new
// program, blocks indent by the rules, links carry programs, and lum --playground hands out a copy
// with its own rules and the examples they run.
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

async function open(file, url = pathToFileURL(file).href) {
  const page = await browser.context.newPage();
  page.on('dialog', (dialog) => dialog.accept(dialog.type() === 'prompt' ? 'моя игра' : undefined));
  // Each page starts as a first visit (file:// pages share one storage); a reload keeps what it kept.
  await page.addInitScript(() => {
    if (sessionStorage.getItem('lum-test')) return;
    localStorage.clear();
    sessionStorage.setItem('lum-test', '1');
  });
  await page.goto(url);
  await page.locator('#status.ok').waitFor();
  return page;
}

async function type(page, text) {
  await page.click('#program-editor .cm-content');
  await page.keyboard.press('Control+A');
  await page.keyboard.insertText(text);
}

// The link «Поделиться» makes (it is made asynchronously).
async function shareLink(page) {
  await page.$eval('#share-link', (input) => (input.value = ''));
  await page.click('#share');
  await page.waitForFunction(() => document.getElementById('share-link').value !== '');
  return page.inputValue('#share-link');
}
const editorText = async (page) => (await page.locator('#program-editor .cm-line').allTextContents()).join('\n');
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
    // The notes are lum's, told with a word for their kind; the status says it is ready.
    const notes = native.lines.slice(0, -1).map((line) => line.replace(/^ПРЕДУПРЕЖДЕНИЕ \[.*?\]: /, 'Предупреждение ')
      .replace(/^ПОДСКАЗКА \[.*?\]: /, 'Подсказка '));
    assert.deepEqual(await page.locator('#notes li').allTextContents(), notes, name);
    assert.match(native.lines.at(-1), /^OK: /);
    assert.match(await page.textContent('#status'), /^Готово — /, name);
  }
  await page.close();
});

test('a typed program runs beside the editor and survives a reload, where it waits for ▶', async () => {
  const page = await open(playground);
  await type(page, 'вывести("набрано в песочнице")\n');
  await panel(page, 'набрано в песочнице');
  // The program is kept a moment after the last key; the reload comes after that.
  await page.waitForFunction((text) => (JSON.parse(localStorage.getItem('lum-playground.program')) || {}).text === text,
    'вывести("набрано в песочнице")\n');
  await page.reload();
  await page.locator('#status.ok').waitFor();
  assert.equal(await editorText(page), 'вывести("набрано в песочнице")\n');
  assert.equal(await page.locator('#output iframe').count(), 0, 'a kept program ran by itself');
  await page.click('#run');
  await panel(page, 'набрано в песочнице');
  await page.close();
});

test('a changed example is a new program; a warning is marked, listed, and a click moves to its line', async () => {
  const page = await open(playground);
  assert.equal(await page.textContent('#name'), 'привет');
  await type(page, 'вывести(1)\nвывести(2)\nвывести("не закрыта)\nвывести(4)\n');
  await page.locator('#name', { hasText: 'Новая программа' }).waitFor();
  assert.equal(await page.textContent('#status'), '2 предупреждения — см. ниже'); // the quote, and the bracket it took
  // The program editor marks the words a warning names, from the language services.
  const marked = page.locator('.cm-lintRange-warning', { hasText: 'не закрыта' });
  await marked.first().waitFor();
  assert.ok(await page.locator('.cm-gutter-lint .cm-lint-marker-warning').count() >= 1);
  await marked.first().hover();
  await page.locator('.cm-tooltip-lint', { hasText: 'незакрытая кавычка' }).waitFor();
  await page.locator('#notes li.goto', { hasText: 'строка 3: незакрытая кавычка' }).click();
  assert.equal(await page.textContent('#program-editor .cm-activeLineGutter'), '3');
  // «Сохранить» asks for a name, which the program then carries.
  const [saved] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
  assert.equal(saved.suggestedFilename(), 'моя игра.лумс');
  assert.equal(await page.textContent('#name'), 'моя игра');
  // Rules without a rule are an error in the rules tab and in the status, never a quiet green.
  assert.equal(await page.getAttribute('#rules-notes li', 'class'), 'info');
  await page.click('#tab-rules');
  await page.click('#rules-editor .cm-content');
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Delete');
  await page.locator('#rules-notes li.error').waitFor();
  await page.locator('#status.failed', { hasText: 'Правила не загрузились' }).waitFor({ state: 'attached' });
  await page.close();
});

test('blocks indent by the rules, brackets close, Tab indents and Esc then Tab leaves', async () => {
  const page = await open(playground);
  await type(page, '');
  await page.keyboard.type('если 1 больше 0 то\nвывести("да")\nконец\nфункция ф(а):\nвернуть а\nконец');
  assert.equal(await editorText(page), 'если 1 больше 0 то\n  вывести("да")\nконец\nфункция ф(а):\n  вернуть а\nконец');
  await page.keyboard.press('Home');
  await page.keyboard.press('Tab');
  assert.match(await editorText(page), /\n {2}конец$/);
  await page.keyboard.press('Escape');
  await page.keyboard.press('Tab');
  assert.ok(await page.evaluate(() => !document.activeElement.closest('.cm-editor')), 'Esc then Tab kept the focus');
  // An apostrophe in a comment opens a string lum does not translate: the next line is coloured so.
  await type(page, "// it's\nвывести(1)\n'\n");
  await page.locator('.cm-line:nth-child(2) .lum-string', { hasText: 'вывести(1)' }).waitFor();
  await page.close();
});

test('a link carries every example byte for byte, and the program waits for ▶', async () => {
  const page = await open(playground);
  await page.uncheck('#autorun');
  const links = [];
  for (const [name] of await page.$$eval('#examples option', (o) => o.slice(1).map((x) => [x.value]))) {
    await page.selectOption('#examples', name);
    const link = await shareLink(page);
    const text = fs.readFileSync(path.join(root, 'examples', name), 'utf8');
    links.push([name, text, link]);
  }
  // A 40-line program: the game example (37 lines) and three lines more.
  const game = links.find(([name]) => name === 'игра.лумс')[1];
  await type(page, game.trimEnd() + '\nвывести(1)\nвывести(2)\nвывести(3)');
  assert.equal((await editorText(page)).split('\n').length, 40);
  const long = await shareLink(page);
  assert.ok(long.length < 2000, `${long.length} characters`);
  await page.close();
  for (const [name, text, link] of links) {
    const opened = await open(playground, link);
    assert.equal(await editorText(opened), text, name);
    assert.equal(await opened.textContent('#name'), name.replace(/\.лумс$/, ''));
    assert.equal(await opened.locator('#output iframe').count(), 0, `${name} ran by itself`);
    await opened.close();
  }
});

test('the page fits 768 by 1024: the editor, the status and the running page are all in view', async () => {
  const page = await open(playground);
  await page.setViewportSize({ width: 768, height: 1024 });
  for (const selector of ['#program-editor', '#status', '#output iframe']) {
    const box = await page.locator(selector).boundingBox();
    assert.ok(box.x + box.width <= 768 && box.y + box.height <= 1024 && box.width > 200, `${selector}: ${JSON.stringify(box)}`);
  }
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
  const rules = 'pattern,replacement,flags\n\\bскажи\\b,console.log,gi\n\\bтег\\b,"\'</script><!--\'",gi\n' +
    '\\bвывести\\b,console.log,gi\n\\bПБ +привет\\b,"console.log(""привет"")",gi\n';
  fs.writeFileSync(path.join(folder, 'bin', 'keywords.csv'), rules);
  const bin = (args) => spawnSync(path.join(folder, 'bin', 'lum'), args, { cwd: folder, encoding: 'utf8' });

  assert.match(bin(['--playground', 'нет-такой']).stdout, /Ошибка: папка не найдена: нет-такой\n$/);
  // What a copy killed while it wrote left behind is swept; another program's file is not.
  for (const name of ['playground.html.lum-999999999-0123456789abcdef.tmp', 'notes.lum-999999999.tmp'])
    fs.writeFileSync(path.join(folder, 'out', name), 'x');
  const written = bin(['--playground', 'out']);
  assert.equal(written.status, 0, written.stdout);
  assert.deepEqual(fs.readdirSync(path.join(folder, 'out')).sort(), ['notes.lum-999999999.tmp', 'playground.html']);
  assert.match(written.stdout, /OK: .*bin\/playground\.html -> out\/playground\.html {2}\(песочница, правила: .*keywords\.csv, правил: 4\)\n$/);

  const page = await open(path.join(folder, 'out', 'playground.html'));
  // Only the examples these rules run are offered, and the copy opens on one of them.
  assert.deepEqual(await page.$$eval('#examples option', (o) => o.slice(1).map((x) => x.value)), ['привет.лумс']);
  assert.equal(await page.textContent('#name'), 'привет');
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
