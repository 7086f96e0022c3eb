// Arithmetic of the plot's two tools: the electronic range and bearing line
// (ERBL) and the line-of-sight calculator.
//
// ERBL: the range and true bearing from an origin to the point under the
// cursor. The origin follows the reference position, or stays where the
// operator put it ("offset").
//
//   plot::CursorReadout c = plot::ReadCursor(plot, x, y, state, sink);
//   plot::ErblReadout r = plot::UpdateErbl(plot, c, state, /*offsetOrigin=*/false, sink);
//   // r.range "2.4 nmile", r.bearing "047.1 °", r.lat / r.lon as in the status bar
//
// Line of sight: geometric range between a height of eye h1 and an object of
// height h2, in metres: 4.1 (√h1 + √h2) km or 2.2 (√h1 + √h2) nautical miles.
//
//   LosTexts t = LosFromCaptions("16.0", "0.0", h1, h2);   // "16.4 km", "8.8 nmile"
//   LosRangeMetres(16, 0) == 16400
//
// Heights below zero are not taken: the answer is refused as if cancelled.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "plot/plot_state.h"

namespace plot {

struct ErblReadout {
    std::string range;    // "0.0 nmile" pattern
    std::string bearing;  // "000.0 °" pattern
    std::string lat;
    std::string lon;
};

// Mouse move with the ERBL on: unless the origin is offset it becomes the
// reference position; the ERBL range becomes the distance to the cursor.
ErblReadout UpdateErbl(PlotState& plot, const CursorReadout& cursor, const targets::Reference& state, bool offsetOrigin,
                       base::MessageSink& sink);

// Puts the ERBL origin at a picture point.
void SetErblOrigin(PlotState& plot, double x, double y, base::MessageSink& sink);

inline constexpr const char* kHeightPrompt = "Enter new value";
inline constexpr const char* kHeightTitles[2] = {"HEIGHT OF EYE", "HEIGHT OF OBJECT"};

// Caption for a typed height ("0.0" pattern); nullopt when the answer is empty
// or negative, so nothing changes.
std::optional<std::string> HeightCaption(std::string_view answer);

struct LosTexts {
    std::string km;     // "16.4 km"
    std::string nmile;  // "8.8 nmile"
};

double LosRangeMetres(double heightOfEye, double heightOfObject);
// Reads both heights back from their captions and writes the two results.
LosTexts LosFromCaptions(const std::string& eye, const std::string& object, double& heightOfEye,
                         double& heightOfObject);
// The results as a reopened calculator shows them: from the stored range.
LosTexts LosFromRange(double rangeMetres);
// A stored height as a caption ("16", "2.5").
std::string StoredHeightText(float height);

}  // namespace plot
