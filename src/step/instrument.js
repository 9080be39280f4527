// Instrumentation of the translated script: a real JavaScript parser (acorn) finds the statements,
// and a recorder call goes in front of each of the learner's own statements and into each loop's
// condition, with a closure that reads the variables visible there. Nothing else changes: no
// text is moved and no line feed is added, so every line keeps its number.
//
// Steps: every statement of the learner's code except function declarations, empty statements
// and the loop guard's own statements; a loop is a step each time its condition is checked (or,
// for «для каждого» and for without a condition, each time a turn begins), not when it is entered.
// Library code (lineOf gives 0 there) gets no steps. Names starting "__LUM" or "__ЛУМ" are the
// system's own and never shown.
import { parse } from 'acorn';

export const names = {
  step: '__ЛУМШ__', // (point, frame, locals?) before each step
  enter: '__ЛУМВ__', // (function) -> frame, at the start of each own function
  leave: '__ЛУМВЫХ__', // (frame), when it ends
  globals: '__ЛУМГ__', // registers the reader of the program's global names
  missing: '__ЛУМН__', // what a reader gives for a name not defined yet
  frame: '__ЛУМК__', // the frame of the current function
};

const hidden = (name) => name.startsWith('__LUM') || name.startsWith('__ЛУМ');
const loops = new Set(['WhileStatement', 'DoWhileStatement', 'ForStatement', 'ForInStatement', 'ForOfStatement']);

// Identifiers a declaration pattern binds.
function patternNames(node, out = []) {
  if (!node) return out;
  switch (node.type) {
    case 'Identifier': out.push(node.name); break;
    case 'ObjectPattern': for (const p of node.properties) patternNames(p.type === 'RestElement' ? p.argument : p.value, out); break;
    case 'ArrayPattern': for (const e of node.elements) patternNames(e, out); break;
    case 'RestElement': patternNames(node.argument, out); break;
    case 'AssignmentPattern': patternNames(node.left, out); break;
  }
  return out;
}

// The loop guard wraps each loop word in `for (let __LUM_N__ = …; __LUM_G__; …) <loop>`.
function isGuardWrapper(node) {
  return node.type === 'ForStatement' && node.init && node.init.type === 'VariableDeclaration' &&
    node.init.declarations.some((d) => d.id.type === 'Identifier' && hidden(d.id.name));
}

// A statement that only touches the system's own names and the loop guard's (its count in a loop
// body); the run-time layer's commands (__LUM__.fillRect(…)) are the learner's own steps.
function isInternal(node) {
  let own = false;
  let guard = false;
  (function look(n, parentKey, parent) {
    if (own || !n || typeof n.type !== 'string') return;
    if (n.type === 'Identifier') {
      const isProperty = (parent && parent.type === 'MemberExpression' && parentKey === 'property' && !parent.computed) ||
        (parent && parent.type === 'Property' && parentKey === 'key' && !parent.computed);
      if (!isProperty && !hidden(n.name)) own = true;
      if (!isProperty && n.name.startsWith('__LUM_') && n.name !== '__LUM__') guard = true;
      return;
    }
    for (const key of Object.keys(n)) {
      const v = n[key];
      if (Array.isArray(v)) v.forEach((c) => look(c, key, n));
      else if (v && typeof v.type === 'string') look(v, key, n);
    }
  })(node);
  return !own && guard;
}

// var names of a function body (not of nested functions), and its lexical names per block.
function varNames(body, out = []) {
  (function look(n) {
    if (!n || typeof n.type !== 'string') return;
    if (/Function/.test(n.type)) return;
    if (n.type === 'VariableDeclaration' && n.kind === 'var') n.declarations.forEach((d) => patternNames(d.id, out));
    for (const key of Object.keys(n)) {
      const v = n[key];
      if (Array.isArray(v)) v.forEach(look);
      else if (v && typeof v.type === 'string') look(v);
    }
  })(body);
  return out;
}

