// «Почему?» and «Почему не выполнилась?», answered from a recorded run without running anything.
// The recorder keeps, per variable, the steps where its value changed; the instrumentation keeps,
// per step point, the names its statement reads and sets, the functions it calls, its element
// reads and what decides whether it runs. An answer follows those back from the asked step: each
// name read to the step that last changed it, a parameter to the call that gave it, a call to the
// callee's last step. Every look-up is a binary search and at most `reach` steps are visited, so
// an answer costs the same on a trace of any length.
//
// A cause is named only when the record shows it (a call with fewer values than parameters, a
// callee whose last step is not «вернуть», an element number past the end, a test that was false
// every time); otherwise the answer says what was seen and where.
import { lastAtOrBefore } from './recorder.js';
import { short } from './values.js';

const reach = 400; // steps visited at most per answer
const shownItems = 12; // steps listed, newest first
const near = 5000; // steps looked back for the test that let a branch run

const isBad = (v) => v === undefined || (typeof v === 'number' && Number.isNaN(v));
const q = (text) => '«' + text + '»';

// The history that a step in frame `frame` at point `point` reads for `name`, or null.
export function historyOf(trace, name, frame, point) {
  if (point.names.includes(name)) return trace.frames[frame].vars.get(name) || null;
  const g = trace.globals.indexOf(name);
  return g >= 0 ? trace.globalHistory[g] : null;
}
// The value of history `h` after step `at`: {value, made (its step), changed} or null.
export function valueAfter(trace, h, at) {
  const i = lastAtOrBefore(h.steps, at);
  if (i < 0 || h.values[i] === trace.missing) return null;
  return { value: h.values[i], made: h.steps[i], changed: h.changed[i] };
}
// The frames of calls made by step s from its own frame (frames are made in step order).
function callees(trace, s) {
  const frames = trace.frames;
  let low = 1;
  let high = frames.length;
  while (low < high) {
    const middle = (low + high) >> 1;
    if (frames[middle].callStep < s) low = middle + 1;
    else high = middle;
  }
  const out = [];
  for (let i = low; i < frames.length && frames[i].callStep === s && out.length < 4; i++) {
    if (frames[i].byStep && frames[i].caller === trace.frame[s] && frames[i].lastStep >= 0) out.push(i);
  }
  return out;
}
export function lengthOf(kept) {
  return kept && kept.__kept && kept.kind === 'list' ? kept.items.length + kept.more : -1;
}

