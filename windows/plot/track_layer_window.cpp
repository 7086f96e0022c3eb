#include "windows/plot/track_layer_window.h"

#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "plot/plot_state.h"
#include "windows/plot/plot_window.h"

namespace plot {

namespace {
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
// Dots nearer than this (pixels) to the last one drawn add nothing.
constexpr double kDotSpacing = 8.0;
// A track of more segments than this in the picture is drawn without smoothing.
constexpr size_t kSmoothSegments = 4000;
}  // namespace

QColor TrackColour(int index) {
    // Magenta, dark orange, teal, violet: apart from each other and from the
    // live layer's colours, at least 3:1 against white.
    static const std::array<QColor, kMaxTracks> kColours = {QColor(200, 0, 160), QColor(204, 85, 0),
                                                            QColor(0, 128, 128), QColor(110, 50, 200)};
    return kColours[static_cast<size_t>(std::clamp(index, 0, kMaxTracks - 1))];
}

const TrackLine* TrackLayer::find(int32_t mmsi) const {
    const auto it = std::find_if(tracks_.begin(), tracks_.end(), [&](const TrackLine& t) { return t.mmsi == mmsi; });
    return it == tracks_.end() ? nullptr : &*it;
}

void TrackLayer::set(int32_t mmsi, const QString& label, std::vector<TrackFix> fixes) {
    int colour = -1;
    if (const auto it = std::find_if(tracks_.begin(), tracks_.end(), [&](const TrackLine& t) { return t.mmsi == mmsi; });
        it != tracks_.end()) {
        colour = it->colour;
        tracks_.erase(it);
    } else if (static_cast<int>(tracks_.size()) >= kMaxTracks) {
        colour = tracks_.front().colour;
        tracks_.erase(tracks_.begin());
    }
    for (int c = 0; colour < 0 && c < kMaxTracks; ++c) {
        if (std::none_of(tracks_.begin(), tracks_.end(), [&](const TrackLine& t) { return t.colour == c; })) colour = c;
    }
    TrackLine& line = tracks_.emplace_back();
    line.mmsi = mmsi;
    line.label = label;
    line.fixes = std::move(fixes);
    line.colour = std::max(colour, 0);
    emit changed();
}

void TrackLayer::clear(int32_t mmsi) {
    if (std::erase_if(tracks_, [&](const TrackLine& t) { return t.mmsi == mmsi; }) > 0) emit changed();
}

void TrackLayer::clearAll() {
    if (tracks_.empty()) return;
    tracks_.clear();
    emit changed();
}

QPixmap PaintTracks(const std::vector<TrackLine>& tracks, const PlotState& plot, const PlotView& view, qreal ratio,
                    const QFont& font, base::MessageSink& sink) {
    QPixmap out(std::max(1, static_cast<int>(std::lround(view.widthPx * ratio))),
                std::max(1, static_cast<int>(std::lround(view.heightPx * ratio))));
    out.setDevicePixelRatio(ratio);
    out.fill(Qt::transparent);
    if (tracks.empty()) return out;
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font);
    const QRectF area(-64, -64, view.widthPx + 128, view.heightPx + 128);
    for (const TrackLine& t : tracks) {
        const QColor colour = TrackColour(t.colour);
        // Segments one by one: a path stroked whole would be outlined as one
        // shape, and a track that runs over itself many times makes that slow.
        std::vector<QLineF> segments;
        std::vector<QPointF> dots;
        std::optional<QPointF> last;
        const geodesy::DatumSlot& slot = plot.datum.datumSlots[1];
        const std::tuple<int, double, double> grid{slot.zone, slot.datum.a, slot.datum.f};
        if (t.gridOf != grid || t.grid.size() != t.fixes.size()) {
            t.grid.resize(t.fixes.size());
            for (size_t i = 0; i < t.fixes.size(); ++i) {
                ToGrid(plot, t.fixes[i].latitude * kDegToRad, t.fixes[i].longitude * kDegToRad, t.grid[i].x, t.grid[i].y,
                       sink);
            }
            t.gridOf = grid;
        }
        for (const PlotView::Point& g : t.grid) {
            const PlotView::Point px = view.toPixel(g.x - plot.centreE, g.y - plot.centreN);
            const QPointF at(px.x, px.y);
            if (last) {
                // Less than the line's width further adds nothing to the picture.
                if (std::hypot(at.x() - last->x(), at.y() - last->y()) < 2.0) continue;
                const QLineF segment(*last, at);
                if (QRectF(segment.p1(), segment.p2()).normalized().intersects(area) || area.contains(at)) {
                    segments.push_back(segment);
                }
            }
            if (area.contains(at) &&
                (dots.empty() || std::hypot(at.x() - dots.back().x(), at.y() - dots.back().y()) >= kDotSpacing)) {
                dots.push_back(at);
            }
            last = at;
        }
        p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        // Smoothing costs most of the time of a long, tangled track.
        p.setRenderHint(QPainter::Antialiasing, segments.size() <= kSmoothSegments);
        p.drawLines(segments.data(), static_cast<int>(segments.size()));
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        for (const QPointF& d : dots) p.drawEllipse(d, 2.25, 2.25);
        if (last) {
            p.setPen(colour);
            p.drawText(*last + QPointF(6, -6), t.label);
        }
    }
    return out;
}

void PicGraphics::setOverlay(QPixmap overlay) {
    overlay_ = std::move(overlay);
    update();
}

void FrmGraphics::setTrackLayer(TrackLayer* layer) {
    if (trackLayer_) disconnect(trackLayer_, nullptr, this, nullptr);
    trackLayer_ = layer;
    if (layer) connect(layer, &TrackLayer::changed, this, &FrmGraphics::redrawTracks);
    redrawTracks();
}

void FrmGraphics::redrawTracks() {
    const bool any = trackLayer_ && !trackLayer_->empty();
    if (pmnuClearTrack_) pmnuClearTrack_->setEnabled(any);
    if (!any || plot_.scale <= 0) {
        picGraphics_->setOverlay({});
        return;
    }
    picGraphics_->setOverlay(PaintTracks(trackLayer_->tracks(), plot_, view(), picGraphics_->devicePixelRatioF(),
                                         picGraphics_->font(), messages_));
}

void FrmGraphics::addTrackMenu(QMenu& popup) {
    popup.addSeparator();
    pmnuClearTrack_ = popup.addAction("Clear &track");
    pmnuClearTrack_->setObjectName("pmnuClearTrack");
    pmnuClearTrack_->setEnabled(false);
    connect(pmnuClearTrack_, &QAction::triggered, this, [this] {
        if (trackLayer_) trackLayer_->clearAll();
    });
}

void FrmGraphics::centreOn(double latitude, double longitude) {
    if (plot_.scale <= 0) return;
    ToGrid(plot_, latitude * kDegToRad, longitude * kDegToRad, plot_.centreE, plot_.centreN, messages_);
    SetupPlot();
}

bool FrmGraphics::shows(double latitude, double longitude) const {
    if (plot_.scale <= 0) return false;
    double e = 0, n = 0;
    ToGrid(plot_, latitude * kDegToRad, longitude * kDegToRad, e, n, messages_);
    const PlotView v = view();
    const PlotView::Point px = v.toPixel(e - plot_.centreE, n - plot_.centreN);
    return px.x >= 0 && px.y >= 0 && px.x <= v.widthPx && px.y <= v.heightPx;
}

}  // namespace plot
