// Writes the editor extension with the lum under test (LUM_EXE) and runs its grammar in VS Code's
// own tokenizer (vscode-textmate on vscode-oniguruma, from node/).
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const here = path.dirname(fileURLToPath(import.meta.url));
export const require = createRequire(path.join(here, 'node', 'package.json'));
const textmate = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

// Temporary folders, removed when the process ends.
const made = [];
process.on('exit', () => made.forEach((f) => fs.rmSync(f, { recursive: true, force: true })));
export const tempFolder = (prefix) => made[made.push(fs.mkdtempSync(path.join(os.tmpdir(), prefix))) - 1];
export const extensionIn = (folder) => path.join(folder, 'lum.lum-script-2.7.0');

// A copy of the lum under test beside a keywords.csv of `rules` (the lines after the header), the
// first place it looks for one.
export function lumWithRules(rules) {
  const lum = path.join(tempFolder('lum-rules-'), 'lum');
  fs.copyFileSync(process.env.LUM_EXE, lum);
  fs.writeFileSync(path.join(path.dirname(lum), 'keywords.csv'), `pattern,replacement,flags\n${rules}`);
  return lum;
}

// `lum --editor folder`; its standard output.
export const writeExtension = (folder, lum = process.env.LUM_EXE) => execFileSync(lum, ['--editor', folder], { encoding: 'utf8' });

let onigLib;
export async function loadGrammar(extension) {
  if (!onigLib) {
    await oniguruma.loadWASM(fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm')).buffer);
    onigLib = {
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (s) => new oniguruma.OnigString(s),
    };
  }
  const file = path.join(extension, 'syntaxes', 'lum.tmLanguage.json');
  const registry = new textmate.Registry({
    onigLib: Promise.resolve(onigLib),
    loadGrammar: async () => textmate.parseRawGrammar(fs.readFileSync(file, 'utf8'), file),
  });
  return registry.loadGrammar('source.lum');
}

// Each line of `text` as its tokens, {text, scopes}, the scopes without the grammar's own.
export function tokenize(grammar, text) {
  let state = textmate.INITIAL;
  return text.split('\n').map((line) => {
    const result = grammar.tokenizeLine(line, state);
    state = result.ruleStack;
    return result.tokens.map((t) => ({ text: line.slice(t.startIndex, t.endIndex), scopes: t.scopes.slice(1) }));
  });
}
