// The language's colours in the editor, generated from the vocabulary of the rules loaded (the
// core's vocabularyJson): each rule's pattern as a regular expression, coloured by the part its
// replacement plays, and the built-in libraries' names; strings and comments as lum reads them
// (regions.js). The patterns run on the visible lines only, so a 10 MB program costs what one
// screen costs.
// Tests: tests/playground/playground_test.mjs.
import { Decoration, ViewPlugin } from '@codemirror/view';
import { COMMENT, LITERAL, TEMPLATE, lumRegions } from './regions.js';

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

// Regions of the whole document, one scan per document (documents are immutable values, so a
// scroll reuses them). Past wholeScanLimit characters a scan per keystroke would cost more than a
// frame: then each slice of visible lines is read on its own, which errs only where a string or
// comment crosses the slice's edge.
const wholeScanLimit = 1000000;
const regionsOfDoc = new WeakMap();
function documentRegions(doc) {
  if (doc.length > wholeScanLimit) return null;
  let regions = regionsOfDoc.get(doc);
  if (!regions) regionsOfDoc.set(doc, (regions = lumRegions(doc.toString())));
  return regions;
}

// The regions that meet [from, to), as [a, b, kind] within the slice that starts at `from`.
function regionsIn(regions, from, to) {
  let lo = 0;
  let hi = regions.length;
  while (lo < hi) {
    const mid = (lo + hi) >> 1;
    if (regions[mid][1] <= from) lo = mid + 1;
    else hi = mid;
  }
  const found = [];
  for (let i = lo; i < regions.length && regions[i][0] < to; i++)
    found.push([Math.max(regions[i][0], from) - from, Math.min(regions[i][1], to) - from, regions[i][2]]);
  return found;
}

const regionMark = { [LITERAL]: 'lum-string', [COMMENT]: 'lum-comment', [TEMPLATE]: 'lum-string' };

const sliceMargin = 2000;
const longestSlice = 200000;

function decorate(view, patterns) {
  const ranges = [];
  const doc = view.state.doc;
  const whole = documentRegions(doc);
  for (const { from, to } of view.visibleRanges) {
    // Whole lines, but not much more than is shown: one line may be megabytes long.
    const start = Math.max(doc.lineAt(from).from, from - sliceMargin);
    const end = Math.min(doc.lineAt(to).to, to + sliceMargin, start + longestSlice);
    const text = doc.sliceString(start, end);
    // Earlier claims win: strings and comments first, then the rules in table order, as rewriting
    // goes. Template text is coloured as text but not claimed: lum translates the words in it.
    const claimed = new Uint8Array(text.length + 1);
    const claim = (a, b, mark) => {
      for (let k = a; k < b; k++) if (claimed[k]) return;
      claimed.fill(1, a, b);
      ranges.push(mark.range(start + a, start + b));
    };
    for (const [a, b, kind] of whole ? regionsIn(whole, start, end) : lumRegions(text)) {
      if (kind === TEMPLATE) ranges.push(marks[regionMark[kind]].range(start + a, start + b));
      else claim(a, b, marks[regionMark[kind]]);
    }
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
