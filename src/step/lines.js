// Where a piece of the translated script came from: the inline source map the page's script
// carries (library code unmapped, so it gets no steps), or else the page's line map.
const digits = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';
const mapComment = /\n\/\/# sourceMappingURL=data:application\/json;charset=utf-8;base64,([A-Za-z0-9+/=]+)\s*$/;

// The map's segments per generated line: [[column, source line (1-based) or 0], ...].
export function decodeMappings(mappings) {
  const lines = [];
  let sourceLine = 0;
  for (const text of mappings.split(';')) {
    const segments = [];
    let column = 0;
    for (const segment of text ? text.split(',') : []) {
      const fields = [];
      let value = 0;
      let shift = 0;
      for (const ch of segment) {
        const digit = digits.indexOf(ch);
        value += (digit & 31) << shift;
        if (digit & 32) {
          shift += 5;
        } else {
          fields.push(value & 1 ? -(value >>> 1) : value >>> 1);
          value = 0;
          shift = 0;
        }
      }
      column += fields[0];
      if (fields.length >= 4) {
        sourceLine += fields[2];
        segments.push([column, sourceLine + 1]);
      } else {
        segments.push([column, 0]);
      }
    }
    lines.push(segments);
  }
  return lines;
}

function utf8(base64) {
  const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
  return new TextDecoder().decode(bytes);
}

// body: the script element's text; lineMap: window.__LUM_LINES__. Returns lineOf(line, column)
// for 1-based lines of the body as the parser counts them (line 1 is the text's empty first line).
export function linesOf(body, lineMap) {
  const found = mapComment.exec(body);
  if (found) {
    try {
      const map = JSON.parse(utf8(found[1]));
      const lines = decodeMappings(map.mappings);
      return (line, column) => {
        const segments = lines[line - 1] || [];
        let source = segments.length ? segments[0][1] : 0;
        for (const [at, s] of segments) {
          if (at > column) break;
          source = s;
        }
        return source;
      };
    } catch {
      // an unreadable map: the line map below
    }
  }
  return (line) => (lineMap && lineMap[line - 2]) || 0;
}
