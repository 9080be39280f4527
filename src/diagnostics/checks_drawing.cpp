// Checks of shapes on the canvas against the shapes drawn beside them, told only where the written
// numbers make the picture certain: a circle and a square that share one point, the circle's
// radius half the square's side. A circle is placed by its centre and a rectangle by its top left
// corner, so one of the two stands a quarter off the other.
// Tests: tests/diagnostics/program_checks_test.cpp, tests/browser/corpus_test.cpp.
#include "diagnostics/program_check_list.h"

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

}  // namespace diagnostics::programs
