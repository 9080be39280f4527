// The program editor's language services, answered by lum's own core in the worker: lum's
// warnings and hints on the words they name (gutter marks, wavy underlines, the text and its
// quick fix on hover), hovers on the table's words and the program's names, and completion of
// the table's words, its snippets and the program's names.
import { autocompletion, snippetCompletion } from '@codemirror/autocomplete';
import { forceLinting, linter, lintGutter } from '@codemirror/lint';
import { hoverTooltip } from '@codemirror/view';

const severities = { 1: 'error', 2: 'warning', 3: 'info', 4: 'hint' };

// lum's places are a line from 0 and a column in UTF-16 units, as the editor counts.
const offsetOf = (doc, place) => {
  const line = doc.line(Math.min(place.line + 1, doc.lines));
  return Math.min(line.from + place.character, line.to);
};

// lum's hover texts: paragraphs with **bold** and `code`, made into elements (never parsed as HTML).
export function markdown(text) {
  const box = document.createElement('div');
  box.className = 'lum-doc';
  for (const paragraph of text.split('\n\n')) {
    const p = document.createElement(paragraph.startsWith('```') ? 'pre' : 'p');
    if (p.tagName === 'PRE') p.textContent = paragraph.replace(/^```\n?|\n?```$/g, '');
    else
      for (const part of paragraph.split(/(\*\*[^*]+\*\*|`[^`]+`)/)) {
        if (!part) continue;
        const bold = part.startsWith('**'), code = part.startsWith('`');
        const piece = document.createElement(bold ? 'b' : code ? 'code' : 'span');
        piece.textContent = bold ? part.slice(2, -2) : code ? part.slice(1, -1) : part;
        p.append(piece);
      }
    box.append(p);
  }
  return box;
}

// VS Code's snippet syntax ($1, ${1:имя}, $0) in CodeMirror's (${1}, ${1:имя}, ${}).
const snippetOf = (body) => body.replace(/\$0/g, '${}').replace(/\$(\d+)/g, '${$1}').replace(/\t/g, '  ');

// ask({what, source, line, character}) answers from the worker, null when it could not.
export function languageServices(ask) {
  const text = (state) => state.doc.toString();
  return [
    lintGutter(),
    linter(async (view) => {
      const problems = await ask({ what: 'problems', source: text(view.state) });
      const doc = view.state.doc;
      return (problems || []).map((p) => ({
        from: offsetOf(doc, p.range.from),
        to: offsetOf(doc, p.range.to),
        severity: severities[p.severity] || 'info',
        source: 'lum',
        message: p.message,
        actions: p.fix ? [{
          name: p.fix.title,
          apply: (v) => v.dispatch({
            changes: { from: offsetOf(v.state.doc, p.fix.range.from), to: offsetOf(v.state.doc, p.fix.range.to), insert: p.fix.text },
          }),
        }] : [],
      }));
    }, { delay: 300 }),
    hoverTooltip(async (view, pos) => {
      const line = view.state.doc.lineAt(pos);
      const answer = await ask({ what: 'hover', source: text(view.state), line: line.number - 1, character: pos - line.from });
      if (!answer) return null;
      const doc = view.state.doc;
      return { pos: offsetOf(doc, answer.range.from), end: offsetOf(doc, answer.range.to), above: true,
        create: () => ({ dom: markdown(answer.markdown) }) };
    }),
    autocompletion({
      override: [async (context) => {
        const word = context.matchBefore(/[\p{L}\p{N}_]+/u);
        if (!context.explicit && !word && context.state.sliceDoc(context.pos - 1, context.pos) !== '.') return null;
        const line = context.state.doc.lineAt(context.pos);
        const answer = await ask({ what: 'complete', source: text(context.state), line: line.number - 1, character: context.pos - line.from });
        if (!answer) return null;
        return {
          from: word ? word.from : context.pos,
          validFor: /^[\p{L}\p{N}_]*$/u,
          options: answer.items.map((c) => {
            const option = { label: c.label, type: c.kind, detail: c.detail, info: c.documentation ? () => markdown(c.documentation) : undefined };
            return c.snippet ? snippetCompletion(snippetOf(c.insert), option) : { ...option, apply: c.insert };
          }),
        };
      }],
    }),
  ];
}

// After new rules the problems are read again at once.
export const recheck = (view) => forceLinting(view);
