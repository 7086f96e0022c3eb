// A target's range and bearing from the reference position, measured when
// first read.
//
// Every position report moves a target, but its range is read far less often:
// the list redraws once a second, a replay prints once at the end, the sort
// reads it only when the list is sorted by it. The geodesic behind it cost as
// much as the rest of the table's work for the message, so a report only
// notes the two positions and the first read measures between them. The
// figures are exactly what GeodeticInverse gives for the noted positions,
// whenever they are read.
//
//   targets::RangeBearing rb;
//   rb.measureLater(refReduced, refLat, refLon, lat, lon);   // radians
//   double metres = rb.range(), radians = rb.bearing();      // measured here, once
//
// The table is read on the thread that writes it, so the measurement a const
// read makes needs no lock.
#pragma once

#include "geodesy/geodetic.h"

namespace targets {

class RangeBearing {
public:
    // Figures known already (metres, radians).
    void set(double metres, double radians) {
        pending_ = false;
        metres_ = metres;
        radians_ = radians;
    }
    // From the reference (its reduced latitude as geodesy::ReducedLatitudeOf
    // gives it) to the target, all in radians; measured at the first read.
    void measureLater(const geodesy::ReducedLatitude& reference, double refLat, double refLon, double lat, double lon) {
        pending_ = true;
        reference_ = reference;
        refLat_ = refLat;
        refLon_ = refLon;
        lat_ = lat;
        lon_ = lon;
    }
    double range() const {  // metres
        resolve();
        return metres_;
    }
    double bearing() const {  // radians, true
        resolve();
        return radians_;
    }
    bool pending() const { return pending_; }

private:
    void resolve() const {
        if (!pending_) return;
        geodesy::GeodeticInverse(reference_, refLat_, refLon_, lat_, lon_, geodesy::kInverseBoth, metres_, radians_,
                                 geodesy::kWgs84B, geodesy::kWgs84F);
        pending_ = false;
    }

    mutable bool pending_ = false;
    mutable double metres_ = 0, radians_ = 0;
    geodesy::ReducedLatitude reference_;
    double refLat_ = 0, refLon_ = 0, lat_ = 0, lon_ = 0;
};

}  // namespace targets
