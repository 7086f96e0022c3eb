#include "ais/binary_layout.h"

#include <array>
#include <cmath>
#include <utility>

#include "ais/application_codes.h"
#include "base/number_format.h"

namespace ais {

namespace {

constexpr bool NA = true;   // all ones means not available
constexpr bool NO = false;  // every bit pattern is a value

constexpr BinaryField allOnesIf(bool na, const BinaryField& f) { return na ? f.allOnesNA() : f; }

// One row: bits First-Last (type 8 numbering), rule, all-ones option, divisor,
// offset, and the member `path.name` of BinaryMessage it fills.
#define ORV_ROW(first, last, rule, na, divisor, offset, path, name, entry)                               \
    allOnesIf(na, BinaryField{first, last, FieldRule::rule, divisor, offset, #name, entry,               \
                              [](const BinaryMessage& r) { return FieldRef(&r.path name); }})
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

// The rows of the newer applications: bits, rule, divisor, offset, member.
// Not-available codes are added with .na(...), code texts with .code(...).
#define ROW2(first, last, rule, divisor, offset, group, name) \
    BinaryField{first, last, FieldRule::rule, divisor, offset, #name, 0, \
                [](const BinaryMessage& r) { return FieldRef(&r.group.name); }}
#define COMPANION(group, name) [](const BinaryMessage& r) { return FieldRef(&r.group.name); }

constexpr BinaryField withCode(BinaryField f, std::string_view (*text)(int), FieldRef (*companion)(const BinaryMessage&)) {
    f.CodeText = text;
    f.Companion = companion;
    return f;
}

// Latitude and longitude in 1/1000 minute; 181 and 91 degrees mean not available.
constexpr int32_t kLon181 = 181 * 60000;
constexpr int32_t kLat91 = 91 * 60000;

#define MET(first, last, rule, divisor, offset, name) ROW2(first, last, rule, divisor, offset, MetHydro, name)
constexpr BinaryField kMetHydro289[] = {
    MET(57, 81, Signed, 60000, 0, MetLongitude).na(kLon181),
    MET(82, 105, Signed, 60000, 0, MetLatitude).na(kLat91),
    MET(106, 106, Unsigned, 1, 0, MetPosAccuracy),
    MET(107, 111, Unsigned, 1, 0, MetDay).na(0),
    MET(112, 116, Unsigned, 1, 0, MetHour).na(24),
    MET(117, 122, Unsigned, 1, 0, MetMinute).na(60),
    MET(123, 129, Unsigned, 1, 0, AvgWindSpeed).na(127),
    MET(130, 136, Unsigned, 1, 0, WindGust).na(127),
    MET(137, 145, Unsigned, 1, 0, WindDirection).na(360),
    MET(146, 154, Unsigned, 1, 0, WindGustDirection).na(360),
    MET(155, 165, Signed, 10, 0, AirTemperature).na(-1024),
    MET(166, 172, Unsigned, 1, 0, RelativeHumidity).na(101),
    MET(173, 182, Signed, 10, 0, DewPoint).na(501),
    MET(183, 191, Unsigned, 1, 799, AirPressure).na(511),
    MET(192, 193, Unsigned, 1, 0, AirPressureTendency).na(3),
    MET(194, 194, Unsigned, 1, 0, VisibilityGreaterThan),
    MET(195, 201, Unsigned, 10, 0, HorizontalVisibility).na(127),
    MET(202, 213, Unsigned, 100, -10, WaterLevel).na(4001),
    MET(214, 215, Unsigned, 1, 0, WaterLevelTrend).na(3),
    MET(216, 223, Unsigned, 10, 0, SurfaceCurrentSpeed).na(255),
    MET(224, 232, Unsigned, 1, 0, SurfaceCurrentDirection).na(360),
    MET(233, 240, Unsigned, 10, 0, CurrentSpeed2).na(255),
    MET(241, 249, Unsigned, 1, 0, CurrentDirection2).na(360),
    MET(250, 254, Unsigned, 1, 0, CurrentLevel2).na(31),
    MET(255, 262, Unsigned, 10, 0, CurrentSpeed3).na(255),
    MET(263, 271, Unsigned, 1, 0, CurrentDirection3).na(360),
    MET(272, 276, Unsigned, 1, 0, CurrentLevel3).na(31),
    MET(277, 284, Unsigned, 10, 0, WaveHeight).na(255),
    MET(285, 290, Unsigned, 1, 0, WavePeriod).na(63),
    MET(291, 299, Unsigned, 1, 0, WaveDirection).na(360),
    MET(300, 307, Unsigned, 10, 0, SwellHeight).na(255),
    MET(308, 313, Unsigned, 1, 0, SwellPeriod).na(63),
    MET(314, 322, Unsigned, 1, 0, SwellDirection).na(360),
    MET(323, 326, Unsigned, 1, 0, SeaState).na(13),
    MET(327, 336, Signed, 10, 0, WaterTemperature).na(501),
    MET(337, 339, Unsigned, 1, 0, Precipitation).na(7),
    MET(340, 348, Unsigned, 10, 0, Salinity).na(510, 511),  // 511: no sensor
    MET(349, 350, Unsigned, 1, 0, Ice).na(3),
};
#undef MET

#define EXT(first, last, rule, divisor, name) ROW2(first, last, rule, divisor, 0, ExtendedShipStatic, name)
template <int I>
constexpr BinaryField solasItem() {
    return BinaryField{170 + 2 * I, 171 + 2 * I, FieldRule::Unsigned, 1, 0, "SOLASStatus", I + 1,
                       [](const BinaryMessage& r) { return FieldRef(&r.ExtendedShipStatic.SOLASStatus[I]); }};
}
template <size_t... I>
constexpr std::array<BinaryField, sizeof...(I)> solasItems(std::index_sequence<I...>) {
    return {solasItem<static_cast<int>(I)>()...};
}
constexpr auto kExtendedShipStatic = [] {
    constexpr BinaryField before[] = {
        EXT(57, 66, Unsigned, 1, LinkageID),
        EXT(67, 79, Unsigned, 10, AirDraught),
        EXT(80, 109, Text, 1, LastPortOfCall),
        EXT(110, 139, Text, 1, NextPortOfCall),
        EXT(140, 169, Text, 1, SecondPortOfCall),
    };
    constexpr BinaryField after[] = {
        EXT(222, 225, Unsigned, 1, IceClass),
        EXT(226, 243, Unsigned, 1, ShaftHorsePower),
        EXT(244, 255, Unsigned, 1, VHFWorkingChannel),
        EXT(256, 297, Text, 1, LloydsShipType),
        EXT(298, 315, Unsigned, 1, GrossTonnage),
        EXT(316, 317, Unsigned, 1, LadenOrBallast),
        EXT(318, 319, Unsigned, 1, HeavyFuelOil),
        EXT(320, 321, Unsigned, 1, LightFuelOil),
        EXT(322, 323, Unsigned, 1, Diesel),
        EXT(324, 337, Unsigned, 1, BunkerOil),
        EXT(338, 350, Unsigned, 1, PersonsOnBoard),
    };
    constexpr auto solas = solasItems(std::make_index_sequence<26>());
    std::array<BinaryField, std::size(before) + solas.size() + std::size(after)> rows{};
    size_t k = 0;
    for (const BinaryField& f : before) rows[k++] = f;
    for (const BinaryField& f : solas) rows[k++] = f;
    for (const BinaryField& f : after) rows[k++] = f;
    return rows;
}();
#undef EXT

#define NOTICE(first, last, name) ROW2(first, last, Unsigned, 1, 0, AreaNotice, name)
constexpr BinaryField kAreaNotice[] = {
    NOTICE(57, 66, LinkageID),
    withCode(NOTICE(67, 73, NoticeDescription), AreaNoticeText, COMPANION(AreaNotice, NoticeDescriptionText)),
    NOTICE(74, 77, StartMonth).na(0),
    NOTICE(78, 82, StartDay).na(0),
    NOTICE(83, 87, StartHour).na(24),
    NOTICE(88, 93, StartMinute).na(60),
    NOTICE(94, 111, Duration).na(262143),
};
#undef NOTICE

// Sub-area K of an area notice, every shape's rows.
template <int K>
struct SubArea {
    static constexpr int b = kSubAreaStart + kSubAreaBits * K;
#define SUB(first, last, rule, divisor, name) ROW2(first, last, rule, divisor, 0, AreaNotice.SubAreas[K], name)
#define SCALED(first, last, name) \
    withCode(SUB(first, last, Distance, 1, name), nullptr, COMPANION(AreaNotice.SubAreas[K], ScaleFactor))
#define POINT(p)                                                                                  \
    BinaryField{b + 5 + 20 * p, b + 14 + 20 * p, FieldRule::Unsigned, 2, 0, "PointAngle", p + 1,  \
                [](const BinaryMessage& r) { return FieldRef(&r.AreaNotice.SubAreas[K].PointAngle[p]); }} \
        .na(720),                                                                                 \
        withCode(BinaryField{b + 15 + 20 * p, b + 24 + 20 * p, FieldRule::Distance, 1, 0, "PointDistance", p + 1, \
                             [](const BinaryMessage& r) {                                         \
                                 return FieldRef(&r.AreaNotice.SubAreas[K].PointDistance[p]);     \
                             }},                                                                  \
                 nullptr, COMPANION(AreaNotice.SubAreas[K], ScaleFactor))
    static constexpr BinaryField shape =
        withCode(SUB(b, b + 2, Unsigned, 1, AreaShape), AreaShapeText, COMPANION(AreaNotice.SubAreas[K], AreaShapeText));
    static constexpr BinaryField scale = SUB(b + 3, b + 4, Unsigned, 1, ScaleFactor);
    static constexpr BinaryField lon = SUB(b + 5, b + 29, Signed, 60000, Longitude).na(kLon181);
    static constexpr BinaryField lat = SUB(b + 30, b + 53, Signed, 60000, Latitude).na(kLat91);
    static constexpr BinaryField precision = SUB(b + 54, b + 56, Unsigned, 1, Precision);
    static constexpr BinaryField circle[] = {shape, scale, lon, lat, precision, SCALED(b + 57, b + 68, Radius)};
    static constexpr BinaryField rectangle[] = {shape, scale, lon, lat, precision,
                                                SCALED(b + 57, b + 64, EastDimension),
                                                SCALED(b + 65, b + 72, NorthDimension),
                                                SUB(b + 73, b + 81, Unsigned, 1, Orientation)};
    static constexpr BinaryField sector[] = {shape, scale, lon, lat, precision, SCALED(b + 57, b + 68, Radius),
                                             SUB(b + 69, b + 77, Unsigned, 1, LeftBoundary),
                                             SUB(b + 78, b + 86, Unsigned, 1, RightBoundary)};
    static constexpr BinaryField points[] = {shape, scale, POINT(0), POINT(1), POINT(2), POINT(3)};
    static constexpr BinaryField text[] = {shape, SUB(b + 3, b + 86, Text, 1, Text)};
    static constexpr BinaryField reserved[] = {shape};
#undef POINT
#undef SCALED
#undef SUB
    static constexpr std::array<std::span<const BinaryField>, 8> shapes{circle, rectangle, sector, points,
                                                                        points, text,      reserved, reserved};
};

template <size_t... K>
constexpr std::array<std::array<std::span<const BinaryField>, 8>, sizeof...(K)> subAreas(std::index_sequence<K...>) {
    return {SubArea<static_cast<int>(K)>::shapes...};
}
constexpr auto kSubAreas = subAreas(std::make_index_sequence<kMaxSubAreas>());

#define INLAND(first, last, rule, divisor, name) ROW2(first, last, rule, divisor, 0, InlandStatic, name)
constexpr BinaryField kInlandStatic[] = {
    INLAND(57, 104, Text, 1, ENINumber),
    INLAND(105, 117, Unsigned, 10, Length).na(0),
    INLAND(118, 127, Unsigned, 10, Beam).na(0),
    withCode(INLAND(128, 141, Unsigned, 1, ERIShipType), ERIShipTypeText, COMPANION(InlandStatic, ERIShipTypeText)),
    withCode(INLAND(142, 144, Unsigned, 1, HazardousCargo), HazardousCargoText,
             COMPANION(InlandStatic, HazardousCargoText)),
    INLAND(145, 155, Unsigned, 100, Draught).na(0),
    INLAND(156, 157, Unsigned, 1, Loaded),
    INLAND(158, 158, Unsigned, 1, SpeedQuality),
    INLAND(159, 159, Unsigned, 1, CourseQuality),
    INLAND(160, 160, Unsigned, 1, HeadingQuality),
};
#undef INLAND
#undef COMPANION
#undef ROW2

#undef TIDE
#undef TOP
#undef ROW
#undef ORV_ROW

// Rows follow each other from `firstBit` (the first application bit) to
// `lastBit` without gaps or overlaps, and texts are whole characters: a
// mistyped bit position stops the build. (Spare bits at the end are left out.)
constexpr bool wellFormed(std::span<const BinaryField> rows, int lastBit, int firstBit = kBroadcastAppStart) {
    int next = firstBit;
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
static_assert(wellFormed(kMetHydro289, 350));        // 10 spare bits follow
static_assert(wellFormed(kExtendedShipStatic, 350));  // 10 spare bits follow
static_assert(wellFormed(kAreaNotice, kSubAreaStart - 1));
static_assert(wellFormed(kInlandStatic, 160));       // 8 spare bits follow

constexpr bool subAreasWellFormed() {
    for (int k = 0; k < kMaxSubAreas; ++k) {
        const int b = kSubAreaStart + kSubAreaBits * k;
        const auto& shapes = kSubAreas[static_cast<size_t>(k)];
        // Circle, rectangle, polyline and polygon end in spare bits.
        const int last[8] = {b + 68, b + 81, b + 86, b + 84, b + 84, b + 86, b + 2, b + 2};
        for (size_t s = 0; s < 8; ++s)
            if (!wellFormed(shapes[s], last[s], b)) return false;
    }
    return true;
}
static_assert(subAreasWellFormed());

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
        case BinaryApp::MetHydro289: return kMetHydro289;
        case BinaryApp::AreaNotice: return kAreaNotice;
        case BinaryApp::ExtendedShipStatic: return kExtendedShipStatic;
        case BinaryApp::InlandStatic: return kInlandStatic;
        case BinaryApp::Text:
        case BinaryApp::NotDecoded: break;
    }
    return {};
}

std::span<const BinaryField> AreaNoticeSubAreaLayout(int k, int shape) {
    if (k < 0 || k >= kMaxSubAreas) return {};
    return kSubAreas[static_cast<size_t>(k)][static_cast<size_t>(shape & 7)];
}

namespace {

// 10^scale for a distance's scale factor (2 bits: 1, 10, 100, 1000 metres).
double scaleOf(const BinaryField& field, const BinaryMessage& rec) {
    if (!field.Companion) return 1;
    const FieldRef ref = field.Companion(rec);
    if (ref.Kind != FieldKind::Int16) return 1;
    const int scale = *static_cast<const int16_t*>(ref.Ptr);
    return scale <= 0 ? 1 : scale == 1 ? 10 : scale == 2 ? 100 : 1000;
}

bool isNotAvailable(const BinaryField& field, int64_t raw) {
    return field.HasNA && raw >= field.NAFirst && raw <= field.NALast;
}

}  // namespace

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
    double v = static_cast<double>(base::kNotAvailable);
    if (!isNotAvailable(field, raw)) {
        v = field.Rule == FieldRule::Distance ? static_cast<double>(raw) * scaleOf(field, rec)
                                              : static_cast<double>(raw) / field.Divisor + field.Offset;
    }
    if (field.CodeText) {
        const FieldRef text = field.Companion(rec);
        if (text.Kind == FieldKind::Text)
            const_cast<std::string*>(static_cast<const std::string*>(text.Ptr))->assign(field.CodeText(static_cast<int>(raw)));
    }
    switch (kind) {
        case FieldKind::Int16: *writable<int16_t>(field, rec) = static_cast<int16_t>(v); break;
        case FieldKind::Int32: *writable<int32_t>(field, rec) = static_cast<int32_t>(v); break;
        case FieldKind::Single: *writable<float>(field, rec) = static_cast<float>(v); break;
        case FieldKind::Double: *writable<double>(field, rec) = v; break;
        case FieldKind::Text: break;
    }
}

