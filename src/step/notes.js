// Run notes: what a finished run showed that a learner would not expect of their own program, each
// at its line, read from the recorded steps without running anything:
//   - a loop with a condition that made no turn: its condition was false at its first check;
//   - a loop left in its first turn although more were to come, because its body leaves it
//     («вернуть», «прервать») on every path;
//   - a name given a fixed value in a turn of a loop, wiping what earlier turns made of it, and
//     read only after the loop, so that after it only the last turn's work is left.
// Each stays silent where the program means it: a condition or a choice that read an answer of
// «спросить» or a random number (a loop's condition also a function's parameter: the caller
// decides), a list of one element, a value read within the turns. Past the recording limit
// nothing is said. One pass over the steps with a stack of loop entries per frame; the values'
// origins are followed at most `reach` steps back: linear in the trace.
import { historyOf, lengthOf, valueAfter } from './why.js';
import { same, short } from './values.js';

const reach = 200; // steps visited at most when looking where a value came from
const near = 5000; // steps looked back for the test that chose a branch

const q = (text) => '«' + text + '»';

// Whether the values step s read came, through the steps that made them, from an answer of
// «спросить» or a random number (or, with `params`, from a parameter given by a call).
function fromOutside(trace, asked, s, params) {
  const seen = new Set();
  const todo = [s];
  while (todo.length && seen.size < reach) {
    const k = todo.pop();
    if (seen.has(k)) continue;
    seen.add(k);
    const point = trace.points[trace.point[k]];
    if (asked.has(k) || point.outside) return true;
    const frame = trace.frame[k];
    for (const name of point.reads) {
      const h = historyOf(trace, name, frame, point);
      const v = h && valueAfter(trace, h, point.head && point.head.includes(name) ? k : k - 1);
      if (!v || v.made < 0) continue;
      if (!v.changed) {
        if (params && frame > 0) return true;
        continue;
      }
      if (v.made !== k) todo.push(v.made);
    }
  }
  return false;
}

// The last step of point `point` in frame `frame` before step s, within `near` steps, or -1.
function lastBefore(trace, point, frame, s) {
  for (let k = s - 1; k >= 0 && k >= s - near; k--) if (trace.point[k] === point && trace.frame[k] === frame) return k;
  return -1;
}