// info: {source, functions, signatures, words}. Question: {step} (an output line or a shape: what
// step `step` did) or {step, name, frame} (a variable's value as step `step` left it).
// Returns {title, summary, items: [{step, line, text, values: [[name, kept]], bad}], more}.
export function why(trace, info, question) {
  const { words, functions, signatures } = info;
  const say = (kept) => short(kept, words, 30);
  const items = new Map(); // step -> item
  const order = [];
  // A step met only as the call that gave a parameter its value: its own callees do not matter.
  const paramOnly = (reason) => !!reason && reason.param !== undefined;
  const sameReason = (a, b) => a.param === b.param && a.frame === b.frame && a.returned === b.returned && a.from === b.from && a.decided === b.decided;
  function visit(step, reason) {
    if (step < 0 || step >= trace.count) return;
    const known = items.get(step);
    if (known) {
      if (reason && !known.reasons.some((r) => sameReason(r, reason))) known.reasons.push(reason);
      if (known.paramOnly && !paramOnly(reason)) {
        known.paramOnly = false;
        order.push(known); // followed again, now with its callees
      }
      return;
    }
    if (items.size >= reach) return;
    const item = { step, reasons: reason ? [reason] : [], values: [], text: '', bad: false, cause: '', paramOnly: paramOnly(reason) };
    items.set(step, item);
    order.push(item);
  }

  // Where the asked value was made.
  let title;
  if (question.name !== undefined) {
    const point = trace.points[trace.point[question.step]];
    const h = historyOf(trace, question.name, question.frame, point) ||
      trace.frames[question.frame].vars.get(question.name);
    const v = h && valueAfter(trace, h, question.step);
    title = `Почему ${q(words.name(question.name))} = ${v ? say(v.value) : words.undefined}?`;
    if (!v) return { title, summary: 'Записи об этом значении нет.', items: [], more: 0 };
    if (v.changed) visit(v.made, null);
    else if (v.made >= 0 && question.frame > 0 && trace.frames[question.frame].byStep) visit(trace.frames[question.frame].callStep, { param: question.name, frame: question.frame });
    else {
      const by = question.frame > 0 ? 'при вызове функции таймером или событием, а не строкой программы' : 'до первого шага';
      return { title, summary: `${q(words.name(question.name))} получила это значение ${by}.`, items: [], more: 0 };
    }
  } else {
    title = question.title || `Почему шаг ${question.step + 1} (строка ${trace.points[trace.point[question.step]].line}) сделал это?`;
    visit(question.step, null);
  }

  // First every step's reads and calls are followed (which may add reasons to steps already met),
  // then each step is described with all its reasons.
  for (let i = 0; i < order.length; i++) follow(order[i]);
  items.forEach(describe);

  function follow(item) {
    const s = item.step;
    const point = trace.points[trace.point[s]];
    const frame = trace.frame[s];
    item.line = point.line;
    const read = new Map();
    for (const name of point.reads) {
      const h = historyOf(trace, name, frame, point);
      if (!h) continue;
      const at = point.head && point.head.includes(name) ? s : s - 1;
      const v = valueAfter(trace, h, at);
      if (!v) continue;
      read.set(name, v.value);
      if (v.changed && v.made !== s) visit(v.made, null);
      else if (!v.changed && frame > 0 && v.made >= 0 && trace.frames[frame].byStep) visit(trace.frames[frame].callStep, { param: name, frame });
    }
    item.read = read;
    // The test that let a branch run: the last step of its «если» before this one, in this frame
    // (looked for among the last `near` steps only).
    const u = point.under;
    if (u && u.point >= 0 && (u.kind === 'if' || u.kind === 'else' || u.kind === 'case')) {
      for (let k = s - 1; k >= 0 && k >= s - near; k--) {
        if (trace.point[k] === u.point && trace.frame[k] === frame) {
          visit(k, { decided: u.kind });
          break;
        }
      }
    }
    // Calls of the learner's functions: their results come from the callees' last steps.
    if (!item.paramOnly) for (const callee of callees(trace, s)) {
      const f = trace.frames[callee];
      const last = trace.points[trace.point[f.lastStep]];
      visit(f.lastStep, { returned: f.fn, from: s, fellOff: last.kind !== 'return' && last.kind !== 'throw' && f.lastStep !== trace.errorStep });
    }
  }
  // What step s set: [[name, value]], its writes and the names it read that changed at it.
  function setBy(s) {
    const point = trace.points[trace.point[s]];
    const frame = trace.frame[s];
    const set = [];
    for (const name of point.writes) {
      const h = historyOf(trace, name, frame, point);
      const v = h && valueAfter(trace, h, s);
      if (v && v.made === s) set.push([name, v.value]);
    }
    for (const name of point.reads) {
      const h = historyOf(trace, name, frame, point);
      const v = h && valueAfter(trace, h, s);
      if (v && v.made === s && v.changed && !set.some((x) => x[0] === name)) set.push([name, v.value]);
    }
    return set;
  }
  function describe(item) {
    const s = item.step;
    const point = trace.points[trace.point[s]];
    const frame = trace.frame[s];
    const read = item.read;
    const parts = [];
    const set = setBy(s);
    // A step met only for the parameter its call gave says just that (what it set came later).
    if (item.paramOnly) set.length = 0;
    if (item.paramOnly) { /* its parameter reasons below */ } else if (set.length) parts.push(set.map(([n, v]) => `${q(words.name(n))} стала ${say(v)}`).join(', '));
    else if (point.kind === 'print') parts.push('вывод');
    else if (point.kind === 'draw') parts.push('рисунок');
    else if (point.kind === 'return' && !item.reasons.some((r) => r.returned !== undefined)) parts.push(`${q(words.word('return', 'вернуть'))}: функция отдаёт значение`);
    else if (point.kind === 'each') parts.push('следующий оборот цикла');
    else if (point.kind === 'loop' || point.kind === 'if') parts.push('проверка условия');
    item.values = [...read];
    item.bad = set.some(([, v]) => isBad(v));
    // Why a value is bad, where the record shows it.
    if (item.bad) {
      const badSet = set.find(([, v]) => isBad(v));
      if (badSet && Number.isNaN(badSet[1])) {
        const gone = [...read].filter(([, v]) => v === undefined).map(([n]) => q(words.name(n)));
        const text = [...read].filter(([, v]) => typeof v === 'string' && v.trim() !== '' && Number.isNaN(Number(v)));
        if (gone.length) item.cause = `${gone.join(', ')} — ${words.undefined}, а вычисление с ${words.undefined} даёт «не число»`;
        else if (text.length) item.cause = `${q(words.name(text[0][0]))} — текст ${say(text[0][1])}, числом он не становится, и вышло «не число»`;
      }
      if (badSet && badSet[1] === undefined) {
        for (const [list, index] of point.items) {
          const n = lengthOf(read.get(list));
          const at = typeof index === 'number' ? index : read.get(index);
          if (n >= 0 && typeof at === 'number' && (at >= n || at < 0)) {
            item.cause = (n ? `в ${q(words.name(list))} ${n} эл., их номера — с 0 до ${n - 1}, а номера ${at} нет: `
              : `${q(words.name(list))} пуст, элементов в нём нет: `) +
              `${words.name(list)}[${typeof index === 'number' ? index : words.name(index)}] дал ${words.undefined}`;
            break;
          }
        }
      }
    }
    for (const reason of item.reasons) {
      if (reason.decided) {
        parts.length = 0;
        parts.push(`условие ${reason.decided === 'else' ? `было ${q(words.false)}` : reason.decided === 'case' ? 'выбрало этот вариант' : `было ${q(words.true)}`}`);
      } else if (reason.param !== undefined) {
        const f = trace.frames[reason.frame];
        const sig = signatures[f.fn];
        const name = words.name(functions[f.fn]);
        const h = f.vars.get(reason.param);
        const v = h && valueAfter(trace, h, f.callStep);
        const index = sig ? sig.params.indexOf(reason.param) : -1;
        const call = point.calls.find(([n]) => n === functions[f.fn]);
        let text = `вызов ${q(name)} дал параметру ${q(words.name(reason.param))} значение ${v ? say(v.value) : words.undefined}`;
        if (v && v.value === undefined && call && index >= call[1]) {
          text = `вызов ${q(name)} передал ${call[1]} знач., а параметров у неё ${sig.params.length} (строка ${sig.line}): ` +
            `${q(words.name(reason.param))} остался без значения — это ${words.undefined}`;
          item.cause = text;
        }
        // A parameter is named when its value is the question or is bad.
        if (v && isBad(v.value)) item.bad = true;
        if ((v && isBad(v.value)) || item.paramOnly || (question.name === reason.param && question.frame === reason.frame)) parts.push(text);
      } else if (reason.returned !== undefined) {
        const name = words.name(functions[reason.returned]);
        if (reason.fellOff) {
          const text = `функция ${q(name)} дошла до ${q(words.end)} без ${q(words.word('return', 'вернуть'))}, и её вызов ` +
            `(строка ${trace.points[trace.point[reason.from]].line}) дал ${words.undefined}`;
          parts.push(text);
          // A cause only where the call's result is seen bad: set so, or printed.
          const caller = trace.points[trace.point[reason.from]];
          if (caller.kind === 'print' || setBy(reason.from).some(([, v]) => isBad(v))) {
            item.cause = text;
            item.bad = true;
          }
        } else {
          parts.push(`функция ${q(name)} отдаёт результат вызову на строке ${trace.points[trace.point[reason.from]].line}`);
        }
      }
    }
    if (!parts.length) parts.push('шаг');
    item.text = parts.join('; ');
  }

  const all = [...items.values()].sort((a, b) => b.step - a.step);
  // The first bad value along the chain: where it was made is the line to look at.
  let summary = '';
  const bad = all.filter((x) => x.bad);
  const first = bad.find((x) => x.cause) || bad[bad.length - 1];
  if (first) {
    summary = `Строка ${first.line} (шаг ${first.step + 1}): ` +
      (first.cause || `здесь впервые в этой цепочке получилось ${first.text.includes('«не число»') ? '«не число»' : words.undefined}: ${first.text}`) + '.';
  }
  return { title, summary, origin: first ? first.line : 0, items: all.slice(0, shownItems), more: Math.max(0, all.length - shownItems) + (items.size >= reach ? 1 : 0) };
}

