// Plot state and the passes that turn the target table into drawing elements.
//
// One PlotState lives for the whole run (the trails' store, the ERBL origin and
// the line-of-sight heights outlive the plot window); the window opens, sets up
// and draws from it:
//
//   plot::PlotState plot;
//   plot::SelectGridZone(plot, table);                      // zone of the targets' mean longitude
//   plot::SetupPlot(plot, st.lat(), st.lon(), 800, 600, 96 / 2.54, sink);   // 1:500000 at first
//   persistent = plot::RangeRingShapes(plot);                // rings; trails are added to this layer
//   plot::StoreTracks(plot, table, persistent, sink);        // every second
//   moving = plot::CurrentPositions(plot, table, st, {}, plot.view(800, 600, 96 / 2.54));
//
// Grid conversions use datum slot 1 of the plot's own datum table, whose zone
// is chosen when the plot opens. A target is drawn when it is not Old or Lost and has
// a position (latitude not 0, inside ±90°, longitude inside ±180°).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "targets/reference.h"
#include "base/operator_messages.h"
#include "geodesy/geodetic.h"
#include "plot/label_placement.h"
#include "plot/plot_geometry.h"
#include "plot/trail_store.h"
#include "targets/target_table.h"

namespace plot {

// A target's position at the last trail pass, and what the moving layer
// needs to pass over a target far from the picture without reading its
// record (records are kilobytes apart; this array is compact).
struct TrackPoint {
    double latitude = 0;   // radians
    double longitude = 0;  // radians
    double northing = 0;   // grid metres
    double easting = 0;
    bool gridded = false;  // northing and easting converted from this latitude and longitude
    bool drawable = false;   // Drawable() at the pass
    bool dangerous = false;  // the record's Dangerous at the pass
    int32_t mmsi = 0;
    float hullReach = 0;        // metres its hull outline may reach from its position
    float metresPerMinute = 0;  // of its speed vector
};

// Electronic range and bearing line: origin, the point under the cursor and
// the range between them.
struct ErblState {
    double originLat = 0;  // radians; 0 = no origin yet
    double originLon = 0;
    double originN = 0;  // grid metres
    double originE = 0;
    double cursorN = 0;
    double cursorE = 0;
    double range = 0;  // metres
};

struct LineOfSightState {
    float heightOfEye = 0;     // metres
    float heightOfObject = 0;  // metres
    float range = 0;           // metres
};

struct PlotState {
    PlotState();

    geodesy::DatumTable datum;
    int32_t scale = 0;  // 0 until the first set-up
    double centreE = 0;
    double centreN = 0;
    double refE = 0;  // reference position on the grid, recomputed at set-up
    double refN = 0;
    float ringSpacing = 0;  // nautical miles
    int32_t gridTick = 0;   // metres
    int16_t vectorTime = 3;  // minutes of travel shown by a speed vector
    std::vector<TrackPoint> track;  // 1..kMaxTargets
    geodesy::DatumTable trackDatum;  // the grid the track points were converted with
    TrailStore trails;              // every position of the run, for File > Export tracks...
    ErblState erbl;
    LineOfSightState los;
    int selectedEntry = 0;  // the target the operator chose last (its label is always shown); 0 = none