// Lexical declarations (let, const, class) standing directly in a statement list: [name, start, kind].
function lexicalNames(statements) {
  const out = [];
  for (const s of statements) {
    if (s.type === 'VariableDeclaration' && s.kind !== 'var') s.declarations.forEach((d) => patternNames(d.id).forEach((n) => out.push([n, s.start])));
    else if (s.type === 'ClassDeclaration' && s.id) out.push([s.id.name, s.start]);
  }
  return out;
}

// What a step reads and sets, found in its own expressions (not in the functions they hold nor in
// nested statements): reads, writes and calls by name, computed element reads [object, index]
// (index a name, a number or null), and its kind. Kept per point, so recording costs nothing more.
const printers = new Set(['log', 'error', 'warn', 'info']);
// Calls whose value comes from outside the program: an answer or a random number (f.outside).
const outsideCalls = new Set(['prompt', 'confirm', 'Math.random', '__LUM__.askNumber', '__LUM__.randomInt', 'crypto.getRandomValues']);
function facts(parts, kind) {
  const f = { kind, reads: [], writes: [], calls: [], items: [], outside: false };
  const add = (list, name) => {
    if (!hidden(name) && !list.includes(name)) list.push(name);
  };
  const root = (n) => {
    while (n && n.type === 'MemberExpression') n = n.object;
    return n && n.type === 'Identifier' ? n.name : '';
  };
  function look(n) {
    if (!n || typeof n.type !== 'string') return;
    switch (n.type) {
      case 'Identifier': return add(f.reads, n.name);
      case 'FunctionExpression': case 'ArrowFunctionExpression': case 'ClassExpression': return;
      case 'MemberExpression':
        look(n.object);
        if (n.computed) {
          look(n.property);
          if (n.object.type === 'Identifier' && !hidden(n.object.name)) {
            const p = n.property;
            f.items.push([n.object.name, p.type === 'Identifier' ? p.name : p.type === 'Literal' && typeof p.value === 'number' ? p.value : null]);
          }
        }
        return;
      case 'Property':
        if (n.computed) look(n.key);
        return look(n.value);
      case 'VariableDeclarator':
        patternNames(n.id).forEach((name) => add(f.writes, name));
        return look(n.init);
      case 'AssignmentExpression': {
        const name = root(n.left);
        if (name) add(f.writes, name);
        if (n.left.type === 'MemberExpression') {
          look(n.left.object); // the object read and changed, not an element read
          if (n.left.computed) look(n.left.property);
        } else if (n.left.type !== 'Identifier') patternNames(n.left).forEach((x) => add(f.writes, x));
        else if (n.operator !== '=') look(n.left);
        return look(n.right);
      }
      case 'UpdateExpression':
        if (root(n.argument)) add(f.writes, root(n.argument));
        return look(n.argument);
      case 'CallExpression': case 'NewExpression': {
        const c = n.callee;
        const callee = c.type === 'Identifier' ? c.name
          : c.type === 'MemberExpression' && !c.computed && c.object.type === 'Identifier' ? c.object.name + '.' + c.property.name : '';
        if (outsideCalls.has(callee)) f.outside = true;
        if (c.type === 'Identifier') f.calls.push([c.name, n.arguments.length]);
        else {
          look(c);
          if (c.type === 'MemberExpression' && !c.computed && c.object.type === 'Identifier') {
            if (c.object.name === 'console' && printers.has(c.property.name)) f.kind = 'print';
            else if (c.object.name === '__LUM__' && f.kind === 'do') f.kind = 'draw';
          }
        }
        return n.arguments.forEach(look);
      }
      default:
        for (const key of Object.keys(n)) {
          const v = n[key];
          if (Array.isArray(v)) v.forEach(look);
          else if (v && typeof v.type === 'string') look(v);
        }
    }
  }
  parts.forEach(look);
  if (kind === 'do' && f.writes.length) f.kind = 'set';
  return f;
}
// `x = 0`, `x = ложь`, `x = []`: a name given a value that does not depend on anything.
function constantSet(node) {
  if (node.type !== 'AssignmentExpression' || node.operator !== '=' || node.left.type !== 'Identifier' || hidden(node.left.name)) return '';
  const r = node.right;
  const constant = (r.type === 'Literal' && !r.regex) || (r.type === 'ArrayExpression' && !r.elements.length) ||
    (r.type === 'UnaryExpression' && r.operator === '-' && r.argument.type === 'Literal' && typeof r.argument.value === 'number');
  return constant ? node.left.name : '';
}
function statementFacts(node) {
  switch (node.type) {
    case 'ExpressionStatement': {
      const f = facts([node.expression], 'do');
      const name = constantSet(node.expression);
      if (name) f.constant = name;
      return f;
    }
    case 'BreakStatement': return facts([], 'break');
    case 'VariableDeclaration': return facts(node.declarations, 'do');
    case 'ReturnStatement': return facts([node.argument], 'return');
    case 'ThrowStatement': return facts([node.argument], 'throw');
    case 'IfStatement': return facts([node.test], 'if');
    case 'SwitchStatement': return facts([node.discriminant], 'if');
    default: return facts([], 'other');
  }
}