// The steps at which each point ran, counted once per view.
export function pointRuns(trace) {
  const runs = new Int32Array(trace.points.length);
  for (let k = 0; k < trace.count; k++) runs[trace.point[k]]++;
  return runs;
}
function lastStepOf(trace, point) {
  for (let k = trace.count - 1; k >= 0; k--) if (trace.point[k] === point) return k;
  return -1;
}

// «Почему не выполнилась?» of source line `line`: {title, summary, items} or null when it ran or
// holds no step.
export function whyNot(trace, info, line, runs = pointRuns(trace)) {
  const { words, functions } = info;
  const ids = [];
  trace.points.forEach((p, i) => p.line === line && ids.push(i));
  if (!ids.length || ids.some((i) => runs[i] > 0)) return null;
  const title = `Почему строка ${line} не выполнилась?`;
  if (trace.full) {
    return { title, summary: `Записаны только первые ${trace.count} шагов, дальше программа работала без записи: ` +
      'выполнялась ли строка потом, не видно.', items: [], more: 0 };
  }
  const items = [];
  const seenOf = (point, s, at) => {
    const p = trace.points[point];
    const values = [];
    for (const name of p.reads) {
      const h = historyOf(trace, name, trace.frame[s], p);
      const v = h && valueAfter(trace, h, at);
      if (v) values.push([name, v.value]);
    }
    return values;
  };
  const said = [];
  let under = trace.points[ids[0]].under;
  let guard = 0;
  while (guard++ < 50) {
    if (!under) {
      said.push(trace.errorStep >= 0 ? `программа остановилась с ошибкой на строке ${trace.points[trace.point[trace.errorStep]].line} (шаг ${trace.errorStep + 1}), раньше этой строки`
        : trace.full ? 'записаны только первые шаги программы, до этой строки запись не дошла'
          : 'выполнение до неё не дошло');
      break;
    }
    // Other statements of the same part ran: the part was entered, this line was not reached.
    const sibling = trace.points.findIndex((p, i) => p.under === under && runs[i] > 0 && !ids.includes(i));
    if (sibling >= 0 && under.kind !== 'each') {
      // The last step of the part: an error there, or «вернуть», ended it before this line.
      let s = -1;
      for (let k = trace.count - 1; k >= 0 && s < 0; k--) if (trace.points[trace.point[k]].under === under) s = k;
      const p = trace.points[trace.point[s]];
      if (s === trace.errorStep) said.push(`на строке ${p.line} (шаг ${s + 1}) программа остановилась с ошибкой, раньше этой строки`);
      else if (p.kind === 'return') said.push(`перед ней сработало ${q(words.word('return', 'вернуть'))} на строке ${p.line}, и функция закончилась`);
      else said.push(`строки рядом с ней выполнялись (последней — строка ${p.line}, шаг ${s + 1}), а до этой выполнение не доходило`);
      items.push({ step: s, line: p.line, text: 'последний шаг рядом с ней', values: [] });
      break;
    }
    if (under.kind === 'fn') {
      const called = trace.frames.some((f, i) => i > 0 && f.fn === under.fn);
      if (!called) {
        said.push(`функция ${q(words.name(functions[under.fn]))} ни разу не вызвана`);
        break;
      }
      said.push(`функция ${q(words.name(functions[under.fn]))} вызывалась, но до этой строки не доходила`);
      break;
    }
    if (under.kind === 'each') {
      const previous = under.previous;
      if (previous >= 0 && runs[previous] > 0) {
        const s = lastStepOf(trace, previous);
        let text = 'цикл не сделал ни одного оборота';
        const values = [];
        if (under.list) {
          const h = historyOf(trace, under.list, trace.frame[s], trace.points[previous]);
          const v = h && valueAfter(trace, h, s);
          if (v) {
            values.push([under.list, v.value]);
            if (lengthOf(v.value) === 0) text += `: ${q(words.name(under.list))} пуст`;
          }
        }
        said.push(text);
        items.push({ step: s, line: trace.points[previous].line, text: 'шаг перед циклом', values });
        break;
      }
      under = under.up;
      continue;
    }
    if (under.point >= 0 && runs[under.point] > 0) {
      const p = trace.points[under.point];
      const s = lastStepOf(trace, under.point);
      const times = runs[under.point];
      const at = s - 1;
      if (trace.errorStep === s) said.push(`на проверке условия (строка ${p.line}) программа остановилась с ошибкой`);
      else if (under.kind === 'if' || under.kind === 'case') {
        said.push(`условие на строке ${p.line} ${times > 1 ? `все ${times} раз было` : 'было'} ${q(words.false)}`);
      } else if (under.kind === 'else') {
        said.push(`условие на строке ${p.line} ${times > 1 ? `все ${times} раз было` : 'было'} ${q(words.true)}`);
      } else if (under.kind === 'loop') {
        said.push(`условие цикла на строке ${p.line} было ${q(words.false)} с первой проверки: цикл не сделал ни одного оборота`);
      }
      items.push({ step: s, line: p.line, text: times > 1 ? 'последняя проверка' : 'проверка условия',
        values: seenOf(under.point, s, p.head ? s : at) });
      break;
    }
    if (under.point >= 0) said.push(`не выполнилась и сама строка ${trace.points[under.point].line}, от которой она зависит`);
    under = under.up;
  }
  return { title, summary: said.join('; ') + '.', items, more: 0 };
}

