// The Robot's field editor of the playground: a field of cells drawn as the page draws it, where a
// click on the edge between two cells sets or removes a wall, a click in a cell makes it clean →
// painted → to be painted (a dot) → painted and to be painted, and the robot and the finish are
// dragged; a drag over several cells or edges gives each what the first one got. The field is
// read from and written to the ".поле" text by lum's own reader and writer in the worker, never
// by a second one here.
// Tests: tests/playground/field_editor_test.mjs.

const PAINTED = 1, MARKED = 2, WALL_RIGHT = 4, WALL_DOWN = 8;
const largestSide = 100;
const kept = 50; // steps «Отменить» goes back

const $ = (id) => document.getElementById(id);

// An empty field with the robot in the top left cell; the border walls are bits of the edge cells.
function emptyField(width, height) {
  const cells = new Uint8Array(width * height);
  for (let r = 0; r < height; r++) cells[r * width + width - 1] |= WALL_RIGHT;
  for (let c = 0; c < width; c++) cells[(height - 1) * width + c] |= WALL_DOWN;
  return { width, height, cells, robot: [0, 0], finish: null };
}

// The field at another size: what fits stays, the old border inside the new field is no wall.
function resized(field, width, height) {
  const next = emptyField(width, height);
  for (let r = 0; r < Math.min(height, field.height); r++)
    for (let c = 0; c < Math.min(width, field.width); c++) {
      let bits = field.cells[r * field.width + c];
      if (c === field.width - 1 && c < width - 1) bits &= ~WALL_RIGHT;
      if (r === field.height - 1 && r < height - 1) bits &= ~WALL_DOWN;
      next.cells[r * width + c] |= bits;
    }
  const clamp = ([c, r]) => [Math.min(c, width - 1), Math.min(r, height - 1)];
  next.robot = clamp(field.robot);
  next.finish = field.finish && clamp(field.finish);
  return next;
}

