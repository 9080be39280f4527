// What the playground tells the learner about a compile and a rules load, in the learner's words and
// built from the reports' data (status, warnings with their lines, hints with line and kind), never
// from the lines lum prints in a terminal.
// Tests: tests/playground/playground_test.mjs.

function count(n, forms) {
  const tens = n % 100;
  const ones = n % 10;
  return `${n} ${tens > 10 && tens < 20 ? forms[2] : ones === 1 ? forms[0] : ones > 1 && ones < 5 ? forms[1] : forms[2]}`;
}

// The status line of a compile. `runs`: 'runs' (the page starts), 'waits' (for ▶) or 'failed'.
export function compileStatus(report, runs) {
  if (runs === 'failed') {
    if (report.status === 'memory') return 'Программа слишком большая: браузеру не хватило памяти, чтобы перевести её.';
    return 'Не получилось перевести программу: ' + report.outcome.replace(/^Ошибка: /, '');
  }
  const found = [];
  if (report.warnings.length) found.push(count(report.warnings.length, ['предупреждение', 'предупреждения', 'предупреждений']));
  if (report.hints.length) found.push(count(report.hints.length, ['подсказка', 'подсказки', 'подсказок']));
  if (found.length) return `${found.join(' и ')} — см. ниже` + (runs === 'waits' ? '; запустить — «▶ Запустить»' : '');
  return runs === 'runs' ? 'Готово — программа работает' : 'Готово — запустите её кнопкой «▶ Запустить»';
}

// The notes under the program and the marks in it: [{line (0: none), kind, label, text}].
export function noteItems(report) {
  const lines = report.warningLines || [];
  return [
    ...report.warnings.map((text, i) => ({ line: lines[i] || 0, kind: 'warning', label: 'Предупреждение', text })),
    ...report.hints.map(({ line, text }) => ({ line, kind: 'hint', label: 'Подсказка', text })),
  ];
}

// The notes of the rules tab and what the program's status adds about the rules ('' when nothing).
export function rulesStatus(report) {
  const lines = report.warningLines || [];
  const items = report.warnings.map((text, i) => ({
    line: lines[i] || 0, kind: 'warning', label: 'Предупреждение', text: text.replace(/^keywords\.csv, /, ''),
  }));
  if (report.loaded) {
    items.push({ line: 0, kind: 'info', label: 'Правил:', text: String(report.rules) });
    return { items, problem: '' };
  }
  items.push({
    line: 0, kind: 'error', label: 'Ошибка:',
    text: 'в правилах нет ни одного годного правила (шаблон, замена, флаги g или gi), и программа переводится прежними.',
  });
  return { items, problem: 'Правила не загрузились: в них нет ни одного годного правила — откройте вкладку «Правила языка».' };
}
