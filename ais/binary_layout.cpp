#include "ais/binary_layout.h"
#include "base/number_format.h"

#include <array>
#include <cmath>

namespace ais {

namespace {

constexpr bool NA = true;   // all ones means not available
constexpr bool NO = false;  // every bit pattern is a value

// One row: bits First-Last (type 8 numbering), rule, all-ones option, divisor,
// offset, and the member `path.name` of BinaryMessage it fills.
#define ORV_ROW(first, last, rule, na, divisor, offset, path, name, entry)                          \
    BinaryField {                                                                                  \
        first, last, FieldRule::rule, na, divisor, offset, #name, entry,                           \
            [](const BinaryMessage& r) { return FieldRef(&r.path name); }                          \
    }
#define ROW(first, last, rule, na, divisor, offset, group, name) \
    ORV_ROW(first, last, rule, na, divisor, offset, group., name, 0)
#define TOP(first, last, rule, divisor, name) ORV_ROW(first, last, rule, NO, divisor, 0, , name, 0)

constexpr BinaryField kInterrogation[] = {
    TOP(57, 66, Unsigned, 1, RequestedDAC),
    TOP(67, 72, Unsigned, 1, RequestedFI),
};

constexpr BinaryField kHeightOverKeel[] = {
    TOP(57, 67, Unsigned, 10, HeightOverKeel),
};

constexpr BinaryField kPersonsOnBoard[] = {
    TOP(57, 69, Unsigned, 1, PassengersOnboard),
};

// Latitude and longitude are in 1/1000 minute: divided by 60000 for degrees.
constexpr BinaryField kMetHydro[] = {
    ROW(57, 80, Signed, NA, 60000, 0, MetHydro, MetLatitude),
    ROW(81, 105, Signed, NA, 60000, 0, MetHydro, MetLongitude),
    ROW(106, 110, Unsigned, NO, 1, 0, MetHydro, MetDay),
    ROW(111, 115, Unsigned, NO, 1, 0, MetHydro, MetHour),
    ROW(116, 121, Unsigned, NO, 1, 0, MetHydro, MetMinute),
    ROW(122, 128, Unsigned, NA, 1, 0, MetHydro, AvgWindSpeed),
    ROW(129, 135, Unsigned, NA, 1, 0, MetHydro, WindGust),
    ROW(136, 144, Unsigned, NA, 1, 0, MetHydro, WindDirection),
    ROW(145, 153, Unsigned, NA, 1, 0, MetHydro, WindGustDirection),
    ROW(154, 164, Unsigned, NA, 10, -60, MetHydro, AirTemperature),
    ROW(165, 171, Unsigned, NA, 1, 0, MetHydro, RelativeHumidity),
    ROW(172, 181, Unsigned, NA, 10, -20, MetHydro, DewPoint),
    ROW(182, 190, Unsigned, NA, 1, 800, MetHydro, AirPressure),
    ROW(191, 192, Unsigned, NA, 1, 0, MetHydro, AirPressureTendency),
    ROW(193, 200, Unsigned, NA, 10, 0, MetHydro, HorizontalVisibility),
    ROW(201, 209, Unsigned, NA, 10, -10, MetHydro, WaterLevel),
    ROW(210, 211, Unsigned, NA, 1, 0, MetHydro, WaterLevelTrend),
    ROW(212, 219, Unsigned, NA, 10, 0, MetHydro, SurfaceCurrentSpeed),
    ROW(220, 228, Unsigned, NA, 1, 0, MetHydro, SurfaceCurrentDirection),
    ROW(229, 236, Unsigned, NA, 10, 0, MetHydro, CurrentSpeed2),
    ROW(237, 245, Unsigned, NA, 1, 0, MetHydro, CurrentDirection2),
    ROW(246, 250, Unsigned, NA, 1, 0, MetHydro, CurrentLevel2),
    ROW(251, 258, Unsigned, NA, 10, 0, MetHydro, CurrentSpeed3),
    ROW(259, 267, Unsigned, NA, 1, 0, MetHydro, CurrentDirection3),
    ROW(268, 272, Unsigned, NA, 1, 0, MetHydro, CurrentLevel3),
    ROW(273, 280, Unsigned, NA, 10, 0, MetHydro, WaveHeight),
    ROW(281, 286, Unsigned, NA, 1, 0, MetHydro, WavePeriod),
    ROW(287, 295, Unsigned, NA, 1, 0, MetHydro, WaveDirection),
    ROW(296, 303, Unsigned, NA, 10, 0, MetHydro, SwellHeight),
    ROW(304, 309, Unsigned, NA, 1, 0, MetHydro, SwellPeriod),
    ROW(310, 318, Unsigned, NA, 1, 0, MetHydro, SwellDirection),
    ROW(319, 322, Unsigned, NA, 1, 0, MetHydro, SeaState),
    ROW(323, 332, Unsigned, NA, 10, -10, MetHydro, WaterTemperature),
    ROW(333, 335, Unsigned, NA, 1, 0, MetHydro, Precipitation),
    ROW(336, 344, Unsigned, NA, 10, 0, MetHydro, Salinity),
    ROW(345, 346, Unsigned, NA, 1, 0, MetHydro, Ice),
};

constexpr BinaryField kDangerousCargo[] = {
    ROW(57, 86, Text, NO, 1, 0, DangerousCargo, LastPortOfCall),
    ROW(87, 90, Unsigned, NO, 1, 0, DangerousCargo, ATDMonth),
    ROW(91, 95, Unsigned, NO, 1, 0, DangerousCargo, ATDDay),
    ROW(96, 100, Unsigned, NO, 1, 0, DangerousCargo, ATDHour),
    ROW(101, 106, Unsigned, NO, 1, 0, DangerousCargo, ATDMinute),
    ROW(107, 136, Text, NO, 1, 0, DangerousCargo, NextPortOfCall),
    ROW(137, 140, Unsigned, NO, 1, 0, DangerousCargo, ETAMonth),
    ROW(141, 145, Unsigned, NO, 1, 0, DangerousCargo, ETADay),
    ROW(146, 150, Unsigned, NO, 1, 0, DangerousCargo, ETAHour),
    ROW(151, 156, Unsigned, NO, 1, 0, DangerousCargo, ETAMinute),
    ROW(157, 276, Text, NO, 1, 0, DangerousCargo, MainDangerousGood),
    ROW(277, 300, Text, NO, 1, 0, DangerousCargo, IMDCategory),
    ROW(301, 313, Unsigned, NO, 1, 0, DangerousCargo, UNNumber),
    ROW(314, 323, Unsigned, NO, 1, 0, DangerousCargo, CargoAmount),
    ROW(324, 325, Unsigned, NO, 1, 0, DangerousCargo, CargoUnit),
};

constexpr BinaryField kFairwayClosed[] = {
    ROW(57, 176, Text, NO, 1, 0, FairwayClosed, ClosingReason),
    ROW(177, 296, Text, NO, 1, 0, FairwayClosed, ClosingFrom),
    ROW(297, 416, Text, NO, 1, 0, FairwayClosed, ClosingTo),
    ROW(417, 426, Unsigned, NO, 1, 0, FairwayClosed, ClosingRadius),
    ROW(427, 428, Unsigned, NO, 1, 0, FairwayClosed, ClosingRadiusUnit),
    ROW(429, 433, Unsigned, NO, 1, 0, FairwayClosed, ClosedFromDay),
    ROW(434, 437, Unsigned, NO, 1, 0, FairwayClosed, ClosedFromMonth),
    ROW(438, 442, Unsigned, NO, 1, 0, FairwayClosed, ClosedFromHour),
    ROW(443, 448, Unsigned, NO, 1, 0, FairwayClosed, ClosedFromMinute),
    ROW(449, 453, Unsigned, NO, 1, 0, FairwayClosed, ClosedToDay),
    ROW(454, 457, Unsigned, NO, 1, 0, FairwayClosed, ClosedToMonth),
    ROW(458, 462, Unsigned, NO, 1, 0, FairwayClosed, ClosedToHour),
    ROW(463, 468, Unsigned, NO, 1, 0, FairwayClosed, ClosedToMinute),
};

// A tidal window position takes 93 bits; position I (0-2) starts at bit 66 + 93 I.
// Latitude and longitude are in 1/10000 minute: divided by 600000 for degrees.
#define TIDE(first, last, rule, divisor, name) \
    ORV_ROW(first, last, rule, NO, divisor, 0, TidalWindow.Entry[I]., name, I + 1)

template <int I>
constexpr std::array<BinaryField, 8> tideEntry() {
    constexpr int b = 66 + 93 * I;
    return {{
        TIDE(b + 0, b + 26, Signed, 600000, TideLatitude),
        TIDE(b + 27, b + 54, Signed, 600000, TideLongitude),
        TIDE(b + 55, b + 59, Unsigned, 1, TideFromHour),
        TIDE(b + 60, b + 65, Unsigned, 1, TideFromMinute),
        TIDE(b + 66, b + 70, Unsigned, 1, TideToHour),
        TIDE(b + 71, b + 76, Unsigned, 1, TideToMinute),
        TIDE(b + 77, b + 85, Unsigned, 1, TideCurrentDirection),
        TIDE(b + 86, b + 92, Unsigned, 10, TideCurrentSpeed),
    }};
}

constexpr std::array<BinaryField, 26> kTidalWindow = [] {
    std::array<BinaryField, 26> rows{{
        ROW(57, 60, Unsigned, NO, 1, 0, TidalWindow, TideMonth),
        ROW(61, 65, Unsigned, NO, 1, 0, TidalWindow, TideDay),
    }};
    size_t k = 2;
    for (const auto& part : {tideEntry<0>(), tideEntry<1>(), tideEntry<2>()}) {
        for (const BinaryField& f : part) rows[k++] = f;
    }
    return rows;
}();

#undef TIDE
#undef TOP
#undef ROW
#undef ORV_ROW

// Rows follow each other from the first application bit to `lastBit` without
// gaps or overlaps, and texts are whole characters: a mistyped bit position
// stops the build.
constexpr bool wellFormed(std::span<const BinaryField> rows, int lastBit) {
    int next = kBroadcastAppStart;
    for (const BinaryField& f : rows) {
        if (f.First != next || f.Last < f.First) return false;
        if (f.Rule == FieldRule::Text && f.width() % 6 != 0) return false;
        next = f.Last + 1;
    }
    return next == lastBit + 1;
}

static_assert(wellFormed(kInterrogation, 72));
static_assert(wellFormed(kHeightOverKeel, 67));
static_assert(wellFormed(kPersonsOnBoard, 69));
static_assert(wellFormed(kMetHydro, 346));
static_assert(wellFormed(kDangerousCargo, 325));     // 89-357 in type 6
static_assert(wellFormed(kFairwayClosed, 468));
static_assert(wellFormed(kTidalWindow, 344));        // 89-376 in type 6

template <typename T>
T* writable(const BinaryField& field, BinaryMessage& rec) {
    // Ref hands out a const pointer so that readers can use it; rec is ours to write.
    return const_cast<T*>(static_cast<const T*>(field.Ref(rec).Ptr));
}

}  // namespace

std::span<const BinaryField> ApplicationLayout(BinaryApp app) {
    switch (app) {
        case BinaryApp::Interrogation: return kInterrogation;
        case BinaryApp::MetHydro: return kMetHydro;
        case BinaryApp::DangerousCargo: return kDangerousCargo;
        case BinaryApp::FairwayClosed: return kFairwayClosed;
        case BinaryApp::TidalWindow: return kTidalWindow;
        case BinaryApp::HeightOverKeel: return kHeightOverKeel;
        case BinaryApp::PersonsOnBoard: return kPersonsOnBoard;
        case BinaryApp::Text:
        case BinaryApp::NotDecoded: break;
    }
    return {};
}

void ReadField(const BinaryField& field, const PayloadBits& bits, int shift, BinaryMessage& rec) {
    const int first = field.First + shift;
    const int last = field.Last + shift;
    const FieldKind kind = field.Ref(rec).Kind;
    if (field.Rule == FieldRule::Text) {
        if (kind == FieldKind::Text) *writable<std::string>(field, rec) = bits.text(first, last);
        return;
    }
    const bool isSigned = field.Rule == FieldRule::Signed;
    const int64_t raw = bits.value(first, last, isSigned);
    const int64_t allOnes = isSigned ? -1 : (int64_t{1} << field.width()) - 1;
    const double v = (field.AllOnesNotAvailable && raw == allOnes)
                         ? static_cast<double>(base::kNotAvailable)
                         : static_cast<double>(raw) / field.Divisor + field.Offset;
    switch (kind) {
        case FieldKind::Int16: *writable<int16_t>(field, rec) = static_cast<int16_t>(v); break;
        case FieldKind::Single: *writable<float>(field, rec) = static_cast<float>(v); break;
        case FieldKind::Double: *writable<double>(field, rec) = v; break;
        case FieldKind::Text: break;
    }
}

double ReadNumber(const BinaryField& field, const BinaryMessage& rec) {
    const FieldRef ref = field.Ref(rec);
    switch (ref.Kind) {
        case FieldKind::Int16: return *static_cast<const int16_t*>(ref.Ptr);
        case FieldKind::Single: return *static_cast<const float*>(ref.Ptr);
        case FieldKind::Double: return *static_cast<const double*>(ref.Ptr);
        case FieldKind::Text: break;
    }
    return 0;
}

const std::string& ReadText(const BinaryField& field, const BinaryMessage& rec) {
    static const std::string kEmpty;
    const FieldRef ref = field.Ref(rec);
    return ref.Kind == FieldKind::Text ? *static_cast<const std::string*>(ref.Ptr) : kEmpty;
}

void WriteField(const BinaryField& field, const BinaryMessage& rec, int shift, BitWriter& out) {
    const int first = field.First + shift;
    const int last = field.Last + shift;
    if (field.Rule == FieldRule::Text) {
        out.putText(first, last, ReadText(field, rec));
        return;
    }
    const double v = ReadNumber(field, rec);
    if (field.AllOnesNotAvailable && v == static_cast<double>(base::kNotAvailable)) {
        out.put(first, last, -1);  // every bit of the field set
        return;
    }
    const int w = field.width();
    const bool isSigned = field.Rule == FieldRule::Signed;
    const double lo = isSigned ? -std::ldexp(1.0, w - 1) : 0.0;
    double hi = isSigned ? std::ldexp(1.0, w - 1) - 1 : std::ldexp(1.0, w) - 1;
    // A value too large for the field must not turn into "not available".
    if (field.AllOnesNotAvailable && !isSigned) hi -= 1;
    const double x = std::round((v - field.Offset) * field.Divisor);
    // NaN falls to the lower bound along with values below it.
    const double clamped = !(x >= lo) ? lo : (x > hi ? hi : x);
    out.put(first, last, static_cast<int64_t>(clamped));
}

}  // namespace ais
