// The recorder: what the instrumented program calls before each step, and what it keeps of the
// run so that any step can be shown again without running anything: per step its point and
// frame; per variable the steps where its value changed; the panel's changes; the canvas's
// drawing calls with a pixel checkpoint every few hundred of them.
//
// The state shown at step k is the state when step k+1 began (or the run paused): what step k
// left behind. Past `limit` steps nothing more is kept and the program runs on unrecorded.
import { keep, same, watchProxies } from './values.js';
import { names } from './instrument.js';

const checkpointEvery = 300; // drawing calls between two canvas checkpoints, at first
const checkpointBytes = 160 * 1024 * 1024; // above this the checkpoints are thinned out

// The last index i with array[i] <= value in a sorted array, or -1.
export function lastAtOrBefore(array, value, length = array.length) {
  let low = 0;
  let high = length - 1;
  let found = -1;
  while (low <= high) {
    const middle = (low + high) >> 1;
    if (array[middle] <= value) {
      found = middle;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return found;
}

// Saved before the program starts: a program that replaces Array.prototype.push or Map.prototype.get
// does not run, nor come back into the recorder, while a step is recorded.
const apply = Reflect.apply;
const mapGet = Map.prototype.get;
const mapSet = Map.prototype.set;
const defineProperty = Object.defineProperty;
function append(list, item) {
  list[list.length] = item;
}
// `item` put at `at`, the items from there on one place later.
function insertAt(list, at, item) {
  for (let i = list.length; i > at; i--) list[i] = list[i - 1];
  list[at] = item;
}
function has(list, item) {
  for (let i = 0; i < list.length; i++) if (list[i] === item) return true;
  return false;
}

// A value's history: the steps where it was observed to differ, with the kept values.
function history() {
  return { steps: [], values: [], changed: [], last: undefined, known: false };
}

export function makeRecorder({ points, globals, canvas, panel, limit, stopAfter, onNewSteps }) {
  const r = {
    points,
    globals,
    count: 0,
    limit,
    full: false, // the limit was reached
    point: new Int32Array(1024),
    frame: new Int32Array(1024),
    // Frame 0 is the program's own blocks; each call of an own function makes one more.
    frames: [{ fn: 0, vars: new Map(), seen: true, lastStep: -1, reader: null, point: -1 }],
    globalHistory: globals.map(history),
    lineChanges: new Map(), // source line -> {steps, name, values}
    notes: [], // {step, kind: 'error'|'question'|'message'|'limit', text}
    errorStep: -1,
    canvasLog: null,
    panelLog: null,
    executorLog: null,
  };
  const missing = {};
  let readGlobals = null;
  const globalValues = new Array(globals.length);
  let lastFrame = 0; // the frame of the last step
  const stack = [0]; // the frames of the calls under way, the program's own first
  let flushing = false;
  let lastSeen = { point: -1, frame: 0, reader: null }; // past the limit: where the program is

  function grow() {
    const point = new Int32Array(r.point.length * 2);
    point.set(r.point);
    r.point = point;
    const frame = new Int32Array(r.frame.length * 2);
    frame.set(r.frame);
    r.frame = frame;
  }

  // Changes are kept in step order: a call's result reaches its step after the steps of the call.
  function insert(steps, step, lists, items) {
    const at = steps.length && steps[steps.length - 1] > step ? lastAtOrBefore(steps, step) + 1 : steps.length;
    for (let i = 0; i < lists.length; i++) insertAt(lists[i], at, items[i]);
    insertAt(steps, at, step);
    return at === steps.length - 1;
  }
  function noteChange(h, step, kept, changed, line, label) {
    if (insert(h.steps, step, [h.values, h.changed], [kept, changed])) h.last = kept;
    else h.last = h.values[h.values.length - 1];
    h.known = true;
    if (changed && line) {
      let c = apply(mapGet, r.lineChanges, [line]);
      if (!c) apply(mapSet, r.lineChanges, [line, (c = { steps: [], labels: [], values: [] })]);
      insert(c.steps, step, [c.labels, c.values], [label, kept]);
    }
  }
  function observe(h, value, step, line, label, initial) {
    if (value === missing) {
      if (h.known && h.last !== missing) noteChange(h, step, missing, false, 0, label);
      return;
    }
    if (h.known && h.last !== missing && typeof value !== 'object' && typeof value !== 'function' && Object.is(h.last, value)) return;
    const kept = keep(value);
    if (h.known && same(h.last, kept)) return;
    noteChange(h, step, kept, !initial, line, label);
  }
  // Where a change belongs: to `step`, or, for a loop's own names (its variable, its counter),
  // to the loop's step `head` that is about to be made.
  function target(name, step, head) {
    return head && has(head.names, name) ? head : { step, line: step >= 0 ? points[r.point[step]].line : 0 };
  }
  function observeGlobals(step, head, initial) {
    if (!readGlobals) return;
    readGlobals(globalValues);
    for (let i = 0; i < globals.length; i++) {
      const t = target(globals[i], step, head);
      observe(r.globalHistory[i], globalValues[i], t.step, t.line, globals[i], initial && t !== head);
    }
  }
  function observeFrame(step, reader, frameIndex, initial, pointIndex, head) {
    const values = reader();
    const pointNames = points[pointIndex].names;
    const vars = r.frames[frameIndex].vars;
    for (let i = 0; i < values.length; i++) {
      let h = apply(mapGet, vars, [pointNames[i]]);
      if (!h) apply(mapSet, vars, [pointNames[i], (h = history())]);
      const t = target(pointNames[i], step, head);
      observe(h, values[i], t.step, t.line, pointNames[i], initial);
    }
  }
  // The values that the last step left: the globals and the variables of its frame.
  function observeLast(head) {
    const n = r.count;
    observeGlobals(n - 1, head, n === 0);
    const f = r.frames[lastFrame];
    if (n > 0 && f.reader) observeFrame(n - 1, f.reader, lastFrame, false, f.point, head);
  }

  function flush() {
    flushing = false;
    if (!r.count) return;
    if (!r.full) {
      const top = stack[stack.length - 1];
      const caller = r.frames[top];
      if (top !== lastFrame && caller.lastStep >= 0) {
        // Back from a call with no step since: the call's step did what is left.
        observeGlobals(caller.lastStep, null, false);
        if (caller.reader) observeFrame(caller.lastStep, caller.reader, top, false, caller.point, null);
      } else {
        observeLast(null);
      }
      if (r.canvasLog) r.canvasLog.boundary(r.count - 1);
      if (r.panelLog) r.panelLog.boundary(r.count - 1);
      if (r.executorLog) r.executorLog.boundary(r.count - 1);
    }
    onNewSteps();
  }
  function later() {
    if (flushing) return;
    flushing = true;
    queueMicrotask(r.flush);
  }

  function step(pointIndex, frameObject, reader) {
    const frameIndex = frameObject ? frameObject.index : 0;
    if (r.full) {
      lastSeen = { point: pointIndex, frame: frameIndex, reader };
      return;
    }
    const n = r.count;
    if (stopAfter >= 0 && n > stopAfter) {
      const stop = new Error('остановлено после шага ' + stopAfter);
      stop.лум = true;
      throw stop;
    }
    const f = r.frames[frameIndex];
    const point = points[pointIndex];
    const head = point.head ? { names: point.head, step: n, line: point.line } : null;
    if (frameIndex !== lastFrame && f.lastStep >= 0) {
      // Back from a call (the callee's exit took what it left): what changed since is the work
      // of this frame's last step, the call, such as the result put into a variable.
      const t = f.lastStep;
      observeGlobals(t, head, false);
      if (reader) observeFrame(t, reader, frameIndex, false, pointIndex, head);
    } else {
      observeLast(head);
    }
    if (r.canvasLog) r.canvasLog.boundary(n - 1);
    if (r.panelLog) r.panelLog.boundary(n - 1);
    if (r.executorLog) r.executorLog.boundary(n - 1);
    if (n >= r.limit) {
      r.full = true;
      append(r.notes, { step: n - 1, kind: 'limit', text: `Записано ${n} шагов — это предел. Дальше программа работает без записи.` });
      if (r.canvasLog) r.canvasLog.stop();
      if (r.panelLog) r.panelLog.stop();
      if (r.executorLog) r.executorLog.stop();
      lastSeen = { point: pointIndex, frame: frameIndex, reader };
      later();
      return;
    }
    if (n === r.point.length) grow();
    r.point[n] = pointIndex;
    r.frame[n] = frameIndex;
    r.count = n + 1;
    if (reader && !f.seen) {
      // A frame met for the first time (a call): its values at entry, not changed by any step.
      f.seen = true;
      observeFrame(n - 1, reader, frameIndex, true, pointIndex, null);
    }
    f.lastStep = n;
    f.reader = reader;
    f.point = pointIndex;
    lastFrame = frameIndex;
    later();
  }

  // A call: its frame remembers its caller's frame and the step that made the call (the last one);
  // `byStep`: made by that step's statement, not by a timer or an event after the steps were
  // flushed (a step's own calls come before its flush, which waits for a microtask).
  function enter(fn) {
    const frame = { index: r.frames.length };
    const caller = stack[stack.length - 1];
    append(stack, frame.index);
    append(r.frames, { fn, vars: new Map(), seen: false, lastStep: -1, reader: null, point: -1, caller, callStep: r.count - 1, byStep: flushing });
    return frame;
  }
  // A function's end (by return or by an error): what its last step left.
  function leave(frameObject) {
    let at = stack.length - 1;
    while (at >= 0 && stack[at] !== frameObject.index) at--;
    if (at > 0) stack.length = at;
    if (r.full) return;
    const f = r.frames[frameObject.index];
    if (f.lastStep < 0) return;
    observeGlobals(f.lastStep, null, false);
    if (f.reader) observeFrame(f.lastStep, f.reader, frameObject.index, false, f.point, null);
  }

  // A run-time error: its step is the last one recorded. Past the limit, one more step is made
  // where the program stood, with the panel and the canvas as the error left them.
  r.error = once((text) => {
    if (r.full && lastSeen.point >= 0 && r.errorStep < 0) {
      const n = r.count;
      if (n === r.point.length) grow();
      r.point[n] = lastSeen.point;
      r.frame[n] = lastSeen.frame;
      r.count = n + 1;
      if (lastSeen.reader) observeFrame(n, lastSeen.reader, lastSeen.frame, false, lastSeen.point, null);
      observeGlobals(n, null, false);
      if (r.canvasLog) r.canvasLog.finalState(n);
      if (r.panelLog) r.panelLog.finalState(n);
      if (r.executorLog) r.executorLog.finalState(n);
    } else {
      flush();
    }
    const at = r.count - 1;
    if (at < 0) return;
    if (r.errorStep < 0) r.errorStep = at;
    append(r.notes, { step: at, kind: 'error', text });
    onNewSteps();
  });
  r.note = (kind, text) => {
    append(r.notes, { step: r.count - 1, kind, text });
  };
  r.flush = once(flush);
  r.globalReader = (reader) => {
    readGlobals = reader;
  };
  // The program's code that the recorder meets while it records (a replaced method, a trap) is
  // not recorded: the recorder never comes back into itself.
  let busy = false;
  function once(work, idle) {
    return function () {
      if (busy) return idle;
      busy = true;
      try {
        return apply(work, null, arguments);
      } finally {
        busy = false;
      }
    };
  }
  r.install = (target) => {
    const define = (name, value) => defineProperty(target, name, { value, configurable: true });
    watchProxies(target);
    define(names.step, once(step));
    define(names.enter, once(enter, { index: 0 }));
    define(names.leave, once(leave));
    define(names.globals, r.globalReader);
    define(names.missing, missing);
  };
  r.missing = missing;

  // The history values at step k: [kept value, changed at k] or null when not defined there.
  r.valueAt = (h, k) => {
    const i = lastAtOrBefore(h.steps, k);
    if (i < 0 || h.values[i] === missing) return null;
    return [h.values[i], h.steps[i] === k && h.changed[i]];
  };
  return r;
}

// The canvas's recording, one plain object that its steps below share: the log (what the step view
// reads), the step being made (current), whether it still records, and what a checkpoint must
// know besides the pixels: the save depth, whether a clip is set, the path since beginPath with the
// transform at its start. originals: the context's methods as they were; properties: the names of
// its settable properties.
function canvasRecording(canvas) {
  return {
    canvas, context: canvas.getContext('2d'),
    log: { steps: [], calls: [], checkpoints: [], bytes: 0, every: checkpointEvery },
    current: -1, recording: true, saveDepth: 0, clipped: false, path: [], pathTransform: null, since: 0,
    properties: [], originals: {},
  };
}

// What a recorded call changes of that state; a call not in the table changes none of it. The
// path keeps the calls that make it or move it (beginPath starts it again).
function restart(c) {
  c.saveDepth = 0;
  c.clipped = false;
  c.path = [];
  c.pathTransform = null;
}
const pathCalls = ['moveTo', 'lineTo', 'arc', 'arcTo', 'rect', 'roundRect', 'ellipse', 'quadraticCurveTo', 'bezierCurveTo',
  'closePath', 'setTransform', 'resetTransform', 'transform', 'translate', 'rotate', 'scale'];
const canvasEffects = { __proto__: null };
for (const name of pathCalls) canvasEffects[name] = (c, args) => c.path.push([name, args]);
Object.assign(canvasEffects, {
  save: (c) => c.saveDepth++,
  restore: (c) => (c.saveDepth = Math.max(0, c.saveDepth - 1)),
  clip: (c) => (c.clipped = true),
  reset: restart,
  width: restart, // setting a canvas's size clears it and its context
  height: restart,
  beginPath: (c) => {
    c.path = [];
    c.pathTransform = c.context.getTransform();
  },
});

function record(c, name, args) {
  c.log.steps.push(c.current);
  c.log.calls.push([name, args]);
  c.since++;
  const effect = canvasEffects[name];
  if (effect) effect(c, args);
}
// The arguments as they were at the call (image data is copied: the program may change it later).
function copyArgs(args) {
  const out = Array.prototype.slice.call(args);
  for (let i = 0; i < out.length; i++) {
    if (typeof ImageData !== 'undefined' && out[i] instanceof ImageData) out[i] = new ImageData(new Uint8ClampedArray(out[i].data), out[i].width, out[i].height);
  }
  return out;
}

// How a member of the 2D context's prototype is recorded: 'call' (a drawing call, logged with its
// arguments), 'read' (a method that reads or makes things: kept, not logged), 'set' (a property
// whose setting is logged as '=name'), '' (left alone).
function memberKind(name, d) {
  if (typeof d.value === 'function') return name === 'constructor' || /^(get|is|measure|create)/.test(name) ? 'read' : 'call';
  return d.set && name !== 'canvas' ? 'set' : '';
}
// The context's prototype with its drawing calls and property setters logged (for this context only).
function wrapContext(c) {
  const proto = CanvasRenderingContext2D.prototype;
  for (const name of Object.getOwnPropertyNames(proto)) {
    const d = Object.getOwnPropertyDescriptor(proto, name);
    const kind = memberKind(name, d);
    if (kind === 'read' || kind === 'call') c.originals[name] = d.value;
    if (kind === 'call') {
      const original = d.value;
      proto[name] = function () {
        if (c.recording && this === c.context) record(c, name, copyArgs(arguments));
        return original.apply(this, arguments);
      };
    } else if (kind === 'set') {
      c.properties.push(name);
      Object.defineProperty(proto, name, {
        configurable: true,
        enumerable: d.enumerable,
        get: d.get,
        set(value) {
          if (c.recording && this === c.context) record(c, '=' + name, [value]);
          d.set.call(this, value);
        },
      });
    }
  }
}
// The canvas's size, set by the program, logged as a call 'width' or 'height'.
function wrapSize(c) {
  for (const name of ['width', 'height']) {
    const d = Object.getOwnPropertyDescriptor(HTMLCanvasElement.prototype, name);
    Object.defineProperty(HTMLCanvasElement.prototype, name, {
      configurable: true,
      enumerable: d.enumerable,
      get: d.get,
      set(value) {
        if (c.recording && this === c.canvas) record(c, name, [value]);
        d.set.call(this, value);
      },
    });
  }
}

function stateOf(c) {
  const state = {};
  for (const name of c.properties) {
    try {
      state[name] = c.context[name];
    } catch {
      // a property this browser only half knows
    }
  }
  state.transform = c.context.getTransform();
  state.dash = c.context.getLineDash();
  return state;
}
function checkpoint(c, step) {
  const log = c.log;
  const width = c.canvas.width;
  const height = c.canvas.height;
  const image = width * height > 0 ? c.originals.getImageData.call(c.context, 0, 0, width, height) : null;
  log.checkpoints.push({ step, call: log.calls.length, width, height, image, state: stateOf(c), path: c.path.slice(), pathTransform: c.pathTransform });
  log.bytes += width * height * 4;
  c.since = 0;
  if (log.bytes > checkpointBytes) {
    // Every other checkpoint goes (never the first); the gap between them doubles.
    log.checkpoints = log.checkpoints.filter((p, i) => i === 0 || i % 2 === 1 || i === log.checkpoints.length - 1);
    log.bytes = log.checkpoints.reduce((sum, p) => sum + p.width * p.height * 4, 0);
    log.every *= 2;
  }
}

// One logged call made again on `target` (a 2D context of another canvas).
function replay(c, target, call) {
  const [name, args] = call;
  try {
    if (name[0] === '=') target[name.slice(1)] = args[0];
    else if (name === 'width' || name === 'height') target.canvas[name] = args[0];
    else c.originals[name].apply(target, args);
  } catch {
    // the call failed in the run as well
  }
}
// Draws the canvas as step k left it onto `target`: the last checkpoint at or before k, its path
// and state, then the calls logged since, up to step k.
function show(c, k, target) {
  const log = c.log;
  let p = log.checkpoints[0];
  for (let i = log.checkpoints.length - 1; i >= 0; i--) {
    if (log.checkpoints[i].step <= k) {
      p = log.checkpoints[i];
      break;
    }
  }
  target.canvas.width = p.width;
  target.canvas.height = p.height;
  if (p.image) target.putImageData(p.image, 0, 0);
  if (p.pathTransform) target.setTransform(p.pathTransform);
  for (const call of p.path) replay(c, target, call);
  for (const name of c.properties) {
    try {
      target[name] = p.state[name];
    } catch {
      // as in stateOf
    }
  }
  target.setTransform(p.state.transform);
  target.setLineDash(p.state.dash);
  const end = lastAtOrBefore(log.steps, k);
  for (let i = p.call; i <= end; i++) replay(c, target, log.calls[i]);
}

// The canvas's drawing calls, step by step, with pixel checkpoints; `show(k, context)` draws the
// canvas as step k left it onto another canvas's context.
export function recordCanvas(canvas, recorder) {
  const c = canvasRecording(canvas);
  const log = c.log;
  wrapContext(c);
  wrapSize(c);
  checkpoint(c, -1);
  log.boundary = (step) => {
    c.current = step + 1;
    if (c.since >= log.every && c.saveDepth === 0 && !c.clipped) checkpoint(c, step);
  };
  log.stop = () => {
    c.recording = false;
  };
  log.finalState = (step) => {
    c.current = step;
    checkpoint(c, step);
  };
  log.show = (k, target) => show(c, k, target);
  return log;
}

// The panel's changes, step by step: what was appended, or the whole content when anything else
// changed, and its style attribute.
export function recordPanel(panel) {
  const log = { steps: [], kinds: [], texts: [], styles: [] };
  let known = panel.childNodes.length;
  let recording = true;
  const observer = new MutationObserver(() => {});
  observer.observe(panel, { childList: true, subtree: true, characterData: true, attributes: true });
  const initial = { html: panel.innerHTML, style: panel.getAttribute('style') || '' };

  function serialise(node) {
    if (node.nodeType === 3) {
      const div = document.createElement('div');
      div.textContent = node.data;
      return div.innerHTML;
    }
    return node.outerHTML || '';
  }
  function take(step, force) {
    const records = observer.takeRecords();
    if (!records.length && !force) return;
    let appendOnly = !force;
    for (const m of records) {
      if (m.target === panel && m.type === 'attributes') continue;
      if (m.target !== panel || m.type !== 'childList' || m.removedNodes.length) appendOnly = false;
    }
    const style = panel.getAttribute('style') || '';
    if (appendOnly) {
      let text = '';
      for (let i = known; i < panel.childNodes.length; i++) text += serialise(panel.childNodes[i]);
      log.kinds.push('append');
      log.texts.push(text);
    } else {
      log.kinds.push('full');
      log.texts.push(panel.innerHTML);
    }
    log.steps.push(step);
    log.styles.push(style);
    known = panel.childNodes.length;
  }
  log.boundary = (step) => {
    if (recording) take(step, false);
  };
  log.stop = () => {
    recording = false;
    observer.disconnect();
  };
  log.finalState = (step) => take(step, true);
  // The panel's content and style as step k left them; `marked`: each appended part in an element
  // that names its step (display: contents, so that nothing moves).
  log.at = (k, marked = false) => {
    const end = lastAtOrBefore(log.steps, k);
    if (end < 0) return initial;
    let start = end;
    while (start >= 0 && log.kinds[start] !== 'full') start--;
    let html = start < 0 ? initial.html : '';
    for (let i = Math.max(start, 0); i <= end; i++) {
      html += marked && log.kinds[i] === 'append' ? `<span data-step="${log.steps[i]}" style="display:contents">${log.texts[i]}</span>` : log.texts[i];
    }
    return { html, style: log.styles[end] };
  };
  return log;
}

// Line `n` (from 1) of the output as step k left the panel, read as a task's check reads it: text
// outside the red error lines and their pink hints, without the blank the panel starts with, and
// without trailing blanks. Returns {step, text, missing}: the last step that wrote visible text on
// that line (for an empty line, the one that ended it), or, when the output has fewer lines, the
// last step that wrote any (missing: true). step is -1 when no output is found, or the line came
// from a rewrite of the whole panel (whose parts name no step).
export function outputLine(log, k, n) {
  const box = document.createElement('div');
  box.innerHTML = log.at(k, true).html;
  let line = 1;
  let text = '';
  let writer = -1; // last step with visible text on the current line
  const last = { step: -1, text: '' };
  let found = null;
  function end(step) {
    const shown = text.replace(/[ \t\r]+$/, '');
    if (writer >= 0) Object.assign(last, { step: writer, text: shown });
    if (line === n && !found) found = { step: writer >= 0 ? writer : step, text: shown, missing: false };
    line++;
    text = '';
    writer = -1;
  }
  function walk(node, step) {
    for (const child of node.childNodes) {
      if (found) return;
      if (child.nodeType === 1) {
        if (child.tagName === 'SPAN' && (child.style.color === 'red' || child.style.color === 'pink')) continue;
        walk(child, child.dataset && child.dataset.step !== undefined ? Number(child.dataset.step) : step);
      } else if (child.nodeType === 3 && !(child === box.firstChild && child.data === ' ')) {
        for (const c of child.data) {
          if (c === '\n') end(step);
          else {
            text += c;
            if (c !== ' ' && c !== '\t' && c !== '\r') writer = step;
          }
        }
      }
    }
  }
  walk(box, -1);
  if (!found && writer >= 0) end(-1);
  return found || { step: last.step, text: last.text, missing: true };
}

// The executors' journal, step by step: how many of the Robot's or the Draftsman's moves the
// program had made when each step ended (the run-time layer redraws the field after any number).
export function recordExecutors(executors) {
  const log = { steps: [], counts: [] };
  let recording = true;
  let last = executors.шаговИсполнителей();
  function take(step, force) {
    const count = executors.шаговИсполнителей();
    if (count === last && !force) return;
    last = count;
    log.steps.push(step);
    log.counts.push(count);
  }
  log.boundary = (step) => {
    if (recording) take(step, false);
  };
  log.stop = () => {
    recording = false;
  };
  log.finalState = (step) => take(step, true);
  // Moves made by the end of step k.
  log.at = (k) => {
    const end = lastAtOrBefore(log.steps, k);
    return end < 0 ? 0 : log.counts[end];
  };
  return log;
}