    PlotView view(double widthPx, double heightPx, double pxPerCm) const;
};

// Picks the zone of the mean longitude of the targets (longitude not 0, inside
// ±180°; 30 without any) for both datum slots. Returns the zone.
int SelectGridZone(PlotState& plot, const targets::TargetTable& table);

// Mean position of the targets with a usable position, 0/0 when none has one.
void MeanTargetPosition(const targets::TargetTable& table, double& latitude, double& longitude);

// Puts the reference position on the grid; the first set-up starts at 1:500000
// centred on it. With a picture of some size the grid tick and ring spacing
// follow the scale and the result is true; a picture without size (minimised)
// changes nothing more and gives false.
bool SetupPlot(PlotState& plot, double refLat, double refLon, double widthPx, double heightPx, base::MessageSink& sink);

// The ten rings around the reference position (persistent layer), each with
// its range in nautical miles written in grey at its northern point.
std::vector<Shape> RangeRingShapes(const PlotState& plot);

bool Drawable(const targets::TargetRecord& t);

// Trail pass: stores the position of every drawable target and appends a
// trail dot for it; given the view, only for a target near enough the picture
// for its dot to be painted. Notes for every entry what CurrentPositions
// reads to pass over it.
void StoreTracks(PlotState& plot, const targets::TargetTable& table, std::vector<Shape>& out,
                 base::MessageSink& sink, const PlotView* view = nullptr);

struct Overlays {
    bool erbl = false;         // ERBL switched on
    bool lineOfSight = false;  // line of sight switched on
};

// Moving layer: symbol, label, speed vector and heading mark (or hull outline
// at large scales) of every drawable target at its last trail position, rings
// around the reference target, and the ERBL and line-of-sight overlays while
// any target is drawn. A target that the last trail pass found not drawable,
// or out of reach of the picture, is passed over as it was then (a target
// that may reach anywhere, the own, reference, selected or a dangerous one,
// is always looked at): the layer is made right after the pass each second.
std::vector<Shape> CurrentPositions(const PlotState& plot, const targets::TargetTable& table,
                                    const targets::Reference& state, Overlays overlays, const PlotView& view);

// Moves every target label of a moving layer to a spot next to its symbol
// where it overlaps no other label nor a box in `taken` (the landmarks'
// labels), or removes it. The own ship's and the selected target's labels
// stay; among the others class A vessels and SAR aircraft come first, then
// class B, then aids to navigation and base stations, nearer the centre of
// the picture first. Labels off the picture are left as they are (not drawn).
void PlaceTargetLabels(std::vector<Shape>& shapes, const PlotView& view, const TextMeasure& measure,
                       const std::vector<LabelBox>& taken);

// Where the texts among the shapes are drawn, as boxes in pixels.
std::vector<LabelBox> TextBoxes(const std::vector<Shape>& shapes, const PlotView& view, const TextMeasure& measure);

// The moving layer as drawn: CurrentPositions with its labels placed.
std::vector<Shape> MovingLayer(const PlotState& plot, const targets::TargetTable& table, const targets::Reference& state,
                               Overlays overlays, const PlotView& view, const TextMeasure& measure,
                               const std::vector<LabelBox>& taken);

// The point under the cursor, in picture metres, as shown in the status bar.
struct CursorReadout {
    double latitude = 0;  // radians
    double longitude = 0;
    std::string lat;      // panel 1
    std::string lon;      // panel 2
    std::string range;    // panel 3, from the reference position
    std::string bearing;  // panel 4
};
// Also stores the point as the ERBL cursor point.
CursorReadout ReadCursor(PlotState& plot, double x, double y, const targets::Reference& state, base::MessageSink& sink);

// "000.0 °" bearing text; a bearing that rounds to 360 reads 000.0 °.
std::string BearingText(double degrees);

// Re-centring. On a picture point: in reference mode "No Ref pos" the new
// centre becomes the reference position too.
void CentreOnPoint(PlotState& plot, double x, double y, targets::Reference& state, base::MessageSink& sink);
void CentreOnReference(PlotState& plot, const targets::Reference& state, base::MessageSink& sink);

// The mouse wheel: one step along kScaleList (from a scale of its own, the
// next one in that direction), keeping the ground under picture point (x, y)
// where it is on the screen. False when the list ends there.
bool ZoomAboutPoint(PlotState& plot, double x, double y, bool zoomIn);
// A drag of (dx, dy) picture metres: the ground moves with the cursor.
void PanBy(PlotState& plot, double dx, double dy);
// AutoScroll: whether the reference position lies outside the middle of the
// view (a margin of a fifth of the picture on every side), where the view
// should re-centre on it. False without a reference position.
bool ReferenceNearEdge(const PlotState& plot, const targets::Reference& state, const PlotView& view,
                       base::MessageSink& sink);

// Entry nearest to a picture point among the entries not Old or Lost; the lowest entry in use when
// none is nearer than it, 0 for an empty table.
int NearestTarget(const PlotState& plot, const targets::TargetTable& table, double x, double y,
                  base::MessageSink& sink);

// Grid <-> geographic through slot 1 (radians, metres).
void ToGrid(const PlotState& plot, double latRad, double lonRad, double& easting, double& northing,
            base::MessageSink& sink);
void ToGeographic(const PlotState& plot, double easting, double northing, double& latRad, double& lonRad,
                  base::MessageSink& sink);

}  // namespace plot