// The statements by which a loop's body leaves the loop in its first turn on every path through
// it («вернуть» or «прервать» in both branches), or null when some path reaches the next turn.
function leavesAlways(node) {
  switch (node.type) {
    case 'ReturnStatement': return [node];
    case 'BreakStatement': return node.label ? null : [node];
    case 'BlockStatement':
      for (const s of node.body) {
        const found = leavesAlways(s);
        if (found) return found;
      }
      return null;
    case 'IfStatement': {
      const a = node.alternate && leavesAlways(node.consequent);
      const b = a && leavesAlways(node.alternate);
      return b ? a.concat(b) : null;
    }
    default: return null;
  }
}

// The walk goes over the program once, statement by statement, with two values passed along:
//   walk: what the whole walk shares and collects (one per instrument call, see walkOf);
//   ctx: where it stands ({fn, scopes, under, own, previous, made}), copied where that changes.
// The handlers are tables keyed by node type (no prototype, so only their own rows match); a type
// not in a table falls to its `other` handler.

// edits: [position, rank, sequence, text]; points: {line, fn, names, …}; functions: names, index 0
// the program itself; signatures: per function {params, line} of the learner's own ones, else null.
function walkOf(lineOf) {
  return {
    lineOf, edits: [], sequence: 0, points: [], functions: [''], signatures: [null],
    globalNames: new Set(), declaredAnywhere: new Set(), assigned: new Set(),
  };
}
// Text put in at `at`: an opening one goes after what is already there, a closing one before it.
function open(walk, at, text) {
  walk.edits.push([at, 1, walk.sequence++, text]);
}
function close(walk, at, text) {
  walk.edits.push([at, 0, -walk.sequence++, text]);
}
function lineAt(walk, node) {
  return walk.lineOf(node.loc.start.line, node.loc.start.column);
}

// Names of locals visible at `at` in scope chain `scopes` (innermost last) within the function.
function visible(scopes, at) {
  let first = scopes.length - 1;
  while (first > 0 && !scopes[first].isFunction) first--;
  const seen = new Set();
  const out = [];
  // Innermost first, so that an inner name hides an outer one; shown outer first, in order.
  for (let i = scopes.length - 1; i >= first; i--) {
    const own = [];
    for (const [name, start, lexical] of scopes[i].names) {
      if (seen.has(name) || hidden(name) || (lexical && start >= at)) continue;
      seen.add(name);
      own.push([name, lexical]);
    }
    out.unshift(...own);
  }
  return out;
}
// head: the names a loop sets before its step (its variable, its counter).
// what: the step's facts; ctx.under: what decides whether it runs (see `under` below).
function stepCall(walk, node, ctx, lineNode = node, head = null, what = facts([], 'other')) {
  const line = lineAt(walk, lineNode);
  if (!line) return null;
  const locals = visible(ctx.scopes, node.start);
  const id = walk.points.length;
  ctx.made = id;
  walk.points.push({ line, fn: ctx.fn, names: locals.map((l) => l[0]), head: head && head.length ? head : null, ...what, under: ctx.under });
  let reader = '';
  if (locals.length) {
    reader = ',()=>{var r=[];' + locals.map(([name, lexical]) =>
      lexical ? `try{r.push(${name})}catch(e){r.push(${names.missing})}` : `r.push(${name});`).join('') + 'return r}';
  }
  return `${names.step}(${id},${ctx.fn ? names.frame : 'null'}${reader})`;
}
function needsStep(node) {
  if (node.type === 'FunctionDeclaration' || node.type === 'EmptyStatement') return false;
  if (node.type === 'ExpressionStatement' && node.directive) return false;
  if (loops.has(node.type) || node.type === 'LabeledStatement') return false;
  if (node.type === 'ExpressionStatement' && isInternal(node.expression)) return false;
  return true;
}
// A step before the statement `node`, standing in a statement list.
function stepBefore(walk, node, ctx) {
  const call = stepCall(walk, node, ctx, node, null, statementFacts(node));
  if (call) open(walk, node.start, `;${call};`);
}
// A step at the start of each turn of a loop, in its body.
function stepInBody(walk, loop, ctx, head, what) {
  const body = loop.body;
  const call = stepCall(walk, body, ctx, loop, head, what);
  if (!call) return;
  if (body.type === 'BlockStatement') open(walk, body.start + 1, `;${call};`);
  else {
    open(walk, body.start, `{;${call};`);
    close(walk, body.end, '}');
  }
}
// A step each time a loop's condition `test` is checked: (step, test). Returns its point or -1.
function stepInTest(walk, test, ctx, lineNode, head, what) {
  ctx.made = -1;
  const call = stepCall(walk, test, ctx, lineNode, head, what);
  if (call) {
    open(walk, test.start, `(${call},`);
    close(walk, test.end, ')');
  }
  return ctx.made;
}

