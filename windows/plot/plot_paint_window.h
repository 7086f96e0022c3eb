// Painting of the plot, shared by the plot window and the headless renderer
// (orvanta-cli render), so both draw the same picture:
//
//   static layer   PaintStaticLayer: background, land, charts, landmarks, range rings
//   trails         PaintShapes of StoreTracks' dots, added to the static layer
//   moving layer   PaintShapes of CurrentPositions after PlaceTargetLabels
//
//   QImage image(800, 600, QImage::Format_RGB32);
//   QPainter p(&image);
//   p.setFont(plot::PlotFont(p.font()));
//   const plot::TextMeasure measure = plot::MeasureWith(p.font());
//   const auto taken = plot::PaintStaticLayer(p, map, plot, view, measure);
//
// Colours are chosen here from the meanings the core gives.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <cmath>
#include <vector>

#include "plot/label_placement.h"
#include "plot/map_layer.h"
#include "plot/plot_map.h"
#include "plot/plot_state.h"

namespace plot {

inline const QColor kPlotBackground(255, 255, 255);

QColor ColourOf(PlotColour c);
// Fill of a vessel's symbol by its type group (the legend's colours).
QColor GroupColour(TypeGroup g);
QColor ColourOf(MapColour c, int shade = 0);
// The brush of a filled map path, with its transparency.
QColor FillColour(const PathStyle& st);
// A colour painted over the background, as it reads on the picture.
inline QColor OverBackground(const QColor& c) {
    const double a = c.alphaF();
    auto mix = [a](int fg, int bg) { return static_cast<int>(std::lround(fg * a + bg * (1 - a))); };
    return QColor(mix(c.red(), kPlotBackground.red()), mix(c.green(), kPlotBackground.green()),
                  mix(c.blue(), kPlotBackground.blue()));
}

// The plot's text: a point smaller than the given font.
QFont PlotFont(QFont base);
// Text widths with this font, remembered per text (names change seldom).
TextMeasure MeasureWith(const QFont& font);

// Drawing elements through a view (pixels of `view`).
void PaintShapes(QPainter& painter, const std::vector<Shape>& shapes, const PlotView& view);
// A map picture: areas and lines in order, then symbols, then labels.
void PaintMap(QPainter& painter, const MapPicture& map);

// Fills the device with the background and paints the map and the range
// rings of the plot's current view. Returns the boxes of the map's and the
// rings' labels, which the target labels keep clear of.
std::vector<LabelBox> PaintStaticLayer(QPainter& painter, PlotMap& map, const PlotState& plot, const PlotView& view,
                                       const TextMeasure& measure);

}  // namespace plot
