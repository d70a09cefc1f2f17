#include "Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <functional>
#include <map>
#include <string>

namespace ormidon::skin {
namespace {

// Every symbol draws on a 24 x 24 grid; `Ink` holds the painter and colour.
struct Ink {
    QPainter& p;
    QColor colour;

    void Line(double width) const {
        QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
    }
    void Fill() const {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
    }
    void Polygon(std::initializer_list<QPointF> points) const {
        Fill();
        p.drawPolygon(QPolygonF(QList<QPointF>(points)));
    }
};

void Triangle(const Ink& ink, double x, double dir) {  // a play-style triangle at x
    if (dir > 0) {
        ink.Polygon({{x, 5}, {x + 12, 12}, {x, 19}});
    } else {
        ink.Polygon({{x + 12, 5}, {x, 12}, {x + 12, 19}});
    }
}

void Chevron(const Ink& ink, double angleDegrees, double cx, double cy, double size, double width) {
    ink.p.save();
    ink.p.translate(cx, cy);
    ink.p.rotate(angleDegrees);
    ink.Line(width);
    ink.p.drawPolyline(QPolygonF({{-size / 2, -size}, {size / 2, 0}, {-size / 2, size}}));
    ink.p.restore();
}

void Arrow(const Ink& ink, double angleDegrees) {  // solid arrow head pointing right, rotated
    ink.p.save();
    ink.p.translate(12, 12);
    ink.p.rotate(angleDegrees);
    ink.Polygon({{-5, -7}, {6, 0}, {-5, 7}});
    ink.p.restore();
}

void Magnifier(const Ink& ink, const char* inside) {
    ink.Line(2.4);
    ink.p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    ink.Line(3.2);
    ink.p.drawLine(QPointF(15, 15), QPointF(21, 21));
    if (inside == nullptr) return;
    ink.Line(2);
    ink.p.drawLine(QPointF(7, 10), QPointF(13, 10));
    if (std::string(inside) == "+") ink.p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void Grid(const Ink& ink, int columns, int rows) {  // the screen split into cells
    const double x0 = 2, y0 = 3, w = 20, h = 18, gap = 2;
    const double cw = (w - gap * (columns - 1)) / columns;
    const double ch = (h - gap * (rows - 1)) / rows;
    ink.Fill();
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            ink.p.drawRect(QRectF(x0 + c * (cw + gap), y0 + r * (ch + gap), cw, ch));
        }
    }
}

void Frame(const Ink& ink, const QRectF& part) {  // sensor frame with one part picked out
    ink.Line(1.8);
    ink.p.drawRect(QRectF(3, 5, 18, 14));
    ink.Fill();
    ink.p.drawRect(part);
}

void Gear(const Ink& ink) {
    ink.Fill();
    QPainterPath path;
    for (int i = 0; i < 8; ++i) {
        ink.p.save();
        ink.p.translate(12, 12);
        ink.p.rotate(i * 45.0);
        ink.p.drawRect(QRectF(-2, -10, 4, 5));
        ink.p.restore();
    }
    path.addEllipse(QPointF(12, 12), 7, 7);
    path.addEllipse(QPointF(12, 12), 3, 3);
    ink.p.drawPath(path);  // odd-even fill leaves the hub open
}

void Person(const Ink& ink) {
    ink.Fill();
    ink.p.drawEllipse(QPointF(12, 8), 4.5, 4.5);
    QPainterPath body;
    body.moveTo(3.5, 22);
    body.cubicTo(3.5, 14, 20.5, 14, 20.5, 22);
    body.closeSubpath();
    ink.p.drawPath(body);
}

void Bell(const Ink& ink) {
    ink.Fill();
    QPainterPath bell;
    bell.moveTo(4, 18);
    bell.cubicTo(6, 16, 6, 13, 6, 10);
    bell.cubicTo(6, 3, 18, 3, 18, 10);
    bell.cubicTo(18, 13, 18, 16, 20, 18);
    bell.closeSubpath();
    ink.p.drawPath(bell);
    ink.p.drawEllipse(QPointF(12, 20.5), 2.5, 2.5);
}

void Camera(const Ink& ink) {
    ink.Fill();
    QPainterPath body;
    body.addRoundedRect(QRectF(2, 7, 20, 13), 2.5, 2.5);
    body.addEllipse(QPointF(12, 13.5), 4.2, 4.2);
    ink.p.drawPath(body);
    ink.p.drawRect(QRectF(8, 4.5, 8, 3));
    ink.p.drawEllipse(QPointF(12, 13.5), 2.2, 2.2);
}

void Link(const Ink& ink, bool broken) {
    ink.Line(2.6);
    ink.p.save();
    ink.p.translate(12, 12);
    ink.p.rotate(-45);
    if (broken) {
        ink.p.drawRoundedRect(QRectF(-11, -4, 9, 8), 4, 4);
        ink.p.drawRoundedRect(QRectF(2, -4, 9, 8), 4, 4);
    } else {
        ink.p.drawRoundedRect(QRectF(-10, -4, 11, 8), 4, 4);
        ink.p.drawRoundedRect(QRectF(-1, -4, 11, 8), 4, 4);
    }
    ink.p.restore();
    if (broken) {
        ink.Line(1.8);
        ink.p.drawLine(QPointF(12, 2), QPointF(12, 5));
        ink.p.drawLine(QPointF(12, 19), QPointF(12, 22));
    }
}

void Sun(const Ink& ink) {
    ink.Fill();
    ink.p.drawEllipse(QPointF(12, 12), 4.5, 4.5);
    ink.Line(2);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        ink.p.drawLine(QPointF(12 + 7 * std::cos(a), 12 + 7 * std::sin(a)),
                       QPointF(12 + 10 * std::cos(a), 12 + 10 * std::sin(a)));
    }
}

