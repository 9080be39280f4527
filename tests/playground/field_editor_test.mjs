// The Robot's field editor of playground.html (file://, network off): a wall, a painted and a
// marked cell, the robot dragged and a note give the very text lum writes, the program on the
// saved field crashes into the new wall, and an example field opened and saved comes back as it was.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchBrowser } from '../browser/watch_helpers.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const playground = process.env.LUM_PLAYGROUND_HTML;
let browser;

before(async () => {
  assert.ok(playground, 'LUM_PLAYGROUND_HTML names what is tested; run through ctest');
  browser = await launchBrowser();
  await browser.context.setOffline(true);
});
after(async () => browser?.close());

test('a field made in the editor is saved as lum writes it and the program runs on it', async () => {
  const page = await browser.context.newPage();
  await page.goto(pathToFileURL(playground).href);
  await page.evaluate(() => localStorage.clear());
  await page.locator('#status.ok').waitFor();
  await page.click('#tab-field');
  for (const [input, value] of [['#field-width', '3'], ['#field-height', '2']]) {
    await page.fill(input, value);
    await page.dispatchEvent(input, 'change');
  }
  const { cell, left, top } = await page.$eval('#field-canvas', (c) => c.dataset);
  const box = await page.locator('#field-canvas').boundingBox();
  // The point (x, y) of the field in cells, from its top left corner.
  const at = (x, y) => [box.x + Number(left) + x * cell, box.y + Number(top) + y * cell];
  await page.mouse.click(...at(1, 1.5)); // the wall right of cell 1 2
  await page.mouse.click(...at(2.5, 0.5)); // cell 3 1: painted
  await page.mouse.click(...at(1.5, 1.5));
  await page.mouse.click(...at(1.5, 1.5)); // cell 2 2: to be painted
  await page.mouse.move(...at(0.5, 0.5));
  await page.mouse.down();
  await page.mouse.move(...at(0.5, 1.5), { steps: 4 });
  await page.mouse.up(); // the robot to cell 1 2
  await page.fill('#field-notes', 'проба');
  await page.fill('#field-name', 'тест');
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#field-save')]);
  assert.equal(download.suggestedFilename(), 'тест.поле');
  assert.equal(fs.readFileSync(await download.path(), 'utf8'), '// проба\nробот 1 2\n+-+-+-+\n|    #|\n+ + + +\n| |.  |\n+-+-+-+\n');

  await page.click('#tab-program');
  await page.click('#program-editor .cm-content');
  await page.keyboard.press('Control+A');
  await page.keyboard.insertText('подключить исполнителя Робот с полем тест\nвверх\nвниз\nвправо\n');
  await page.frameLocator('#output iframe').locator('#result', { hasText: 'Робот разбился: справа стена (строка 4)' }).waitFor();

  const example = path.join(root, 'examples', 'поля', 'коридор.поле');
  await page.click('#tab-field');
  await page.setInputFiles('#field-file', example);
  await page.locator('#field-status', { hasText: 'Открыто поле «коридор»: 9×2' }).waitFor();
  const [again] = await Promise.all([page.waitForEvent('download'), page.click('#field-save')]);
  assert.equal(fs.readFileSync(await again.path(), 'utf8'), fs.readFileSync(example, 'utf8'));
});
