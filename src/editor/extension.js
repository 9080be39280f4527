// Gives VS Code lum's two tasks, compile the open file and watch it, whose warning lines the
// problem matchers of package.json put into the Problems panel, and lum's language server
// (`lum --lsp`) as you type: problems, hovers, completion, signatures, symbols, definitions and
// quick fixes, through the small client below. Written by `lum --editor`.
'use strict';
const vscode = require('vscode');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

// The problem matchers package.json contributes; watch mode uses their "lum-watch-" twins.
const matchers = ['lum-warning', 'lum-warning-file', 'lum-hint', 'lum-hint-file', 'lum-rules'];

function lumProgram() {
  const configured = String(vscode.workspace.getConfiguration('lum').get('path') || '').trim();
  // A path from the computer the extension was made on, missing here, gives way to lum on PATH.
  if (configured === '' || (path.isAbsolute(configured) && !fs.existsSync(configured))) return 'lum';
  return configured;
}

// `file` is "${file}" (VS Code puts in the open file) or a path; lum runs in the file's folder,
// where the matchers look for the file its warnings name.
function lumTask(definition, file, scope) {
  const watch = definition.watch === true;
  const cwd = file === '${file}' ? '${fileDirname}' : path.dirname(file);
  const execution = new vscode.ProcessExecution(lumProgram(), watch ? ['-w', file] : [file], { cwd });
  const names = matchers.map((name) => '$' + (watch ? name.replace('lum-', 'lum-watch-') : name));
  const task = new vscode.Task(definition, scope || vscode.TaskScope.Workspace,
    watch ? 'режим наблюдения' : 'скомпилировать файл', 'lum', execution, names);
  task.isBackground = watch;
  if (!watch) task.group = vscode.TaskGroup.Build;
  task.presentationOptions = { reveal: vscode.TaskRevealKind.Always, clear: true };
  return task;
}

async function runOnOpenFile(watch) {
  const editor = vscode.window.activeTextEditor;
  if (!editor || editor.document.uri.scheme !== 'file') {
    vscode.window.showWarningMessage('Откройте файл .лумс или .лум: задача запускает lum на нём.');
    return;
  }
  const document = editor.document;
  if (document.isDirty) await document.save();
  const file = document.uri.fsPath;
  const folder = vscode.workspace.getWorkspaceFolder(document.uri);
  try {
    await vscode.tasks.executeTask(lumTask({ type: 'lum', watch }, file, folder));
  } catch (error) {
    // Without an open folder VS Code may refuse tasks: lum then runs in a terminal of its own.
    const terminal = vscode.window.createTerminal({
      name: 'lum', shellPath: lumProgram(), shellArgs: watch ? ['-w', file] : [file], cwd: path.dirname(file),
    });
    terminal.show();
  }
}

// lum --lsp as a child process: JSON-RPC 2.0 in Content-Length frames over its standard streams.
class LumClient {
  constructor(program, onNotification) {
    this.pending = new Map();
    this.nextId = 1;
    this.buffer = Buffer.alloc(0);
    this.onNotification = onNotification;
    this.child = childProcess.spawn(program, ['--lsp'], { stdio: ['pipe', 'pipe', 'ignore'] });
    this.child.on('error', () => this.closed('lum не запустился'));
    this.child.on('exit', () => this.closed('lum завершился'));
    this.child.stdin.on('error', () => {});
    this.child.stdout.on('data', (chunk) => this.receive(chunk));
  }

  closed(why) {
    this.dead = true;
    for (const { reject } of this.pending.values()) reject(new Error(why));
    this.pending.clear();
  }