// ctx.own: the step point of the statement being walked (-1: none); ctx.previous: the last one
// made before it in its list.
function statements(walk, list, ctx) {
  let previous = ctx.previous ?? -1;
  for (const s of list) {
    ctx.made = -1;
    if (needsStep(s)) stepBefore(walk, s, ctx);
    const own = ctx.made;
    statement(walk, s, { ...ctx, own, previous });
    if (own >= 0) previous = own;
  }
}
// What decides whether the statements of a part run: {kind: 'if'|'else'|'loop'|'case'|'each'|'fn'|
// 'catch', point: the deciding step's point or -1, up: the enclosing one, and for a loop whose
// body always leaves it, leaves: those statements' lines}; null at the top.
function under(ctx, kind, point, more = {}) {
  return { ...ctx, under: { kind, point, up: ctx.under, ...more } };
}
// leaves: the lines of the statements by which a loop's body always leaves it, if it does.
function leaving(walk, body) {
  const found = leavesAlways(body);
  return found ? { leaves: found.map((node) => lineAt(walk, node)).filter((line) => line > 0) } : {};
}
// A statement that stands alone (the body of if, of a loop, of a label).
function single(walk, node, ctx) {
  if (node.type === 'BlockStatement') return statement(walk, node, ctx);
  ctx.made = -1;
  if (needsStep(node)) {
    const call = stepCall(walk, node, ctx, node, null, statementFacts(node));
    if (call) {
      open(walk, node.start, `{;${call};`);
      close(walk, node.end, '}');
    }
  }
  statement(walk, node, { ...ctx, own: ctx.made });
}
function withScope(ctx, scope) {
  return { ...ctx, scopes: ctx.scopes.concat([scope]) };
}
// A scope of the names a declaration list binds (lexical: not readable before `start`).
function scopeOf(names, start, lexical) {
  return { names: names.map((n) => [n, start, lexical]) };
}
function block(walk, list, ctx) {
  const scope = { names: lexicalNames(list).map(([n, start]) => [n, start, true]) };
  scope.names.forEach(([n]) => walk.declaredAnywhere.add(n));
  statements(walk, list, withScope(ctx, scope));
}