// The step that drew the shape under (x, y) of the canvas as step k left it, or -1: the drawing
// calls are replayed (paths and transforms only) on a scratch context and hit-tested.
export function shapeAt(log, k, x, y) {
  if (!log) return -1;
  const scratch = document.createElement('canvas').getContext('2d');
  const end = lastAtOrBefore(log.steps, k);
  let found = -1;
  for (let i = 0; i <= end; i++) {
    const [name, args] = log.calls[i];
    try {
      if (name === '=lineWidth') scratch.lineWidth = args[0];
      else if (name === 'fill' && scratch.isPointInPath(x, y)) found = log.steps[i];
      else if (name === 'stroke' && (scratch.isPointInStroke(x, y) || scratch.isPointInPath(x, y))) found = log.steps[i];
      else if (/^(fill|stroke|clear)Rect$/.test(name)) {
        const m = scratch.getTransform().inverse().transformPoint({ x, y });
        const [rx, ry, w, h] = args;
        if (m.x >= Math.min(rx, rx + w) - 1 && m.x <= Math.max(rx, rx + w) + 1 && m.y >= Math.min(ry, ry + h) - 1 && m.y <= Math.max(ry, ry + h) + 1) {
          found = name === 'clearRect' ? -1 : log.steps[i];
        }
      } else if (/^(beginPath|moveTo|lineTo|arc|arcTo|rect|roundRect|ellipse|quadraticCurveTo|bezierCurveTo|closePath|setTransform|resetTransform|transform|translate|rotate|scale|save|restore|reset)$/.test(name)) {
        scratch[name](...args);
      }
    } catch {
      // a call that failed in the run as well
    }
  }
  return found;
}
