// step.js: «По шагам». Runs in a page whose script body is kept as text (`<script type="text/plain"
// id="js" data-lum-offset="N">`, made so by the watch server's /step and by the playground): reads
// the body, instruments it, runs it under the recorder and opens the step view beside the page.
// A body the parser cannot read runs as it is, with a message saying why there are no steps.
// A page made for a task's test (by the playground's check table) sets `__ЛУМ_ШАГИ_ЗАПРОС__` =
// {ответы, строка} before this runs: the run answers as the test's run did, and the view opens at
// the step that printed output line `строка`, with its «Почему?».
// Covered by tests/step/step_test.mjs; measured by bench/step_bench.mjs.
import { instrument } from './instrument.js';
import { linesOf } from './lines.js';
import { makeRecorder, outputLine, recordCanvas, recordExecutors, recordPanel } from './recorder.js';
import { wordsFrom } from './values.js';
import { makeView } from './view.js';

const stepLimit = 100000;

// The page's dictionary line: __LUM__.словарь({...}).
function dictionary() {
  for (const script of document.scripts) {
    const found = /__LUM__\.словарь\((\{.*\})\);?\s*$/m.exec(script.textContent);
    if (found) {
      try {
        return JSON.parse(found[1]);
      } catch {
        return null;
      }
    }
  }
  return null;
}

function sourceLines() {
  const block = document.getElementById('lup');
  let text = block ? block.textContent : '';
  if (text.startsWith('\n')) text = text.slice(1);
  if (text.endsWith('\n')) text = text.slice(0, -1);
  return text.split('\n').map((line) => line.replace(/\r$/, ''));
}

// Runs `text` as a classic script of the page, its body lines on the page lines they had.
function run(text, offset, prologue = '') {
  const script = document.createElement('script');
  script.textContent = prologue + '\n'.repeat(Math.max(0, offset - 1)) + text;
  document.body.append(script);
}

function start() {
  const body = document.querySelector('script#js[type="text/plain"]');
  if (!body) return;
  const offset = Number(body.getAttribute('data-lum-offset')) || 0;
  const text = body.textContent;
  const lineOf = linesOf(text, window.__LUM_LINES__);
  const words = wordsFrom(dictionary());
  const source = sourceLines();
  const canvasElement = document.getElementById('canvas');
  const panel = document.getElementById('result');
  const done = instrument(text, lineOf);
  if (done.error) {
    const line = lineOf(done.error.line, done.error.column);
    run(text, offset);
    const trace = { count: 0, notes: [], points: [], point: [], frame: [], globals: [], lineChanges: new Map(), errorStep: -1 };
    window.__ЛУМ_ШАГИ__ = { trace, view: null, unavailable: true };
    window.__ЛУМ_ШАГИ__.view = makeView({
      trace, source, functions: [], words, canvas: null, panel: null,
      message: '«По шагам» здесь не получится: ' + (line ? `в строке ${line}` : 'в программе') +
        ' есть место, которое нельзя разобрать на шаги (браузер покажет ошибку на странице). Программа запущена как обычно.',
    });
    window.__ЛУМ_ШАГИ__.view.go(0);
    return;
  }
  // "?остановить=k" stops the run after step k, as a run cut short there would stand.
  const stopAfter = Number(new URLSearchParams(location.search).get('остановить') ?? -1);
  let view = null;
  let shownCount = 0;
  const trace = makeRecorder({
    points: done.points,
    globals: done.globals,
    limit: stepLimit,
    stopAfter: Number.isInteger(stopAfter) ? stopAfter : -1,
    onNewSteps: () => {
      if (view && trace.count !== shownCount) view.grew(shownCount);
      shownCount = trace.count;
    },
  });
  trace.install(window);
  if (canvasElement && canvasElement.getContext) trace.canvasLog = recordCanvas(canvasElement, trace);
  if (panel) trace.panelLog = recordPanel(panel);
  const executors = window.__LUM__;
  if (executors && executors.шаговИсполнителей && executors.итогИсполнителей().шагов >= 0 &&
      (executors.итогИсполнителей().робот || executors.итогИсполнителей().отрезки))
    trace.executorLog = recordExecutors(executors);

  // A test's run: its answers in order, then none; messages unseen, confirmations yes (as checked).
  const request = window.__ЛУМ_ШАГИ_ЗАПРОС__ || null;
  if (request && Array.isArray(request.ответы)) {
    const answers = request.ответы.slice();
    window.prompt = () => (answers.length ? String(answers.shift()) : null);
    window.alert = () => {};
    window.confirm = () => true;
  }
  // Questions and messages are asked for real; their answers stay with their step.
  for (const [name, kind] of [['prompt', 'Вопрос'], ['alert', 'Сообщение'], ['confirm', 'Вопрос']]) {
    const asked = window[name];
    if (typeof asked !== 'function') continue;
    window[name] = function (question) {
      const answer = asked.apply(window, arguments);
      const said = question === undefined ? '' : `«${question}»`;
      trace.note('question', name === 'alert' ? `${kind}: ${said}` : `${kind} ${said} — ответ: ${answer === null ? words.null : typeof answer === 'boolean' ? words[answer] : '«' + answer + '»'}`);
      return answer;
    };
  }
  // The page's own handler has already shown the error in the panel: its red lines are the message.
  window.addEventListener('error', (event) => {
    if (!trace.count && !trace.full) return;
    let text = '';
    if (panel) {
      const red = [...panel.querySelectorAll('span')].filter((s) => s.style.color === 'red');
      if (red.length) text = red[red.length - 1].textContent.trim();
    }
    trace.error(text || String(event.message || 'ошибка'));
  });

  const started = performance.now();
  run(done.code, offset, done.prologue);
  trace.flush();
  const recorded = performance.now() - started;
  view = makeView({ trace, source, functions: done.functions, signatures: done.signatures, words, canvas: canvasElement, panel, message: '' });
  shownCount = trace.count;
  view.go(trace.errorStep >= 0 ? trace.errorStep : 0);
  window.__ЛУМ_ШАГИ__ = { trace, view, recordedMs: recorded };
  if (request && request.строка > 0 && trace.panelLog && trace.count) askOutputLine(view, trace, request.строка);
}

// «Почему?» of output line n, as the run so far left it; a line the output does not reach asks of
// the last line printed.
function askOutputLine(view, trace, n) {
  const found = outputLine(trace.panelLog, trace.count - 1, n);
  if (found.step < 0) return;
  const text = found.text.length > 40 ? found.text.slice(0, 40) + '…' : found.text;
  view.go(found.step);
  view.ask({
    step: found.step,
    title: found.missing ? `Строки ${n} в выводе нет. Почему последним выведено «${text}»?` : `Почему в строке ${n} вывода «${text}»?`,
  });
}

start();
