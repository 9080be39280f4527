// A served watch page in a live headless Chromium: a save reloads every open page by itself,
// and a reload by hand is answered while the page's long poll is pending.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';

import {
  launchBrowser,
  nextWaitRequest,
  panelText,
  save,
  sleep,
  startWatch,
  stopWatch,
  tempFolder,
  waitForPanel,
} from './watch_helpers.mjs';

let browser;
before(async () => {
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
});

// One lum -w per test, in a folder of its own, stopped when the test ends.
async function withWatch(sourceText, body) {
  const folder = tempFolder('lum-watch-');
  const source = path.join(folder, 'игра.лумс');
  fs.writeFileSync(source, sourceText);
  const watch = await startWatch(folder, 'игра.лумс');
  try {
    await body({ watch, source, folder });
  } finally {
    await stopWatch(watch);
    fs.rmSync(folder, { recursive: true, force: true });
  }
  assert.equal(watch.err, '', 'standard error stays empty');
}

// Counts the page's loads, the first one included.
function countLoads(page) {
  const counter = { loads: 0 };
  page.on('load', () => counter.loads++);
  return counter;
}

test('a save reloads the open page, whose panel then shows the new output', async () => {
  await withWatch('вывести("версия 1");\n', async ({ watch, source, folder }) => {
    // The opener runs detached from lum: give it a moment to write down what it was given (the
    // shell makes the file before it writes the line).
    const log = path.join(folder, 'opened.log');
    const written = () => fs.existsSync(log) && fs.readFileSync(log, 'utf8').endsWith('\n');
    for (let i = 0; i < 100 && !written(); i++) await new Promise((r) => setTimeout(r, 50));
    assert.equal(fs.readFileSync(log, 'utf8'), watch.url + '\n');
    const page = await browser.context.newPage();
    const loads = countLoads(page);
    const polling = nextWaitRequest(page);
    await page.goto(watch.url);
    await waitForPanel(page, 'версия 1');
    await polling;
    assert.equal(loads.loads, 1);

    save(source, 'вывести("версия 2");\nвывести("вторая строка");\n');
    await waitForPanel(page, 'вторая строка');
    assert.equal(loads.loads, 2, 'the page reloaded itself once');
    assert.equal((await panelText(page)).trim(), 'версия 2\nвторая строка');
    assert.match(watch.out, /перекомпилировано: \d\d:\d\d:\d\d\n/);

    // An idle page is not reloaded: nothing changes, nothing loads.
    await sleep(1500);
    assert.equal(loads.loads, 2);
    await page.close();
  });
});

// Opens `count` tabs of the served page, each showing `text`; counts the long polls the tabs
// hold open at once (`pending`, `most`).
async function openTabs(watch, count, text) {
  const polls = { pending: 0, most: 0 };
  const context = browser.context;
  const onRequest = (request) => {
    if (new URL(request.url()).pathname !== '/wait') return;
    polls.most = Math.max(polls.most, ++polls.pending);
  };
  const onDone = (request) => {
    if (new URL(request.url()).pathname === '/wait') polls.pending--;
  };
  context.on('request', onRequest);
  context.on('requestfinished', onDone);
  context.on('requestfailed', onDone);
  polls.stop = () => {
    context.off('request', onRequest);
    context.off('requestfinished', onDone);
    context.off('requestfailed', onDone);
  };
  const pages = [];
  for (let i = 0; i < count; i++) {
    const page = await context.newPage();
    pages.push(page);
    const loads = countLoads(page);
    page.loads = loads;
    // Far more tabs than the six connections a browser opens to one host: none waits for one.
    await page.goto(watch.url, { timeout: 5000 });
    await waitForPanel(page, text, 5000);
  }
  return { pages, polls };
}

test('eight tabs share one long poll, and one save reloads every one of them', async () => {
  await withWatch('вывести("раз");\n', async ({ watch, source }) => {
    const polling = nextWaitRequest(browser.context);
    const { pages, polls } = await openTabs(watch, 8, 'раз');
    await polling;
    await sleep(300);
    try {
      save(source, 'вывести("два");\n');
      await Promise.all(pages.map((page) => waitForPanel(page, 'два')));
      assert.deepEqual(
        pages.map((page) => page.loads.loads),
        Array(8).fill(2),
      );
      await sleep(500);
      assert.equal(polls.most, 1, 'the tabs hold one long poll between them');
    } finally {
      polls.stop();
      for (const page of pages) await page.close();
    }
  });
});

test('a reload by hand is served at once while the long poll is pending', async () => {
  await withWatch('вывести("ждёт");\n', async ({ watch }) => {
    const page = await browser.context.newPage();
    const polling = nextWaitRequest(page);
    await page.goto(watch.url);
    await polling;
    await sleep(500);
    for (let i = 0; i < 3; ++i) {
      const started = Date.now();
      const pollingAgain = nextWaitRequest(page);
      await page.reload({ timeout: 10000 });
      await waitForPanel(page, 'ждёт');
      const took = Date.now() - started;
      assert.ok(took < 5000, `reload took ${took} ms`);
      await pollingAgain;
    }
    await page.close();
  });
});

test('the warnings of the last compile stand over the page, with their line, until closed', async () => {
  await withWatch('вывести("начало");\nвывести("нет конца);\n', async ({ watch, source }) => {
    const page = await browser.context.newPage();
    try {
      await page.goto(watch.url);
      const notes = page.locator('#лус-замечания');
      await notes.waitFor({ timeout: 5000 });
      const text = await notes.innerText();
      assert.match(text, /Замечания к программе игра\.лумс/);
      assert.match(text, /Предупреждение: строка 2: незакрытая кавычка " — текст после неё переведётся как код/);
      assert.match(text, /2 \| вывести\("нет конца\);\n {2}\| \^{20}/);
      // The page as written holds no warning: the server hands them over on a route of its own.
      assert.doesNotMatch(fs.readFileSync(path.join(path.dirname(source), 'игра.html'), 'utf8'), /переведётся как код/);
      await notes.getByRole('button', { name: 'Закрыть' }).click();
      assert.equal(await notes.count(), 0);
      // The next compile without warnings reloads the page, which shows none.
      save(source, 'вывести("конец");\n');
      await waitForPanel(page, 'конец');
      await sleep(500);
      assert.equal(await notes.count(), 0);
    } finally {
      await page.close();
    }
  });
});
