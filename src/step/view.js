// The step view beside the page: the learner's source with the step's line lit and the last
// value each line set in its margin, the buttons and keys to move, the variables of the step,
// and the page's canvas and panel as the step left them (drawn on copies laid over the live
// ones, so the running program is never disturbed).
import { lastAtOrBefore } from './recorder.js';
import { short, valueNode } from './values.js';
import { runNotes } from './notes.js';
import { shapeAt, why, whyNot } from './why.js';

const style = `
#лш{position:fixed;top:0;right:0;bottom:0;width:min(46vw,640px);min-width:340px;box-sizing:border-box;display:flex;
flex-direction:column;background:#f6f6f2;color:#222;border-left:2px solid #c9c9bb;font:14px/1.35 Verdana,sans-serif;
z-index:2147483646;outline:none}
#лш .лш-полоса{display:flex;flex-wrap:wrap;gap:4px;align-items:center;padding:6px 8px;border-bottom:1px solid #ddd}
#лш button{font:inherit;padding:2px 8px;cursor:pointer}
#лш .лш-где{padding:2px 8px;color:#444}
#лш .лш-весть{padding:4px 8px}
#лш .лш-ошибка{color:#b00000;font-weight:bold}
#лш .лш-предел{color:#8a5a00}
#лш .лш-код{flex:1 1 60%;overflow:auto;font:14px/1.45 monospace;background:#fff;border-bottom:1px solid #ddd}
#лш .лш-строка{display:flex;white-space:pre;cursor:pointer}
#лш .лш-номер{flex:0 0 3.5em;text-align:right;padding-right:8px;color:#999;user-select:none}
#лш .лш-текст{flex:1 1 auto;min-width:0;overflow:hidden}
#лш .лш-поле{flex:0 1 auto;min-width:0;max-width:45%;overflow:hidden;text-overflow:ellipsis;padding:0 8px;color:#1d5fa8}
#лш .лш-сейчас{background:#fff3a8}
#лш .лш-сейчас .лш-номер{color:#222;font-weight:bold}
#лш .лш-ошибочная{background:#ffd6d6}
#лш .лш-переменные{flex:1 1 40%;overflow:auto;padding:4px 8px}
#лш .лш-группа{font-weight:bold;margin-top:6px}
#лш .лш-пер{display:flex;gap:8px;padding:1px 4px;font-family:monospace}
#лш .лш-имя{color:#555}
#лш .лш-изменена{background:#ffe08a}
#лш .лш-вложено{padding-left:16px}
#лш summary{cursor:pointer}
#лш .лш-невыполнена .лш-текст{color:#a8a8a8}
#лш .лш-спросить{font:12px Verdana,sans-serif;padding:0 5px;margin-left:auto;cursor:pointer;color:#1d5fa8;background:none;border:1px solid #b8c8dc;border-radius:8px}
#лш .лш-исток .лш-номер{color:#fff;background:#c0392b;font-weight:bold}
#лш .лш-почему{flex:0 0 auto;max-height:45%;overflow:auto;padding:6px 8px;background:#eef4fb;border-bottom:1px solid #c9d6e6}
#лш .лш-почему:empty{display:none}
#лш .лш-вопрос{display:flex;justify-content:space-between;gap:8px;font-weight:bold}
#лш .лш-итог{margin:4px 0;color:#8a1c00}
#лш .лш-почему ol{margin:4px 0;padding-left:22px}
#лш .лш-почему li{margin:3px 0}
#лш .лш-почему code{background:#fff;padding:0 3px}
#лш .лш-значения{color:#1d5fa8;font-family:monospace}
#лш .лш-почему li.лш-плохое::marker{color:#b00000;font-weight:bold}
#лш .лш-заметка{margin:1px 0 3px 3.5em;padding:1px 8px;font:12px/1.35 Verdana,sans-serif;color:#6b4200;background:#fff4dc;border-left:3px solid #e0a030;white-space:normal}
#лш-панель [data-step]{cursor:help}
.лш-выбор{pointer-events:auto !important;cursor:crosshair}
.лш-кадр{position:absolute;left:0;top:0;pointer-events:none;background:#fff;overflow:hidden}
`;

