#include "windows/plot/plot_paint_window.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>

namespace plot {

namespace {

Qt::PenStyle StyleOf(LineStyle s) {
    switch (s) {
        case LineStyle::Dot: return Qt::DotLine;
        case LineStyle::Dash: return Qt::DashLine;
        case LineStyle::Solid: break;
    }
    return Qt::SolidLine;
}

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Drawing margin around the picture, in pixels: what lies further out is not drawn.
constexpr double kMargin = 64;

// A circle whose radius is far beyond the picture is drawn as the arc that
// can be seen, so the painter never meets coordinates out of its range.
void PaintCircle(QPainter& painter, QPointF centre, double radiusPx, const PlotView& view) {
    const double diag = std::hypot(view.widthPx, view.heightPx) / 2 + kMargin;
    const QPointF mid(view.widthPx / 2, view.heightPx / 2);
    const double distance = std::hypot(centre.x() - mid.x(), centre.y() - mid.y());
    if (distance - radiusPx > diag || radiusPx - distance > diag) return;  // out of sight, or all around it
    if (radiusPx < 2e4) {
        painter.drawEllipse(centre, radiusPx, radiusPx);
        return;
    }
    const double towards = std::atan2(mid.y() - centre.y(), mid.x() - centre.x());
    const double half = std::min(M_PI, 2 * diag / radiusPx + 0.01);
    constexpr int kSteps = 256;
    QPolygonF arc;
    for (int i = 0; i <= kSteps; ++i) {
        const double a = towards - half + 2 * half * i / kSteps;
        arc << QPointF(centre.x() + radiusPx * std::cos(a), centre.y() + radiusPx * std::sin(a));
    }
    for (int i = 0; i + 1 < arc.size(); ++i) {
        double x1 = arc[i].x(), y1 = arc[i].y(), x2 = arc[i + 1].x(), y2 = arc[i + 1].y();
        if (ClipLine(x1, y1, x2, y2, -kMargin, -kMargin, view.widthPx + kMargin, view.heightPx + kMargin)) {
            painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
        }
    }
}

// S-57 colour codes of buoys and beacons.
QColor PaintColour(int code, const QColor& otherwise) {
    switch (code) {
        case 1: return QColor(255, 255, 255);
        case 2: return QColor(0, 0, 0);
        case 3: return QColor(220, 30, 30);
        case 4: return QColor(20, 150, 40);
        case 5: return QColor(30, 60, 200);
        case 6: return QColor(240, 210, 0);
        case 7: return QColor(128, 128, 128);
        case 8: return QColor(130, 80, 30);
        case 9: return QColor(250, 170, 0);
        case 10: return QColor(140, 60, 200);
        case 11: return QColor(255, 130, 0);
        case 12: return QColor(220, 0, 220);
        case 13: return QColor(255, 160, 180);
        default: return otherwise;
    }
}

// A round dot drawn once and then copied: a thousand dots a second would
// otherwise each be built as a curve.
// A transparent square picture of `side` logical pixels at `ratio`, for a
// symbol drawn once and then copied; draw(painter, centre) draws it.
template <typename Draw>
QImage Sprite(double side, qreal ratio, bool antialiased, Draw&& draw) {
    const int px = static_cast<int>(std::ceil(side * ratio));
    QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    img.setDevicePixelRatio(ratio);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, antialiased);
    const qreal mid = px / ratio / 2;
    draw(p, QPointF(mid, mid));
    return img;
}

// Copies a sprite with its middle at c.
void DrawSprite(QPainter& painter, QPointF c, const QImage& sprite) {
    const qreal half = sprite.width() / sprite.devicePixelRatio() / 2;
    painter.drawImage(c - QPointF(half, half), sprite);
}

const QImage& DotSprite(const QColor& colour, int width, qreal ratio) {
    static std::unordered_map<std::string, QImage> sprites;
    const std::string key = std::to_string(colour.rgba()) + "/" + std::to_string(width) + "/" + std::to_string(ratio);
    auto [it, added] = sprites.try_emplace(key);
    if (added) {
        it->second = Sprite(width + 2, ratio, true, [&](QPainter& p, QPointF c) {
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(c, width / 2.0, width / 2.0);
        });
    }
    return it->second;
}

void PaintSymbol(QPainter& painter, const MapSymbol& s) {
    const QPointF c(s.at.x, s.at.y);
    const QColor colour = ColourOf(s.colour);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    switch (s.kind) {
        case SymbolKind::Square:
            painter.setBrush(QColor(255, 255, 255));
            painter.setPen(QPen(colour, 1.5));
            painter.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
            break;
        case SymbolKind::Circle:
            painter.setBrush(PaintColour(s.paint, colour));
            painter.drawEllipse(c, 3.5, 3.5);
            break;
        case SymbolKind::Triangle:
        case SymbolKind::Beacon: {
            painter.setBrush(PaintColour(s.paint, colour));
            const QPointF tri[3] = {c + QPointF(0, -5), c + QPointF(4, 3), c + QPointF(-4, 3)};
            painter.drawPolygon(tri, 3);
            break;
        }
        case SymbolKind::Diamond: {
            painter.setBrush(colour);
            const QPointF dia[4] = {c + QPointF(0, -4), c + QPointF(4, 0), c + QPointF(0, 4), c + QPointF(-4, 0)};
            painter.drawPolygon(dia, 4);
            break;
        }
        case SymbolKind::Glyph: {
            QFont bold = painter.font();
            bold.setBold(true);
            painter.save();
            painter.setFont(bold);
            painter.setPen(colour);
            const QFontMetricsF fm(bold);
            const QString glyph = FromUtf8(s.glyph);
            painter.drawText(c + QPointF(-fm.horizontalAdvance(glyph) / 2, (fm.ascent() - fm.descent()) / 2), glyph);
            painter.restore();
            break;
        }
    }
}

QPointF Turned(QPointF c, double angleRad, double along, double across) {
    // Along points to the angle (degrees true, y down on the screen), across to its right.
    const double sx = std::sin(angleRad), cy = -std::cos(angleRad);
    return c + QPointF(along * sx - across * cy, along * cy + across * sx);
}

void PaintShipTriangle(QPainter& painter, QPointF c, double angle, double size) {
    if (std::isnan(angle)) {
        painter.drawEllipse(c, size * 0.45, size * 0.45);
        return;
    }
    const double a = angle * M_PI / 180;
    const QPointF tri[3] = {Turned(c, a, size, 0), Turned(c, a, -size * 0.6, size * 0.45),
                            Turned(c, a, -size * 0.6, -size * 0.45)};
    painter.drawPolygon(tri, 3);
}

// A ship's triangle drawn once for each heading (in steps of 2 degrees, at
// most 0.16 pixel off at the tip), size, outline and fill, then copied: a busy
// plot shows thousands, and each filled and outlined polygon cost Qt's
// rasteriser some 30,000 instructions, fifty times a copy. Only for a
// painter that does no more than move (else the copy would be scaled), with
// a solid outline and fill (the key knows their colours and width only).
// The cache is the painting thread's, the window thread.
struct ShipSpriteKey {
    QRgb pen, brush;
    int angleStep, size10, penWidth10, ratio100;
    bool antialiased;
    bool operator==(const ShipSpriteKey&) const = default;
};

struct ShipSpriteHash {
    size_t operator()(const ShipSpriteKey& k) const {
        const uint64_t colours = uint64_t{k.pen} << 32 | k.brush;
        const uint64_t shape = uint64_t(k.angleStep) | uint64_t(k.size10) << 9 | uint64_t(k.penWidth10) << 17 |
                               uint64_t(k.ratio100) << 24 | uint64_t(k.antialiased) << 44;
        return std::hash<uint64_t>()(colours * 0x9E3779B97F4A7C15ull ^ shape);
    }
};

constexpr int kShipAngleStep = 2;
constexpr size_t kMostShipSprites = 4096;  // some 10 MB at a pixel ratio of 1; all made again when full

bool PaintShipSprite(QPainter& painter, QPointF c, double angle, double size) {
    if (painter.transform().type() > QTransform::TxTranslate || painter.pen().style() != Qt::SolidLine ||
        painter.brush().style() != Qt::SolidPattern) {
        return false;
    }
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPen& pen = painter.pen();
    const int step = static_cast<int>(std::lround(std::remainder(angle, 360.0) / kShipAngleStep + 360 / kShipAngleStep)) %
                     (360 / kShipAngleStep);
    const ShipSpriteKey key{pen.color().rgba(),
                            painter.brush().color().rgba(),
                            step,
                            static_cast<int>(std::lround(size * 10)),
                            static_cast<int>(std::lround(pen.widthF() * 10)),
                            static_cast<int>(std::lround(ratio * 100)),
                            painter.testRenderHint(QPainter::Antialiasing)};
    static std::unordered_map<ShipSpriteKey, QImage, ShipSpriteHash> sprites;
    if (sprites.size() >= kMostShipSprites) sprites.clear();
    auto [it, added] = sprites.try_emplace(key);
    if (added) {
        // Room for the tip at `size` from the centre, the outline and a pixel to spare.
        it->second = Sprite(2 * size + 2 * pen.widthF() + 2, ratio, key.antialiased, [&](QPainter& p, QPointF mid) {
            p.setPen(pen);
            p.setBrush(painter.brush());
            PaintShipTriangle(p, mid, step * kShipAngleStep, size);
        });
    }
    DrawSprite(painter, c, it->second);
    return true;
}

void PaintShip(QPainter& painter, QPointF c, double angle, double size) {
    if (!std::isfinite(angle) || !PaintShipSprite(painter, c, angle, size)) PaintShipTriangle(painter, c, angle, size);
}

void PaintPlane(QPainter& painter, QPointF c, double angle) {
    const double a = std::isnan(angle) ? 0 : angle * M_PI / 180;
    const QPointF plane[] = {Turned(c, a, 8, 0),    Turned(c, a, 2, 1.5),   Turned(c, a, 1, 8),
                             Turned(c, a, -1, 8),   Turned(c, a, -4, 1.5),  Turned(c, a, -6, 4),
                             Turned(c, a, -7, 4),   Turned(c, a, -6, 0),    Turned(c, a, -7, -4),
                             Turned(c, a, -6, -4),  Turned(c, a, -4, -1.5), Turned(c, a, -1, -8),
                             Turned(c, a, 1, -8),   Turned(c, a, 2, -1.5)};
    painter.drawPolygon(plane, static_cast<int>(std::size(plane)));
}

// A target's symbol by its class, filled in the colour of its type group.
void PaintTargetSymbol(QPainter& painter, const Shape& s, QPointF c) {
    QPen pen(ColourOf(s.colour), s.colour == PlotColour::Red ? 2 : 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(GroupColour(s.group));
    switch (s.symbol) {
        case TargetSymbol::ClassA: PaintShip(painter, c, s.angle, 9); break;
        case TargetSymbol::ClassB: PaintShip(painter, c, s.angle, 6.5); break;
        case TargetSymbol::BaseStation:
            painter.setBrush(QColor(255, 255, 255));
            painter.drawRect(QRectF(c.x() - 4, c.y() - 4, 8, 8));
            break;
        case TargetSymbol::AtoN: {
            if (s.dashed) pen.setStyle(Qt::DashLine);
            painter.setPen(pen);
            painter.setBrush(s.dashed ? QColor(Qt::transparent) : QColor(255, 255, 255));
            const QPointF dia[4] = {c + QPointF(0, -6), c + QPointF(6, 0), c + QPointF(0, 6), c + QPointF(-6, 0)};
            painter.drawPolygon(dia, 4);
            if (s.crossed) {
                pen.setStyle(Qt::SolidLine);
                painter.setPen(pen);
                painter.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
                painter.drawLine(c + QPointF(-3, 3), c + QPointF(3, -3));
            }
            break;
        }
        case TargetSymbol::SAR:
            painter.setBrush(QColor(255, 200, 0));
            PaintPlane(painter, c, s.angle);
            break;
        case TargetSymbol::Distress: {
            QPen red(QColor(230, 0, 0), 2);
            red.setCosmetic(true);
            painter.setPen(red);
            painter.setBrush(QColor(255, 255, 255));
            painter.drawEllipse(c, 6, 6);
            painter.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
            painter.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
            break;
        }
        case TargetSymbol::Plain: painter.setBrush(ColourOf(s.colour)); painter.drawEllipse(c, 2.5, 2.5); break;
    }
}

// The glyphs of label texts, shaped once per text: a busy picture draws
// hundreds of labels a second, each five times for its halo, and shaping a
// text costs far more than drawing its glyphs. The runs are those QPainter's
// drawText would draw (the same shaping in the painter's font on its device),
// with the baseline at y = 0.
class ShapedLabels {
public:
    const QList<QGlyphRun>& runs(const std::string& text, const QPainter& painter) {
        const QPaintDevice* device = painter.device();
        const int dpiX = device ? device->logicalDpiX() : 0, dpiY = device ? device->logicalDpiY() : 0;
        if (painter.font() != font_ || dpiX != dpiX_ || dpiY != dpiY_ || runs_.size() > kMaxTexts) {
            runs_.clear();
            font_ = painter.font();
            dpiX_ = dpiX, dpiY_ = dpiY;
        }
        auto [it, added] = runs_.try_emplace(text);
        if (added) it->second = shape(FromUtf8(text), const_cast<QPaintDevice*>(device));
        return it->second;
    }

private:
    static constexpr size_t kMaxTexts = 50000;

    QList<QGlyphRun> shape(const QString& text, QPaintDevice* device) const {
        QTextLayout layout(text, font_, device);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        if (!line.isValid()) return {};
        QList<QGlyphRun> runs = line.glyphRuns();
        const qreal baseline = line.ascent();  // a multiple of 1/64 pixel, as every glyph position: exact
        for (QGlyphRun& run : runs) {
            QList<QPointF> positions = run.positions();
            for (QPointF& p : positions) p.ry() -= baseline;
            run.setPositions(positions);
        }
        return runs;
    }

    std::unordered_map<std::string, QList<QGlyphRun>> runs_;
    QFont font_;
    int dpiX_ = 0, dpiY_ = 0;
};

// Where drawText would start a text's glyphs whose baseline starts at `at`,
// in an unscaled painter: it cuts the start (after the painter's translation)
// to 1/64 pixel, toward zero, where a glyph run's positions are added to its
// origin first and cut each. From an origin on that grid both agree.
QPointF GlyphOrigin(const QTransform& m, QPointF at) {
    const auto cut = [](double v, double shift) { return std::trunc((v + shift) * 64) / 64 - shift; };
    return {cut(at.x(), m.dx()), cut(at.y(), m.dy())};
}

// Text with a light halo, readable over lines, land and other symbols: the
// text drawn four times in translucent white a pixel off each way, then in
// its colour. `at` is the start of the baseline. A scaled painter (a screen
// of more than one pixel per point) places glyph runs a fraction of a pixel
// apart from drawText; it draws the text as drawText does.
void PaintHaloText(QPainter& painter, QPointF at, const std::string& text, ShapedLabels& labels,
                   const QColor& colour) {
    static const QPointF kHalo[4] = {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)};
    const QColor halo(255, 255, 255, 200);
    const QTransform m = painter.combinedTransform() * painter.deviceTransform();
    if (m.type() > QTransform::TxTranslate) {
        const QString shown = FromUtf8(text);
        painter.setPen(halo);
        for (const QPointF d : kHalo) painter.drawText(at + d, shown);
        painter.setPen(colour);
        painter.drawText(at, shown);
        return;
    }
    const QList<QGlyphRun>& runs = labels.runs(text, painter);
    painter.setPen(halo);
    for (const QPointF d : kHalo) {
        const QPointF origin = GlyphOrigin(m, at + d);
        for (const QGlyphRun& run : runs) painter.drawGlyphRun(origin, run);
    }
    painter.setPen(colour);
    const QPointF origin = GlyphOrigin(m, at);
    for (const QGlyphRun& run : runs) painter.drawGlyphRun(origin, run);
}

}  // namespace

