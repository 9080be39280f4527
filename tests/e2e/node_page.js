// Runs a lum JavaScript file in node inside a stand-in page and prints what the page would show.
//
// node node_page.js program.js [--answers=a|b] [--click=x,y] [--key=Name] [--wait=ms] [--seed=n]
//
// The page has a result panel, a canvas whose 2-D context records every call and property set,
// prompt answers taken in order from --answers and alert texts kept. After the program ran and
// --wait milliseconds of timers passed, it prints the panel's inner HTML, then "[холст] " with the
// recorded canvas calls, "[сообщение] " lines for alerts, "[панель скрыта]" when the panel is
// hidden at the end and "[ошибка] " with an uncaught error. --click calls принажатиинахолст with window.event
// at x,y; --key calls document.onkeydown with that key. --seed makes Math.random repeatable.
'use strict';
const fs = require('fs');
const vm = require('vm');

const file = process.argv[2];
const option = (name, fallback) => {
  const found = process.argv.find((a) => a.startsWith('--' + name + '='));
  return found === undefined ? fallback : found.slice(name.length + 3);
};

const canvasCalls = [];
const alerts = [];
const answers = option('answers', '') === '' ? [] : option('answers', '').split('|');
let failure = '';

const canvasElement = { width: 300, height: 150, style: {} };
const contextState = { canvas: canvasElement, fillStyle: '#000000', strokeStyle: '#000000', lineWidth: 1,
                       font: '10px sans-serif' };
const context = new Proxy(contextState, {
  get(target, key) {
    if (key in target) return target[key];
    return (...args) => { canvasCalls.push(String(key) + '(' + args.map((a) => (typeof a === 'number' ? +a.toFixed(3) : a)).join(',') + ')'); };
  },
  set(target, key, value) {
    canvasCalls.push(String(key) + '=' + value);
    target[key] = value;
    return true;
  },
});
canvasElement.getContext = () => context;

const panel = { style: { display: 'none', color: '' }, innerHTML: '' };
globalThis.window = globalThis;
globalThis.innerWidth = 800;
globalThis.innerHeight = 600;
globalThis.document = {
  onkeydown: null,
  getElementById: (id) => (id === 'result' ? panel : id === 'canvas' ? canvasElement : null),
};
globalThis.prompt = () => (answers.length ? answers.shift() : null);
globalThis.alert = (text) => { alerts.push(String(text)); };
// The panel script keeps these and calls them first: they stay silent so that stdout is the page.
console.log = console.error = console.warn = () => {};

const seed = option('seed', '');
if (seed !== '') {
  let state = Number(seed) >>> 0;
  Math.random = () => {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    return state / 4294967296;
  };
}

const record = (error) => { if (!failure) failure = error && error.message ? error.message : String(error); };
process.on('uncaughtException', record);

try {
  vm.runInThisContext(fs.readFileSync(file, 'utf8'), { filename: file });
} catch (error) {
  record(error);
}

const click = option('click', '');
const key = option('key', '');
setTimeout(() => {
  try {
    if (click !== '') {
      const [x, y] = click.split(',').map(Number);
      globalThis.event = { offsetX: x, offsetY: y };
      globalThis.принажатиинахолст();
      globalThis.event = undefined;
    }
    if (key !== '') document.onkeydown({ key });
  } catch (error) {
    record(error);
  }
}, 0);

setTimeout(() => {
  let out = panel.innerHTML;
  if (out !== '' && !out.endsWith('\n')) out += '\n';
  if (canvasCalls.length) out += '[холст] ' + canvasCalls.join(' ') + '\n';
  for (const text of alerts) out += '[сообщение] ' + text + '\n';
  if (panel.style.display === 'none') out += '[панель скрыта]\n';
  if (failure) out += '[ошибка] ' + failure + '\n';
  process.stdout.write(out, () => process.exit(0));
}, Number(option('wait', '100')));