void Contrast(const Ink& ink) {
    ink.Line(2);
    ink.p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
    ink.Fill();
    QPainterPath half;
    half.moveTo(12, 3.5);
    half.arcTo(QRectF(3.5, 3.5, 17, 17), 90, 180);
    half.closeSubpath();
    ink.p.drawPath(half);
}

void Hue(QPainter& p) {  // a colour wheel in six parts
    const QColor colours[] = {QColor(0xE5, 0x48, 0x4D), QColor(0xF2, 0xA2, 0x33),
                              QColor(0xE8, 0xD4, 0x3A), QColor(0x2D, 0xB3, 0x6A),
                              QColor(0x2F, 0x80, 0xED), QColor(0x8E, 0x5B, 0xD6)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(colours[i]);
        p.drawPie(QRectF(3, 3, 18, 18), (90 + i * 60) * 16, 60 * 16);
    }
}

void Padlock(const Ink& ink) {
    ink.Line(2.4);
    ink.p.drawArc(QRectF(7, 3, 10, 12), 0, 180 * 16);
    ink.p.drawLine(QPointF(7, 9), QPointF(7, 11));
    ink.p.drawLine(QPointF(17, 9), QPointF(17, 11));
    ink.Fill();
    ink.p.drawRoundedRect(QRectF(4.5, 10.5, 15, 11), 2, 2);
}

void Power(const Ink& ink) {
    ink.Line(2.6);
    ink.p.drawArc(QRectF(4.5, 5, 15, 15), 125 * 16, 290 * 16);
    ink.p.drawLine(QPointF(12, 3), QPointF(12, 12));
}

void Book(const Ink& ink) {
    ink.Line(2);
    ink.p.drawRoundedRect(QRectF(5, 3, 14, 18), 2, 2);
    ink.Fill();
    ink.p.drawRect(QRectF(5, 3, 3.5, 18));
    ink.p.drawEllipse(QPointF(13.5, 10), 2.2, 2.2);
    ink.p.drawRoundedRect(QRectF(10, 13, 7, 4), 2, 2);
}

void Copy(const Ink& ink) {
    ink.Line(2);
    ink.p.drawRoundedRect(QRectF(3.5, 3.5, 11, 13), 1.5, 1.5);
    ink.Fill();
    ink.p.drawRoundedRect(QRectF(9, 8, 11.5, 13.5), 1.5, 1.5);
}

void Upgrade(const Ink& ink) {  // a chip with an arrow into it
    ink.Line(2);
    ink.p.drawRoundedRect(QRectF(5, 11, 14, 10), 1.5, 1.5);
    for (int i = 0; i < 3; ++i) {
        ink.p.drawLine(QPointF(8 + i * 4, 21), QPointF(8 + i * 4, 23));
    }
    ink.Line(2.6);
    ink.p.drawLine(QPointF(12, 2), QPointF(12, 9));
    ink.Polygon({{8, 6}, {16, 6}, {12, 11}});
}

void Globe(const Ink& ink) {
    ink.Line(1.8);
    ink.p.drawEllipse(QPointF(12, 12), 9, 9);
    ink.p.drawEllipse(QRectF(8, 3, 8, 18));
    ink.p.drawLine(QPointF(3, 12), QPointF(21, 12));
    ink.p.drawLine(QPointF(4.5, 7.5), QPointF(19.5, 7.5));
    ink.p.drawLine(QPointF(4.5, 16.5), QPointF(19.5, 16.5));
}

void Plug(const Ink& ink) {
    ink.Fill();
    ink.p.drawRoundedRect(QRectF(6, 8, 12, 8), 2, 2);
    ink.p.drawRect(QRectF(8.5, 3, 2, 5));
    ink.p.drawRect(QRectF(13.5, 3, 2, 5));
    ink.Line(2.4);
    ink.p.drawLine(QPointF(12, 16), QPointF(12, 21));
}