// info: {words}. Returns [{line, text}] in line order, at most one note per line.
export function runNotes(trace, info) {
  if (trace.full || !trace.count) return [];
  const { words } = info;
  const points = trace.points;
  const say = (kept) => short(kept, words, 24);
  const asked = new Set(trace.notes.filter((n) => n.kind === 'question').map((n) => n.step));

  // Loops by their head (a condition's point, or the point that begins a turn of «для каждого»),
  // and the fixed values set in each loop (the innermost one).
  const headOf = new Map();
  const fixed = new Map(); // loop -> names
  const fixedNames = new Set();
  const loopOf = (u) => {
    while (u && u.kind !== 'fn' && u.kind !== 'loop' && u.kind !== 'each') u = u.up;
    return u && u.kind !== 'fn' ? u : null;
  };
  points.forEach((p, i) => {
    if (p.kind === 'each' && p.under && p.under.kind === 'each') headOf.set(i, p.under);
    for (let u = p.under; u && u.kind !== 'fn'; u = u.up) if (u.kind === 'loop' && u.point >= 0) headOf.set(u.point, u);
    const loop = p.constant && loopOf(p.under);
    if (loop) {
      fixed.set(loop, (fixed.get(loop) || new Set()).add(p.constant));
      fixedNames.add(p.constant);
    }
  });
  // Per point, the loops it stands in (as their head or in their body).
  const loopsOf = points.map((p, i) => {
    const out = headOf.has(i) ? [headOf.get(i)] : [];
    for (let u = p.under; u && u.kind !== 'fn'; u = u.up) if ((u.kind === 'loop' || u.kind === 'each') && !out.includes(u)) out.push(u);
    return out;
  });

  const notes = new Map(); // line -> text
  const add = (line, text) => line > 0 && !notes.has(line) && notes.set(line, text);
  const byLoop = new Map(); // loop -> its finished entries
  const stacks = []; // per frame: the loop entries under way, innermost last
  const watched = []; // open entries of loops that set fixed values
  let after = []; // wiped values waiting for the first read after their loop

  function finish(e) {
    const list = byLoop.get(e.loop) || [];
    list.push(e);
    byLoop.set(e.loop, list);
    if (e.fixed) watched.splice(watched.indexOf(e), 1);
    if (e.wiped) for (const w of e.wiped.values()) if (!e.readWithin || !e.readWithin.has(w.h)) after.push(w);
  }

  for (let k = 0; k < trace.count; k++) {
    const p = trace.point[k];
    const f = trace.frame[k];
    const point = points[p];
    const stack = stacks[f] || (stacks[f] = []);
    while (stack.length && !loopsOf[p].includes(stack[stack.length - 1].loop)) finish(stack.pop());
    const loop = headOf.get(p);
    let top = stack[stack.length - 1];
    if (loop) {
      if (!top || top.loop !== loop) {
        top = { loop, frame: f, first: k, last: k, checks: 0, turns: 0, starts: [], inTurn: false, fixed: fixed.get(loop) || null, readWithin: null, wiped: null };
        stack.push(top);
        if (top.fixed) watched.push(top);
      }
      top.checks++;
      top.inTurn = loop.kind === 'each';
      if (top.inTurn) {
        top.turns++;
        top.starts.push(k);
      }
    } else if (top && !top.inTurn) {
      top.turns++;
      top.starts.push(k);
      top.inTurn = true;
    }
    for (const e of stack) e.last = k;

    // Reads of the names loops set to fixed values: within a loop, and after it.
    if (watched.length || after.length) for (const name of point.reads) {
      if (!fixedNames.has(name)) continue;
      const h = historyOf(trace, name, f, point);
      if (!h) continue;
      if (!point.writes.includes(name)) for (const e of watched) if (e.fixed.has(name)) (e.readWithin || (e.readWithin = new Set())).add(h);
      const waiting = after.find((w) => w.h === h);
      if (waiting) {
        after = after.filter((w) => w.h !== h);
        const v = valueAfter(trace, h, k - 1);
        if (v) wipedNote(waiting, v.value);
      }
    }
    if (after.length) for (const name of point.writes) {
      if (!fixedNames.has(name)) continue;
      const h = historyOf(trace, name, f, point);
      if (h && !point.reads.includes(name)) after = after.filter((w) => w.h !== h);
    }

    // A fixed value set in a later turn over a value an earlier turn of the same entry made, other
    // than the one the loop began with (so a flag set once, late, wipes nothing); the last is kept.
    if (point.constant && top) {
      const e = stack.findLast((x) => x.loop === loopOf(point.under));
      const name = point.constant;
      const h = e && e.starts.length > 1 && historyOf(trace, name, f, point);
      const before = h ? valueAfter(trace, h, k - 1) : null;
      const now = before && before.made >= e.first && before.made < e.starts[e.starts.length - 1] ? valueAfter(trace, h, k) : null;
      const wipes = !!now && now.made === k && !same(before.value, now.value);
      const start = wipes ? valueAfter(trace, h, e.first - 1) : null;
      if (wipes && !(start && same(start.value, before.value))) {
        (e.wiped || (e.wiped = new Map())).set(h, { h, name, step: k, line: point.line, value: now.value, was: before.value,
          wasLine: points[trace.point[before.made]].line, turn: e.starts.length, wasTurn: turnOf(e, before.made) });
      }
    }
  }
  for (const stack of stacks) while (stack && stack.length) finish(stack.pop());

  function turnOf(e, s) {
    let low = 0;
    let high = e.starts.length - 1;
    while (low < high) {
      const middle = (low + high + 1) >> 1;
      if (e.starts[middle] <= s) low = middle;
      else high = middle - 1;
    }
    return low + 1;
  }
  // A fixed value that wiped an earlier turn's and was read after the loop: unless the branch that
  // set it was chosen by an answer or a random number.
  function wipedNote(w, final) {
    const point = points[trace.point[w.step]];
    const u = point.under;
    if (u && u.point >= 0 && (u.kind === 'if' || u.kind === 'else' || u.kind === 'case')) {
      const test = lastBefore(trace, u.point, trace.frame[w.step], w.step);
      if (test >= 0 && fromOutside(trace, asked, test, false)) return;
    }
    const name = q(words.name(w.name));
    add(w.line, `на ${w.turn}-м обороте цикла эта строка снова сделала ${name} = ${say(w.value)} и стёрла значение ${say(w.was)}, ` +
      `полученное на ${w.wasTurn}-м обороте (строка ${w.wasLine}). ${name} читается только после цикла, ` +
      `и там в ней лишь то, что дал последний оборот: ${say(final)}`);
  }

  const leaveWord = (kind) => q(kind === 'break' ? words.word('break', 'прервать') : words.word('return', 'вернуть'));
  for (const [loop, entries] of byLoop) {
    // A loop with a condition that made no turn in any of its entries.
    if (loop.kind === 'loop' && entries.every((e) => e.turns === 0 && e.checks === 1 && e.first !== trace.errorStep)) {
      const e = entries[entries.length - 1];
      const s = e.first;
      const test = points[loop.point];
      if (!fromOutside(trace, asked, s, true)) {
        const values = [];
        for (const name of test.reads) {
          const h = historyOf(trace, name, trace.frame[s], test);
          const v = h && valueAfter(trace, h, test.head && test.head.includes(name) ? s : s - 1);
          if (v) values.push(`${words.name(name)} = ${say(v.value)}`);
        }
        add(test.line, `цикл не сделал ни одного оборота: условие было ${q(words.false)} уже при первой проверке` +
          (entries.length > 1 ? ` (все ${entries.length} раз)` : '') + (values.length ? `, когда ${values.join(', ')}` : ''));
      }
    }
    // A loop whose body always leaves it, left in its first turn with more to come.
    if (loop.leaves) {
      for (const e of entries) {
        const last = points[trace.point[e.last]];
        if (e.turns !== 1 || e.last === trace.errorStep || (last.kind !== 'return' && last.kind !== 'break')) continue;
        let of = '';
        if (loop.kind === 'each') {
          const head = points[trace.point[e.first]];
          const h = loop.list && historyOf(trace, loop.list, e.frame, head);
          const v = h && valueAfter(trace, h, e.first);
          const n = v ? lengthOf(v.value) : -1;
          if (n <= 1) continue;
          of = ` из ${n} (в ${q(words.name(loop.list))} ${n} эл.)`;
        }
        add(last.line, `цикл сделал только один оборот${of}: на первом же обороте здесь сработало ${leaveWord(last.kind)}, ` +
          `а тело цикла выходит из него при любом условии (строки ${loop.leaves.join(', ')}), так что второго оборота не бывает`);
        break;
      }
    }
  }
  return [...notes].sort((a, b) => a[0] - b[0]).map(([line, text]) => ({ line, text }));
}
