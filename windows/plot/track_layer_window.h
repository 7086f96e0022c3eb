// TrackLayer: stored tracks drawn on the plot, over the trails and under the
// targets: a line through the reports with a dot at each (dots closer than a
// few pixels merged), the station's name at its latest report. Each track
// has its own colour, none of the live layer's (black trails, blue own
// ship, red danger, grey rings), each readable on the white background. A
// few tracks at a time (kMaxTracks); showing one more drops the oldest, and
// a station's new track replaces its old one.
//
// The layer outlives the plot window (the main window's PlotKeeper owns
// it); the window paints it into a pixmap of its own at each set-up and
// whenever it changes, so the once-a-second pass never touches it.
//
//   layer.set(244123456, "SEA BREEZE (244123456)", {{52.0, 4.0}, {52.1, 4.1}});
//   layer.clear(244123456);   // or clearAll()
#pragma once

#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <cstdint>
#include <tuple>
#include <vector>

#include "base/operator_messages.h"
#include "plot/plot_geometry.h"

namespace plot {

struct PlotState;

struct TrackFix {
    double latitude = 0;  // degrees
    double longitude = 0;
};

struct TrackLine {
    int32_t mmsi = 0;
    QString label;  // plain text: a name from the air is data
    std::vector<TrackFix> fixes;  // oldest first
    int colour = 0;               // index into TrackColour
    // The fixes on the plot's grid (metres), kept while the grid stays.
    mutable std::vector<PlotView::Point> grid;
    mutable std::tuple<int, double, double> gridOf{-1, 0, 0};  // zone, datum a and f
};

inline constexpr int kMaxTracks = 4;
QColor TrackColour(int index);

class TrackLayer : public QObject {
    Q_OBJECT
public:
    explicit TrackLayer(QObject* parent = nullptr) : QObject(parent) {}

    void set(int32_t mmsi, const QString& label, std::vector<TrackFix> fixes);
    void clear(int32_t mmsi);
    void clearAll();
    const std::vector<TrackLine>& tracks() const { return tracks_; }
    bool empty() const { return tracks_.empty(); }
    const TrackLine* find(int32_t mmsi) const;

signals:
    void changed();

private:
    std::vector<TrackLine> tracks_;  // oldest shown first
};

// The tracks as a transparent picture of the view's size (device pixel ratio `ratio`).
QPixmap PaintTracks(const std::vector<TrackLine>& tracks, const PlotState& plot, const PlotView& view, qreal ratio,
                    const QFont& font, base::MessageSink& sink);

}  // namespace plot
