// Checks of shapes on the canvas, told only where the written numbers make the picture certain: a
// circle and a square that share one point, the circle's radius half the square's side (a circle
// is placed by its centre and a rectangle by its top left corner, so one of the two stands a
// quarter off the other); a rectangle given a second corner for its width and height; bars that
// hang from the top edge; a colour replaced before anything is drawn in it; the whole canvas painted
// or resized after shapes; a colour set after the last shape; one shape drawn in one place every
// round of a loop; growing circles with one centre; an arc given radians.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

#include <algorithm>
#include <string>

namespace diagnostics::programs {

namespace {

// A drawing call that is a whole statement with written numbers alone: «круг(145, 75, 45)»,
// «прямоугольник(100, 30, 90, 90)».
struct Shape {
    int at = -1;
    bool round = false;  // a circle or a ring: x, y of the centre and the radius
    double v[4] = {};
    std::string word;    // the learner's word for the call
};

bool shapeOf(const Program& p, int i, Shape& shape) {
    const std::vector<Token>& ts = tokensOf(p, p.stmts[i]);
    const rules::RuleWords* r = ruleAt(p.c, ts, 0, p.v, [](const rules::RuleWords& w) {
        return produces(w, "__LUM__.circle") || produces(w, "__LUM__.ring") || produces(w, "__LUM__.fillRect") ||
               produces(w, "__LUM__.strokeRect");
    });
    std::size_t k = r ? r->words.size() : 0;
    if (!r || k >= ts.size() || ts[k].mark != '(' || closingOf(ts, k) != ts.size() - 1) return false;
    shape.at = i;
    shape.round = produces(*r, "__LUM__.circle") || produces(*r, "__LUM__.ring");
    shape.word = r->phrase;
    const std::size_t close = ts.size() - 1, wanted = shape.round ? 3 : 4;
    std::size_t args = 0;
    for (++k; k < close && args < wanted; ++args) {
        const std::size_t taken = numberAt(p, ts, k, close, shape.v[args]);
        if (taken == 0) return false;
        k += taken;
        if (k < close && ts[k++].mark != ',') return false;
    }
    return k == close && args == wanted;
}

std::string pair(double x, double y) { return "(" + numberText(x) + ", " + numberText(y) + ")"; }

// A statement that is one call of a canvas word writing one of `names` («цвет(…)»,
// «прямоугольник(…)»): its rule, with its "(" at `open`; null for anything else.
template <class Names>
const rules::RuleWords* canvasCall(const Program& p, const Stmt& s, const Names& names, std::size_t& open) {
    const std::vector<Token>& ts = tokensOf(p, s);
    const rules::RuleWords* r = s.kind != StmtKind::Other ? nullptr : ruleAt(p.c, ts, 0, p.v, [&](const rules::RuleWords& w) {
        for (const char* name : names)
            if (name && produces(w, name)) return true;
        return false;
    });
    open = r ? r->words.size() : 0;
    return r && open < ts.size() && ts[open].mark == '(' && closingOf(ts, open) == ts.size() - 1 ? r : nullptr;
}

// The canvas library's word that sizes the canvas: «размеры_холста(ширина, высота)».
const char* const sizeWord = "размеры_холста";

// Whether a statement includes a library whose text defines the function `name`.
bool libraryDefines(const Program& p, const Facts& facts, const std::string& name) {
    const base::CodePoints wanted = base::decodeBytes("function " + name + "(");
    for (int i = 0; i < facts.n; ++i) {
        const rules::RuleWords* r = ruleAt(p.c, tokensOf(p, p.stmts[i]), 0, p.v);
        if (!r || r->role != rules::WordRole::Library) continue;
        const base::CodePoints& text = p.table[r->rule].replacement;
        if (std::search(text.begin(), text.end(), wanted.begin(), wanted.end()) != text.end()) return true;
    }
    return false;
}

// The canvas size set once, at the top, by written numbers: the statement that sets it, or -1 when
// it is never set (the page's canvas and another page's differ), set twice, or set otherwise.
int canvasSize(const Program& p, const Facts& facts, double& width, double& height) {
    int found = -1;
    for (const int i : readersOf(facts, sizeWord)) {
        const std::vector<Token>& ts = tokensOf(p, p.stmts[i]);
        for (std::size_t k = 0; k < ts.size(); ++k)
            if (readsAt(p, ts, k, sizeWord) && (found >= 0 || k != 0)) return -1;
        found = i;
    }
    for (const Function& f : facts.functions)
        if (f.name == sizeWord) return -1;
    if (found < 0 || facts.holders[found] != -1 || !libraryDefines(p, facts, sizeWord)) return -1;
    const std::vector<Token>& ts = tokensOf(p, p.stmts[found]);
    if (ts.size() < 2 || ts[1].mark != '(' || closingOf(ts, 1) != ts.size() - 1) return -1;
    const auto args = argumentsAt(ts, 1);
    const bool written = args.size() == 2 && number(p, ts, args[0].first, args[0].second, width) &&
                         number(p, ts, args[1].first, args[1].second, height) && width > 0 && height > 0;
    return written ? found : -1;
}

}  // namespace

// A circle drawn after a square with its centre on the square's corner, or a square drawn after a
// circle with its corner on the circle's centre; in both the radius is half the side, so the one
// drawn second was meant around or inside the other.
void roundAtCorner(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    std::vector<Shape> shapes;
    for (int i = 0; i < facts.n; ++i) {
        Shape shape;
        if (shapeOf(p, i, shape)) shapes.push_back(shape);
    }
    for (std::size_t later = 1; later < shapes.size(); ++later) {
        for (std::size_t first = 0; first < later; ++first) {
            const Shape& a = shapes[first];
            const Shape& b = shapes[later];
            if (a.round == b.round || a.v[0] != b.v[0] || a.v[1] != b.v[1]) continue;
            const Shape& circle = a.round ? a : b;
            const Shape& square = a.round ? b : a;
            if (square.v[2] != square.v[3] || square.v[2] != 2 * circle.v[2]) continue;
            const double r = circle.v[2];
            const std::string side = numberText(square.v[2]), radius = numberText(r);
            const std::string from = num(lineOf(p, p.stmts[a.at]));
            if (b.round) {
                const std::string centre = numberText(square.v[0] + r) + ", " + numberText(square.v[1] + r);
                add(p, p.stmts[b.at], HintKind::Computation,
                    "центр круга " + pair(b.v[0], b.v[1]) + " стоит в левом верхнем углу квадрата из строки " + from + ", а радиус " +
                        radius + " — половина его стороны " + side + ". Круг ставится по центру: чтобы он встал в квадрат, пишите «" +
                        b.word + "(" + centre + ", " + radius + ")»",
                    {}, out);
            } else {
                const std::string corner = numberText(circle.v[0] - r) + ", " + numberText(circle.v[1] - r);
                add(p, p.stmts[b.at], HintKind::Computation,
                    "левый верхний угол квадрата " + pair(b.v[0], b.v[1]) + " стоит в центре круга из строки " + from +
                        ", а сторона " + side + " — два его радиуса. Прямоугольник ставится по левому верхнему углу: чтобы квадрат обнял круг, пишите «" +
                        b.word + "(" + corner + ", " + side + ", " + side + ")»",
                    {}, out);
            }
            return;
        }
    }
}


// «прямоугольник(100, 150, 200, 250)» on a 400 × 300 canvas: the rectangle runs off the canvas, and
// its last two numbers, read as a point, stand on the canvas right of and below its corner. They
// are the second corner where the width and height belong. Silent for a rectangle that stays on
// the canvas, and for one that reaches an edge or past it with a size no point could be
// («прямоугольник(0, 150, 400, 200)», ground to the bottom).
void cornerAsSize(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    double width = 0, height = 0;
    const int sized = canvasSize(p, facts, width, height);
    for (int i = sized + 1; sized >= 0 && i < facts.n; ++i) {
        Shape r;
        if (!shapeOf(p, i, r) || r.round) continue;
        const double x = r.v[0], y = r.v[1], w = r.v[2], h = r.v[3];
        const bool onCanvas = x >= 0 && y >= 0 && x < w && w < width && y < h && h < height;
        if (!onCanvas || (x + w <= width && y + h <= height)) continue;
        std::string edges;
        if (x + w > width) edges = "правый край на x = " + numberText(x + w) + ", правее края холста " + numberText(width);
        if (y + h > height)
            edges += (edges.empty() ? "" : ", а ") + std::string("нижний край на y = ") + numberText(y + h) + ", ниже края холста " +
                     numberText(height);
        add(p, p.stmts[i], HintKind::Computation,
            "«" + lineText(p, p.stmts[i]) + "» выходит за холст " + numberText(width) + " × " + numberText(height) + ": его " +
                edges + ". Третье и четвёртое числа прямоугольника — ширина и высота, а не второй угол; " + pair(w, h) +
                " похоже на правый нижний угол. Если прямоугольник от " + pair(x, y) + " до " + pair(w, h) + ", его ширина " +
                numberText(w - x) + " и высота " + numberText(h - y) + ": «" + r.word + "(" + numberText(x) + ", " + numberText(y) +
                ", " + numberText(w - x) + ", " + numberText(h - y) + ")»",
            {}, out);
    }
}

// «прямоугольник(40 + i * 60, 0, 40, рост[i])» in a loop: every bar starts at the top edge (y 0)
// and reaches down by an element of a list, so the bars hang from the top. Only a rectangle whose
// top is the written 0, whose height is an element the loop picks («рост[i]» with «i» set in the
// loop, or the element of «для каждого») and whose left edge is not a written number.
void barsHangFromTop(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    for (int i = 0; i < facts.n; ++i) {
        const Stmt& s = p.stmts[i];
        std::size_t open = 0;
        const int loop = nearestAround(p, facts, i, StmtKind::Loop);
        static const char* const rectangles[] = {"__LUM__.fillRect", "__LUM__.strokeRect"};
        const rules::RuleWords* r = loop < 0 ? nullptr : canvasCall(p, s, rectangles, open);
        if (!r) continue;
        const std::vector<Token>& ts = tokensOf(p, s);
        const auto args = argumentsAt(ts, open);
        double top = 0, left = 0;
        if (args.size() != 4 || !number(p, ts, args[1].first, args[1].second, top) || top != 0 ||
            number(p, ts, args[0].first, args[0].second, left) || args[0].first == args[0].second)
            continue;
        // The height: the element of «для каждого», or «список[…]» whole with an index the loop moves.
        const auto [from, to] = args[3];
        const EachLoop each = eachLoopOf(p, p.stmts[loop]);
        bool element = to == from + 1 && each.valid && readsAt(p, ts, from, each.element);
        const int end = lastInBlock(p, facts, loop);
        if (to >= from + 4 && isPlainName(p.c, ts[from], p.v, ts, from) && ts[from + 1].mark == '[' && closingOf(ts, from + 1) == to - 1 &&
            !settersOf(facts, word(p, ts[from])).empty())
            for (std::size_t k = from + 2; k + 1 < to && !element; ++k)
                for (int q = loop + 1; q <= end && !element && ts[k].mark == 0; ++q)
                    element = readsAt(p, ts, k, word(p, ts[k])) && changesName(p, p.stmts[q], word(p, ts[k]));
        if (!element) continue;
        const std::string tall = shown(p, ts, from, to), line = lineText(p, s);
        double width = 0, height = 0;
        const int size = canvasSize(p, facts, width, height);
        const bool sized = size >= 0 && size < i;
        const std::string bottom = sized ? numberText(height) + " - " + tall : "";
        add(p, s, HintKind::Computation,
            "каждый столбик «" + line + "» начинается у верхнего края холста (y = 0) и тянется от него вниз на «" + tall +
                "»: на холсте y отсчитывается сверху и растёт вниз, так что столбики свисают сверху. " +
                (sized ? "Чтобы столбик стоял на нижнем краю, его верх должен быть на «" + tall + "» выше края: «" + r->phrase + "(" +
                             shown(p, ts, args[0].first, args[0].second) + ", " + bottom + ", " +
                             shown(p, ts, args[2].first, args[2].second) + ", " + tall + ")»"
                       : "Чтобы столбик стоял на нижнем краю, его верх — высота холста минус «" + tall + "»"),
            {tall}, out);
        return;
    }
}

// «цвет("green")» and at once «цвет("yellow")»: nothing is drawn in the first colour. Where a shape
// stands just before it, that shape was drawn before the colour was set: in the colour before it,
// black when none was set before it anywhere (nor in a function, nor by the canvas's own field).
void colourNeverUsed(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    struct Kind {
        const char* style[1];
        const char* shapes[4];  // the calls that draw in it; null past the last
        const char* field;
    };
    static const Kind kinds[] = {{{"__LUM__.fillStyle"}, {"__LUM__.fillRect", "__LUM__.circle", "__LUM__.fillText"}, "fillStyle"},
                                 {{"__LUM__.strokeStyle"}, {"__LUM__.strokeRect", "__LUM__.ring", "__LUM__.line", "__LUM__.arc"}, "strokeStyle"}};
    for (const Kind& kind : kinds) {
        std::size_t open = 0;
        // Where the colour of this kind is first set, and whether it may be set elsewhere (a function, the field).
        int firstSet = facts.n;
        bool setElsewhere = false;
        for (int k = 0; k < facts.n; ++k) {
            const bool sets = canvasCall(p, p.stmts[k], kind.style, open) != nullptr;
            if (sets && firstSet == facts.n) firstSet = k;
            setElsewhere = setElsewhere || (sets && enclosingFunction(p, facts, k)) || hasWord(p, p.stmts[k], kind.field);
        }
        for (int i = firstSet; i + 1 < facts.n; ++i) {
            const Stmt& s = p.stmts[i];
            const Stmt& next = p.stmts[i + 1];
            if (facts.holders[i + 1] != facts.holders[i] || !canvasCall(p, s, kind.style, open) ||
                !canvasCall(p, next, kind.style, open))
                continue;
            std::string message = "«" + lineText(p, s) + "» ничего не красит: сразу за ним строка " + num(lineOf(p, next)) +
                                  " задаёт другой цвет, «" + lineText(p, next) +
                                  "», и между ними ничего не нарисовано. Цвет действует только на то, что рисуется после него.";
            const int before = i - 1;
            if (before >= 0 && facts.holders[before] == facts.holders[i] && canvasCall(p, p.stmts[before], kind.shapes, open)) {
                const bool black = facts.holders[before] == -1 && firstSet > before && !setElsewhere;
                message += " «" + lineText(p, p.stmts[before]) + "» на строке " + num(lineOf(p, p.stmts[before])) + " нарисован раньше, " +
                           (black ? std::string("когда цвет ещё не задан, — чёрным") : std::string("прежним цветом")) +
                           ". Если этот цвет для него, поставьте «" + lineText(p, s) + "» перед строкой " +
                           num(lineOf(p, p.stmts[before]));
            }
            add(p, s, HintKind::LostValue, message, {}, out);
        }
    }
}

namespace {

// The calls that put something on the canvas, and the words that set a colour.
const char* const shapeNames[] = {"__LUM__.circle", "__LUM__.ring", "__LUM__.fillRect", "__LUM__.strokeRect",
                                  "__LUM__.line",   "__LUM__.arc",  "__LUM__.fillText"};
const char* const colourNames[] = {"__LUM__.fillStyle", "__LUM__.strokeStyle"};

// The canvas library's word that paints the whole canvas: «покрасить_весь_холст_в(цвет)».
const char* const paintWord = "покрасить_весь_холст_в";

bool drawsShape(const Program& p, const Stmt& s) {
    std::size_t open = 0;
    return canvasCall(p, s, shapeNames, open) != nullptr;
}

// A call of the library word `name` as a whole statement.
bool callsLibraryWord(const Program& p, const Stmt& s, const char* name) {
    const std::vector<Token>& ts = tokensOf(p, s);
    return s.kind == StmtKind::Other && ts.size() >= 3 && isWord(p, ts[0], name) && ts[1].mark == '(' && closingOf(ts, 1) == ts.size() - 1;
}

}  // namespace

// At the top of the program, after shapes are drawn: «покрасить_весь_холст_в(…)» paints over them,
// «размеры_холста(…)» clears the canvas; and a «цвет(…)» after the last shape colours nothing.
// Only statements outside loops, functions and branches are read: their order is the order they run.
void canvasOrder(const Program& p, const Facts& facts, std::vector<Hint>& out) {
    int firstShape = -1, lastShape = -1;
    for (int i = 0; i < facts.n; ++i) {
        if (facts.holders[i] >= 0) {
            if (p.stmts[facts.holders[i]].kind == StmtKind::Function) continue;
            if (drawsShape(p, p.stmts[i])) lastShape = facts.n;  // drawn in a block: order not read
            continue;
        }
        if (p.stmts[i].kind != StmtKind::Other) continue;
        if (drawsShape(p, p.stmts[i])) {
            if (firstShape < 0) firstShape = i;
            if (lastShape < facts.n) lastShape = i;
        }
    }
    if (firstShape < 0) return;
    const std::string from = num(lineOf(p, p.stmts[firstShape]));
    for (int i = firstShape + 1; i < facts.n; ++i) {
        const Stmt& s = p.stmts[i];
        if (facts.holders[i] >= 0) continue;
        const bool paint = callsLibraryWord(p, s, paintWord) && libraryDefines(p, facts, paintWord);
        const bool size = callsLibraryWord(p, s, sizeWord) && libraryDefines(p, facts, sizeWord);
        std::size_t open = 0;
        const rules::RuleWords* colour = canvasCall(p, s, colourNames, open);
        if (paint || size) {
            add(p, s, HintKind::Computation,
                paint ? "«" + lineText(p, s) + "» закрашивает весь холст поверх того, что уже нарисовано (с строки " + from +
                            "): эти фигуры скроются под краской. Закрасьте фон сначала, перед фигурами"
                      : "«" + lineText(p, s) + "» меняет размеры холста, а это стирает всё, что уже нарисовано (с строки " + from +
                            "). Задайте размеры сначала, в начале программы",
                {}, out);
            return;
        }
        if (colour && lastShape < facts.n && i > lastShape) {
            add(p, s, HintKind::Computation,
                "«" + lineText(p, s) + "» задан после всех фигур: цвет действует только на то, что рисуют после него, а после него ничего не рисуется. Поставьте его перед фигурами, которые должны быть этого цвета",
                {}, out);
            return;
        }
    }
}

// In a loop: a shape drawn with written numbers alone lands in one place every round; circles with
// one centre and a radius that grows with the loop's counter cover each other, so only the last,
// greatest is seen.
void shapeEveryRoundAlike(const Program& p, const Facts& facts, int i, std::vector<Hint>& out) {
    const Stmt& s = p.stmts[i];
    const int loop = facts.holders[i];
    if (loop < 0 || p.stmts[loop].kind != StmtKind::Loop) return;
    Shape shape;
    // A see-through colour («rgba(…, 0.2)») laid again and again in one place darkens on purpose.
    bool seeThrough = false;
    for (const Line& line : p.lines)
        for (const Token& t : line.tokens) {
            const std::string text = t.mark == literal ? capitals(word(p, t)) : "";
            seeThrough = seeThrough || text.find("RGBA") != std::string::npos || text.find("HSLA") != std::string::npos;
        }
    if (!seeThrough && shapeOf(p, i, shape)) {
        const std::string counted = countedLoop(p, p.stmts[loop]) ? reverseOf(p.v, "счетчик") : "";
        add(p, s, HintKind::LoopFlow,
            "«" + lineText(p, s) + "» в цикле (строка " + num(lineOf(p, p.stmts[loop])) +
                ") рисуется на каждом круге в одном и том же месте: в нём одни числа. Чтобы фигуры шли рядом, сдвигайте x от круга к кругу" +
                (counted.empty() ? "" : ": «" + numberText(shape.v[0]) + " + " + counted + " * шаг»"),
            {}, out);
        return;
    }
    std::size_t open = 0;
    const char* const circle[] = {"__LUM__.circle"};
    if (!canvasCall(p, s, circle, open)) return;
    const std::vector<Token>& ts = tokensOf(p, s);
    // «круг(X, Y, R)»: X and Y one token each that the loop never changes, R reading the counter by «+» or «*».
    if (ts.size() < open + 7 || ts[open + 2].mark != ',' || ts[open + 4].mark != ',') return;
    for (const std::size_t k : {open + 1, open + 3}) {
        if (ts[k].mark != 0) return;
        for (const int m : settersOf(facts, word(p, ts[k])))
            if (within(p, facts, m, loop)) return;
    }
    bool grows = false;
    for (std::size_t k = open + 5; k + 1 < ts.size(); ++k) {
        grows = grows || (ts[k].mark == 0 && isRoundCounter(p, word(p, ts[k])) && (ts[k - 1].mark == '+' || ts[k - 1].mark == '*' || ts[k + 1].mark == '*'));
        if (ts[k].mark == '-') return;
    }
    if (!grows) return;
    add(p, s, HintKind::LoopFlow,
        "круги с одним центром рисуются от маленького к большому: каждый следующий, больший, ложится поверх прежних и закрывает их, и виден только последний. Рисуйте сначала большой: пусть радиус уменьшается от круга к кругу",
        {}, out);
}

// «дуга(100, 105, 45, 0, ПИ)»: «дуга» takes its angles in degrees, so «ПИ» is 3.14 degrees.
void arcInRadians(const Program& p, const Facts&, int i, std::vector<Hint>& out) {
    std::size_t open = 0;
    const char* const arc[] = {"__LUM__.arc"};
    const Stmt& s = p.stmts[i];
    if (!canvasCall(p, s, arc, open)) return;
    const std::string pi = reverseOf(p.v, "Math.PI");
    const std::vector<Token>& ts = tokensOf(p, s);
    for (std::size_t k = open + 1; k < ts.size() && !pi.empty(); ++k)
        if (isWord(p, ts[k], pi)) {
            add(p, s, HintKind::Computation,
                "«" + word(p, ts[0]) + "» принимает углы в градусах, а «" + pi + "» — это 3.14, то есть три градуса с небольшим. Половина круга — 180 градусов, весь круг — 360",
                {pi}, out);
            return;
        }
}

}  // namespace diagnostics::programs