QColor GroupColour(TypeGroup g) {
    switch (g) {
        case TypeGroup::Cargo: return QColor(70, 170, 70);
        case TypeGroup::Tanker: return QColor(200, 60, 40);
        case TypeGroup::Passenger: return QColor(50, 100, 230);
        case TypeGroup::Fishing: return QColor(240, 150, 40);
        case TypeGroup::HighSpeed: return QColor(245, 215, 0);
        case TypeGroup::TugSpecial: return QColor(0, 175, 190);
        case TypeGroup::Pleasure: return QColor(210, 90, 210);
        case TypeGroup::Other: break;
    }
    return QColor(175, 175, 175);
}

QColor ColourOf(PlotColour c) {
    switch (c) {
        case PlotColour::Blue: return QColor(0, 0, 255);
        case PlotColour::DarkGrey: return QColor(128, 128, 128);
        case PlotColour::Red: return QColor(255, 0, 0);
        case PlotColour::Black: break;
    }
    return QColor(0, 0, 0);
}

QColor ColourOf(MapColour c, int shade) {
    // Chart layers without a style of their own, by layer.
    static const QColor kAreas[6] = {{222, 204, 160}, {190, 214, 170}, {205, 195, 230},
                                     {235, 220, 175}, {170, 215, 215}, {235, 190, 195}};
    switch (c) {
        case MapColour::None: return Qt::transparent;
        case MapColour::Land: return QColor(236, 229, 206);
        case MapColour::Water: return kPlotBackground;
        case MapColour::Shore: return QColor(140, 120, 90);
        case MapColour::Drying: return QColor(170, 200, 150);
        case MapColour::Shallow: return QColor(150, 200, 240);
        case MapColour::Medium: return QColor(205, 230, 250);
        case MapColour::Deep: return QColor(255, 255, 255);
        case MapColour::Contour: return QColor(120, 140, 160);
        case MapColour::SafetyContour: return QColor(30, 30, 30);
        case MapColour::Restricted: return QColor(200, 0, 200);
        case MapColour::Buoy: return QColor(230, 130, 0);
        case MapColour::Beacon: return QColor(120, 60, 0);
        case MapColour::Landmark: return QColor(90, 60, 40);
        case MapColour::ChartArea: return kAreas[shade % 6];
        case MapColour::ChartLine: return kAreas[shade % 6].darker(170);
        case MapColour::ChartPoint: return QColor(80, 80, 80);
    }
    return QColor(0, 0, 0);
}

