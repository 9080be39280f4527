// Gives VS Code lum's two tasks, compile the open file and watch it, whose warning lines the
// problem matchers of package.json put into the Problems panel. Written by `lum --editor`.
'use strict';
const vscode = require('vscode');
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

function activate(context) {
  context.subscriptions.push(
    vscode.tasks.registerTaskProvider('lum', {
      provideTasks: () => [lumTask({ type: 'lum', watch: false }, '${file}'), lumTask({ type: 'lum', watch: true }, '${file}')],
      resolveTask: (task) => lumTask(task.definition, '${file}', task.scope),
    }),
    vscode.commands.registerCommand('lum.compile', () => runOnOpenFile(false)),
    vscode.commands.registerCommand('lum.watch', () => runOnOpenFile(true)));
}

module.exports = { activate, deactivate() {} };
