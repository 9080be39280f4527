// The playground page: the program and the rules in two editors, lum's notes under them, and the
// compiled page running in a sandboxed frame beside them. The page's data blocks (default rules,
// examples, worker source) are written by build.mjs; lum --playground replaces the rules.
import { Compartment, EditorState } from '@codemirror/state';
import {
  EditorView, drawSelection, highlightActiveLine, highlightActiveLineGutter, keymap, lineNumbers,
} from '@codemirror/view';
import { defaultKeymap, history, historyKeymap, indentWithTab } from '@codemirror/commands';
import { Compiler } from './compiler.js';
import { highlighter } from './highlight.js';
import { taskControls } from './task.js';

const $ = (id) => document.getElementById(id);
const data = (id) => JSON.parse($(id).textContent);
const defaultRules = data('lum-rules');
const { examples, libraries } = data('lum-examples'); // [[name, text]...], [[path, text]...]
const recompileAfterMs = 300;
const shownNotes = 200;
// Bounds on the editor's thread: storing a larger program (it would not fit the browser's quota
// anyway) and handing a larger page to the frame each take a good part of a second.
const longestKept = 2000000; // characters
const largestAutorun = 4 * 1024 * 1024; // bytes
const decoder = new TextDecoder();

// --- what survives a reload --------------------------------------------------------------------
// localStorage may be missing, full or forbidden (file:// with storage off): then nothing is kept,
// and a program too big for it says so once.
const keys = { program: 'lum-playground.program', rules: 'lum-playground.rules', running: 'lum-playground.running' };
function recall(key) {
  try {
    return JSON.parse(localStorage.getItem(key));
  } catch {
    return null;
  }
}
function keep(key, value) {
  try {
    if (value === null) localStorage.removeItem(key);
    else localStorage.setItem(key, JSON.stringify(value));
    return true;
  } catch {
    return false;
  }
}

const savedProgram = recall(keys.program);
const savedRules = recall(keys.rules);
// A teacher's copy with other default rules does not take over edits made to another copy's.
const initialRules = savedRules && savedRules.base === defaultRules ? savedRules.text : defaultRules;
const firstExample = examples.find(([name]) => name === 'привет.лумс') || examples[0] || ['программа.лумс', ''];
let programName = savedProgram ? savedProgram.name : firstExample[0];
let opened = null; // {text, bytes} of a file opened from disk, compiled as its own bytes while unchanged
// A page that never finished loading last time (an endless loop that froze the browser) is not
// started again by itself.
let autorunBlocked = recall(keys.running) !== null;

// --- editors -------------------------------------------------------------------------------------
function later(ms, action) {
  let timer = 0;
  return () => {
    clearTimeout(timer);
    timer = setTimeout(action, ms);
  };
}

function makeEditor(parent, doc, onChange, extensions = []) {
  return new EditorView({
    parent,
    state: EditorState.create({
      doc,
      extensions: [
        lineNumbers(), highlightActiveLineGutter(), highlightActiveLine(), drawSelection(), history(),
        keymap.of([...defaultKeymap, ...historyKeymap, indentWithTab]),
        EditorView.updateListener.of((update) => update.docChanged && onChange()),
        ...extensions,
      ],
    }),
  });
}

const colours = new Compartment();
const program = makeEditor($('program-editor'), savedProgram ? savedProgram.text : firstExample[1],
  later(recompileAfterMs, () => {
    const text = program.state.doc.toString();
    $('memory').hidden = text.length <= longestKept && keep(keys.program, { name: programName, text });
    compile(text);
  }), [colours.of([])]);
const rules = makeEditor($('rules-editor'), initialRules, later(recompileAfterMs, () => {
  const text = rules.state.doc.toString();
  keep(keys.rules, text === defaultRules ? null : { base: defaultRules, text });
  compiler.setRules(text);
  compile();
}));

function setProgram(name, text, bytes = null) {
  programName = name;
  opened = bytes ? { text, bytes } : null;
  $('name').textContent = name;
  program.dispatch({ changes: { from: 0, to: program.state.doc.length, insert: text } });
}