// A name the directive «с полем имя» finds as a file of the folder «поля»: no separator, no dot
// (a dot would be read as the file's own extension), no «;» (the directive drops one at its end).
export const fieldFileName = (name) => name.trim().replace(/\.поле$/i, '').replace(/[\\/:*?"<>|.;]/g, '_');

// ask(question) puts a question to the worker's field reader and writer (compiler.ask with kind
// 'field'); fields() lists [[path, text]...] kept beside the program; save(name, text) keeps and
// downloads a field.
export function fieldEditor({ ask, fields, save }) {
  const canvas = $('field-canvas');
  const board = $('field-board');
  let field = emptyField(10, 7);
  let hover = null; // what a click would change
  let stroke = null; // the drag in progress: {what: 'robot'|'finish'|'paint', target, value, moved}
  const undo = [];
  let geometry = { cell: 40, left: 0, top: 0 }; // CSS pixels

  function status(text, failed = false) {
    $('field-status').textContent = text;
    $('field-status').className = failed ? 'failed' : '';
  }
  function usage() {
    const name = fieldFileName($('field-name').value) || 'имя';
    $('field-usage').textContent = `подключить исполнителя Робот с полем ${name}`;
  }

  function remember() {
    undo.push({ ...field, cells: new Uint8Array(field.cells) });
    if (undo.length > kept) undo.shift();
    $('field-undo').disabled = false;
  }
  function show(next, notes = null) {
    field = next;
    $('field-width').value = field.width;
    $('field-height').value = field.height;
    $('field-finish').checked = !!field.finish;
    if (notes !== null) $('field-notes').value = notes;
    draw();
  }

  // --- drawing: the colours and shapes of the page's own field -----------------------------------
  function draw() {
    const { width: w, height: h } = field;
    const room = board.getBoundingClientRect();
    const label = 22; // the column and row numbers
    const cell = Math.max(6, Math.min(64, Math.floor(Math.min((room.width - label - 24) / w, (room.height - label - 24) / h))));
    const numbers = cell >= 14;
    const left = (numbers ? label : 0) + 10, top = (numbers ? label : 0) + 10;
    geometry = { cell, left, top };
    Object.assign(canvas.dataset, geometry); // where the cells are, for the tests
    const cssWidth = left + w * cell + 12, cssHeight = top + h * cell + 12;
    const scale = window.devicePixelRatio || 1;
    canvas.width = Math.round(cssWidth * scale);
    canvas.height = Math.round(cssHeight * scale);
    canvas.style.width = cssWidth + 'px';
    canvas.style.height = cssHeight + 'px';
    const g = canvas.getContext('2d');
    g.setTransform(scale, 0, 0, scale, 0, 0);
    g.clearRect(0, 0, cssWidth, cssHeight);
    if (numbers) {
      g.fillStyle = '#555';
      g.font = `${Math.min(13, cell * 0.5)}px system-ui, sans-serif`;
      g.textAlign = 'center';
      g.textBaseline = 'middle';
      for (let c = 0; c < w; c++) if (cell >= 20 || (c + 1) % 5 === 0 || c === 0) g.fillText(c + 1, left + (c + 0.5) * cell, top - 17);
      g.textAlign = 'right';
      for (let r = 0; r < h; r++) if (cell >= 20 || (r + 1) % 5 === 0 || r === 0) g.fillText(r + 1, left - 11, top + (r + 0.5) * cell);
    }
    g.save();
    g.translate(left, top);
    g.fillStyle = '#2e8b57';
    g.fillRect(-7, -7, w * cell + 14, h * cell + 14);
    for (let r = 0; r < h; r++)
      for (let c = 0; c < w; c++) {
        const bits = field.cells[r * w + c];
        g.fillStyle = bits & PAINTED ? '#8c8c8c' : '#3cb371';
        g.fillRect(c * cell, r * cell, cell, cell);
        if (bits & MARKED) {
          g.fillStyle = '#fff';
          g.beginPath();
          g.arc((c + 0.5) * cell, (r + 0.5) * cell, Math.max(2, cell / 9), 0, 2 * Math.PI);
          g.fill();
        }
      }
    g.strokeStyle = 'rgba(0,0,0,0.25)';
    g.lineWidth = 1;
    g.beginPath();
    for (let c = 1; c < w; c++) g.moveTo(c * cell + 0.5, 0), g.lineTo(c * cell + 0.5, h * cell);
    for (let r = 1; r < h; r++) g.moveTo(0, r * cell + 0.5), g.lineTo(w * cell, r * cell + 0.5);
    g.stroke();
    if (hover && hover.kind === 'cell' && !stroke) {
      g.strokeStyle = 'rgba(255,255,255,0.9)';
      g.lineWidth = 2;
      g.strokeRect(hover.column * cell + 2, hover.row * cell + 2, cell - 4, cell - 4);
    }
    if (field.finish) {
      g.strokeStyle = '#ffd700';
      g.lineWidth = Math.max(2, cell / 12);
      g.strokeRect((field.finish[0] + 0.15) * cell, (field.finish[1] + 0.15) * cell, cell * 0.7, cell * 0.7);
    }
    g.strokeStyle = '#ffd700';
    g.lineCap = 'round';
    g.lineWidth = Math.max(3, cell / 8);
    g.beginPath();
    g.rect(0, 0, w * cell, h * cell);
    for (let r = 0; r < h; r++)
      for (let c = 0; c < w; c++) {
        const bits = field.cells[r * w + c];
        if (bits & WALL_RIGHT && c < w - 1) g.moveTo((c + 1) * cell, r * cell), g.lineTo((c + 1) * cell, (r + 1) * cell);
        if (bits & WALL_DOWN && r < h - 1) g.moveTo(c * cell, (r + 1) * cell), g.lineTo((c + 1) * cell, (r + 1) * cell);
      }
    g.stroke();
    if (hover && hover.kind === 'wall' && !stroke) {
      const on = field.cells[hover.row * w + hover.column] & hover.bit;
      g.strokeStyle = on ? 'rgba(224,32,32,0.85)' : 'rgba(255,215,0,0.6)';
      g.setLineDash([cell / 6, cell / 8]);
      g.beginPath();
      const [x1, y1, x2, y2] = edgeLine(hover, cell);
      g.moveTo(x1, y1);
      g.lineTo(x2, y2);
      g.stroke();
      g.setLineDash([]);
    }
    // The robot: a diamond; while dragged, a fainter one where it would land.
    const diamond = ([c, r], alpha) => {
      const x = (c + 0.5) * cell, y = (r + 0.5) * cell, s = cell * 0.32;
      g.globalAlpha = alpha;
      g.fillStyle = '#fff';
      g.strokeStyle = '#000';
      g.lineWidth = 1.5;
      g.beginPath();
      g.moveTo(x, y - s), g.lineTo(x + s, y), g.lineTo(x, y + s), g.lineTo(x - s, y);
      g.closePath();
      g.fill();
      g.stroke();
      g.globalAlpha = 1;
    };
    diamond(field.robot, stroke && stroke.what === 'robot' && stroke.moved ? 0.4 : 1);
    if (stroke && stroke.moved && stroke.what === 'robot') diamond(stroke.at, 1);
    if (stroke && stroke.moved && stroke.what === 'finish') {
      g.strokeStyle = '#ffd700';
      g.setLineDash([4, 3]);
      g.strokeRect((stroke.at[0] + 0.15) * cell, (stroke.at[1] + 0.15) * cell, cell * 0.7, cell * 0.7);
      g.setLineDash([]);
    }
    g.restore();
  }

  function edgeLine({ column, row, bit }, cell) {
    return bit === WALL_RIGHT
      ? [(column + 1) * cell, row * cell, (column + 1) * cell, (row + 1) * cell]
      : [column * cell, (row + 1) * cell, (column + 1) * cell, (row + 1) * cell];
  }

  // What is under the pointer: an inner edge near it (a wall, as the bit of the cell left of or
  // above it), else its cell; null outside the field.
  function hit(event, cellsOnly = false) {
    const box = canvas.getBoundingClientRect();
    const x = (event.clientX - box.left - geometry.left) / geometry.cell;
    const y = (event.clientY - box.top - geometry.top) / geometry.cell;
    const column = Math.floor(x), row = Math.floor(y);
    if (column < 0 || row < 0 || column >= field.width || row >= field.height) return null;
    const near = cellsOnly ? 0 : Math.min(0.35, Math.max(0.2, 6 / geometry.cell));
    const dx = x - column, dy = y - row;
    const edges = [
      [dx, column > 0 && { column: column - 1, row, bit: WALL_RIGHT }],
      [1 - dx, column < field.width - 1 && { column, row, bit: WALL_RIGHT }],
      [dy, row > 0 && { column, row: row - 1, bit: WALL_DOWN }],
      [1 - dy, row < field.height - 1 && { column, row, bit: WALL_DOWN }],
    ].filter(([distance, edge]) => edge && distance < near).sort((a, b) => a[0] - b[0]);
    return edges.length ? { kind: 'wall', ...edges[0][1] } : { kind: 'cell', column, row };
  }

  const same = (a, b) => a && b && a.kind === b.kind && a.column === b.column && a.row === b.row && a.bit === b.bit;
  const at = (target) => target.row * field.width + target.column;
  const on = (place, target) => place && place[0] === target.column && place[1] === target.row;

  // A click's change: the wall flips; the cell goes one step on clean → painted → dot → both.
  function nextValue(target) {
    const bits = field.cells[at(target)];
    if (target.kind === 'wall') return bits & target.bit ? 0 : target.bit;
    return [PAINTED, MARKED, PAINTED | MARKED, 0][[0, PAINTED, MARKED, PAINTED | MARKED].indexOf(bits & 3)];
  }
  function apply(target, value) {
    const i = at(target);
    const mask = target.kind === 'wall' ? target.bit : PAINTED | MARKED;
    field.cells[i] = (field.cells[i] & ~mask) | value;
  }

  canvas.addEventListener('pointerdown', (event) => {
    const target = hit(event);
    if (!target || event.button !== 0) return;
    canvas.setPointerCapture(event.pointerId);
    remember();
    if (target.kind === 'cell' && (on(field.robot, target) || on(field.finish, target)))
      stroke = { what: on(field.robot, target) ? 'robot' : 'finish', target, at: [target.column, target.row], moved: false };
    else {
      stroke = { what: 'paint', target, value: nextValue(target) };
      apply(target, stroke.value);
    }
    draw();
  });
  canvas.addEventListener('pointermove', (event) => {
    const target = hit(event, stroke && stroke.what !== 'paint');
    if (!stroke) {
      if (!same(target, hover)) {
        hover = target;
        draw();
      }
      return;
    }
    if (!target) return;
    if (stroke.what === 'paint') {
      if (target.kind === stroke.target.kind && (target.kind === 'cell' || target.bit === stroke.target.bit)) {
        apply(target, stroke.value);
        draw();
      }
    } else if (!on(stroke.at, target)) {
      stroke.at = [target.column, target.row];
      stroke.moved = true;
      draw();
    }
  });
  const finishStroke = (event, cancelled) => {
    if (!stroke) return;
    const done = stroke;
    stroke = null;
    if (!cancelled && done.what !== 'paint') {
      if (!done.moved) apply(done.target, nextValue(done.target)); // a click on the robot's or finish's cell
      else if (!on(done.at, done.target)) field[done.what] = done.at;
    }
    hover = hit(event);
    draw();
  };
  canvas.addEventListener('pointerup', (event) => finishStroke(event, false));
  canvas.addEventListener('pointercancel', (event) => finishStroke(event, true));
  canvas.addEventListener('pointerleave', () => {
    if (!stroke && hover) {
      hover = null;
      draw();
    }
  });
  new ResizeObserver(() => draw()).observe(board);

  // --- controls ----------------------------------------------------------------------------------
  const side = (input) => {
    const value = Math.round(Number(input.value));
    return Number.isFinite(value) ? Math.min(largestSide, Math.max(1, value)) : null;
  };
  const resize = () => {
    const w = side($('field-width')), h = side($('field-height'));
    if (w === null || h === null) return status('Ширина и высота поля — числа от 1 до 100.', true);
    if (w === field.width && h === field.height) return show(field);
    remember();
    show(resized(field, w, h));
  };
  $('field-width').onchange = resize;
  $('field-height').onchange = resize;
  $('field-clear').onclick = () => {
    remember();
    show(emptyField(field.width, field.height));
  };
  $('field-undo').onclick = () => {
    if (undo.length) show(undo.pop());
    $('field-undo').disabled = undo.length === 0;
  };
  $('field-finish').onchange = () => {
    remember();
    field.finish = $('field-finish').checked ? [field.width - 1, field.height - 1] : null;
    draw();
  };
  $('field-name').oninput = usage;

  // A field file's bytes into the editor, through lum's reader.
  async function open(name, bytes) {
    const reply = await ask({ what: 'read', text: bytes });
    if (!reply) return status('Не получилось прочитать поле: попробуйте ещё раз.', true);
    const { answer } = reply;
    if (!answer.ok) return status(`Поле «${name}» не открылось: строка ${answer.line} файла: ${answer.message}.`, true);
    const f = answer.field;
    const cells = Uint8Array.from(f['к'], (digit) => parseInt(digit, 16));
    remember();
    show({ width: f['ш'], height: f['в'], cells, robot: f['р'], finish: f['ф'] }, answer.notes.join('\n'));
    $('field-name').value = fieldFileName(name);
    usage();
    status(`Открыто поле «${fieldFileName(name)}»: ${f['ш']}×${f['в']}.`);
  }

  $('field-open').onclick = () => $('field-file').click();
  $('field-file').onchange = async () => {
    const file = $('field-file').files[0];
    $('field-file').value = '';
    if (file) await open(file.name, new Uint8Array(await file.arrayBuffer()));
  };
  function listFields() {
    const list = $('field-list');
    list.replaceChildren(list.options[0]);
    for (const [path] of fields()) list.append(new Option(path.slice('поля/'.length, -'.поле'.length), path));
  }
  $('field-list').onchange = async () => {
    const entry = fields().find(([path]) => path === $('field-list').value);
    $('field-list').value = '';
    if (entry) await open(entry[0].slice('поля/'.length), entry[1]);
  };

  $('field-save').onclick = async () => {
    const name = fieldFileName($('field-name').value);
    if (!name) return status('Назовите поле: этим именем его называет программа («с полем имя»).', true);
    $('field-name').value = name;
    const reply = await ask({
      what: 'write',
      field: {
        width: field.width, height: field.height, robot: field.robot, finish: field.finish,
        cells: Array.from(field.cells, (bits) => bits.toString(16)).join(''), notes: $('field-notes').value,
      },
    });
    if (!reply || !reply.text) return status('Не получилось записать поле: попробуйте ещё раз.', true);
    save(name, reply.text);
    listFields();
    status(`Поле «${name}» сохранено (файл ${name}.поле — в папке загрузок) и лежит рядом с программой.`);
  };

  usage();
  listFields();
  show(field);
  return { redraw: draw };
}
