// The language's colours in the editor, generated from the vocabulary of the rules loaded (the
// core's vocabularyJson): each rule's pattern as a regular expression, coloured by the part its
// replacement plays, and the built-in libraries' names. Only the visible lines are scanned, so a
// 10 MB program costs what one screen costs.
import { Decoration, ViewPlugin } from '@codemirror/view';

// Roles that share a colour share a class.
const roleClass = {
  'header-open': 'lum-keyword', 'header-close': 'lum-keyword', 'block-middle': 'lum-keyword',
  'block-open': 'lum-keyword', 'block-close': 'lum-keyword', declaration: 'lum-keyword',
  control: 'lum-keyword', other: 'lum-keyword', comparison: 'lum-operator', logic: 'lum-operator',
  value: 'lum-value', output: 'lum-call', function: 'lum-call', method: 'lum-call',
  drawing: 'lum-drawing', library: 'lum-library',
};
const marks = {};
for (const name of ['lum-keyword', 'lum-operator', 'lum-value', 'lum-call', 'lum-drawing', 'lum-library',
  'lum-string', 'lum-comment', 'lum-number'])
  marks[name] = Decoration.mark({ class: name });

const wordChar = '[0-9A-Za-z_А-яЁё]';
const escapeRegex = (text) => text.replace(/[\\^$.|?*+()[\]{}\/]/g, '\\$&');

// [{regex, mark}] in table order; a pattern the browser cannot read is left uncoloured.
export function patternsOf(vocabulary) {
  const patterns = [];
  for (const word of vocabulary.words) {
    try {
      patterns.push({ regex: new RegExp(word.regex, 'gu'), mark: marks[roleClass[word.role] || 'lum-keyword'] });
    } catch {
      // nothing to colour it with
    }
  }
  if (vocabulary.library.length)
    patterns.push({
      regex: new RegExp(`(?<!${wordChar})(?:${vocabulary.library.map(escapeRegex).join('|')})(?!${wordChar})`, 'gu'),
      mark: marks['lum-library'],
    });
  patterns.push({ regex: new RegExp(`(?<!${wordChar})\\d+(?:\\.\\d+)?`, 'gu'), mark: marks['lum-number'] });
  return patterns;
}

// Strings and comments of one slice of lines: a quote opens a string that its partner closes on
// the same line (a string spanning lines is coloured from its second line as code), "//" comments
// out the rest of the line. Returns [from, to, mark] triples, positions within the slice.
function literalsOf(text) {
  const found = [];
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (c === '"' || c === "'" || c === '`') {
      let end = i + 1;
      while (end < text.length && text[end] !== c && text[end] !== '\n') end++;
      if (end < text.length && text[end] === c) {
        found.push([i, end + 1, marks['lum-string']]);
        i = end;
      }
    } else if (c === '/' && text[i + 1] === '/') {
      let end = text.indexOf('\n', i);
      if (end < 0) end = text.length;
      found.push([i, end, marks['lum-comment']]);
      i = end;
    }
  }
  return found;
}

const sliceMargin = 2000;
const longestSlice = 200000;

function decorate(view, patterns) {
  const ranges = [];
  const doc = view.state.doc;
  for (const { from, to } of view.visibleRanges) {
    // Whole lines, but not much more than is shown: one line may be megabytes long.
    const start = Math.max(doc.lineAt(from).from, from - sliceMargin);
    const end = Math.min(doc.lineAt(to).to, to + sliceMargin, start + longestSlice);
    const text = doc.sliceString(start, end);
    // Earlier claims win: literals first, then the rules in table order, as rewriting goes.
    const claimed = new Uint8Array(text.length + 1);
    const claim = (a, b, mark) => {
      for (let k = a; k < b; k++) if (claimed[k]) return;
      claimed.fill(1, a, b);
      ranges.push(mark.range(start + a, start + b));
    };
    for (const [a, b, mark] of literalsOf(text)) claim(a, b, mark);
    for (const { regex, mark } of patterns) {
      regex.lastIndex = 0;
      for (let m; (m = regex.exec(text)); ) {
        if (m[0].length === 0) {
          regex.lastIndex++;
          continue;
        }
        claim(m.index, m.index + m[0].length, mark);
      }
    }
  }
  return Decoration.set(ranges, true);
}

// The editor extension for one vocabulary; reconfigure it when the rules change.
export function highlighter(vocabulary) {
  const patterns = patternsOf(vocabulary);
  return ViewPlugin.fromClass(
    class {
      constructor(view) {
        this.decorations = decorate(view, patterns);
      }
      update(update) {
        if (update.docChanged || update.viewportChanged) this.decorations = decorate(update.view, patterns);
      }
    },
    { decorations: (plugin) => plugin.decorations },
  );
}