  receive(chunk) {
    this.buffer = Buffer.concat([this.buffer, chunk]);
    for (;;) {
      const end = this.buffer.indexOf('\r\n\r\n');
      if (end < 0) return;
      const length = /content-length: *(\d+)/i.exec(this.buffer.subarray(0, end).toString('ascii'));
      if (!length) { this.buffer = this.buffer.subarray(end + 4); continue; }
      const total = end + 4 + Number(length[1]);
      if (this.buffer.length < total) return;
      const body = this.buffer.subarray(end + 4, total).toString('utf8');
      this.buffer = this.buffer.subarray(total);
      let message;
      try { message = JSON.parse(body); } catch (e) { continue; }
      if (message.method) this.onNotification(message.method, message.params);
      else if (this.pending.has(message.id)) {
        const { resolve, reject } = this.pending.get(message.id);
        this.pending.delete(message.id);
        if (message.error) reject(new Error(message.error.message)); else resolve(message.result);
      }
    }
  }

  send(message) {
    if (this.dead) return;
    const body = Buffer.from(JSON.stringify(Object.assign({ jsonrpc: '2.0' }, message)), 'utf8');
    this.child.stdin.write(Buffer.concat([Buffer.from(`Content-Length: ${body.length}\r\n\r\n`, 'ascii'), body]));
  }

  request(method, params) {
    if (this.dead) return Promise.resolve(null);
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject });
      this.send({ id, method, params });
    });
  }

  notify(method, params) { this.send({ method, params }); }

  async stop() {
    try { await this.request('shutdown', null); } catch (e) { /* already gone */ }
    this.notify('exit', null);
  }
}

const isLum = (document) => document.languageId === 'lum';
const toRange = (r) => new vscode.Range(r.start.line, r.start.character, r.end.line, r.end.character);
const fromPosition = (p) => ({ line: p.line, character: p.character });
const fromRange = (r) => ({ start: fromPosition(r.start), end: fromPosition(r.end) });
const textDocument = (document) => ({ uri: document.uri.toString() });
const quietly = (promise, otherwise) => promise.catch(() => otherwise);

