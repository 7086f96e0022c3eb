// The reference position ranges and bearings are measured from, and how it
// is chosen: not at all, the own ship (VDO), a position typed in, or a vessel
// chosen by MMSI (VDM). A followed reference moves with its vessel's reports
// (the table moves it and says so in the TargetUpdate it returns); everyone
// else reads it through these methods and changes it only through them.
#pragma once

#include <cstdint>

namespace targets {

// Reference position modes (index of the option buttons in the main window).
enum ReferenceModeIndex : int16_t {
    kRefNone = 0,     // "No Ref pos"
    kRefFromVDO = 1,  // "From VDO msg"
    kRefManual = 2,   // "Manual "
    kRefFromVDM = 3,  // "From VDM msg, MMSI : "
};

class Reference {
public:
    // The mode as stored (setup files may hold any number; only 0..3 mean a mode).
    int16_t mode() const { return mode_; }
    // Degrees, north and east positive.
    double lat() const { return lat_; }
    double lon() const { return lon_; }
    // The vessel followed in kRefFromVDM mode (0 none).
    int32_t mmsi() const { return mmsi_; }

    void setMode(int16_t mode) { mode_ = mode; }
    void setMMSI(int32_t mmsi) { mmsi_ = mmsi; }
    void moveTo(double lat, double lon) {
        lat_ = lat;
        lon_ = lon;
    }

    bool operator==(const Reference&) const = default;

private:
    double lat_ = 0.0;
    double lon_ = 0.0;
    int32_t mmsi_ = 0;
    int16_t mode_ = kRefNone;
};

}  // namespace targets
