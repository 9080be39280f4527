// Typing help in the program's editor, read off the loaded rules: a line after one that ends with a
// block opener («то», «делать», the «:» of a function header, «{») goes one step in, and a line
// that starts with a closer («конец», «иначе», «}») one step out, re-indented as soon as the closer
// is typed (the vocabulary's "opens" and "closes"); brackets and quotes close themselves.
// Tests: tests/playground/playground_test.mjs.
import { EditorSelection, EditorState } from '@codemirror/state';
import { EditorView, keymap } from '@codemirror/view';
import { getIndentUnit, indentOnInput, indentService } from '@codemirror/language';

function regex(source, flags) {
  try {
    return new RegExp(source, flags);
  } catch {
    return null;
  }
}

// The editor extension for one vocabulary; reconfigure it when the rules change.
export function blockIndent(vocabulary) {
  const opensAtEnd = vocabulary.opens && regex(`(?:${vocabulary.opens})\\s*(?://.*)?$`, 'u');
  const closesAtStart = vocabulary.closes && regex(`^\\s*(?:${vocabulary.closes})`, 'u');
  const closesWhole = vocabulary.closes && regex(`^\\s*(?:${vocabulary.closes})$`, 'u');
  const service = indentService.of((context, pos) => {
    // The nearest line above with text sets the depth; the line being indented may take a step out.
    let above = context.lineAt(pos, -1);
    if (above.from === context.lineAt(pos, 1).from) {
      if (above.from === 0) return 0;
      above = context.lineAt(above.from - 1, -1);
    }
    while (!/\S/.test(above.text) && above.from > 0) above = context.lineAt(above.from - 1, -1);
    let indent = context.lineIndent(above.from, -1);
    const unit = getIndentUnit(context.state);
    if (opensAtEnd && opensAtEnd.test(above.text)) indent += unit;
    if (closesAtStart && closesAtStart.test(context.textAfterPos(pos, 1))) indent -= unit;
    return Math.max(0, indent);
  });
  return [service, closesWhole ? EditorState.languageData.of(() => [{ indentOnInput: closesWhole }]) : []];
}

const closers = { '(': ')', '[': ']', '{': '}', '"': '"', "'": "'" };
const wordChar = /[0-9A-Za-z_А-яЁё]/;

// Brackets and quotes typed in pairs: a selection is wrapped, an opener before a space, a closing
// bracket or the line's end gets its closer, a closer typed before the same closer steps over it,
// and Backspace between an empty pair removes both. A quote after a letter (an apostrophe in a
// word) stays single.
const pairs = EditorView.inputHandler.of((view, from, to, text) => {
  if (view.composing || view.state.readOnly || text.length !== 1) return false;
  const { state } = view;
  const next = state.sliceDoc(to, to + 1);
  const before = state.sliceDoc(from - 1, from);
  const isQuote = text === '"' || text === "'";
  if (from === to && next === text && (isQuote || /[)\]}]/.test(text))) {
    view.dispatch({ selection: { anchor: to + 1 }, userEvent: 'input' });
    return true;
  }
  if (!closers[text]) return false;
  if (from !== to) {
    view.dispatch({
      changes: [{ from, insert: text }, { from: to, insert: closers[text] }],
      selection: EditorSelection.range(from + 1, to + 1),
      userEvent: 'input',
    });
    return true;
  }
  if (next && !/[\s)\]},;]/.test(next)) return false;
  if (isQuote && (wordChar.test(before) || before === text)) return false;
  view.dispatch({ changes: { from, insert: text + closers[text] }, selection: { anchor: from + 1 }, userEvent: 'input' });
  return true;
});

const removePair = keymap.of([{
  key: 'Backspace',
  run(view) {
    const { state } = view;
    const range = state.selection.main;
    if (!range.empty || state.selection.ranges.length > 1) return false;
    const before = state.sliceDoc(range.from - 1, range.from);
    if (!closers[before] || state.sliceDoc(range.from, range.from + 1) !== closers[before]) return false;
    view.dispatch({ changes: { from: range.from - 1, to: range.from + 1 }, userEvent: 'delete' });
    return true;
  },
}]);

export const typingHelp = [pairs, removePair, indentOnInput(), EditorView.lineWrapping];
