// Which stretches of a program are strings, comments and template text, read exactly as lum reads
// them (translator/source_regions.cpp, scanRegions): a quote opens a string that the next same
// quote closes anywhere later, across lines and comments, with no escapes; a quote with no partner
// is a string to the browser up to its line's end; "//" and "/* */" are comments to the browser,
// and a quote in a comment whose partner stands past the comment's end opens a string all the same
// (an apostrophe in «// it's» leaves the lines after it untranslated). Backquotes hold template
// text, which lum still translates. The colours and lum agree because this is the same scan.
// Tests: tests/playground/playground_test.mjs.

export const LITERAL = 1;
export const COMMENT = 2;
export const TEMPLATE = 3;

const CODE = 0;
const LINE = 1;
const BLOCK = 2;
const TEXT = 3; // inside backquotes

// The first position at or after p where find(p) says, kept while p does not pass it: each
// lookahead moves forward only, so a whole scan stays linear.
function cursor(find) {
  let found = -1;
  return (p) => (found >= p ? found : (found = find(p)));
}

const isQuote = (c) => c === '"' || c === "'";

// [[from, to, kind]...] in text order, apart, none empty; everything between them is code.
export function lumRegions(s) {
  const n = s.length;
  const out = [];
  const mark = (from, to, kind) => {
    if (from >= to) return;
    const last = out[out.length - 1];
    if (last && last[1] === from && last[2] === kind) last[1] = to;
    else out.push([from, to, kind]);
  };
  const after = (text) => cursor((p) => {
    const i = s.indexOf(text, p);
    return i < 0 ? n : i;
  });
  const lineEnd = after('\n');
  const commentEnd = after('*/');
  const backquote = after('`');
  const partner = { '"': after('"'), "'": after("'") };
  const regionOf = (state) => (state === TEXT ? TEMPLATE : state === CODE ? 0 : COMMENT);
  // Marks from p up to the next `stop` or quote; returns where that is.
  const markUntil = (p, stop, kind) => {
    let end = p + 1;
    while (end < n && s[end] !== stop && !isQuote(s[end])) end++;
    mark(p, end, kind);
    return end;
  };
  // Whether "//" stands before `at` on its line, after `from`.
  const lineCommentBefore = (from, at) => {
    for (let k = at; k > from + 1 && s[k - 1] !== '\n'; --k) if (k >= 2 && s[k - 1] === '/' && s[k - 2] === '/') return true;
    return false;
  };
  const special = /["'`/\n]/g;

  let state = CODE;
  let p = 0;
  while (p < n) {
    const c = s[p];
    if (isQuote(c)) {
      const q = partner[c](p + 1);
      if (q >= n) {
        const end = state === CODE ? lineEnd(p) : p + 1;
        mark(p, end, state === CODE ? LITERAL : regionOf(state));
        p = end;
        continue;
      }
      let regionEnd = n;
      if (state === LINE) regionEnd = lineEnd(p);
      if (state === BLOCK) regionEnd = commentEnd(p);
      if (state === TEXT) regionEnd = backquote(p);
      if (state !== CODE && q < regionEnd) {
        mark(p, q + 1, regionOf(state));
        p = q + 1;
        continue;
      }
      mark(p, q + 1, LITERAL);
      if (state !== CODE) state = lineCommentBefore(p, q) ? LINE : CODE;
      p = q + 1;
      continue;
    }
    if (state === CODE) {
      special.lastIndex = p;
      const m = special.exec(s);
      if (!m) break;
      if (m.index > p) {
        p = m.index;
        continue;
      }
      if (c === '/' && (s[p + 1] === '/' || s[p + 1] === '*')) {
        state = s[p + 1] === '/' ? LINE : BLOCK;
        mark(p, p + 2, COMMENT);
        p += 2;
        continue;
      }
      if (c === '`' && backquote(p + 1) < n) {
        state = TEXT;
        mark(p, p + 1, TEMPLATE);
      }
      p++;
    } else if (state === LINE) {
      if (c === '\n') {
        state = CODE;
        p++;
      } else {
        p = markUntil(p, '\n', COMMENT);
      }
    } else if (state === BLOCK) {
      if (c === '*' && s[p + 1] === '/') {
        mark(p, p + 2, COMMENT);
        state = CODE;
        p += 2;
      } else {
        p = markUntil(p, '*', COMMENT);
      }
    } else if (c === '`') {
      mark(p, p + 1, TEMPLATE);
      state = CODE;
      p++;
    } else {
      p = markUntil(p, '`', TEMPLATE);
    }
  }
  return out;
}