function statement(walk, node, ctx) {
  return (statementKinds[node.type] || otherStatement)(walk, node, ctx);
}
function ifStatement(walk, node, ctx) {
  expression(walk, node.test, ctx);
  single(walk, node.consequent, under(ctx, 'if', ctx.own ?? -1));
  if (node.alternate) single(walk, node.alternate, under(ctx, 'else', ctx.own ?? -1));
}
// «пока» steps at its condition, on the loop's line; do-while at its condition, on that line.
function whileLoop(walk, node, ctx) {
  const isWhile = node.type === 'WhileStatement';
  const test = stepInTest(walk, node.test, ctx, isWhile ? node : node.test, null, facts([node.test], 'loop'));
  expression(walk, node.test, ctx);
  return single(walk, node.body, isWhile ? under(ctx, 'loop', test, leaving(walk, node.body)) : ctx);
}
// The names a for loop sets before each turn: its declared variables and the ones its update
// changes by name.
function forHead(node) {
  const head = [];
  if (node.init && node.init.type === 'VariableDeclaration') node.init.declarations.forEach((d) => patternNames(d.id, head));
  (function assigns(n) {
    if (!n || typeof n.type !== 'string') return;
    if (n.type === 'UpdateExpression' && n.argument.type === 'Identifier') head.push(n.argument.name);
    if (n.type === 'AssignmentExpression' && n.left.type === 'Identifier') head.push(n.left.name);
    if (n.type === 'SequenceExpression') n.expressions.forEach(assigns);
  })(node.update);
  return head;
}
// A for loop steps at its condition, or, without one, at the start of each turn.
function forLoop(walk, node, ctx) {
  if (isGuardWrapper(node)) return statement(walk, node.body, ctx);
  let inner = ctx;
  if (node.init && node.init.type === 'VariableDeclaration' && node.init.kind !== 'var') {
    inner = withScope(ctx, scopeOf(node.init.declarations.flatMap((d) => patternNames(d.id)), -1, true));
  }
  if (node.init) (node.init.type === 'VariableDeclaration' ? declaration : expression)(walk, node.init, inner);
  const head = forHead(node);
  let body = inner;
  if (node.test) {
    const test = stepInTest(walk, node.test, inner, node, head, facts([node.test, node.update], 'loop'));
    body = under(inner, 'loop', test, leaving(walk, node.body));
    expression(walk, node.test, inner);
  } else {
    stepInBody(walk, node, inner, head, facts([node.update], 'loop'));
  }
  if (node.update) expression(walk, node.update, inner);
  return single(walk, node.body, body);
}
// for-in and for-of («для каждого»): a step at the start of each turn, its variable set by it.
function forEachLoop(walk, node, ctx) {
  let inner = ctx;
  if (node.left.type === 'VariableDeclaration' && node.left.kind !== 'var') {
    inner = withScope(ctx, scopeOf(node.left.declarations.flatMap((d) => patternNames(d.id)), -1, true));
  } else if (node.left.type !== 'VariableDeclaration' && lineAt(walk, node)) {
    patternNames(node.left).forEach((n) => walk.assigned.add(n));
  }
  if (node.left.type === 'VariableDeclaration') declaration(walk, node.left, inner);
  expression(walk, node.right, ctx);
  const left = patternNames(node.left.type === 'VariableDeclaration' ? node.left.declarations[0].id : node.left);
  const turns = under(inner, 'each', -1, { previous: ctx.previous ?? -1, list: node.right.type === 'Identifier' ? node.right.name : '', ...leaving(walk, node.body) });
  const what = facts([node.right], 'each');
  left.forEach((n) => hidden(n) || what.writes.push(n));
  stepInBody(walk, node, turns, left, what);
  return single(walk, node.body, turns);
}
// All the cases share one scope, as in JavaScript.
function switchStatement(walk, node, ctx) {
  expression(walk, node.discriminant, ctx);
  const all = node.cases.flatMap((c) => c.consequent);
  const scope = { names: lexicalNames(all).map(([n, start]) => [n, start, true]) };
  const inner = withScope(ctx, scope);
  const cases = under(inner, 'case', ctx.own ?? -1);
  for (const c of node.cases) {
    if (c.test) expression(walk, c.test, inner);
    statements(walk, c.consequent, cases);
  }
}
function tryStatement(walk, node, ctx) {
  statement(walk, node.block, ctx);
  if (node.handler) {
    const scope = scopeOf(patternNames(node.handler.param), -1, true);
    statement(walk, node.handler.body, under(withScope(ctx, scope), 'catch', -1));
  }
  if (node.finalizer) statement(walk, node.finalizer, ctx);
}
function withStatement(walk, node, ctx) {
  expression(walk, node.object, ctx);
  return single(walk, node.body, ctx);
}
// Any other statement: only the expressions it holds directly.
function otherStatement(walk, node, ctx) {
  for (const key of Object.keys(node)) {
    const v = node[key];
    if (v && typeof v.type === 'string') expression(walk, v, ctx);
  }
}
const statementKinds = {
  __proto__: null,
  BlockStatement: (walk, node, ctx) => block(walk, node.body, ctx),
  StaticBlock: (walk, node, ctx) => block(walk, node.body, ctx),
  IfStatement: ifStatement,
  LabeledStatement: (walk, node, ctx) => statement(walk, node.body, ctx),
  WhileStatement: whileLoop,
  DoWhileStatement: whileLoop,
  ForStatement: forLoop,
  ForInStatement: forEachLoop,
  ForOfStatement: forEachLoop,
  SwitchStatement: switchStatement,
  TryStatement: tryStatement,
  FunctionDeclaration: (walk, node, ctx) => func(walk, node, ctx, node.id && node.id.name),
  ClassDeclaration: (walk, node, ctx) => classBody(walk, node, ctx),
  VariableDeclaration: (walk, node, ctx) => declaration(walk, node, ctx),
  WithStatement: withStatement,
};

