// Values as the step view keeps and shows them: primitives as they are, lists and objects as a
// bounded copy (at most 50, 20 and 10 items on their first three levels) with a text that tells two
// copies apart, and everything written in the learner's words (истина, пусто, "текст", …).
const wide = [50, 20, 10]; // items kept on each level
const deep = wide.length;

// What reading a value needs, saved when this module loads, before the program starts: a program
// that replaces Object.keys or Array.prototype.push does not run while its values are read.
const apply = Reflect.apply;
const ownKeys = Object.keys;
const describe = Object.getOwnPropertyDescriptor;
const isArray = Array.isArray;
const defineProperty = Object.defineProperty;
const RealProxy = typeof Proxy === 'function' ? Proxy : null;
const proxyTargets = new WeakMap();
const targetOf = WeakMap.prototype.get;
const rememberTarget = WeakMap.prototype.set;

// From now on the proxies that `global`'s programs make remember their targets, so that their
// values are read from the target, without the program's traps.
export function watchProxies(global) {
  if (!RealProxy) return;
  function remember(proxy, target) {
    if (target !== null && (typeof target === 'object' || typeof target === 'function')) apply(rememberTarget, proxyTargets, [proxy, target]);
    return proxy;
  }
  const Watched = function Proxy(target, handler) {
    if (new.target === undefined) throw new TypeError("Constructor Proxy requires 'new'");
    return remember(new RealProxy(target, handler), target);
  };
  Watched.revocable = function revocable(target, handler) {
    const made = RealProxy.revocable(target, handler);
    remember(made.proxy, target);
    return made;
  };
  defineProperty(global, 'Proxy', { value: Watched, writable: true, configurable: true });
}

// A value as its program's traps would not show it: a proxy's target (to the last one).
function unwrapped(value) {
  for (let seen = 0; seen < 100; seen++) {
    const target = apply(targetOf, proxyTargets, [value]);
    if (target === undefined) return value;
    value = target;
  }
  return value;
}

const computed = { __kept: true, kind: 'thing', name: '(вычисляется)', items: [], more: 0, sign: 'get' };

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

// A copy of `value` that later changes to it cannot reach. Reading it never runs the program's
// code: a getter is shown as «(вычисляется)», a proxy is read through its target.
export function keep(value, level = 0) {
  if (typeof value === 'function') {
    const d = describe(value, 'name');
    const name = d && typeof d.value === 'string' ? d.value : '';
    return { __kept: true, kind: 'function', name, sign: 'ƒ' + name };
  }
  if (value === null || typeof value !== 'object') return value;
  value = unwrapped(value);
  const host = hostName(value);
  if (host) return { __kept: true, kind: 'thing', name: host, items: [], more: 0, sign: '<' + host + '>' };
  let list = false;
  let keys = null;
  let count = 0;
  try {
    list = isArray(value);
    if (list) count = describe(value, 'length').value;
    else {
      keys = ownKeys(value);
      count = keys.length;
    }
  } catch {
    keys = [];
    count = 0;
  }
  const items = [];
  let signs = '';
  let keyText = '';
  const shown = level >= deep ? 0 : Math.min(count, wide[level]);
  for (let i = 0; i < shown; i++) {
    const key = list ? i : keys[i];
    let item;
    try {
      const d = describe(value, list ? String(i) : key);
      item = !d ? undefined : 'value' in d ? keep(d.value, level + 1) : computed;
    } catch {
      item = undefined;
    }
    items[i] = [key, item];
    signs += (i ? '\u0002' : '') + signOf(item);
    if (!list) keyText += (i ? '\u0001' : '') + key;
  }
  const sign = (list ? '[' : '{') + count + ':' + keyText + '|' + signs;
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
    // A word of the language (return -> вернуть), and the word that ends a block.
    word: (js, fallback) => word(js, fallback),
    end: (dictionary && Array.isArray(dictionary.концы) && dictionary.концы[0]) || 'конец',
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
