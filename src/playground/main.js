// The playground page: the program and the rules in two editors, lum's notes under them, and the
// compiled page running in a sandboxed frame beside them. The page's data blocks (default rules,
// examples, worker source) are written by build.mjs; lum --playground replaces the rules.
import { Annotation, Compartment, EditorState } from '@codemirror/state';
import {
  EditorView, drawSelection, highlightActiveLine, highlightActiveLineGutter, keymap, lineNumbers,
} from '@codemirror/view';
import { defaultKeymap, history, historyKeymap, indentWithTab } from '@codemirror/commands';
import { Compiler } from './compiler.js';
import { highlighter } from './highlight.js';
import { languageServices, recheck } from './language.js';
import { blockIndent, typingHelp } from './indent.js';
import { problemMarks, setProblems } from './marks.js';
import { programFromHash, programToHash } from './share.js';
import { compileStatus, noteItems, rulesStatus } from './status.js';
import { taskControls, taskProgram, withWhy } from './task.js';
import { fieldEditor, fieldFileName } from './field.js';

const $ = (id) => document.getElementById(id);
const data = (id) => JSON.parse($(id).textContent);
const defaultRules = data('lum-rules');
const { examples, libraries } = data('lum-examples'); // [[name, text]...], [[path, text]...]
const recompileAfterMs = 300;
// Bounds on the editor's thread: storing a larger program (it would not fit the browser's quota
// anyway) and handing a larger page to the frame each take a good part of a second.
const longestKept = 2000000; // characters
const largestAutorun = 4 * 1024 * 1024; // bytes
const decoder = new TextDecoder();
const newProgram = 'Новая программа';

// --- what survives a reload --------------------------------------------------------------------
// localStorage may be missing, full or forbidden (file:// with storage off): then nothing is kept,
// and a program too big for it says so once. On file:// the browser shares it with every local
// page, so what it holds is only ever shown, never run by itself.
const keys = {
  program: 'lum-playground.program', rules: 'lum-playground.rules', running: 'lum-playground.running',
  previous: 'lum-playground.previous', fields: 'lum-playground.fields',
};
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
// A name that came from outside (storage, a link) as a plain file name, or null.
const safeName = (name) => (typeof name === 'string' && !/^\.*$/.test(name) ? name.replace(/[\\/]/g, '_') : null);
const storedProgram = (value) => (value && typeof value.text === 'string' ? { name: safeName(value.name), text: value.text } : null);

const savedProgram = storedProgram(recall(keys.program));
const savedRules = recall(keys.rules);
// The Robot's fields saved in the field editor: {name: text}, beside the program as "поля/name.поле".
const storedFields = (value = recall(keys.fields)) => (value && typeof value === 'object' && !Array.isArray(value) ? value : {});
const savedFields = Object.entries(storedFields()).filter(
  ([name, text]) => typeof text === 'string' && name === fieldFileName(name) && name !== '');
// A teacher's copy with other default rules does not take over edits made to another copy's.
const initialRules = savedRules && savedRules.base === defaultRules && typeof savedRules.text === 'string'
  ? savedRules.text : defaultRules;

// --- the program's identity ----------------------------------------------------------------------
// `name` is the file name it was opened or saved as, or an example's; null for a new program. An
// example changed in any way is a new program until it is saved under a name of its own.
let programName = null;
let exampleText = null; // the text of the example `programName` names, while it is one
let opened = null; // {text, bytes} of a file opened from disk, compiled as its own bytes while unchanged
const compileName = () => programName || 'программа.лумс';
const stem = (name) => name.replace(/\.лумс?$/i, '');

function showName() {
  $('name').textContent = programName ? stem(programName) : newProgram;
}

// A page that never finished loading last time (an endless loop that froze the browser) is not
// started again by itself; nor is a program restored from storage or a link (why: `held`).
let autorunBlocked = recall(keys.running) !== null;
let held = autorunBlocked ? 'frozen' : null;

// --- editors -------------------------------------------------------------------------------------
// A function that runs `action` once calls to it stop for `ms`; its cancel() drops a waiting run.
function later(ms, action) {
  let timer = 0;
  const call = () => {
    clearTimeout(timer);
    timer = setTimeout(action, ms);
  };
  call.cancel = () => clearTimeout(timer);
  return call;
}

// A text the page itself puts into an editor, which it then compiles at once rather than later.
const loading = Annotation.define();

function makeEditor(parent, doc, onChange, extensions = []) {
  return new EditorView({
    parent,
    state: EditorState.create({
      doc,
      extensions: [
        lineNumbers(), highlightActiveLineGutter(), highlightActiveLine(), drawSelection(), history(),
        EditorView.lineWrapping,
        keymap.of([...defaultKeymap, ...historyKeymap, indentWithTab]),
        EditorView.updateListener.of((update) => {
          if (update.docChanged && !update.transactions.some((t) => t.annotation(loading))) onChange();
        }),
        ...extensions,
      ],
    }),
  });
}

