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
