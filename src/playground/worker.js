// The playground's compiler thread: lum's own C++ core (lum.js, which the build puts in front of
// this file) behind its C API. Messages in: {kind: 'files'|'rules'|'task'|'compile'|'examples'|
// 'language'|'field', ...}; every answer echoes the kind and the id of its request and carries lum's report
// of it as data.
'use strict';

const encoder = new TextEncoder();
const decoder = new TextDecoder();
let lum = null;
const waiting = [];
let rulesText = null; // the rules the program compiles with, loaded again after an examples check

// Runs use(pointer, length) with a copy of the bytes in the module's memory.
function withBytes(bytes, use) {
  const pointer = lum._malloc(bytes.length + 1);
  if (!pointer) throw new Error('out of memory');
  lum.HEAPU8.set(bytes, pointer);
  lum.HEAPU8[pointer + bytes.length] = 0;
  try {
    return use(pointer, bytes.length);
  } finally {
    lum._free(pointer);
  }
}

function cString(pointer) {
  let end = pointer;
  while (lum.HEAPU8[end]) end++;
  return decoder.decode(lum.HEAPU8.subarray(pointer, end));
}

const bytesOf = (text) => (typeof text === 'string' ? encoder.encode(text) : text);

const handlers = {
  // Library and field files beside the program: [[path, text], ...], path "библиотеки/имя.лумс" or "поля/имя.поле".
  files(message) {
    for (const [path, text] of message.files)
      withBytes(encoder.encode(path), (name) => withBytes(bytesOf(text), (p, n) => lum._lum_put_file(name, p, n)));
    return {};
  },
  rules(message) {
    rulesText = message.text;
    const count = withBytes(bytesOf(message.text), (p, n) => lum._lum_load_rules(p, n));
    return { count, report: JSON.parse(cString(lum._lum_rules_report())), vocabulary: cString(lum._lum_vocabulary()) };
  },
  // The editor's language services: {what: 'problems'|'hover'|'complete', source, line, character}.
  language(message) {
    withBytes(bytesOf(message.source), (p, n) => lum._lum_edit(p, n));
    const text = message.what === 'problems' ? lum._lum_problems()
      : message.what === 'hover' ? lum._lum_hover(message.line, message.character)
        : lum._lum_complete(message.line, message.character);
    return { answer: JSON.parse(cString(text)) };
  },
  // The field editor: {what: 'read', text (bytes of a field file)} -> {answer: the editor's JSON or
  // the line of the file's mistake}; {what: 'write', field: {width, height, robot, finish, cells,
  // notes}} -> {text: the file's text, '' when that is no field}.
  field(message) {
    if (message.what === 'read')
      return { answer: JSON.parse(cString(withBytes(bytesOf(message.text), (p, n) => lum._lum_field_read(p, n)))) };
    const f = message.field;
    const finish = f.finish || [-1, -1];
    return {
      text: withBytes(encoder.encode(f.cells), (cells) => withBytes(encoder.encode(f.notes), (notes) =>
        cString(lum._lum_field_write(f.width, f.height, f.robot[0], f.robot[1], finish[0], finish[1], cells, notes)))),
    };
  },
  // A task file's name and text: kept for compiles with message.task.
  task(message) {
    const ok = withBytes(encoder.encode(message.name), (name) =>
      withBytes(bytesOf(message.text), (p, n) => lum._lum_load_task(name, p, n)));
    return { ok: !!ok, report: JSON.parse(cString(lum._lum_task_report())) };
  },
  compile(message) {
    const started = performance.now();
    const ok = withBytes(encoder.encode(message.name), (name) =>
      withBytes(bytesOf(message.source), (p, n) => lum._lum_compile(name, p, n, (message.js ? 1 : 0) | (message.map ? 2 : 0) | (message.task ? 4 : 0))),
    );
    const milliseconds = performance.now() - started;
    const at = lum._lum_output();
    const output = ok ? lum.HEAPU8.slice(at, at + lum._lum_output_size()) : null;
    return { ok: !!ok, output, report: JSON.parse(cString(lum._lum_report())), milliseconds };
  },
  // Which examples [[name, text]...] the rules `message.rules` run: compiled without a warning or a
  // hint into a script the browser can read. The program's own rules are loaded again afterwards.
  examples(message) {
    const load = (text) => withBytes(bytesOf(text), (p, n) => lum._lum_load_rules(p, n));
    const good = [];
    if (load(message.rules) > 0) {
      for (const [name, text] of message.examples) {
        const ok = withBytes(encoder.encode(name), (n) => withBytes(bytesOf(text), (p, size) => lum._lum_compile(n, p, size, 1)));
        const report = JSON.parse(cString(lum._lum_report()));
        if (!ok || report.warnings.length || report.hints.length) continue;
        const at = lum._lum_output();
        try {
          new Function(decoder.decode(lum.HEAPU8.subarray(at, at + lum._lum_output_size()))); // parsed, not run
          good.push(name);
        } catch {
          // the browser could not read the script
        }
      }
    }
    if (rulesText !== null) load(rulesText);
    return { good };
  },
};

function handle(message) {
  let answer;
  try {
    answer = handlers[message.kind](message);
  } catch (error) {
    // An abort (memory exhausted) leaves the module unusable: the page starts a new worker.
    self.postMessage({ kind: 'broken', id: message.id, reason: String(error && error.message ? error.message : error) });
    lum = null;
    return;
  }
  answer.kind = message.kind;
  answer.id = message.id;
  self.postMessage(answer, answer.output ? [answer.output.buffer] : []);
}

self.onmessage = (event) => (lum ? handle(event.data) : waiting.push(event.data));

createLum({ print: () => {}, printErr: () => {} }).then(
  (module) => {
    lum = module;
    self.postMessage({ kind: 'ready' });
    while (lum && waiting.length) handle(waiting.shift());
  },
  (error) => self.postMessage({ kind: 'broken', reason: String(error) }),
);