function element(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

// trace: the recorder; source: the learner's lines; functions: names by index; words: value words.
export function makeView({ trace, source, functions, signatures = [], words, canvas, panel, message }) {
  const sheet = element('style');
  sheet.textContent = style;
  document.head.append(sheet);
  const root = element('div');
  root.id = 'лш';
  root.tabIndex = 0;
  root.setAttribute('role', 'region');
  root.setAttribute('aria-label', 'По шагам');
  document.body.style.marginRight = 'min(46vw, 640px)';

  const bar = element('div', 'лш-полоса');
  const button = (text, title, action) => {
    const b = element('button', '', text);
    b.type = 'button';
    b.title = title;
    b.onclick = () => {
      action();
      root.focus();
    };
    bar.append(b);
    return b;
  };
  const view = { at: -1, playing: null };
  bar.append(element('b', '', 'По шагам '));
  button('|◀ В начало', 'В начало (Home)', () => view.go(0));
  button('◀ Шаг назад', 'Шаг назад (←)', () => view.go(view.at - 1));
  button('Шаг вперёд ▶', 'Шаг вперёд (→)', () => view.go(view.at + 1));
  button('В конец ▶|', 'В конец (End)', () => view.go(trace.count - 1));
  const play = button('▶ Смотреть', 'Смотреть шаг за шагом (пробел)', () => view.toggle());
  const speed = element('input');
  speed.type = 'range';
  speed.min = '1';
  speed.max = '30';
  speed.value = '4';
  speed.title = 'Скорость: шагов в секунду';
  speed.oninput = () => view.playing && (view.stop(), view.toggle());
  bar.append(' скорость ', speed);
  const where = element('div', 'лш-где');
  const slider = element('input');
  slider.type = 'range';
  slider.min = '0';
  slider.style.width = '100%';
  slider.oninput = () => view.go(Number(slider.value));
  const news = element('div', 'лш-весть');
  const answer = element('div', 'лш-почему');
  answer.setAttribute('aria-live', 'polite');
  const code = element('div', 'лш-код');
  const variables = element('div', 'лш-переменные');
  root.append(bar, slider, where, news, answer, code, variables);
  document.body.append(root);

  const rows = source.map((text, i) => {
    const row = element('div', 'лш-строка');
    row.append(element('span', 'лш-номер', String(i + 1)), element('span', 'лш-текст', text || ' '), element('span', 'лш-поле'));
    row.title = 'Строка ' + (i + 1);
    code.append(row);
    return row;
  });
  // A click on a line moves to the next step on it (or the first, from the last).
  code.addEventListener('click', (event) => {
    const row = event.target.closest('.лш-строка');
    if (!row) return;
    const line = rows.indexOf(row) + 1;
    const n = trace.count;
    for (let j = 1; j <= n; j++) {
      const k = (view.at + j) % n;
      if (trace.points[trace.point[k]].line === line) return view.go(k);
    }
    const not = whyNot(trace, info, line, countRuns());
    if (not) showAnswer(not);
  });

  // «Почему?»: the answer stays until another question or its ×; its steps are links.
  const info = { source, functions, signatures, words };
  view.ask = (question) => {
    const started = performance.now();
    const got = question.line !== undefined ? whyNot(trace, info, question.line, countRuns()) : why(trace, info, question);
    view.answerMs = performance.now() - started;
    if (got) showAnswer(got);
    return got;
  };
  let marked = null;
  function showAnswer(got) {
    const head = element('div', 'лш-вопрос');
    const close = element('button', '', '×');
    close.type = 'button';
    close.title = 'Закрыть ответ';
    close.onclick = () => {
      answer.replaceChildren();
      marked?.classList.remove('лш-исток');
    };
    // The line where the answer says a bad value began: its number is marked in the source.
    marked?.classList.remove('лш-исток');
    marked = got.origin ? rows[got.origin - 1] : null;
    if (marked) {
      marked.classList.add('лш-исток');
      marked.title = 'Здесь впервые получилось это значение';
    }
    head.append(element('span', '', got.title), close);
    const parts = [head];
    if (got.summary) parts.push(element('div', 'лш-итог', got.summary));
    const list = element('ol');
    for (const item of got.items) {
      const li = element('li', item.bad ? 'лш-плохое' : '');
      li.dataset.line = String(item.line);
      const link = element('a', '', `шаг ${item.step + 1} · строка ${item.line}`);
      link.href = '#';
      link.onclick = (event) => {
        event.preventDefault();
        view.go(item.step);
      };
      li.append(link, ' ', element('code', '', (source[item.line - 1] || '').trim()), ' — ' + item.text);
      if (item.values.length) {
        li.append(element('br'), element('span', 'лш-значения',
          item.values.map(([name, value]) => words.name(name) + ' = ' + short(value, words, 30)).join(', ')));
      }
      list.append(li);
    }
    if (got.items.length) parts.push(list);
    if (got.more) parts.push(element('div', '', `… и ещё шаги раньше (${got.more})`));
    answer.replaceChildren(...parts);
  }
  // How many times each point ran, counted on as the trace grows; lines that never ran are grey.
  let runs = new Int32Array(trace.points.length);
  let counted = 0;
  function countRuns() {
    if (counted > trace.count) {
      runs = new Int32Array(trace.points.length);
      counted = 0;
    }
    for (; counted < trace.count; counted++) runs[trace.point[counted]]++;
    return runs;
  }
  let greyAt = -1;
  function showGrey() {
    if (greyAt === trace.count) return;
    greyAt = trace.count;
    countRuns();
    const ran = new Uint8Array(rows.length + 1);
    const has = new Uint8Array(rows.length + 1);
    trace.points.forEach((p, i) => {
      if (p.line > rows.length) return;
      has[p.line] = 1;
      if (runs[i]) ran[p.line] = 1;
    });
    rows.forEach((row, i) => {
      // Past the recording limit the run went on unseen: nothing is greyed.
      const grey = has[i + 1] && !ran[i + 1] && !trace.full;
      row.classList.toggle('лш-невыполнена', !!grey);
      row.title = grey ? `Строка ${i + 1} не выполнялась — щёлкните: почему?` : 'Строка ' + (i + 1);
    });
  }

  // Notes of the run, each under its line: made once the run has stopped adding steps (timers and
  // events add more later: then again, a moment after the last one).
  let notesAt = -1;
  let noteRows = [];
  let notesTimer = 0;
  function showNotes() {
    if (notesAt === trace.count) return;
    clearTimeout(notesTimer);
    if (notesAt < 0) placeNotes();
    else notesTimer = setTimeout(placeNotes, 300);
  }
  function placeNotes() {
    notesAt = trace.count;
    noteRows.forEach((n) => n.remove());
    view.notes = runNotes(trace, info);
    noteRows = view.notes.filter((n) => rows[n.line - 1]).map(({ line, text }) => {
      const note = element('div', 'лш-заметка', text);
      note.dataset.line = String(line);
      note.title = 'Заметка о запуске: что показал этот запуск на строке ' + line;
      rows[line - 1].after(note);
      return note;
    });
  }

  // The page's canvas and panel as the step left them, over the live ones.
  let frame = null;
  let shown = null;
  if (canvas) {
    const holder = element('div');
    holder.style.cssText = 'position:relative;display:block;width:max-content';
    canvas.parentNode.insertBefore(holder, canvas);
    holder.append(canvas);
    frame = element('div', 'лш-кадр');
    shown = element('canvas');
    shown.id = 'лш-холст';
    frame.append(shown);
    holder.append(frame);
    frame.addEventListener('click', (event) => {
      frame.classList.remove('лш-выбор');
      const box = shown.getBoundingClientRect();
      const x = (event.clientX - box.left) * (shown.width / (box.width || 1));
      const y = (event.clientY - box.top) * (shown.height / (box.height || 1));
      view.askShape(x, y);
    });
  }
  view.askShape = (x, y) => {
    const s = shapeAt(trace.canvasLog, view.at, x, y);
    if (s >= 0) return view.ask({ step: s, title: `Почему здесь, в точке (${Math.round(x)}, ${Math.round(y)}), так нарисовано?` });
    showAnswer({ title: 'Почему здесь так нарисовано?', summary: `В точке (${Math.round(x)}, ${Math.round(y)}) до этого шага ничего не нарисовано.`, items: [], more: 0 });
    return null;
  };
  // A shape of the canvas: the next click on the canvas asks about it.
  if (canvas) {
    const pick = button('Почему? (фигура)', 'Почему здесь нарисовано это? Щёлкните фигуру на холсте', () => frame.classList.toggle('лш-выбор'));
    pick.classList.add('лш-фигура');
    pick.hidden = true; // until something is drawn
  }
  let panelCopy = null;
  if (panel) {
    // The live panel goes on in the background; its copy shows the step's.
    sheet.textContent += '#result{display:none !important}';
    panelCopy = element('div');
    panelCopy.id = 'лш-панель';
    panelCopy.title = 'Щёлкните строку вывода: почему она такая?';
    panel.parentNode.insertBefore(panelCopy, panel.nextSibling);
    panelCopy.addEventListener('click', (event) => {
      const made = event.target.closest && event.target.closest('[data-step]');
      if (!made) return;
      const text = (made.innerText || made.textContent).trim().split('\n')[0];
      view.ask({ step: Number(made.dataset.step), title: `Почему выведено «${text.length > 40 ? text.slice(0, 40) + '…' : text}»?` });
    });
  }
  const context = shown ? shown.getContext('2d') : null;

  function valuesRow(name, at, changed, frameIndex) {
    const row = element('div', 'лш-пер' + (changed ? ' лш-изменена' : ''));
    const ask = element('button', 'лш-спросить', 'Почему?');
    ask.type = 'button';
    ask.title = `Откуда это значение ${words.name(name)}?`;
    const k = view.at;
    ask.onclick = () => view.ask({ step: k, name, frame: frameIndex });
    row.append(element('span', 'лш-имя', words.name(name)), valueNode(at, words), ask);
    if (changed) row.title = 'Изменилась на этом шаге';
    return row;
  }
  function showVariables(k) {
    const parts = [];
    const frameIndex = trace.frame[k];
    const point = trace.points[trace.point[k]];
    const program = [];
    trace.globals.forEach((name, i) => {
      const v = trace.valueAt(trace.globalHistory[i], k);
      if (v) program.push(valuesRow(name, v[0], v[1], frameIndex));
    });
    const locals = [];
    const vars = trace.frames[frameIndex].vars;
    for (const name of point.names) {
      const h = vars.get(name);
      const v = h && trace.valueAt(h, k);
      if (v) locals.push(valuesRow(name, v[0], v[1], frameIndex));
    }
    if (frameIndex === 0) program.push(...locals);
    parts.push(element('div', 'лш-группа', 'Программа'), ...(program.length ? program : [element('div', '', 'переменных пока нет')]));
    if (frameIndex !== 0) {
      const name = functions[trace.frames[frameIndex].fn];
      parts.push(element('div', 'лш-группа', name ? 'функция ' + name : 'функция без имени'),
        ...(locals.length ? locals : [element('div', '', 'переменных нет')]));
    }
    variables.replaceChildren(...parts);
  }
  function showMargins(k) {
    rows.forEach((row, i) => {
      const c = trace.lineChanges.get(i + 1);
      const j = c ? lastAtOrBefore(c.steps, k) : -1;
      row.lastChild.textContent = j < 0 ? '' : words.name(c.labels[j]) + ' = ' + short(c.values[j], words, 24);
    });
  }
  function showNews(k) {
    const items = [];
    if (message) items.push(element('div', 'лш-предел', message));
    for (const note of trace.notes) {
      if (note.kind === 'error' && note.step === k) items.push(element('div', 'лш-ошибка', note.text));
      else if (note.kind === 'limit') items.push(element('div', 'лш-предел', note.text));
      else if (note.kind === 'error' && note.step === trace.errorStep) {
        const link = element('a', 'лш-ошибка', `Программа остановилась с ошибкой на шаге ${note.step + 1} — перейти`);
        link.href = '#';
        link.onclick = (event) => {
          event.preventDefault();
          view.go(note.step);
        };
        items.push(element('div', '', '')), items[items.length - 1].append(link);
      } else if (note.step === k) items.push(element('div', '', note.text));
    }
    news.replaceChildren(...items);
  }
  let lit = null;
  view.go = (k) => {
    const n = trace.count;
    where.textContent = n ? '' : 'Программа не сделала ни одного шага.';
    slider.max = String(Math.max(0, n - 1));
    if (!n) return showNews(-1);
    k = Math.max(0, Math.min(n - 1, k));
    view.at = k;
    slider.value = String(k);
    const line = trace.points[trace.point[k]].line;
    where.textContent = `шаг ${k + 1} из ${n}${trace.full ? '+' : ''} · строка ${line}`;
    if (lit) lit.classList.remove('лш-сейчас', 'лш-ошибочная');
    lit = rows[line - 1] || null;
    if (lit) {
      lit.classList.add(k === trace.errorStep ? 'лш-ошибочная' : 'лш-сейчас');
      const top = lit.offsetTop - code.offsetTop;
      if (top < code.scrollTop || top > code.scrollTop + code.clientHeight - lit.offsetHeight) code.scrollTop = top - code.clientHeight / 3;
    }
    showMargins(k);
    showGrey();
    showNotes();
    showVariables(k);
    showNews(k);
    if (trace.canvasLog && trace.canvasLog.calls.length) root.querySelector('.лш-фигура')?.removeAttribute('hidden');
    if (context && trace.canvasLog) {
      trace.canvasLog.show(k, context);
      frame.style.width = canvas.offsetWidth + 'px';
      frame.style.height = canvas.offsetHeight + 'px';
    }
    if (trace.executorLog && window.__LUM__ && window.__LUM__.показатьШаг) window.__LUM__.показатьШаг(trace.executorLog.at(k));
    if (panelCopy && trace.panelLog) {
      const state = trace.panelLog.at(k, true);
      panelCopy.setAttribute('style', state.style);
      panelCopy.innerHTML = state.html;
    }
  };
  // New steps: a view at the last step follows them.
  view.grew = (before) => {
    if (view.at === before - 1 || view.at < 0) view.go(trace.count - 1);
    else {
      slider.max = String(Math.max(0, trace.count - 1));
      where.textContent = where.textContent.replace(/из \d+\+?/, `из ${trace.count}${trace.full ? '+' : ''}`);
      showNews(view.at);
    }
  };
  view.stop = () => {
    clearInterval(view.playing);
    view.playing = null;
    play.textContent = '▶ Смотреть';
  };
  view.toggle = () => {
    if (view.playing) return view.stop();
    if (view.at >= trace.count - 1) view.go(0);
    play.textContent = '⏸ Пауза';
    view.playing = setInterval(() => {
      if (view.at >= trace.count - 1) return view.stop();
      view.go(view.at + 1);
    }, 1000 / Number(speed.value));
  };
  // Keys move only while the view has the focus; the program's own key handlers never see them.
  root.addEventListener('keydown', (event) => {
    const keys = { ArrowLeft: -1, ArrowRight: 1, ArrowUp: -1, ArrowDown: 1 };
    let handled = true;
    if (event.key in keys) view.go(view.at + keys[event.key]);
    else if (event.key === 'Home') view.go(0);
    else if (event.key === 'End') view.go(trace.count - 1);
    else if (event.key === ' ') view.toggle();
    else handled = false;
    if (handled) event.preventDefault();
    event.stopPropagation();
  });
  root.addEventListener('keyup', (event) => event.stopPropagation());
  root.addEventListener('keypress', (event) => event.stopPropagation());
  return view;
}