// The editor's side of the protocol: documents go to the server, its answers become VS Code's.
function startLanguageClient(context) {
  const diagnostics = vscode.languages.createDiagnosticCollection('lum');
  const client = new LumClient(lumProgram(), (method, params) => {
    if (method === 'textDocument/publishDiagnostics') {
      diagnostics.set(vscode.Uri.parse(params.uri), params.diagnostics.map((d) => {
        const item = new vscode.Diagnostic(toRange(d.range), d.message, (d.severity || 1) - 1);
        item.source = 'lum';
        item.code = d.code;
        return item;
      }));
    } else if (method === 'window/showMessage') {
      (params.type === 1 ? vscode.window.showErrorMessage : vscode.window.showWarningMessage)(params.message);
    }
  });
  const ready = client.request('initialize', { processId: process.pid, rootUri: null, capabilities: {} })
    .then(() => client.notify('initialized', {}));
  const opened = (document) => isLum(document) && ready.then(() => client.notify('textDocument/didOpen', {
    textDocument: { uri: document.uri.toString(), languageId: 'lum', version: document.version, text: document.getText() },
  }));
  const selector = { language: 'lum' };
  const ask = (method, document, params) => ready.then(() => client.request(method, Object.assign({ textDocument: textDocument(document) }, params)));
  vscode.workspace.textDocuments.forEach(opened);
  context.subscriptions.push(
    diagnostics,
    vscode.workspace.onDidOpenTextDocument(opened),
    vscode.workspace.onDidChangeTextDocument(({ document }) => isLum(document) && ready.then(() => client.notify('textDocument/didChange', {
      textDocument: { uri: document.uri.toString(), version: document.version }, contentChanges: [{ text: document.getText() }],
    }))),
    vscode.workspace.onDidSaveTextDocument((document) => isLum(document) && client.notify('textDocument/didSave', { textDocument: textDocument(document) })),
    vscode.workspace.onDidCloseTextDocument((document) => {
      if (!isLum(document)) return;
      client.notify('textDocument/didClose', { textDocument: textDocument(document) });
      diagnostics.delete(document.uri);
    }),
    vscode.languages.registerHoverProvider(selector, {
      provideHover: (document, position) => quietly(ask('textDocument/hover', document, { position: fromPosition(position) })
        .then((h) => h && new vscode.Hover(new vscode.MarkdownString(h.contents.value), h.range && toRange(h.range))), null),
    }),
    vscode.languages.registerCompletionItemProvider(selector, {
      provideCompletionItems: (document, position) => quietly(ask('textDocument/completion', document, { position: fromPosition(position) })
        .then((list) => (list ? list.items : []).map((c) => {
          const item = new vscode.CompletionItem(c.label, c.kind - 1);
          item.detail = c.detail;
          item.lsp = c;
          item.insertText = c.insertTextFormat === 2 ? new vscode.SnippetString(c.insertText) : c.insertText;
          if (c.filterText) item.filterText = c.filterText;
          return item;
        })), []),
      // Each item's text is asked for when the item is shown.
      resolveCompletionItem: (item) => (item.lsp && item.lsp.data !== undefined
        ? quietly(ready.then(() => client.request('completionItem/resolve', item.lsp)).then((c) => {
          if (c && c.documentation) item.documentation = new vscode.MarkdownString(c.documentation.value);
          return item;
        }), item)
        : item),
    }, '.'),
    vscode.languages.registerSignatureHelpProvider(selector, {
      provideSignatureHelp: (document, position) => quietly(ask('textDocument/signatureHelp', document, { position: fromPosition(position) })
        .then((s) => {
          if (!s) return null;
          const help = new vscode.SignatureHelp();
          help.signatures = s.signatures.map((one) => {
            const info = new vscode.SignatureInformation(one.label, one.documentation);
            info.parameters = one.parameters.map((p) => new vscode.ParameterInformation(p.label));
            return info;
          });
          help.activeSignature = s.activeSignature;
          help.activeParameter = s.activeParameter;
          return help;
        }), null),
    }, '(', ','),
    vscode.languages.registerDefinitionProvider(selector, {
      provideDefinition: (document, position) => quietly(ask('textDocument/definition', document, { position: fromPosition(position) })
        .then((l) => l && new vscode.Location(vscode.Uri.parse(l.uri), toRange(l.range))), null),
    }),
    vscode.languages.registerDocumentSymbolProvider(selector, {
      provideDocumentSymbols: (document) => quietly(ask('textDocument/documentSymbol', document, {})
        .then((list) => (list || []).map((s) => new vscode.DocumentSymbol(s.name, s.detail, s.kind - 1, toRange(s.range), toRange(s.selectionRange)))), []),
    }),
    vscode.languages.registerCodeActionsProvider(selector, {
      provideCodeActions: (document, range) => quietly(ask('textDocument/codeAction', document, { range: fromRange(range), context: { diagnostics: [] } })
        .then((list) => (list || []).map((a) => {
          const action = new vscode.CodeAction(a.title, vscode.CodeActionKind.QuickFix);
          action.isPreferred = a.isPreferred;
          action.edit = new vscode.WorkspaceEdit();
          for (const [uri, edits] of Object.entries(a.edit.changes))
            for (const e of edits) action.edit.replace(vscode.Uri.parse(uri), toRange(e.range), e.newText);
          return action;
        })), []),
    }, { providedCodeActionKinds: [vscode.CodeActionKind.QuickFix] }),
    { dispose: () => client.stop() });
  return client;
}

function activate(context) {
  const client = vscode.workspace.getConfiguration('lum').get('languageServer') === false ? null : startLanguageClient(context);
  context.subscriptions.push(
    vscode.tasks.registerTaskProvider('lum', {
      provideTasks: () => [lumTask({ type: 'lum', watch: false }, '${file}'), lumTask({ type: 'lum', watch: true }, '${file}')],
      resolveTask: (task) => lumTask(task.definition, '${file}', task.scope),
    }),
    vscode.commands.registerCommand('lum.compile', () => runOnOpenFile(false)),
    vscode.commands.registerCommand('lum.watch', () => runOnOpenFile(true)));
  return { client };
}

module.exports = { activate, deactivate() {} };
