// The editor's side of the compiler thread: one worker made from the inlined worker source, one
// compile in flight at a time, and only the newest request waiting behind it. A compile that
// keeps the worker busy while newer text waits, or a worker that broke, costs a fresh worker.

// A compile running longer than this is abandoned when newer text waits (a 10 MB program takes
// a few seconds; typing meanwhile should not queue them up).
const abandonAfterMs = 1500;

export class Compiler {
  // onRules({count, report, vocabulary}), onCompiled({ok, output, report, milliseconds, request}),
  // onExamples({good}), onBroken(reason): the worker could not start or ran out of memory.
  constructor(workerSource, files, handlers) {
    this.url = URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' }));
    this.files = files;
    this.handlers = handlers;
    this.rulesText = null;
    this.task = null; // {name, text} of the task file opened, sent again to a new worker
    this.inFlight = null; // {request, started}
    this.next = null;
    this.nextId = 1;
    this.failures = 0; // breaks in a row; a worker that cannot even start is not retried for ever
    this.asked = new Map(); // id -> resolve of a language question
    this.start();
  }

  start() {
    if (this.worker) this.worker.terminate();
    for (const resolve of this.asked.values()) resolve(null);
    this.asked.clear();
    this.worker = new Worker(this.url);
    this.worker.onmessage = (event) => this.answer(event.data);
    this.worker.onerror = (event) => {
      event.preventDefault();
      this.broke(event.message || 'worker error');
    };
    this.worker.postMessage({ kind: 'files', id: 0, files: this.files });
    if (this.rulesText !== null) this.worker.postMessage({ kind: 'rules', id: 0, text: this.rulesText });
    if (this.task) this.worker.postMessage({ kind: 'task', id: 0, ...this.task });
    this.inFlight = null;
  }

  setRules(text) {
    this.rulesText = text;
    this.worker.postMessage({ kind: 'rules', id: 0, text });
  }

  // A task file ({name, text}; null: none); what the worker made of it comes to onTask.
  setTask(task) {
    this.task = task;
    if (task) this.worker.postMessage({ kind: 'task', id: 0, ...task });
  }

  // Asks which examples the rules run; the answer comes to onExamples.
  checkExamples(rules, examples) {
    this.worker.postMessage({ kind: 'examples', id: 0, rules, examples });
  }

  // request: {name, source (text or bytes), js, map, task}; the answer comes to onCompiled.
  compile(request) {
    this.next = { ...request, id: this.nextId++ };
    if (this.inFlight && performance.now() - this.inFlight.started > abandonAfterMs) this.start();
    this.pump();
  }

  pump() {
    if (this.inFlight || !this.next) return;
    const request = this.next;
    this.next = null;
    this.inFlight = { request, started: performance.now() };
    this.worker.postMessage({ kind: 'compile', id: request.id, name: request.name, source: request.source, js: request.js, map: request.map,
      task: request.task });
  }

  // A question to lum's language services ({what, source, line, character}) or, with kind
  // 'field', to the field editor's reader and writer: its answer, or null when the worker broke or
  // started again meanwhile.
  ask(question, kind = 'language') {
    const id = this.nextId++;
    return new Promise((resolve) => {
      this.asked.set(id, resolve);
      this.worker.postMessage({ kind, id, ...question });
    });
  }

  // Files beside the program ([[path, text]...]), added to or replacing those of the same path,
  // and given again to a new worker.
  putFiles(files) {
    const paths = new Set(files.map(([path]) => path));
    this.files = [...this.files.filter(([path]) => !paths.has(path)), ...files];
    this.worker.postMessage({ kind: 'files', id: 0, files });
  }

  answer(message) {
    if (message.kind === 'broken') return this.broke(message.reason);
    this.failures = 0;
    if (message.kind === 'language' || message.kind === 'field') {
      const resolve = this.asked.get(message.id);
      this.asked.delete(message.id);
      return resolve && resolve(message.kind === 'field' ? message : message.answer);
    }
    if (message.kind === 'rules') this.handlers.onRules(message);
    if (message.kind === 'task' && this.handlers.onTask) this.handlers.onTask(message);
    if (message.kind === 'examples') this.handlers.onExamples(message);
    if (message.kind !== 'compile' || !this.inFlight || message.id !== this.inFlight.request.id) return;
    const request = this.inFlight.request;
    this.inFlight = null;
    this.handlers.onCompiled({ ...message, request });
    this.pump();
  }

  broke(reason) {
    const lost = this.inFlight ? this.inFlight.request : null;
    this.inFlight = null;
    this.handlers.onBroken(reason, lost);
    if (++this.failures > 2) return;
    this.start();
    this.pump();
  }
}
