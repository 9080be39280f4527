// The editor extension `lum --editor` writes: its grammar in VS Code's tokenizer, its language
// configuration, its problem matchers on lum's real warning lines, its task provider, and its
// .vsix read back and built again by vsce. LUM_EDITOR_OUT (ctest: build/editor) keeps the result.
import { before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import Module from 'node:module';
import path from 'node:path';

import { extensionIn, here, loadGrammar, lumWithRules, require, tempFolder, tokenize, writeExtension } from './extension.mjs';

const out = process.env.LUM_EDITOR_OUT || tempFolder('lum-editor-');
const extension = extensionIn(out);
const read = (file) => fs.readFileSync(path.join(extension, file), 'utf8');
let grammar, pkg;
before(async () => {
  fs.rmSync(out, { recursive: true, force: true });
  writeExtension(out);
  grammar = await loadGrammar(extension);
  pkg = JSON.parse(read('package.json'));
});

// The innermost scope at the first letter of the n-th `word` in `program`; null for plain text.
function scopeAt(g, program, word, n = 0) {
  let at = -1;
  for (let i = 0; i <= n; ++i) at = program.indexOf(word, at + 1);
  assert.ok(at >= 0, `${word} in ${program}`);
  const line = program.slice(0, at).split('\n').length - 1;
  let column = at - program.lastIndexOf('\n', at - 1) - 1;
  for (const token of tokenize(g, program)[line]) {
    if (column < token.text.length) return token.scopes.at(-1) ?? null;
    column -= token.text.length;
  }
  return null;
}

const K = 'keyword.control.', S = 'string.quoted.', H = K + 'header-open.lum';
test('words coloured by role, at Cyrillic boundaries, never in strings or comments', () => {
  // program, then each word to look at with its scope; a word listed again means its next occurrence
  const rows = [
    ['пока x меньше 3 делать', ['пока', H], ['меньше', 'keyword.operator.comparison.lum'], ['делать', K + 'header-close.lum'],
      ['3', 'constant.numeric.lum']],
    ['ПОКА(x) {', ['ПОКА', H]],
    ['покажи = пока_что', ['покажи', null], ['пока_что', null]],
    ['x = xпока + пока1 + x1', ['пока', null], ['пока', null], ['1', null], ['1', null]],
    ['если x больше или равно 5 то', ['или', 'keyword.operator.comparison.lum']],
    ['если x или y то', ['или', 'keyword.operator.logical.lum']],
    ['иначе конец', ['иначе', K + 'block-middle.lum'], ['конец', K + 'block-close.lum']],
    ['пусть a = истина', ['пусть', 'storage.type.lum'], ['истина', 'constant.language.lum']],
    ['вывести(1) круг(1, 2, 3)', ['вывести', 'support.function.output.lum'], ['круг', 'support.function.drawing.lum']],
    ['повторить 3 раз делать', ['повторить', H], ['раз', K + 'header-close.lum']],
    ['x.повторить(3) стандарт()', ['повторить', 'support.function.method.lum'], ['стандарт', 'support.function.library.lum']],
    ['ПБ расширенной математики', ['математики', K + 'import.lum']],
    ['если x то вывести("если то") конец', ['если', H], ['если', S + 'double.lum']],
    ['вывести("a \'b\' если")', ['если', S + 'double.lum']],
    ['вывести("a\\") если', ['если', H]],
    ["вывести('раз\nесли') если", ['если', S + 'single.lum'], ['если', H]],
    ['// если это', ['если', 'comment.line.double-slash.lum']],
    ['// "да" если', ['если', 'comment.line.double-slash.lum']],
    ["// it's\nесли x '\nесли", ['если', S + 'single.lum'], ['если', H]],
    ['/* если\nпока */ пока', ['пока', 'comment.block.lum'], ['пока', H]],
  ];
  for (const [program, ...words] of rows)
    words.forEach(([word, scope], i) => {
      const n = words.slice(0, i).filter(([w]) => w === word).length;
      assert.equal(scopeAt(grammar, program, word, n), scope, `${word} #${n} in ${program}`);
    });
});

test("a teacher's table: its own words, regenerated", async () => {
  const folder = tempFolder('lum-editor-own-');
  writeExtension(folder, lumWithRules('\\bкогда\\b,if (,gi\n\\bтогда\\b,) {,gi\n\\bвсё\\b,},gi\n\\bнапечатать\\b,console.log,gi\n'));
  const own = await loadGrammar(extensionIn(folder));
  assert.equal(scopeAt(own, 'когда x тогда напечатать(1) всё', 'напечатать'), 'support.function.output.lum');
  assert.equal(scopeAt(own, 'когда x тогда', 'когда'), K + 'header-open.lum');
  assert.equal(scopeAt(own, 'если x то', 'если'), null);
  assert.equal(scopeAt(grammar, 'напечатать(1)', 'напечатать'), null);
  const snippets = JSON.parse(fs.readFileSync(path.join(extensionIn(folder), 'snippets', 'lum.json')));
  assert.deepEqual(snippets['когда … тогда … всё'].body, ['когда ${1:условие} тогда', '\t$0', 'всё']);
});

test('indentation and folding follow the block words', () => {
  const { indentationRules: indent, folding } = JSON.parse(read('language-configuration.json'));
  const regexes = [indent.increaseIndentPattern, indent.decreaseIndentPattern, folding.markers.start, folding.markers.end]
    .map((s) => new RegExp(s));
  const rows = [ // line, increase, decrease, fold start, fold end
    ['если x больше 5 то', true, false, true, false],
    ['  пока x делать // цикл', true, false, true, false],
    ['повторить 3 раз', true, false, true, false],
    ['функция f(a):', true, false, true, false],
    ['иначе', true, true, false, false],
    ['} иначе {', true, true, false, false],
    ['если x то вывести(x) конец', false, false, false, false],
    ['  конец', false, true, false, true],
    ['конечно = тот', false, false, false, false],
  ];
  for (const [line, ...expected] of rows)
    assert.deepEqual(regexes.map((r) => r.test(line)), expected, line);
});

test("problem matchers: each of lum's warning lines in exactly one, at its line", () => {
  const folder = tempFolder('lum-matchers-');
  const projectRules = fs.readFileSync(path.join(here, '..', '..', 'src', 'keywords.csv'), 'utf8');
  const lum = lumWithRules(projectRules.slice(projectRules.indexOf('\n') + 1) + 'x,y,G\n');
  writeExtension(folder, lum);
  fs.writeFileSync(path.join(folder, 'ошибки.лумс'), 'ПБ нет_такой\nесли x то\n  вывести(1))\nx = [1\nвывести("а)\n');
  fs.copyFileSync(path.join(folder, 'ошибки.лумс'), path.join(folder, 'игра [2]: ]x.лумс'));
  const output = execFileSync(lum, ['ошибки.лумс'], { cwd: folder, encoding: 'utf8' }) +
    execFileSync(lum, ['игра [2]: ]x.лумс'], { cwd: folder, encoding: 'utf8' }).split('\n').filter((l) => !l.includes('keywords.csv')).join('\n');
  const own = JSON.parse(fs.readFileSync(path.join(extensionIn(folder), 'package.json'), 'utf8')).contributes.problemMatchers;
  const matchers = own.filter((m) => !m.background);
  const found = output.split('\n').filter((l) => /^(ПРЕДУПРЕЖДЕНИЕ|ПОДСКАЗКА) \[/.test(l)).map((line) => {
    const hits = matchers.filter((m) => new RegExp(m.pattern.regexp).test(line));
    assert.equal(hits.length, 1, `${line}: ${hits.map((m) => m.name)}`);
    const { name, fileLocation, pattern } = hits[0], m = line.match(pattern.regexp);
    return [name, path.join(fileLocation[1], m[pattern.file]), m[pattern.line] ?? '-', m[pattern.message].slice(0, 15)];
  });
  const source = '${fileDirname}/ошибки.лумс', odd = '${fileDirname}/игра [2]: ]x.лумс';
  assert.deepEqual(found.slice(8), found.slice(1, 8).map(([name, file, ...rest]) => [name, odd, ...rest]));
  assert.deepEqual(found.slice(0, 8), [
    ['lum-rules', path.join(path.dirname(lum), 'keywords.csv'), String(projectRules.split('\n').length), "флаги 'G' (нужн"],
    ['lum-warning', source, '5', 'незакрытая кавы'],
    ['lum-warning', source, '1', 'библиотека «нет'],
    ['lum-warning-file', source, '-', 'не хватает 1 за'],
    ['lum-warning-file', source, '-', 'не хватает 1 за'],
    ['lum-warning', source, '3', 'лишняя ) (больш'],
    ['lum-warning', source, '4', 'не совпадают кв'],
    ['lum-hint', source, '2', '«если» не закры'],
  ]);
  // Watch mode's twins match the same lines; each compile ends with its "OK: " line.
  const watch = own.filter((m) => m.background);
  assert.deepEqual(watch.map((m) => m.pattern), matchers.map((m) => m.pattern));
  assert.ok(watch.every((m) => new RegExp(m.background.endsPattern).test(output.split('\n').find((l) => l.startsWith('OK: ')))));
});

// VS Code's API as far as extension.js uses it: what it registers lands in `registered`, the
// problems it sets in `registered.problems`; `settings` answers getConfiguration('lum').
function activateWithFakeVscode(registered, settings, documents = []) {
  const keep = (name) => (...args) => { registered[name] = args.length === 1 ? args[0] : args; return { dispose() {} }; };
  const plain = (...names) => class { constructor(...args) { names.forEach((n, i) => (this[n] = args[i])); } };
  registered.problems = {};
  const vscode = {
    workspace: {
      getConfiguration: () => ({ get: (key) => settings[key] }), textDocuments: documents,
      onDidOpenTextDocument: keep('open'), onDidChangeTextDocument: keep('change'), onDidSaveTextDocument: keep('save'),
      onDidCloseTextDocument: keep('close'),
    },
    languages: {
      createDiagnosticCollection: () => ({ set: (uri, list) => (registered.problems[uri] = list), delete() {}, dispose() {} }),
      registerHoverProvider: (s, p) => keep('hover')(p), registerCompletionItemProvider: (s, p) => keep('completion')(p),
      registerSignatureHelpProvider: (s, p) => keep('signature')(p), registerDefinitionProvider: (s, p) => keep('definition')(p),
      registerDocumentSymbolProvider: (s, p) => keep('symbols')(p), registerCodeActionsProvider: (s, p) => keep('actions')(p),
    },
    window: { showErrorMessage() {}, showWarningMessage() {} },
    Range: class { constructor(a, b, c, d) { this.start = { line: a, character: b }; this.end = { line: c, character: d }; } },
    Diagnostic: plain('range', 'message', 'severity'), Hover: plain('contents', 'range'), MarkdownString: plain('value'),
    CompletionItem: plain('label', 'kind'), SnippetString: plain('value'), SignatureHelp: plain(),
    SignatureInformation: plain('label', 'documentation'), ParameterInformation: plain('label'), Location: plain('uri', 'range'),
    DocumentSymbol: plain('name', 'detail', 'kind', 'range', 'selectionRange'), CodeAction: plain('title', 'kind'),
    CodeActionKind: { QuickFix: 'quickfix' },
    WorkspaceEdit: class { constructor() { this.edits = []; } replace(uri, range, text) { this.edits.push({ uri, range, text }); } },
    Uri: { parse: (text) => ({ toString: () => text }) },
    ProcessExecution: class { constructor(program, args, options) { Object.assign(this, { program, args, options }); } },
    Task: class { constructor(definition, scope, name, source, execution, matchers) { Object.assign(this, { definition, name, execution, matchers }); } },
    TaskScope: { Workspace: 2 }, TaskGroup: { Build: 'build' }, TaskRevealKind: { Always: 1 },
    tasks: { registerTaskProvider: (type, provider) => (registered[type] = provider) },
    commands: { registerCommand: (id) => (registered[id] = true) },
  };
  const load = Module._load;
  Module._load = (request, ...rest) => (request === 'vscode' ? vscode : load(request, ...rest));
  const context = { subscriptions: [] };
  const file = path.join(extension, 'extension.js');
  delete require.cache[require.resolve(file)];  // its `vscode` is this fake
  try {
    require(file).activate(context);
  } finally {
    Module._load = load;
  }
  return context;
}

test('the language client: problems as you type, hover, completion, signature, a quick fix, from lum --lsp', async () => {
  const registered = {};
  const uri = 'file:///tmp/%D0%B8%D0%B3%D1%80%D0%B0.%D0%BB%D1%83%D0%BC%D1%81';
  let text = 'еслиб 1 > 0 то\nконец\nкруг(1, 2, 3)\n', version = 1;
  const document = { languageId: 'lum', uri: { toString: () => uri }, get version() { return version; }, getText: () => text };
  const context = activateWithFakeVscode(registered, { path: process.env.LUM_EXE }, [document]);
  const until = async (what) => { for (let i = 0; i < 250 && !what(); ++i) await new Promise((r) => setTimeout(r, 20)); return what(); };
  try {
    assert.ok(await until(() => registered.problems[uri]?.length), 'problems on open');
    assert.deepEqual(registered.problems[uri].map((d) => [d.message, d.range.start.character, d.range.end.character, d.severity]),
      [['лишняя ) (больше закрывающих, чем открытых)', 0, 14, 1], ['незнакомое слово «еслиб» — может быть, «если»?', 0, 5, 2]]);
    const hover = await registered.hover.provideHover(document, { line: 1, character: 2 });
    assert.match(hover.contents.value, /^\*\*конец\*\* — конец блока/);
    const items = await registered.completion.provideCompletionItems(document, { line: 2, character: 0 });
    assert.equal(items.find((i) => i.label === 'если … то … конец').insertText.value, 'если ${1:условие} то\n\t$0\nконец');
    const resolved = await registered.completion.resolveCompletionItem(items.find((i) => i.label === 'пока'));
    assert.match(resolved.documentation.value, /начало условия или цикла/);
    const signature = await registered.signature.provideSignatureHelp(document, { line: 2, character: 8 });
    assert.deepEqual([signature.signatures[0].label, signature.activeParameter], ['круг(x, y, радиус)', 1]);
    const [fix] = await registered.actions.provideCodeActions(document, new (class { constructor() { this.start = { line: 0, character: 0 }; this.end = this.start; } })());
    assert.deepEqual([fix.title, fix.edit.edits[0].text, fix.edit.edits[0].range.end.character], ['Заменить на «если»', 'если', 5]);
    text = 'пусть x = 1\nесли x > 0 то\nконец\n'; // a condition of two numbers would be told it is always true
    version = 2;
    registered.change({ document });
    assert.ok(await until(() => registered.problems[uri]?.length === 0), 'the change clears them');
  } finally {
    context.subscriptions.forEach((s) => s.dispose && s.dispose());
  }
});

test('the task provider runs lum on the open file with the matchers package.json declares', () => {
  const registered = {};
  activateWithFakeVscode(registered, { path: process.env.LUM_EXE, languageServer: false });
  const [compile, watch] = registered.lum.provideTasks();
  assert.deepEqual([compile.execution.program, compile.execution.args, watch.execution.args, watch.isBackground],
    [process.env.LUM_EXE, ['${file}'], ['-w', '${file}'], true]);
  const declared = pkg.contributes.problemMatchers;
  for (const name of [...compile.matchers, ...watch.matchers])
    assert.ok(declared.some((m) => '$' + m.name === name && !!m.background === watch.matchers.includes(name)), name);
  for (const { command } of pkg.contributes.commands) assert.ok(registered[command], command);
});

// The entries of a zip, read by yauzl (what VS Code unpacks a .vsix with): name -> bytes.
async function unzip(file) {
  const yauzl = require('yauzl');
  const zip = await new Promise((ok, fail) => yauzl.open(file, { lazyEntries: true }, (e, z) => (e ? fail(e) : ok(z))));
  const entries = {};
  await new Promise((ok, fail) => {
    zip.on('entry', (entry) => zip.openReadStream(entry, (e, stream) => {
      if (e) return fail(e);
      const chunks = [];
      stream.on('data', (c) => chunks.push(c)).on('end', () => { entries[entry.fileName] = Buffer.concat(chunks); zip.readEntry(); });
    }));
    zip.on('end', ok).on('error', fail);
    zip.readEntry();
  });
  return entries;
}

test("lum's .vsix holds the extension folder; vsce packs the same files", async () => {
  const files = fs.readdirSync(extension, { recursive: true }).filter((f) => fs.statSync(path.join(extension, f)).isFile());
  const own = await unzip(path.join(out, 'lum-script-2.7.0.vsix'));
  assert.deepEqual(Object.keys(own).sort(), ['[Content_Types].xml', 'extension.vsixmanifest', ...files.map((f) => 'extension/' + f)].sort());
  for (const f of files) assert.ok(own['extension/' + f].equals(fs.readFileSync(path.join(extension, f))), f);
  const packed = path.join(out, 'vsce', 'lum-script-2.7.0.vsix');
  fs.mkdirSync(path.dirname(packed), { recursive: true });
  execFileSync(process.execPath, [require.resolve('@vscode/vsce/vsce'), 'package', '--no-dependencies', '--allow-missing-repository', '--skip-license',
    '-o', packed], { cwd: extension, stdio: 'pipe' });
  const vsce = await unzip(packed);
  assert.deepEqual(Object.keys(vsce).map((n) => n.toLowerCase()).sort(), Object.keys(own).map((n) => n.toLowerCase()).sort());
  const identity = (entries) => entries['extension.vsixmanifest'].toString().match(/<Identity [^>]*>/)[0];
  assert.equal(identity(own), identity(vsce));
});