function declaration(walk, node, ctx) {
  for (const d of node.declarations) {
    patternNames(d.id).forEach((n) => walk.declaredAnywhere.add(n));
    expression(walk, d.id, ctx);
    if (d.init) expression(walk, d.init, ctx, d.id.type === 'Identifier' ? d.id.name : '');
  }
}
function classBody(walk, node, ctx) {
  if (node.superClass) expression(walk, node.superClass, ctx);
  for (const member of node.body.body) {
    if (member.type === 'StaticBlock') statement(walk, member, ctx);
    else if (member.value) expression(walk, member.value, ctx, member.key && (member.key.name || member.key.value));
    if (member.computed && member.key) expression(walk, member.key, ctx);
  }
}
// A function: its frame (for the learner's own ones) and its body's block; `name` as it is shown.
function func(walk, node, ctx, name) {
  const params = node.params.flatMap((p) => patternNames(p));
  params.forEach((n) => walk.declaredAnywhere.add(n));
  for (const p of node.params) expression(walk, p, ctx);
  if (node.body.type !== 'BlockStatement') return expression(walk, node.body, { ...ctx, scopes: ctx.scopes.concat([{ names: params.map((n) => [n, -1, false]), isFunction: true }]) });
  const own = lineAt(walk, node) !== 0;
  const index = walk.functions.length;
  walk.functions.push(name || '');
  const vars = varNames(node.body);
  vars.forEach((n) => walk.declaredAnywhere.add(n));
  const scope = {
    names: [...params, ...vars.filter((v) => !params.includes(v))].map((n) => [n, -1, false]),
    isFunction: true,
  };
  const inner = { fn: own ? index : ctx.fn, scopes: ctx.scopes.concat([scope]),
    under: own ? { kind: 'fn', point: -1, fn: index, up: null } : ctx.under };
  walk.signatures.push(own ? { params, line: lineAt(walk, node) } : null);
  if (own) frameAround(walk, node.body, index);
  block(walk, node.body.body, inner);
}
// The frame of a call of function `index`, opened at the start of `body` and left at its end.
function frameAround(walk, body, index) {
  // The frame goes after the body's directives ("use strict" must stay first).
  let at = body.start + 1;
  for (const s of body.body) {
    if (s.type === 'ExpressionStatement' && s.directive) at = s.end;
    else break;
  }
  // The body runs inside try, so that its end, by return or by an error, is seen.
  open(walk, at, `;const ${names.frame}=${names.enter}(${index});try{`);
  close(walk, body.end - 1, `}finally{${names.leave}(${names.frame})}`);
}