double ReadNumber(const BinaryField& field, const BinaryMessage& rec) {
    const FieldRef ref = field.Ref(rec);
    switch (ref.Kind) {
        case FieldKind::Int16: return *static_cast<const int16_t*>(ref.Ptr);
        case FieldKind::Int32: return *static_cast<const int32_t*>(ref.Ptr);
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
    if (field.HasNA && v == static_cast<double>(base::kNotAvailable)) {
        out.put(first, last, field.NAFirst);
        return;
    }
    const int w = field.width();
    const bool isSigned = field.Rule == FieldRule::Signed;
    const double lo = isSigned ? -std::ldexp(1.0, w - 1) : 0.0;
    const double hi = isSigned ? std::ldexp(1.0, w - 1) - 1 : std::ldexp(1.0, w) - 1;
    const double x = std::round(field.Rule == FieldRule::Distance ? v / scaleOf(field, rec)
                                                                   : (v - field.Offset) * field.Divisor);
    // NaN falls to the lower bound along with values below it.
    auto clamped = static_cast<int64_t>(!(x >= lo) ? lo : (x > hi ? hi : x));
    // A value that is no value must not turn into "not available".
    if (isNotAvailable(field, clamped))
        clamped = field.NAFirst > lo ? field.NAFirst - 1 : field.NALast + 1;
    out.put(first, last, clamped);
}

}  // namespace ais
