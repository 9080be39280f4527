// Opening a teacher's task file (.задача) in the playground: the button «Задача…» reads it, lum
// checks it, and while it is open every page made is the task's page — the statement, «Проверить»
// and the table of tests around the program from the editor. «Без задачи» closes it.
// Tests: tests/playground/task_test.mjs.
export function taskControls(before, compiler, onChange) {
  const open = document.createElement('button');
  open.id = 'task-open';
  open.textContent = 'Задача…';
  open.title = 'Открыть файл задачи .задача: условие и проверка по тестам';
  const input = document.createElement('input');
  input.id = 'task-file';
  input.type = 'file';
  input.accept = '.задача';
  input.hidden = true;
  const close = document.createElement('button');
  close.id = 'task-close';
  close.textContent = 'Без задачи';
  close.hidden = true;
  before.before(open, input, close);

  const state = { open: false, title: '', problem: '' };
  open.onclick = () => input.click();
  input.onchange = async () => {
    const file = input.files[0];
    input.value = '';
    if (!file) return;
    compiler.setTask({ name: file.name, text: await file.text() });
  };
  close.onclick = () => {
    compiler.setTask(null);
    Object.assign(state, { open: false, title: '', problem: '' });
    close.hidden = true;
    onChange(state);
  };
  // What the worker made of the file: a task opened, or the line of its first mistake.
  return {
    state,
    onTask({ ok, report }) {
      Object.assign(state, { open: ok, title: report.title, problem: ok ? '' : report.outcome });
      close.hidden = !ok;
      open.title = ok ? `Задача «${report.title}» открыта` : open.title;
      onChange(state);
    },
  };
}

// The task pages the playground shows are marked: their check table links a test's first difference
// to «Почему?», which the playground answers with taskProgram.
export function withWhy(page) {
  return page.replace('<head>', '<head><script>window.__LUM_ПОЧЕМУ__ = true;</script>');
}

// The program page inside task page `taskPage`, to run «По шагам»: as the page's own program runs
// (on the field of its first open test with one), or, for the check table's message {лумПочему:
// {тест, строка}}, as test `тест` ran in the check (its field, its answers), opening at «Почему?» of
// output line `строка`. null for any other message, and for a hidden test or one the page lacks.
export function taskProgram(taskPage, message = null) {
  const asked = message && message.лумПочему;
  if (message && (!asked || !Number.isInteger(asked.тест) || !Number.isInteger(asked.строка))) return null;
  const found = /^window\.__LUM_ЗАДАЧА__ = (.*);$/m.exec(taskPage);
  let task = null;
  try {
    task = found && JSON.parse(found[1]);
  } catch {
    return null;
  }
  if (!task) return null;
  const test = asked ? task.тесты[asked.тест] : task.тесты.find((t) => t.поле && !t.скрытый);
  if (asked && (!test || test.скрытый)) return null;
  const json = (value) => JSON.stringify(value).replace(/</g, '\\u003c');
  // On the <head> line, as the task page sets the field, so that no program line moves.
  const setup = (test && test.поле ? `window.__LUM_ПОЛЕ_ТЕСТА__ = ${json(test.поле)};` : '') +
    (asked ? `window.__ЛУМ_ШАГИ_ЗАПРОС__ = ${json({ ответы: test.ответы, строка: asked.строка })};` : '');
  return task.страница.replace('__LUM_CHECK__', 'null').replace('<head>', () => '<head><script>' + setup + '</script>');
}
