// The plot showing a past situation: a sepia wash over the picture, which
// mutes its colours, and a banner with the moment at the top, so a past
// picture is never taken for the live one.
#pragma once

#include <QRect>
#include <QString>

class QPainter;

namespace plot {

// Paints the wash over `area` and the banner at its top.
void PaintPast(QPainter& painter, const QRect& area, const QString& banner);

}  // namespace plot
