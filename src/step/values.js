// Values as the step view keeps and shows them: primitives as they are, lists and objects as a
// bounded copy (at most 50, 20 and 10 items on their first three levels) with a text that tells two
// copies apart, and everything written in the learner's words (истина, пусто, "текст", …).
const wide = [50, 20, 10]; // items kept on each level
const deep = wide.length;

// A kept value: {kind: 'list'|'object'|'function'|'thing', items: [[key, kept]...], more, sign, name}.
function isKept(v) {
  return v !== null && typeof v === 'object' && v.__kept === true;
}

function hostName(v) {
  try {
    if (typeof Node !== 'undefined' && v instanceof Node) return v.nodeName.toLowerCase();
    if (typeof CanvasRenderingContext2D !== 'undefined' && v instanceof CanvasRenderingContext2D) return 'холст';
    if (typeof Window !== 'undefined' && v instanceof Window) return 'окно';
  } catch {
    return 'объект';
  }
  return '';
}

// A copy of `value` that later changes to it cannot reach.
export function keep(value, level = 0) {
  if (typeof value === 'function') return { __kept: true, kind: 'function', name: value.name || '', sign: 'ƒ' + value.name };
  if (value === null || typeof value !== 'object') return value;
  const host = hostName(value);
  if (host) return { __kept: true, kind: 'thing', name: host, items: [], more: 0, sign: '<' + host + '>' };
  const list = Array.isArray(value);
  let keys;
  try {
    keys = list ? null : Object.keys(value);
  } catch {
    keys = [];
  }
  const count = list ? value.length : keys.length;
  const items = [];
  const signs = [];
  const shown = level >= deep ? 0 : Math.min(count, wide[level]);
  for (let i = 0; i < shown; i++) {
    const key = list ? i : keys[i];
    // An object's getters are never called: reading the value must not run the program's code.
    let item;
    try {
      const d = list ? null : Object.getOwnPropertyDescriptor(value, key);
      item = d && !('value' in d) ? { __kept: true, kind: 'thing', name: '(вычисляется)', items: [], more: 0, sign: 'get' } : keep(value[key], level + 1);
    } catch {
      item = undefined;
    }
    items.push([key, item]);
    signs.push(signOf(item));
  }
  const sign = (list ? '[' : '{') + count + ':' + (list ? '' : keys.slice(0, shown).join('\u0001')) + '|' + signs.join('\u0002');
  return { __kept: true, kind: list ? 'list' : 'object', items, more: count - shown, sign };
}

function signOf(kept) {
  if (isKept(kept)) return kept.sign;
  if (typeof kept === 'string') return '"' + kept;
  return typeof kept + String(kept);
}

// Whether two kept values show the same.
export function same(a, b) {
  if (isKept(a) || isKept(b)) return isKept(a) && isKept(b) && a.sign === b.sign;
  return Object.is(a, b);
}

// The learner's words for true, false, null and undefined, from the page's dictionary.
export function wordsFrom(dictionary) {
  const names = (dictionary && dictionary.имена) || {};
  const word = (js, fallback) => (typeof names[js] === 'string' ? names[js] : fallback);
  return {
    true: word('true', 'истина'),
    false: word('false', 'ложь'),
    null: word('null', 'пусто'),
    undefined: word('undefined', 'неопределено'),
    function: word('function', 'функция'),
    // A name of the program, in the learner's spelling where the rules rewrote it (счётчик).
    name: (js) => (typeof names[js] === 'string' && !js.includes('.') ? names[js] : js),
  };
}

function quoted(text, limit) {
  const cut = text.length > limit ? text.slice(0, limit) + '…' : text;
  return '"' + cut.replace(/\n/g, '\\n') + '"';
}

// One short line for a kept value, at most about `limit` characters.
export function short(kept, words, limit = 40) {
  if (kept === undefined) return words.undefined;
  if (kept === null) return words.null;
  if (kept === true) return words.true;
  if (kept === false) return words.false;
  if (typeof kept === 'number') return Number.isNaN(kept) ? '«не число»' : String(kept);
  if (typeof kept === 'string') return quoted(kept, limit);
  if (typeof kept === 'bigint') return String(kept);
  if (typeof kept === 'symbol') return String(kept.description || 'символ');
  if (!isKept(kept)) return String(kept);
  if (kept.kind === 'function') return words.function + (kept.name ? ' ' + kept.name : '');
  if (kept.kind === 'thing') return kept.name;
  const list = kept.kind === 'list';
  let text = list ? '[' : '{';
  for (let i = 0; i < kept.items.length; i++) {
    const [key, item] = kept.items[i];
    const part = (i ? ', ' : '') + (list ? '' : key + ': ') + short(item, words, 12);
    if (text.length + part.length > limit) {
      text += (i ? ', ' : '') + '…';
      return text + (list ? ']' : '}');
    }
    text += part;
  }
  if (kept.more > 0) text += (kept.items.length ? ', ' : '') + '…';
  return text + (list ? ']' : '}');
}

export function expandable(kept) {
  return isKept(kept) && (kept.kind === 'list' || kept.kind === 'object') && (kept.items.length > 0 || kept.more > 0);
}

// A value as DOM: a short line, and for lists and objects a <details> that opens onto their items.
export function valueNode(kept, words) {
  if (!expandable(kept)) {
    const span = document.createElement('span');
    span.textContent = short(kept, words);
    return span;
  }
  const details = document.createElement('details');
  const summary = document.createElement('summary');
  summary.textContent = short(kept, words);
  details.append(summary);
  details.addEventListener('toggle', () => {
    if (!details.open || details.childNodes.length > 1) return;
    const table = document.createElement('div');
    table.className = 'лш-вложено';
    for (const [key, item] of kept.items) {
      const row = document.createElement('div');
      const name = document.createElement('span');
      name.className = 'лш-имя';
      name.textContent = kept.kind === 'list' ? '[' + key + ']' : key;
      row.append(name, ' ', valueNode(item, words));
      table.append(row);
    }
    if (kept.more > 0) {
      const more = document.createElement('div');
      more.textContent = '… и ещё ' + kept.more;
      table.append(more);
    }
    details.append(table);
  });
  return details;
}
