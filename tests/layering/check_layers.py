#!/usr/bin/env python3
"""The layering check: every #include in src/ points down or sideways, never up, and no cycle.

    python3 tests/layering/check_layers.py [source root]

Reads each .h/.cpp file under src/<layer>/ and its '#include "..."' lines. A file may include
headers of its own layer, of a layer of the same rank (sideways) or of lower layers (the table
below, which docs/ARCHITECTURE.md explains); headers the build generates ("embedded/...") are
allowed everywhere. System headers that only a platform needs stay in src/platform. Any include
cycle between files is an error too. Prints one line per fault, "file:line: what", and exits 1 when
there is any, 0 otherwise.

    python3 tests/layering/check_layers.py [source root [architecture document]]

Also kept: the "(not ...)" clauses of the document's "may include" column (a layer that may not
include a layer beside it), and every "Tests:" line of a file's opening comment names files that
exist (paths from the folder above the source root).

Only the front end prints: a write to the console (std::cout, std::cerr, printf, puts, fputs or
fwrite to stdout or stderr, the console calls of Windows) outside src/frontend and src/platform
is a fault too.
"""
import os
import re
import sys

# Layer -> rank: an include may go to the same or a lower rank.
RANKS = {
    "base": 0,
    "platform": 1,
    "rules": 2,
    "translator": 3,
    "diagnostics": 4,
    "tasks": 4,
    "output": 5,
    "editor": 5,
    "services": 5,
    "frontend": 6,
}
# Headers of the operating system: only the platform layer includes them.
SYSTEM_ONLY_IN_PLATFORM = re.compile(
    r"^(windows\.h|winsock2\.h|ws2tcpip\.h|shellapi\.h|unistd\.h|fcntl\.h|dirent\.h|poll\.h|signal\.h|"
    r"netinet/.*|arpa/.*|sys/.*|emscripten.*|pthread\.h|spawn\.h|iconv\.h)$")
# A write to the terminal; the front end and the platform layer are the only ones that print.
PRINT = re.compile(
    r"\bstd::(cout|cerr|clog)\b|\b(printf|puts|putchar|vprintf)\s*\(|"
    r"\b(fprintf|fputs|fputc|fwrite|putc|vfprintf)\s*\([^;]*\b(stdout|stderr)\b|\bWriteConsole[AW]?\b")
PRINTS_ALLOWED = {"frontend", "platform"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def layer_of(path):
    return path.split("/", 1)[0]


NOT_CLAUSE = re.compile(r"^\|\s*\d+\s*\|\s*`([a-z]+)`.*\(not ([a-z, ]+)\)\s*\|\s*$")
TESTS_LINE = re.compile(r"Tests:(.*)")
TEST_PATH = re.compile(r"(?:tests|bench|fuzz|planted)/[^\s,;()]+")


def forbidden_layers(document):
    """Layer -> the layers its row's "(not ...)" clause forbids."""
    forbidden = {}
    if not os.path.isfile(document):
        return forbidden
    with open(document, encoding="utf-8") as f:
        for line in f:
            m = NOT_CLAUSE.match(line.strip())
            if m:
                forbidden[m.group(1)] = {name.strip() for name in m.group(2).split(",") if name.strip()}
    return forbidden


def opening_comment(full):
    """The lines of a file's opening comment, with their numbers."""
    lines = []
    with open(full, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            text = line.strip()
            if text.startswith(("//", "/*", "*", "#!")) or (not text and not lines):
                lines.append((number, text))
            else:
                break
    return lines


def missing_tests(root, rel, full):
    """Faults for each path a "Tests:" line names that does not exist."""
    faults = []
    top = os.path.dirname(root)
    comment = opening_comment(full)
    for k, (number, text) in enumerate(comment):
        m = TESTS_LINE.search(text)
        if not m:
            continue
        named = m.group(1) + " " + " ".join(t for _, t in comment[k + 1:])
        for path in TEST_PATH.findall(named):
            path = path.rstrip(".")
            if not os.path.exists(os.path.join(top, path)):
                faults.append(f"src/{rel}:{number}: the Tests: line names {path}, which does not exist")
        break
    return faults


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "src"))
    document = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "..", "docs", "ARCHITECTURE.md")
    forbidden = forbidden_layers(document)
    faults = []
    graph = {}  # file (relative to src) -> [(included file, line number)]
    for folder, _, names in os.walk(root):
        for name in sorted(names):
            if name.endswith((".h", ".cpp", ".js", ".mjs")):
                rel = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                faults.extend(missing_tests(root, rel, os.path.join(folder, name)))
            if not name.endswith((".h", ".cpp")):
                continue
            full = os.path.join(folder, name)
            rel = os.path.relpath(full, root).replace(os.sep, "/")
            own = layer_of(rel)
            if own not in RANKS:
                faults.append(f"src/{rel}:1: folder '{own}' is no layer (add it to RANKS and docs/ARCHITECTURE.md)")
                continue
            edges = graph.setdefault(rel, [])
            with open(full, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    if own not in PRINTS_ALLOWED and PRINT.search(line.split("//", 1)[0]):
                        faults.append(f"src/{rel}:{number}: {own}/ prints; only the front end prints")
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    kind, target = m.groups()
                    if kind == "<":
                        if own != "platform" and SYSTEM_ONLY_IN_PLATFORM.match(target):
                            faults.append(f"src/{rel}:{number}: <{target}> belongs to the platform layer")
                        continue
                    if target.startswith("embedded/"):
                        continue
                    layer = layer_of(target)
                    if layer not in RANKS:
                        faults.append(f"src/{rel}:{number}: \"{target}\" is in no layer")
                        continue
                    if not os.path.isfile(os.path.join(root, target)):
                        faults.append(f"src/{rel}:{number}: \"{target}\" does not exist")
                        continue
                    if RANKS[layer] > RANKS[own]:
                        faults.append(f"src/{rel}:{number}: {own}/ includes \"{target}\" of the higher layer {layer}/")
                    elif layer in forbidden.get(own, ()):
                        faults.append(f"src/{rel}:{number}: {own}/ includes \"{target}\" of {layer}/, which the architecture says it may not")
                    edges.append((target, number))
    # Cycles, by a depth-first walk that keeps the path it is on.
    state = {}
    def walk(node, path):
        state[node] = 1
        path.append(node)
        for target, number in graph.get(node, []):
            if state.get(target) == 1:
                cycle = path[path.index(target):] + [target]
                faults.append(f"src/{node}:{number}: include cycle: " + " -> ".join(cycle))
            elif target not in state:
                walk(target, path)
        path.pop()
        state[node] = 2
    for node in sorted(graph):
        if node not in state:
            walk(node, [])
    for fault in faults:
        print(fault)
    if faults:
        print(f"layering check: {len(faults)} fault(s)")
        return 1
    print(f"layering check: {len(graph)} files, every include points down or sideways, no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