void Key(const Ink& ink) {
    ink.Line(2.4);
    ink.p.drawEllipse(QPointF(8, 12), 4.5, 4.5);
    ink.p.drawLine(QPointF(12.5, 12), QPointF(21, 12));
    ink.p.drawLine(QPointF(18, 12), QPointF(18, 16));
    ink.p.drawLine(QPointF(21, 12), QPointF(21, 15));
}

void Mirror(const Ink& ink, bool horizontal) {
    ink.p.save();
    if (!horizontal) {
        ink.p.translate(12, 12);
        ink.p.rotate(90);
        ink.p.translate(-12, -12);
    }
    ink.Line(1.4);
    ink.p.drawLine(QPointF(12, 3), QPointF(12, 21));
    ink.Polygon({{10, 6}, {10, 18}, {3, 12}});
    ink.Line(1.6);
    ink.p.drawPolygon(QPolygonF({{14, 6}, {14, 18}, {21, 12}}));
    ink.p.restore();
}

using Drawer = std::function<void(const Ink&)>;

const std::map<std::string, Drawer, std::less<>>& Drawers() {
    static const std::map<std::string, Drawer, std::less<>> drawers = {
        {"user", Person},
        {"bell", Bell},
        {"min",
         [](const Ink& i) {
             i.Line(2.6);
             i.p.drawLine(QPointF(5, 17), QPointF(19, 17));
         }},
        {"max",
         [](const Ink& i) {
             i.Line(2.4);
             i.p.drawRect(QRectF(5, 5, 14, 14));
         }},
        {"close",
         [](const Ink& i) {
             i.Line(2.6);
             i.p.drawLine(QPointF(6, 6), QPointF(18, 18));
             i.p.drawLine(QPointF(18, 6), QPointF(6, 18));
         }},
        {"help",
         [](const Ink& i) {
             i.Line(2.4);
             i.p.drawArc(QRectF(7, 3, 10, 10), -90 * 16, 270 * 16);
             i.p.drawLine(QPointF(12, 13), QPointF(12, 15.5));
             i.Fill();
             i.p.drawEllipse(QPointF(12, 20), 1.6, 1.6);
         }},
        {"power", Power},
        {"chevdown", [](const Ink& i) { Chevron(i, 90, 12, 12, 7, 3); }},
        {"chevup", [](const Ink& i) { Chevron(i, -90, 12, 12, 7, 3); }},
        {"pip",
         [](const Ink& i) {
             i.Line(1.8);
             i.p.drawRect(QRectF(3, 5, 18, 14));
             i.Fill();
             i.p.drawRect(QRectF(12, 11, 7, 6));
         }},
        {"cut4", [](const Ink& i) { Grid(i, 2, 2); }},
        {"cut8", [](const Ink& i) { Grid(i, 4, 2); }},
        {"cut9", [](const Ink& i) { Grid(i, 3, 3); }},
        {"cut16", [](const Ink& i) { Grid(i, 4, 4); }},
        {"enter",
         [](const Ink& i) {
             i.Line(2.6);
             i.p.drawPolyline(QPolygonF({{19, 4}, {19, 14}, {7, 14}}));
             i.Polygon({{9, 8.5}, {9, 19.5}, {3, 14}});
         }},
        {"set", [](const Ink& i) { Gear(i); }},
        {"gear", [](const Ink& i) { Gear(i); }},
        {"rec",
         [](const Ink& i) {
             i.Fill();
             i.p.drawEllipse(QPointF(12, 12), 7, 7);
         }},
        {"stoprec",
         [](const Ink& i) {
             i.Line(2.2);
             i.p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
             i.Fill();
             i.p.drawRect(QRectF(8.5, 8.5, 7, 7));
         }},
        {"stop",
         [](const Ink& i) {
             i.Fill();
             i.p.drawRect(QRectF(6, 6, 12, 12));
         }},
        {"play", [](const Ink& i) { Triangle(i, 7, 1); }},
        {"ff",
         [](const Ink& i) {
             i.Polygon({{2, 6}, {12, 12}, {2, 18}});
             i.Polygon({{12, 6}, {22, 12}, {12, 18}});
         }},
        {"rew",
         [](const Ink& i) {
             i.Polygon({{12, 6}, {2, 12}, {12, 18}});
             i.Polygon({{22, 6}, {12, 12}, {22, 18}});
         }},
        {"pause",
         [](const Ink& i) {
             i.Fill();
             i.p.drawRect(QRectF(6, 5, 4, 14));
             i.p.drawRect(QRectF(14, 5, 4, 14));
         }},
        {"slow",
         [](const Ink& i) {
             i.Polygon({{5, 6}, {15, 12}, {5, 18}});
             i.Fill();
             i.p.drawRect(QRectF(16, 6, 3, 12));
         }},
        {"zoom", [](const Ink& i) { Magnifier(i, "+"); }},
        {"search", [](const Ink& i) { Magnifier(i, nullptr); }},
        {"zoommax",
         [](const Ink& i) {
             Magnifier(i, "+");
             i.Fill();
             i.p.drawRect(QRectF(16, 2, 6, 2));
         }},
        {"zoommin",
         [](const Ink& i) {
             Magnifier(i, "-");
             i.Fill();
             i.p.drawRect(QRectF(16, 2, 6, 2));
         }},
        {"lock", Padlock},
        {"pop",
         [](const Ink& i) {  // two pictures side by side
             i.Line(1.8);
             i.p.drawRect(QRectF(2.5, 6, 9, 12));
             i.Fill();
             i.p.drawRect(QRectF(13.5, 6, 8, 12));
         }},
        {"select",
         [](const Ink& i) {  // a pointer
             i.Polygon({{6, 3}, {6, 20}, {10.5, 15.5}, {14, 22}, {17, 20.5}, {13.5, 14}, {19, 14}});
         }},
        {"dzoom",
         [](const Ink& i) {  // a magnifier over a pixel grid
             Magnifier(i, nullptr);
             i.Fill();
             i.p.drawRect(QRectF(7, 7, 2.8, 2.8));
             i.p.drawRect(QRectF(10.2, 10.2, 2.8, 2.8));
         }},
        {"seq",
         [](const Ink& i) {  // two arrows chasing each other round
             i.Line(2.4);
             i.p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 130 * 16);
             i.p.drawArc(QRectF(4, 4, 16, 16), 210 * 16, 130 * 16);
             i.Polygon({{2, 10}, {8, 10}, {5, 14.5}});
             i.Polygon({{22, 14}, {16, 14}, {19, 9.5}});
         }},
        {"left", [](const Ink& i) { Arrow(i, 180); }},
        {"right", [](const Ink& i) { Arrow(i, 0); }},
        {"up", [](const Ink& i) { Arrow(i, -90); }},
        {"down", [](const Ink& i) { Arrow(i, 90); }},
        {"menu",
         [](const Ink& i) {
             i.Fill();
             for (int r = 0; r < 3; ++r) i.p.drawRoundedRect(QRectF(5, 6 + r * 5, 14, 2.6), 1, 1);
         }},
        {"turbo",
         [](const Ink& i) {  // a lightning bolt
             i.Polygon({{14, 2}, {5, 14}, {11, 14}, {9, 22}, {19, 9}, {13, 9}});
         }},
        {"link", [](const Ink& i) { Link(i, false); }},
        {"unlink", [](const Ink& i) { Link(i, true); }},
        {"colour", [](const Ink& i) { Contrast(i); }},
        {"contrast", Contrast},
        {"sun", Sun},
        {"hue", [](const Ink& i) { Hue(i.p); }},
        {"camera", Camera},
        {"full", [](const Ink& i) { Frame(i, QRectF(5, 7, 14, 10)); }},
        {"qlt", [](const Ink& i) { Frame(i, QRectF(5, 7, 6, 4.5)); }},
        {"qrt", [](const Ink& i) { Frame(i, QRectF(13, 7, 6, 4.5)); }},
        {"qlb", [](const Ink& i) { Frame(i, QRectF(5, 12.5, 6, 4.5)); }},
        {"qrb", [](const Ink& i) { Frame(i, QRectF(13, 12.5, 6, 4.5)); }},
        {"qcn", [](const Ink& i) { Frame(i, QRectF(8.5, 9.5, 7, 5)); }},
        {"mirrorh", [](const Ink& i) { Mirror(i, true); }},
        {"mirrorv", [](const Ink& i) { Mirror(i, false); }},
        {"book", Book},
        {"copy", Copy},
        {"upgrade", Upgrade},
        {"connect",
         [](const Ink& i) {  // a check mark
             i.Line(3.2);
             i.p.drawPolyline(QPolygonF({{5, 12.5}, {10, 17.5}, {19, 7}}));
         }},
        {"cancel",
         [](const Ink& i) {
             i.Line(3.2);
             i.p.drawLine(QPointF(7, 7), QPointF(17, 17));
             i.p.drawLine(QPointF(17, 7), QPointF(7, 17));
         }},
        {"key", Key},
        {"globe", Globe},
        {"plug", Plug},
    };
    return drawers;
}

}  // namespace

bool DrawSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& ink) {
    const auto& drawers = Drawers();
    auto it = drawers.find(name);
    if (it == drawers.end()) return false;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(box.topLeft());
    painter.scale(box.width() / 24.0, box.height() / 24.0);
    it->second(Ink{painter, ink});
    painter.restore();
    return true;
}

}  // namespace ormidon::skin