QColor FillColour(const PathStyle& st) {
    if (st.fillArgb) return QColor::fromRgba(st.fillArgb);
    QColor fill = ColourOf(st.fill, st.shade);
    if (st.fillAlpha < 255) fill.setAlpha(st.fillAlpha);
    return fill;
}

QFont PlotFont(QFont base) {
    base.setPointSizeF(std::max(6.0, base.pointSizeF() - 1));
    return base;
}

TextMeasure MeasureWith(const QFont& font) {
    auto metrics = std::make_shared<QFontMetricsF>(font);
    auto widths = std::make_shared<std::unordered_map<std::string, double>>();
    TextMeasure m;
    m.height = metrics->height();
    m.width = [metrics, widths](const std::string& text) {
        auto [it, added] = widths->try_emplace(text, 0.0);
        if (added) it->second = metrics->horizontalAdvance(FromUtf8(text));
        return it->second;
    };
    return m;
}

void PaintShapes(QPainter& painter, const std::vector<Shape>& shapes, const PlotView& view) {
    const double metresPerPixel = view.metresPerPixel();
    const QRectF visible(-kMargin, -kMargin, view.widthPx + 2 * kMargin, view.heightPx + 2 * kMargin);
    const QFontMetricsF fm(painter.font());
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    bool anyText = false;
    for (const Shape& s : shapes) {
        const PlotView::Point a = view.toPixel(s.x1, s.y1);
        const QPointF p(a.x, a.y);
        // Made only for a shape that is drawn: most of a busy layer lies off the picture.
        const auto pen = [&s] {
            QPen made(ColourOf(s.colour), s.width, StyleOf(s.style), Qt::FlatCap, Qt::MiterJoin);
            made.setCosmetic(true);
            return made;
        };
        switch (s.kind) {
            case Shape::Kind::Dot: {
                if (!visible.contains(p)) break;
                DrawSprite(painter, p, DotSprite(ColourOf(s.colour), s.width, ratio));
                break;
            }
            case Shape::Kind::Line: {
                const PlotView::Point b = view.toPixel(s.x2, s.y2);
                double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
                if (!ClipLine(x1, y1, x2, y2, visible.left(), visible.top(), visible.right(), visible.bottom())) break;
                painter.setPen(pen());
                painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
                break;
            }
            case Shape::Kind::Circle: {
                painter.setPen(pen());
                painter.setBrush(Qt::NoBrush);
                PaintCircle(painter, p, s.radius / metresPerPixel, view);
                break;
            }
            case Shape::Kind::Symbol: {
                if (!visible.contains(p)) break;
                PaintTargetSymbol(painter, s, p);
                break;
            }
            case Shape::Kind::Text: anyText = true; break;
        }
    }
    if (!anyText) return;
    static ShapedLabels labels;
    // Texts last, over every symbol and line.
    for (const Shape& s : shapes) {
        if (s.kind != Shape::Kind::Text) continue;
        const PlotView::Point a = view.toPixel(s.x1, s.y1);
        const QPointF p(a.x, a.y);
        if (!visible.contains(p)) continue;
        // The box's top-left corner lies (dx, dy) from the point.
        PaintHaloText(painter, p + QPointF(s.dx, s.dy + fm.ascent()), s.text, labels, ColourOf(s.colour));
    }
}

