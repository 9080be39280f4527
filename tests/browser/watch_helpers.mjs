// Shared pieces of the watch-mode browser checks: a lum -w in a temporary folder, headless
// Chromium driven over the DevTools protocol, and saves the way an editor makes them.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const require = createRequire(path.join(here, 'node', 'package.json'));
const { chromium } = require('playwright-core');

export const chromiumPath = '/usr/bin/chromium';

// Flags for a quiet, reproducible browser; the profile is a fresh folder per launch.
const chromiumFlags = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--no-first-run',
];

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export function tempFolder(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// Writes beside the target and renames over it: lum sees one whole change per save.
export function save(file, text) {
  fs.writeFileSync(file + '.saving', text);
  fs.renameSync(file + '.saving', file);
}

// Starts `lum -w <source>` in the source's folder with a fake opener on PATH, so that no
// browser of the desktop opens; resolves once the address is printed.
export async function startWatch(folder, sourceName) {
  const exe = process.env.LUM_EXE;
  if (!exe) throw new Error('LUM_EXE names the lum under test; run the tests through ctest');
  const bin = path.join(folder, 'bin');
  fs.mkdirSync(bin, { recursive: true });
  fs.writeFileSync(path.join(bin, 'xdg-open'), `#!/bin/sh\nprintf '%s\\n' "$1" >> "${folder}/opened.log"\n`, {
    mode: 0o755,
  });
  // LUM_WRAPPER (for example "wine") stands before the lum under test.
  const wrapper = (process.env.LUM_WRAPPER ?? '').split(' ').filter(Boolean);
  const child = spawn(wrapper[0] ?? exe, [...wrapper.slice(1), ...(wrapper.length ? [exe] : []), '-w', sourceName], {
    cwd: folder,
    env: { ...process.env, PATH: `${bin}:${process.env.PATH}`, LUM_HOME: path.join(folder, 'home') },
    stdio: ['ignore', 'pipe', 'pipe'],
    detached: true,
  });
  const watch = { child, out: '', err: '', url: '' };
  child.stdout.setEncoding('utf8');
  child.stderr.setEncoding('utf8');
  child.stdout.on('data', (text) => (watch.out += text));
  child.stderr.on('data', (text) => (watch.err += text));
  const deadline = Date.now() + 30000;
  for (;;) {
    const found = /Страница: (http:\/\/127\.0\.0\.1:\d+\/) {2}\(Ctrl\+C — остановить\)\n/.exec(watch.out);
    if (found) {
      watch.url = found[1];
      return watch;
    }
    if (child.exitCode !== null || Date.now() > deadline) {
      stopWatch(watch);
      throw new Error(`lum -w did not start:\n${watch.out}${watch.err}`);
    }
    await sleep(20);
  }
}

// Stops lum by its own process id (its group holds only it and its opener).
export async function stopWatch(watch) {
  if (watch.child.exitCode !== null || watch.child.signalCode !== null) return;
  const gone = new Promise((resolve) => watch.child.once('exit', resolve));
  try {
    process.kill(-watch.child.pid, 'SIGKILL');
  } catch {
    watch.child.kill('SIGKILL');
  }
  await gone;
}

// `profile`, when given, is the caller's to keep and remove (what a page stored survives a relaunch).
export async function launchBrowser(kept) {
  const profile = kept ?? tempFolder('lum-chromium-');
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    args: chromiumFlags,
  });
  return {
    context,
    async close() {
      await context.close();
      if (!kept) fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// The text of the output panel.
export async function panelText(page) {
  return page.evaluate(() => document.getElementById('result')?.textContent ?? null);
}

// Resolves when the panel holds `text`, or rejects after `timeout` ms.
export async function waitForPanel(page, text, timeout = 10000) {
  await page.waitForFunction((wanted) => (document.getElementById('result')?.textContent ?? '').includes(wanted), text, {
    timeout,
    polling: 10,
  });
}

// Resolves once a "/wait" request is open from the page, or from any page of a browser context
// (the tabs of one browser share one poll, asked by whichever tab holds the lock).
export function nextWaitRequest(pageOrContext, timeout = 10000) {
  return pageOrContext.waitForEvent('request', {
    predicate: (request) => new URL(request.url()).pathname === '/wait',
    timeout,
  });
}