// Expressions: only functions and classes inside them matter, and assignments to undeclared names.
function expression(walk, node, ctx, name = '') {
  if (!node || typeof node.type !== 'string') return;
  return (expressionKinds[node.type] || otherExpression)(walk, node, ctx, name);
}
function assignment(walk, node, ctx) {
  if (node.left.type === 'Identifier' && lineAt(walk, node)) walk.assigned.add(node.left.name);
  expression(walk, node.left, ctx);
  return expression(walk, node.right, ctx, node.left.type === 'Identifier' ? node.left.name
    : node.left.type === 'MemberExpression' && !node.left.computed ? node.left.property.name : '');
}
function update(walk, node, ctx) {
  if (node.argument.type === 'Identifier' && lineAt(walk, node)) walk.assigned.add(node.argument.name);
  return expression(walk, node.argument, ctx);
}
function property(walk, node, ctx) {
  if (node.computed) expression(walk, node.key, ctx);
  return expression(walk, node.value, ctx, node.key && (node.key.name || node.key.value));
}
function otherExpression(walk, node, ctx) {
  for (const key of Object.keys(node)) {
    const v = node[key];
    if (Array.isArray(v)) v.forEach((c) => c && expression(walk, c, ctx));
    else if (v && typeof v.type === 'string') expression(walk, v, ctx);
  }
}
// name: what the expression is given to (a variable, a property), for a function without one.
const expressionKinds = {
  __proto__: null,
  FunctionExpression: (walk, node, ctx, name) => func(walk, node, ctx, (node.id && node.id.name) || name),
  ArrowFunctionExpression: (walk, node, ctx, name) => func(walk, node, ctx, (node.id && node.id.name) || name),
  ClassExpression: (walk, node, ctx) => classBody(walk, node, ctx),
  AssignmentExpression: assignment,
  UpdateExpression: update,
  Property: property,
};

// The program's own global names are its top-level declarations outside library code, var names
// anywhere outside functions, and names it assigns without declaring them (added after the walk).
function programNames(walk, ast) {
  for (const s of ast.body) {
    if (!lineAt(walk, s)) continue;
    if (s.type === 'VariableDeclaration') s.declarations.forEach((d) => patternNames(d.id).forEach((n) => walk.globalNames.add(n)));
    if (s.type === 'ClassDeclaration' && s.id) walk.globalNames.add(s.id.name);
  }
  for (const n of varNames(ast)) walk.declaredAnywhere.add(n);
  for (const s of ast.body) {
    if (s.type === 'FunctionDeclaration' && s.id) walk.declaredAnywhere.add(s.id.name);
    if (s.type === 'VariableDeclaration' && lineAt(walk, s)) s.declarations.forEach((d) => patternNames(d.id).forEach((n) => walk.declaredAnywhere.add(n)));
  }
}
// The source with the edits put in, in the order of their positions (then rank, then sequence).
function applyEdits(source, edits) {
  edits.sort((a, b) => a[0] - b[0] || a[1] - b[1] || a[2] - b[2]);
  let code = '';
  let from = 0;
  for (const [at, , , text] of edits) {
    code += source.slice(from, at) + text;
    from = at;
  }
  return code + source.slice(from);
}

// source: the translated script; lineOf(line, column) -> the learner's line, 0 for library code.
// Returns {code, points, functions, globals} or {error: {line, column}} when it cannot be read.
export function instrument(source, lineOf) {
  let ast;
  try {
    ast = parse(source, { ecmaVersion: 'latest', sourceType: 'script', locations: true, allowHashBang: true });
  } catch (error) {
    return { error: { line: error.loc ? error.loc.line : 0, column: error.loc ? error.loc.column : 0 } };
  }
  const walk = walkOf(lineOf);
  programNames(walk, ast);
  statements(walk, ast.body, { fn: 0, scopes: [{ names: [], isFunction: true }], under: null });
  for (const n of walk.assigned) if (!walk.declaredAnywhere.has(n)) walk.globalNames.add(n);
  const globals = [...walk.globalNames].filter((n) => !hidden(n));
  const code = applyEdits(source, walk.edits);
  const reader = `${names.globals}(function(r){` +
    globals.map((n, i) => `try{r[${i}]=${n}}catch(e){r[${i}]=${names.missing}}`).join('') + '});';
  return { code, prologue: reader, points: walk.points, functions: walk.functions, globals, signatures: walk.signatures };
}