const colours = new Compartment();
const blocks = new Compartment();
function programChanged() {
  const text = program.state.doc.toString();
  if (exampleText !== null && text !== exampleText) {
    programName = null;
    exampleText = null;
    showName();
  }
  $('memory').hidden = text.length <= longestKept && keep(keys.program, { name: programName, text });
  compile(text);
}
const programEdited = later(recompileAfterMs, programChanged);
const program = makeEditor($('program-editor'), '', programEdited,
  [colours.of([]), blocks.of([]), typingHelp, languageServices((question) => compiler.ask(question))]);
const rules = makeEditor($('rules-editor'), initialRules, later(recompileAfterMs, () => {
  const text = rules.state.doc.toString();
  keep(keys.rules, text === defaultRules ? null : { base: defaultRules, text });
  compiler.setRules(text);
  compile();
}), [problemMarks()]);

function setProgram(name, text, bytes = null) {
  programName = name;
  exampleText = examples.some(([n, t]) => n === name && t === text) ? text : null;
  opened = bytes ? { text, bytes } : null;
  showName();
  program.dispatch({ changes: { from: 0, to: program.state.doc.length, insert: text }, annotations: loading.of(true) });
  programChanged();
}

function goToLine(view, number) {
  const line = view.state.doc.line(Math.min(Math.max(1, number), view.state.doc.lines));
  view.dispatch({ selection: { anchor: line.from }, scrollIntoView: true });
  view.focus();
}

// The list under an editor and, in the rules editor, the marks in it, from the same items:
// [{line, kind, text}]. The program editor marks its problems through the language services
// (language.js), on the words they name.
const shownNotes = 200;
function showNotes(list, items, view) {
  if (view === rules) view.dispatch({ effects: setProblems.of(items) });
  const shown = items.slice(0, shownNotes).map(({ line, kind, label, text }) => {
    const item = document.createElement('li');
    item.className = kind;
    const tag = document.createElement('b');
    tag.textContent = label;
    item.append(tag, ' ', text);
    if (line > 0) {
      item.classList.add('goto');
      item.title = 'Перейти к строке ' + line;
      item.onclick = () => goToLine(view, line);
    }
    return item;
  });
  if (items.length > shownNotes) {
    const more = document.createElement('li');
    more.textContent = `… и ещё ${items.length - shownNotes}`;
    shown.push(more);
  }
  list.replaceChildren(...shown);
}

// --- compiling and running -----------------------------------------------------------------------
let lastPage = null; // {bytes, name} of the last page made
let pendingDownload = null; // 'page' or 'js': wanted from the next compile of the current text
let rulesProblem = ''; // what went wrong with the rules, shown with every compile
let pageText = null; // the text of the last page made
let pendingStep = false; // run the next page made step by step
let started = false; // the program is chosen and compiling
const stepScript = $('lum-step').textContent;
const bodyTag = '<script type="text/javascript" id="js">\n';