function goToLine(view, number) {
  const line = view.state.doc.line(Math.min(Math.max(1, number), view.state.doc.lines));
  view.dispatch({ selection: { anchor: line.from }, scrollIntoView: true });
  view.focus();
}

// Note lines as lum printed them; a line naming a line of the text moves the cursor there.
function showNotes(list, lines, view) {
  const items = lines.slice(0, shownNotes).map((line) => {
    const item = document.createElement('li');
    item.textContent = line;
    if (line.startsWith('Ошибка: ')) item.classList.add('error');
    const named = /строк[аеи]\s+(\d+)/.exec(line);
    if (named) {
      item.classList.add('goto');
      item.title = 'Перейти к строке ' + named[1];
      item.onclick = () => goToLine(view, Number(named[1]));
    }
    return item;
  });
  if (lines.length > shownNotes) {
    const more = document.createElement('li');
    more.textContent = `… и ещё ${lines.length - shownNotes}`;
    items.push(more);
  }
  list.replaceChildren(...items);
}

// --- compiling and running -----------------------------------------------------------------------
let lastPage = null; // {bytes, name} of the last page made
let pendingDownload = null; // 'page' or 'js': wanted from the next compile of the current text
let rulesProblem = ''; // the error of rules that gave no rule, shown with every compile
let pageText = null; // the text of the last page made
let pendingStep = false; // run the next page made step by step
const stepScript = $('lum-step').textContent;
const bodyTag = '<script type="text/javascript" id="js">\n';

// Only the newest request waits, so a request for the JavaScript file may displace one for the page.
// The pages that run carry their source map; a downloaded page is the one lum itself writes.
function compile(text = program.state.doc.toString(), js = false, map = !js && pendingDownload !== 'page') {
  compiler.compile({ name: programName, source: opened && opened.text === text ? opened.bytes : text, js, map, text,
    task: task.state.open });
}

// The page with its script body kept as text for step.js, which runs it step by step.
function stepPage(html) {
  const tag = html.indexOf(bodyTag);
  const end = html.lastIndexOf('</body>');
  if (tag < 0 || end < tag) return null;
  const offset = html.slice(0, tag + bodyTag.length).split('\n').length - 1;
  return html.slice(0, tag) + `<script type="text/plain" id="js" data-lum-offset="${offset}">\n` +
    html.slice(tag + bodyTag.length, end) + '<script>' + stepScript + '</script>\n' + html.slice(end);
}

