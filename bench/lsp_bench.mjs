// Benchmark of the language server (lum --lsp) over its real pipes; prints figures, asserts
// nothing. Run (Linux): LUM_EXE=build/lum node bench/lsp_bench.mjs
//  1. diagnostics after an edit of a 2,000-line program: from the didChange sent to its
//     publishDiagnostics received (the 10 ms debounce included), over 30 edits typed one key at
//     a time at points spread over the program;
//  2. hover and completion: each request's round trip, 200 of each at spread places (completion
//     after the first letters of a line's word, and on an empty line start);
//  3. resident memory of the server with ten such programs open (Linux /proc).
import { spawn } from 'node:child_process';
import fs from 'node:fs';

const lum = process.env.LUM_EXE || 'build/lum';

// A 2,000-line program of the kinds of lines learners write: functions, loops, conditions,
// drawing, lists, text; every block closed, a few slips for the hints to find.
function program(lines, seed) {
  const out = ['ПБ расширенной работы с холстом', 'пусть очки = 0', 'пусть список = [1, 2, 3]'];
  for (let i = 0; out.length < lines; ++i) {
    const n = `${seed}_${i}`;
    out.push(
      `функция шаг${n}(x, y):`,
      `  если x больше y то`,
      `    очки = очки + x`,
      `  иначе`,
      `    вывести("меньше", y)`,
      `  конец`,
      `  для каждого e из список делать`,
      `    круг(x, y + e, 5)`,
      `  конец`,
      `  вернуть очки`,
      `конец`,
      `пусть значение${n} = шаг${n}(${i}, 3)`,
      `повторить 3 раз`,
      `  прямоугольник(10, 10, значение${n}, 5)`,
      `конец`,
      i % 10 === 0 ? `еслиб значение${n} равно 2 то вывести(1) конец` : `вывести(значение${n}.длина)`,
    );
  }
  return out.slice(0, lines).join('\n') + '\n';
}

class Client {
  constructor() {
    this.child = spawn(lum, ['--lsp'], { stdio: ['pipe', 'pipe', 'inherit'] });
    this.buffer = Buffer.alloc(0);
    this.waiting = [];
    this.nextId = 1;
    this.child.stdout.on('data', (chunk) => {
      this.buffer = Buffer.concat([this.buffer, chunk]);
      for (;;) {
        const end = this.buffer.indexOf('\r\n\r\n');
        if (end < 0) return;
        const length = Number(/Content-Length: (\d+)/.exec(this.buffer.subarray(0, end).toString())[1]);
        if (this.buffer.length < end + 4 + length) return;
        const message = JSON.parse(this.buffer.subarray(end + 4, end + 4 + length).toString('utf8'));
        this.buffer = this.buffer.subarray(end + 4 + length);
        const at = performance.now();
        this.waiting = this.waiting.filter((w) => !(w.match(message) && (w.resolve({ message, at }), true)));
      }
    });
  }
  send(message) {
    const body = Buffer.from(JSON.stringify({ jsonrpc: '2.0', ...message }));
    this.child.stdin.write(Buffer.concat([Buffer.from(`Content-Length: ${body.length}\r\n\r\n`), body]));
    return performance.now();
  }
  until(match) { return new Promise((resolve) => this.waiting.push({ match, resolve })); }
  async request(method, params) {
    const id = this.nextId++;
    const answer = this.until((m) => m.id === id);
    const sent = this.send({ id, method, params });
    const { message, at } = await answer;
    return { result: message.result, ms: at - sent };
  }
}

const stats = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  const q = (p) => s[Math.min(s.length - 1, Math.floor(p * s.length))];
  return `median ${q(0.5).toFixed(1)} ms, p95 ${q(0.95).toFixed(1)} ms, max ${s.at(-1).toFixed(1)} ms (n=${s.length})`;
};

const client = new Client();
await client.request('initialize', { capabilities: {} });
client.send({ method: 'initialized', params: {} });
const uri = (k) => `file:///tmp/lsp-bench-${k}.лумс`;
let text = program(2000, 0);
const opened = client.until((m) => m.method === 'textDocument/publishDiagnostics' && m.params.uri === uri(0));
client.send({ method: 'textDocument/didOpen', params: { textDocument: { uri: uri(0), languageId: 'lum', version: 1, text } } });
const first = await opened;
console.log(`program: 2000 lines, ${Buffer.byteLength(text)} bytes, ${first.message.params.diagnostics.length} diagnostics on open`);

// 1. One key typed at a time, 30 times, each waited for before the next.
const latencies = [];
const lines = text.split('\n');
for (let k = 0; k < 30; ++k) {
  const line = 3 + Math.floor((k * 1999) / 30) % 1990;
  lines[line] += ' ';
  text = lines.join('\n');
  const version = k + 2;
  const published = client.until((m) => m.method === 'textDocument/publishDiagnostics' && m.params.version === version);
  const sent = client.send({ method: 'textDocument/didChange', params: { textDocument: { uri: uri(0), version }, contentChanges: [{ text }] } });
  latencies.push((await published).at - sent);
}
console.log(`diagnostics after an edit (debounce 10 ms included): ${stats(latencies)}  [goal <= 50 ms]`);

// 2. Hover on words of the table and the program's names; completion at line starts.
const hovers = [], completions = [], everything = [];
for (let k = 0; k < 200; ++k) {
  const line = 3 + ((k * 97) % 1990);
  const character = Math.min(2 + (k % 7), lines[line].length);
  hovers.push((await client.request('textDocument/hover', { textDocument: { uri: uri(0) }, position: { line, character } })).ms);
  const typed = Math.min(lines[line].search(/\S|$/) + 2, lines[line].length);
  completions.push((await client.request('textDocument/completion', { textDocument: { uri: uri(0) }, position: { line, character: typed } })).ms);
  everything.push((await client.request('textDocument/completion', { textDocument: { uri: uri(0) }, position: { line, character: 0 } })).ms);
}
console.log(`hover: ${stats(hovers)}  [goal <= 10 ms]`);
console.log(`completion after two letters: ${stats(completions)}  [goal <= 10 ms]`);
console.log(`completion of everything (Ctrl+Space on a line start): ${stats(everything)}  [goal <= 10 ms]`);

// 3. Ten programs open.
const rss = () => {
  const line = fs.readFileSync(`/proc/${client.child.pid}/status`, 'utf8').split('\n').find((l) => l.startsWith('VmRSS:'));
  return parseInt(line.slice(6), 10) / 1024;
};
const before = rss();
for (let k = 1; k < 10; ++k) {
  const done = client.until((m) => m.method === 'textDocument/publishDiagnostics' && m.params.uri === uri(k));
  client.send({ method: 'textDocument/didOpen', params: { textDocument: { uri: uri(k), languageId: 'lum', version: 1, text: program(2000, k) } } });
  await done;
}
console.log(`resident memory: ${before.toFixed(1)} MB with one program open, ${rss().toFixed(1)} MB with ten`);

await client.request('shutdown', null);
client.send({ method: 'exit', params: null });
