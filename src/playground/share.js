// A program in a link: after "#" stand "1" (the form) and the program's name and text, as UTF-8
// JSON compressed with deflate and written in base64url, so a 40-line program fits a link of well
// under 2,000 characters. Nothing leaves the page: the browser compresses and expands the text itself.
// Tests: tests/playground/playground_test.mjs.
const form = '1';
// A link is read only up to this many characters, and what it expands to only up to this many
// bytes: a hostile link cannot make the page build a huge program.
const longestLink = 4 * 1024 * 1024;
const largestProgram = 16 * 1024 * 1024;

async function through(bytes, stream) {
  const chunks = [];
  let size = 0;
  const reader = new Blob([bytes]).stream().pipeThrough(stream).getReader();
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    size += value.length;
    if (size > largestProgram) {
      reader.cancel();
      throw new Error('too large');
    }
    chunks.push(value);
  }
  const all = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    all.set(chunk, at);
    at += chunk.length;
  }
  return all;
}

function base64url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64url(text) {
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// The part after "#" for a program: {name (null for a new program), text}.
export async function programToHash({ name, text }) {
  const json = new TextEncoder().encode(JSON.stringify([name, text]));
  return form + base64url(await through(json, new CompressionStream('deflate-raw')));
}

// The program a hash holds, or null when it holds none (or a broken one).
export async function programFromHash(hash) {
  const code = hash.replace(/^#/, '');
  if (!code.startsWith(form) || code.length > longestLink || !/^[A-Za-z0-9_-]+$/.test(code.slice(1))) return null;
  try {
    const json = new TextDecoder('utf-8', { fatal: true }).decode(await through(fromBase64url(code.slice(1)), new DecompressionStream('deflate-raw')));
    const [name, text] = JSON.parse(json);
    if (typeof text !== 'string' || (name !== null && typeof name !== 'string')) return null;
    return { name: name === null ? null : name.replace(/[\\/]/g, '_'), text };
  } catch {
    return null;
  }
}