// Only the newest request waits, so a request for the JavaScript file may displace one for the page.
// The pages that run carry their source map; a downloaded page is the one lum itself writes.
function compile(text = program.state.doc.toString(), js = false, map = !js && pendingDownload !== 'page') {
  if (!started) return;
  compiler.compile({ name: compileName(), source: opened && opened.text === text ? opened.bytes : text, js, map, text,
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

// page: the page to run instead of the last one made (a task's test, from its check table).
function run(stepping = false, page = null) {
  stop();
  if (!lastPage) return;
  autorunBlocked = false;
  held = null;
  const frame = document.createElement('iframe');
  // Its own origin, so the program cannot reach the playground; modal dialogs for «спросить».
  frame.setAttribute('sandbox', 'allow-scripts allow-modals');
  frame.title = stepping ? 'Страница программы по шагам' : 'Страница программы';
  let html = page || decoder.decode(lastPage.bytes);
  if (stepping && !page && task.state.open) html = taskProgram(html) || html; // a task page's program steps
  frame.srcdoc = (stepping && stepPage(html)) || (task.state.open ? withWhy(html) : html);
  keep(keys.running, true);
  frame.addEventListener('load', () => keep(keys.running, null), { once: true });
  $('output').append(frame);
}

// kind: 'ok', 'noted' (there are notes to read) or 'failed'.
function showStatus(lines, kind) {
  $('status').textContent = lines.filter(Boolean).join('\n');
  $('status').className = kind;
}

function onCompiled({ ok, output, report, milliseconds, request }) {
  const { outputName } = report;
  $('status').title = `переведено за ${milliseconds.toFixed(1)} мс`;
  if (request.js) {
    if (ok && pendingDownload === 'js') download(outputName, output, 'text/javascript');
    pendingDownload = null;
    if (program.state.doc.toString() !== pageText) compile();
    return;
  }
  pageText = request.text;
  showNotes($('notes'), noteItems(report), program);
  if (pendingDownload === 'js') return compile(undefined, true);
  lastPage = ok ? { bytes: output, name: outputName } : null;
  if (ok && pendingDownload === 'page') download(outputName, output, 'text/html');
  pendingDownload = null;
  if (!ok) {
    showStatus([compileStatus(report, 'failed'), rulesProblem, task.state.problem], 'failed');
    return stop();
  }
  const kind = rulesProblem || task.state.problem ? 'failed' : report.warnings.length + report.hints.length ? 'noted' : 'ok';
  if (pendingStep) {
    pendingStep = false;
    showStatus([compileStatus(report, 'runs'), rulesProblem, task.state.problem], kind);
    return run(true);
  }
  let runs = 'runs';
  let note = '';
  if (!$('autorun').checked) runs = 'waits';
  else if (autorunBlocked) {
    runs = 'waits';
    note = held === 'frozen'
      ? 'Прошлый запуск страницы не закончился (может быть, в программе бесконечный цикл). Нажмите «▶ Запустить», когда исправите программу.'
      : 'Программа открыта, но сама не запускается: прочитайте её и нажмите «▶ Запустить».';
  } else if (output.length > largestAutorun) {
    runs = 'waits';
    note = `Страница большая (${(output.length / 1048576).toFixed(1)} МБ), сама она не запускается: нажмите «▶ Запустить».`;
  }
  showStatus([compileStatus(report, runs), note, rulesProblem, task.state.problem], kind);
  if (runs === 'runs') run();
}

function onRules({ report, vocabulary }) {
  const { items, problem } = rulesStatus(report);
  showNotes($('rules-notes'), items, rules);
  rulesProblem = problem;
  const words = JSON.parse(vocabulary);
  program.dispatch({ effects: [colours.reconfigure(highlighter(words)), blocks.reconfigure(blockIndent(words))] });
  recheck(program);
}

function onBroken(reason, request) {
  console.error('lum:', reason);
  showStatus([request
    ? 'Браузеру не хватило памяти, чтобы перевести программу: она слишком большая.'
    : 'Переводчик программ не запускается в этом браузере: откройте песочницу в другом (Chrome, Firefox, Edge).'], 'failed');
  if (!examplesChecked) onExamples({ good: examples.map(([name]) => name) });
}

// --- the examples the rules run ------------------------------------------------------------------
// A teacher's copy carries its own rules: only the examples they compile without a warning are
// listed, and a first visit opens one of them.
let examplesChecked = false;
let openFirst = null; // what to do once the examples are known, when no program was restored
function onExamples({ good }) {
  examplesChecked = true;
  const menu = $('examples');
  menu.replaceChildren(menu.options[0]);
  for (const [name] of examples) if (good.includes(name)) menu.append(new Option(stem(name), name));
  if (openFirst) openFirst(good);
  openFirst = null;
}

const compiler = new Compiler($('lum-worker').textContent, [
  ...libraries.filter(([path]) => !savedFields.some(([name]) => path === `поля/${name}.поле`)),
  ...savedFields.map(([name, text]) => [`поля/${name}.поле`, text]),
], {
  onCompiled, onRules, onBroken, onExamples, onTask: (m) => task.onTask(m),
});
const task = taskControls($('save'), compiler, () => compile());
compiler.setRules(initialRules);
compiler.checkExamples(defaultRules, examples);

// --- controls ------------------------------------------------------------------------------------
const isExample = (text) => examples.some(([, example]) => example === text);
function mayReplaceProgram(what) {
  const text = program.state.doc.toString();
  return text.trim() === '' || isExample(text) ||
    confirm(`Заменить вашу программу ${what}? Её текст пропадёт: сначала сохраните его кнопкой «Сохранить».`);
}

$('examples').onchange = () => {
  const example = examples.find(([name]) => name === $('examples').value);
  if (example && mayReplaceProgram(`примером «${stem(example[0])}»`)) setProgram(example[0], example[1]);
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

// «Сохранить» asks for a name: the program keeps it, and the tab shows it.
$('save').onclick = () => {
  const answer = prompt('Как назвать программу? Файл сохранится в папку загрузок.', programName ? stem(programName) : '');
  if (answer === null) return;
  const name = answer.trim().replace(/[\\/:*?"<>|]/g, '_').replace(/\.лумс?$/i, '') || 'программа';
  programName = name + '.лумс';
  exampleText = null;
  showName();
  const text = program.state.doc.toString();
  if (text.length <= longestKept) keep(keys.program, { name: programName, text });
  download(programName, text, 'text/plain;charset=utf-8');
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
  held = null;
  run();
};
$('stop').onclick = stop;
// The text as it is now runs step by step: a compile still waiting for typing to stop is done now,
// so that it cannot replace the steps with an ordinary run.
$('step').onclick = () => {
  pendingStep = true;
  programEdited.cancel();
  programChanged();
};

// «Почему?» in a task's check table: the program runs step by step as on that test.
window.addEventListener('message', (event) => {
  const frame = $('output').querySelector('iframe');
  if (!frame || event.source !== frame.contentWindow || !lastPage || !task.state.open) return;
  const page = taskProgram(decoder.decode(lastPage.bytes), event.data);
  if (page) run(true, page);
});

// «Поделиться»: the program goes into a link; whoever opens it gets the program, which waits for ▶.
$('share').onclick = async () => {
  const hash = await programToHash({ name: programName, text: program.state.doc.toString() });
  const link = location.href.replace(/#.*$/, '') + '#' + hash;
  $('share-link').value = link;
  $('share-bar').hidden = false;
  $('share-link').select();
  let copied = false;
  try {
    await navigator.clipboard.writeText(link);
    copied = true;
  } catch {
    // the browser keeps the clipboard to itself here: the link stays selected to copy by hand
  }
  $('share-note').textContent = copied ? 'Ссылка скопирована: отправьте её.' : 'Скопируйте ссылку (Ctrl+C) и отправьте её.';
};
$('share-close').onclick = () => ($('share-bar').hidden = true);

$('previous-back').onclick = () => {
  const previous = storedProgram(recall(keys.previous));
  $('previous-bar').hidden = true;
  if (!previous) return;
  keep(keys.previous, null);
  setProgram(previous.name, previous.text);
};

$('rules-reset').onclick = () => {
  if (confirm('Вернуть правила, с которыми пришла песочница? Ваши изменения правил пропадут.'))
    rules.dispatch({ changes: { from: 0, to: rules.state.doc.length, insert: defaultRules } });
};
$('rules-save').onclick = () => download('keywords.csv', rules.state.doc.toString(), 'text/csv;charset=utf-8');

// The field editor: a saved field goes to the downloads, beside the program and into storage, and
// the program compiles again with it.
const fieldPane = fieldEditor({
  ask: (question) => compiler.ask(question, 'field'),
  fields: () => compiler.files.filter(([path]) => /^поля\/.+\.поле$/.test(path)),
  save(name, text) {
    download(`${name}.поле`, text, 'text/plain;charset=utf-8');
    compiler.putFiles([[`поля/${name}.поле`, text]]);
    keep(keys.fields, { ...storedFields(), [name]: text });
    compile();
  },
});

const panes = { 'tab-program': 'program-pane', 'tab-rules': 'rules-pane', 'tab-field': 'field-pane' };
for (const [tab, pane] of Object.entries(panes)) {
  $(tab).onclick = () => {
    for (const other of document.querySelectorAll('.tab')) other.classList.toggle('active', other.id === tab);
    for (const each of Object.values(panes)) $(each).hidden = each !== pane;
    if (pane === 'field-pane') fieldPane.redraw();
    else (pane === 'rules-pane' ? rules : program).requestMeasure();
  };
}

// --- the first program: a link, else the one kept, else an example the rules run ----------------
function begin(name, text, restored) {
  if (restored) {
    autorunBlocked = true;
    held = held || 'restored';
  }
  started = true;
  setProgram(name, text);
}

(async () => {
  const linked = location.hash.length > 1 ? await programFromHash(location.hash) : null;
  if (location.hash.length > 1) window.history.replaceState(null, '', location.href.replace(/#.*$/, ''));
  if (linked) {
    // The learner's own program is not lost to a link: it waits to be brought back.
    if (savedProgram && savedProgram.text.trim() !== '' && !isExample(savedProgram.text) && savedProgram.text !== linked.text) {
      keep(keys.previous, savedProgram);
      $('previous-bar').hidden = false;
    }
    keep(keys.program, linked.text.length <= longestKept ? linked : null);
    return begin(safeName(linked.name), linked.text, true);
  }
  if (savedProgram) return begin(savedProgram.name, savedProgram.text, true);
  const choose = (good) => {
    const name = good.includes('привет.лумс') ? 'привет.лумс' : good[0];
    const example = examples.find(([n]) => n === name);
    begin(example ? example[0] : null, example ? example[1] : '', false);
  };
  if (examplesChecked) choose([...$('examples').options].slice(1).map((o) => o.value));
  else openFirst = choose;
})();