void PaintMap(QPainter& painter, const MapPicture& map) {
    QPolygonF polygon;
    for (const MapPath& path : map.paths) {
        const PathStyle& st = path.style;
        polygon.resize(static_cast<qsizetype>(path.points.size()));
        for (size_t i = 0; i < path.points.size(); ++i) {
            polygon[static_cast<qsizetype>(i)] = QPointF(path.points[i].x, path.points[i].y);
        }
        const bool outlined = st.line != MapColour::None || st.lineArgb != 0;
        const QColor lineColour = st.lineArgb ? QColor::fromRgba(st.lineArgb) : ColourOf(st.line, st.shade);
        QPen pen = outlined ? QPen(lineColour, st.width, StyleOf(st.style), Qt::RoundCap, Qt::RoundJoin)
                            : QPen(Qt::NoPen);
        painter.setPen(pen);
        if (st.fill == MapColour::None && st.fillArgb == 0) {
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(polygon);
            continue;
        }
        // Filling with the edges antialiased would leave faint seams between
        // neighbouring areas of the same colour.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(FillColour(st));
        if (path.holes.empty()) {
            painter.drawPolygon(polygon, Qt::WindingFill);
        } else {
            QPainterPath shape;
            shape.setFillRule(Qt::OddEvenFill);
            size_t start = 0;
            for (size_t k = 0; k <= path.holes.size(); ++k) {
                const size_t end = k < path.holes.size() ? path.holes[k] : path.points.size();
                shape.addPolygon(polygon.mid(static_cast<qsizetype>(start), static_cast<qsizetype>(end - start)));
                shape.closeSubpath();
                start = end;
            }
            painter.drawPath(shape);
        }
        painter.setRenderHint(QPainter::Antialiasing, true);
    }
    for (const MapSymbol& s : map.symbols) PaintSymbol(painter, s);
    const QFontMetricsF fm(painter.font());
    for (const MapLabel& l : map.labels) {
        painter.setPen(ColourOf(l.colour));
        painter.drawText(QPointF(l.left, l.top + fm.ascent()), FromUtf8(l.text));
    }
}

std::vector<LabelBox> PaintStaticLayer(QPainter& painter, PlotMap& map, const PlotState& plot, const PlotView& view,
                                       const TextMeasure& measure) {
    painter.fillRect(QRectF(0, 0, view.widthPx, view.heightPx), kPlotBackground);
    painter.setRenderHint(QPainter::Antialiasing);
    const MapPicture picture = map.build(view, plot.datum, measure);
    PaintMap(painter, picture);
    const std::vector<Shape> rings = RangeRingShapes(plot);
    PaintShapes(painter, rings, view);
    std::vector<LabelBox> taken = LabelBoxes(picture);
    for (const LabelBox& b : TextBoxes(rings, view, measure)) taken.push_back(b);
    return taken;
}

}  // namespace plot
