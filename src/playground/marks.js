// Problem lines in an editor: a mark in the gutter, the line's text underlined, and the note's text
// when the pointer rests on either. The one place that turns a report's data (each warning's or
// hint's line, kind and text) into marks; they follow the text as it is edited until the next
// report replaces them.
// Tests: tests/playground/playground_test.mjs.
import { RangeSet, StateEffect, StateField } from '@codemirror/state';
import { Decoration, EditorView, GutterMarker, gutter } from '@codemirror/view';

// [{line (from 1), kind: 'warning' | 'hint', text}]
export const setProblems = StateEffect.define();

class ProblemMarker extends GutterMarker {
  constructor(kind, text) {
    super();
    this.kind = kind;
    this.text = text;
  }
  eq(other) {
    return other.kind === this.kind && other.text === this.text;
  }
  toDOM() {
    const mark = document.createElement('span');
    mark.className = `lum-problem-mark ${this.kind}`;
    mark.textContent = this.kind === 'warning' ? '▲' : '●';
    mark.title = this.text;
    return mark;
  }
}

function build(doc, problems) {
  const byLine = new Map();
  for (const { line, kind, text } of problems) {
    if (!(line >= 1 && line <= doc.lines)) continue;
    const entry = byLine.get(line) || { kind, texts: [] };
    if (kind === 'warning') entry.kind = 'warning'; // a warning outranks a hint on its line
    entry.texts.push(text);
    byLine.set(line, entry);
  }
  const decorations = [];
  const markers = [];
  for (const number of [...byLine.keys()].sort((a, b) => a - b)) {
    const { kind, texts } = byLine.get(number);
    const line = doc.line(number);
    const title = texts.join('\n');
    markers.push(new ProblemMarker(kind, title).range(line.from));
    decorations.push(Decoration.line({ class: `lum-problem-line ${kind}`, attributes: { title } }).range(line.from));
    const first = line.from + /^\s*/.exec(line.text)[0].length;
    if (first < line.to) decorations.push(Decoration.mark({ class: `lum-problem ${kind}` }).range(first, line.to));
  }
  return { decorations: Decoration.set(decorations, true), markers: RangeSet.of(markers) };
}

const problemField = StateField.define({
  create: () => ({ decorations: Decoration.none, markers: RangeSet.empty }),
  update(value, transaction) {
    for (const effect of transaction.effects) if (effect.is(setProblems)) return build(transaction.state.doc, effect.value);
    if (!transaction.docChanged) return value;
    return { decorations: value.decorations.map(transaction.changes), markers: value.markers.map(transaction.changes) };
  },
  provide: (field) => EditorView.decorations.from(field, (value) => value.decorations),
});

// The editor extension; marks are set with view.dispatch({effects: setProblems.of(problems)}).
export function problemMarks() {
  return [
    problemField,
    gutter({ class: 'lum-problems', markers: (view) => view.state.field(problemField).markers }),
  ];
}
