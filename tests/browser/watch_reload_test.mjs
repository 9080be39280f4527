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
    // The opener runs detached from lum: give it a moment to write down what it was given.
    const log = path.join(folder, 'opened.log');
    for (let i = 0; i < 100 && !fs.existsSync(log); i++) await new Promise((r) => setTimeout(r, 50));
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

test('with two pages open, one save reloads both', async () => {
  await withWatch('вывести("раз");\n', async ({ watch, source }) => {
    const pages = [await browser.context.newPage(), await browser.context.newPage()];
    const loads = pages.map(countLoads);
    for (const page of pages) {
      const polling = nextWaitRequest(page);
      await page.goto(watch.url);
      await waitForPanel(page, 'раз');
      await polling;
    }
    // Both long polls are open at the server before the save.
    await sleep(300);
    save(source, 'вывести("два");\n');
    await Promise.all(pages.map((page) => waitForPanel(page, 'два')));
    assert.deepEqual(
      loads.map((l) => l.loads),
      [2, 2],
    );
    for (const page of pages) await page.close();
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