function download(name, bytes, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function stop() {
  $('output').replaceChildren();
  keep(keys.running, null);
}

function run(stepping = false) {
  stop();
  if (!lastPage) return;
  autorunBlocked = false;
  const frame = document.createElement('iframe');
  // Its own origin, so the program cannot reach the playground; modal dialogs for «спросить».
  frame.setAttribute('sandbox', 'allow-scripts allow-modals');
  frame.title = stepping ? 'Страница программы по шагам' : 'Страница программы';
  const html = decoder.decode(lastPage.bytes);
  frame.srcdoc = (stepping && stepPage(html)) || html;
  keep(keys.running, true);
  frame.addEventListener('load', () => keep(keys.running, null), { once: true });
  $('output').append(frame);
}

function onCompiled({ ok, output, report, milliseconds, request }) {
  const { outputName, notes } = report;
  const status = [report.outcome];
  if (rulesProblem) status.push(rulesProblem);
  if (task.state.problem) status.push(task.state.problem);
  $('status').textContent = status.join('\n');
  $('status').className = ok ? 'ok' : 'failed';
  $('status').title = `скомпилировано за ${milliseconds.toFixed(1)} мс`;
  if (request.js) {
    if (ok && pendingDownload === 'js') download(outputName, output, 'text/javascript');
    pendingDownload = null;
    if (program.state.doc.toString() !== pageText) compile();
    return;
  }
  pageText = request.text;
  showNotes($('notes'), notes, program);
  if (pendingDownload === 'js') return compile(undefined, true);
  lastPage = ok ? { bytes: output, name: outputName } : null;
  if (ok && pendingDownload === 'page') download(outputName, output, 'text/html');
  pendingDownload = null;
  if (!ok) return stop();
  if (pendingStep) {
    pendingStep = false;
    return run(true);
  }
  if (!$('autorun').checked) return;
  if (autorunBlocked)
    $('status').textContent += '\nПрошлый запуск страницы не закончился (может быть, в программе бесконечный цикл). ' +
      'Нажмите «▶ Запустить», когда исправите программу.';
  else if (output.length > largestAutorun)
    $('status').textContent += `\nСтраница большая (${(output.length / 1048576).toFixed(1)} МБ), сама она не запускается: ` +
      'нажмите «▶ Запустить».';
  else run();
}

function onRules({ report, vocabulary }) {
  showNotes($('rules-notes'), report.lines, rules);
  rulesProblem = report.loaded ? '' : report.lines[report.lines.length - 1];
  program.dispatch({ effects: colours.reconfigure(highlighter(JSON.parse(vocabulary))) });
}

function onBroken(reason, request) {
  $('status').className = 'failed';
  $('status').textContent = request
    ? `Ошибка: браузеру не хватило памяти, чтобы скомпилировать ${request.name} — программа слишком большая`
    : `Ошибка: компилятор не запускается в этом браузере (${reason})`;
}

const compiler = new Compiler($('lum-worker').textContent, libraries, { onCompiled, onRules, onBroken, onTask: (m) => task.onTask(m) });
const task = taskControls($('save'), compiler, () => compile());
compiler.setRules(initialRules);

// --- controls ------------------------------------------------------------------------------------
const isExample = (text) => examples.some(([, example]) => example === text);
function mayReplaceProgram(what) {
  const text = program.state.doc.toString();
  return text.trim() === '' || isExample(text) ||
    confirm(`Заменить вашу программу ${what}? Её текст пропадёт: сначала сохраните его кнопкой «Сохранить .лумс».`);
}

for (const [name] of examples) $('examples').append(new Option(name.replace(/\.лумс?$/, ''), name));
$('examples').onchange = () => {
  const example = examples.find(([name]) => name === $('examples').value);
  if (example && mayReplaceProgram(`примером «${example[0]}»`)) setProgram(example[0], example[1]);
  $('examples').value = '';
};

$('open').onclick = () => $('file').click();
$('file').onchange = async () => {
  const file = $('file').files[0];
  $('file').value = '';
  if (!file || !mayReplaceProgram(`файлом «${file.name}»`)) return;
  const bytes = new Uint8Array(await file.arrayBuffer());
  let text; // read the way lum reads it: UTF-8 when valid, else CP1251
  try {
    text = new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    text = new TextDecoder('windows-1251').decode(bytes);
  }
  setProgram(file.name.replace(/[\\/]/g, '_'), text, bytes);
};

$('save').onclick = () => {
  const name = /\.лумс?$/i.test(programName) ? programName : programName + '.лумс';
  download(name, program.state.doc.toString(), 'text/plain;charset=utf-8');
};
$('download').onclick = () => {
  pendingDownload = 'page';
  compile();
};
$('download-js').onclick = () => {
  pendingDownload = 'js';
  compile(undefined, true);
};
$('run').onclick = () => {
  autorunBlocked = false;
  run();
};
$('stop').onclick = stop;
$('step').onclick = () => {
  pendingStep = true;
  compile();
};

$('rules-reset').onclick = () => {
  if (confirm('Вернуть правила, с которыми пришла песочница? Ваши изменения правил пропадут.'))
    rules.dispatch({ changes: { from: 0, to: rules.state.doc.length, insert: defaultRules } });
};
$('rules-save').onclick = () => download('keywords.csv', rules.state.doc.toString(), 'text/csv;charset=utf-8');

for (const [tab, pane] of [['tab-program', 'program-pane'], ['tab-rules', 'rules-pane']]) {
  $(tab).onclick = () => {
    for (const other of document.querySelectorAll('.tab')) other.classList.toggle('active', other.id === tab);
    $('program-pane').hidden = pane !== 'program-pane';
    $('rules-pane').hidden = pane !== 'rules-pane';
    (pane === 'rules-pane' ? rules : program).requestMeasure();
  };
}

$('name').textContent = programName;
compile();
