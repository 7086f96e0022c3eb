#include "ais/application_codes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ais {
namespace {

// Notice descriptions of the area notice, by code; the codes left out are reserved.
constexpr std::pair<int, std::string_view> kNotices[] = {
    {0, "Caution Area: Marine mammals habitat"},
    {1, "Caution Area: Marine mammals in area - reduce speed"},
    {2, "Caution Area: Marine mammals in area - stay clear"},
    {3, "Caution Area: Marine mammals in area - report sightings"},
    {4, "Caution Area: Protected habitat - reduce speed"},
    {5, "Caution Area: Protected habitat - stay clear"},
    {6, "Caution Area: Protected habitat - no fishing or anchoring"},
    {7, "Caution Area: Derelicts (drifting objects)"},
    {8, "Caution Area: Traffic congestion"},
    {9, "Caution Area: Marine event"},
    {10, "Caution Area: Divers down"},
    {11, "Caution Area: Swim area"},
    {12, "Caution Area: Dredge operations"},
    {13, "Caution Area: Survey operations"},
    {14, "Caution Area: Underwater operation"},
    {15, "Caution Area: Seaplane operations"},
    {16, "Caution Area: Fishery - nets in water"},
    {17, "Caution Area: Cluster of fishing vessels"},
    {18, "Caution Area: Fairway closed"},
    {19, "Caution Area: Harbour closed"},
    {20, "Caution Area: Risk (define in associated text field)"},
    {21, "Caution Area: Underwater vehicle operation"},
    {23, "Environmental Caution Area: Storm front (line squall)"},
    {24, "Environmental Caution Area: Hazardous sea ice"},
    {25, "Environmental Caution Area: Storm warning (storm cell or line of storms)"},
    {26, "Environmental Caution Area: High wind"},
    {27, "Environmental Caution Area: High waves"},
    {28, "Environmental Caution Area: Restricted visibility (fog, rain, etc.)"},
    {29, "Environmental Caution Area: Strong currents"},
    {30, "Environmental Caution Area: Heavy icing"},
    {32, "Restricted Area: Fishing prohibited"},
    {33, "Restricted Area: No anchoring"},
    {34, "Restricted Area: Entry approval required prior to transit"},
    {35, "Restricted Area: Entry prohibited"},
    {36, "Restricted Area: Active military OPAREA"},
    {37, "Restricted Area: Firing - danger area"},
    {38, "Restricted Area: Drifting Mines"},
    {40, "Anchorage Area: Anchorage open"},
    {41, "Anchorage Area: Anchorage closed"},
    {42, "Anchorage Area: Anchorage prohibited"},
    {43, "Anchorage Area: Deep draft anchorage"},
    {44, "Anchorage Area: Shallow draft anchorage"},
    {45, "Anchorage Area: Vessel transfer operations"},
    {56, "Security Alert - Level 1"},
    {57, "Security Alert - Level 2"},
    {58, "Security Alert - Level 3"},
    {64, "Distress Area: Vessel disabled and adrift"},
    {65, "Distress Area: Vessel sinking"},
    {66, "Distress Area: Vessel abandoning ship"},
    {67, "Distress Area: Vessel requests medical assistance"},
    {68, "Distress Area: Vessel flooding"},
    {69, "Distress Area: Vessel fire/explosion"},
    {70, "Distress Area: Vessel grounding"},
    {71, "Distress Area: Vessel collision"},
    {72, "Distress Area: Vessel listing/capsizing"},
    {73, "Distress Area: Vessel under assault"},
    {74, "Distress Area: Person overboard"},
    {75, "Distress Area: SAR area"},
    {76, "Distress Area: Pollution response area"},
    {80, "Instruction: Contact VTS at this point/juncture"},
    {81, "Instruction: Contact Port Administration at this point/juncture"},
    {82, "Instruction: Do not proceed beyond this point/juncture"},
    {83, "Instruction: Await instructions prior to proceeding beyond this point/juncture"},
    {84, "Proceed to this location - await instructions"},
    {85, "Clearance granted - proceed to berth"},
    {88, "Information: Pilot boarding position"},
    {89, "Information: Icebreaker waiting area"},
    {90, "Information: Places of refuge"},
    {91, "Information: Position of icebreakers"},
    {92, "Information: Location of response units"},
    {93, "VTS active target"},
    {94, "Rogue or suspicious vessel"},
    {95, "Vessel requesting non-distress assistance"},
    {96, "Chart Feature: Sunken vessel"},
    {97, "Chart Feature: Submerged object"},
    {98, "Chart Feature: Semi-submerged object"},
    {99, "Chart Feature: Shoal area"},
    {100, "Chart Feature: Shoal area due north"},
    {101, "Chart Feature: Shoal area due east"},
    {102, "Chart Feature: Shoal area due south"},
    {103, "Chart Feature: Shoal area due west"},
    {104, "Chart Feature: Channel obstruction"},
    {105, "Chart Feature: Reduced vertical clearance"},
    {106, "Chart Feature: Bridge closed"},
    {107, "Chart Feature: Bridge partially open"},
    {108, "Chart Feature: Bridge fully open"},
    {112, "Report from ship: Icing info"},
    {114, "Report from ship: Miscellaneous information - define in associated text field"},
    {120, "Route: Recommended route"},
    {121, "Route: Alternative route"},
    {122, "Route: Recommended route through ice"},
    {125, "Other - define in associated text field"},
    {126, "Cancellation - cancel area as identified by Message Linkage ID"},
    {127, "Undefined (default)"},
};

// ERI ship and combination types of inland vessels.
constexpr std::pair<int, std::string_view> kERITypes[] = {
    {1500, "General cargo vessel maritime"},
    {1510, "Unit carrier maritime"},
    {1520, "Bulk carrier maritime"},
    {1530, "Tanker"},
    {1540, "Liquefied gas tanker"},
    {1850, "Pleasure craft, longer than 20 metres"},
    {1900, "Fast ship"},
    {1910, "Hydrofoil"},
    {1920, "Catamaran fast"},
    {8000, "Vessel, type unknown"},
    {8010, "Motor freighter"},
    {8020, "Motor tanker"},
    {8021, "Motor tanker, liquid cargo, type N"},
    {8022, "Motor tanker, liquid cargo, type C"},
    {8023, "Motor tanker, dry cargo as if liquid (e.g. cement)"},
    {8030, "Container vessel"},
    {8040, "Gas tanker"},
    {8050, "Motor freighter, tug"},
    {8060, "Motor tanker, tug"},
    {8070, "Motor freighter with one or more ships alongside"},
    {8080, "Motor freighter with tanker"},
    {8090, "Motor freighter pushing one or more freighters"},
    {8100, "Motor freighter pushing at least one tank-ship"},
    {8110, "Tug, freighter"},
    {8120, "Tug, tanker"},
    {8130, "Tug freighter, coupled"},
    {8140, "Tug, freighter/tanker, coupled"},
    {8150, "Freightbarge"},
    {8160, "Tankbarge"},
    {8161, "Tankbarge, liquid cargo, type N"},
    {8162, "Tankbarge, liquid cargo, type C"},
    {8163, "Tankbarge, dry cargo as if liquid (e.g. cement)"},
    {8170, "Freightbarge with containers"},
    {8180, "Tankbarge, gas"},
    {8210, "Pushtow, one cargo barge"},
    {8220, "Pushtow, two cargo barges"},
    {8230, "Pushtow, three cargo barges"},
    {8240, "Pushtow, four cargo barges"},
    {8250, "Pushtow, five cargo barges"},
    {8260, "Pushtow, six cargo barges"},
    {8270, "Pushtow, seven cargo barges"},
    {8280, "Pushtow, eight cargo barges"},
    {8290, "Pushtow, nine or more barges"},
    {8310, "Pushtow, one tank/gas barge"},
    {8320, "Pushtow, two barges at least one tanker or gas barge"},
    {8330, "Pushtow, three barges at least one tanker or gas barge"},
    {8340, "Pushtow, four barges at least one tanker or gas barge"},
    {8350, "Pushtow, five barges at least one tanker or gas barge"},
    {8360, "Pushtow, six barges at least one tanker or gas barge"},
    {8370, "Pushtow, seven barges at least one tanker or gas barge"},
    {8380, "Pushtow, eight barges at least one tanker or gas barge"},
    {8390, "Pushtow, nine or more barges at least one tanker or gas barge"},
    {8400, "Tug, single"},
    {8410, "Tug, one or more tows"},
    {8420, "Tug, assisting a vessel or linked combination"},
    {8430, "Pushboat, single"},
    {8440, "Passenger ship, ferry, cruise ship, red cross ship"},
    {8441, "Ferry"},
    {8442, "Red cross ship"},
    {8443, "Cruise ship"},
    {8444, "Passenger ship without accommodation"},
    {8450, "Service vessel, police patrol, port service"},
    {8460, "Vessel, work maintenance craft, floating derrick, cable-ship, buoy-ship, dredge"},
    {8470, "Object, towed, not otherwise specified"},
    {8480, "Fishing boat"},
    {8490, "Bunkership"},
    {8500, "Barge, tanker, chemical"},
    {8510, "Object, not otherwise specified"},
};

constexpr std::array<std::string_view, 8> kShapes = {"Circle or point", "Rectangle", "Sector", "Polyline",
                                                     "Polygon",         "Text",      "Reserved", "Reserved"};

constexpr std::array<std::string_view, 6> kHazards = {"0 blue cones/lights", "1 blue cone/light",
                                                      "2 blue cones/lights", "3 blue cones/lights",
                                                      "B-Flag",              "Unknown"};

// Both code tables are sorted by code.
template <size_t N>
std::string_view Lookup(const std::pair<int, std::string_view> (&table)[N], int code, std::string_view otherwise) {
    const auto* it = std::lower_bound(std::begin(table), std::end(table), code,
                                      [](const auto& entry, int c) { return entry.first < c; });
    return it != std::end(table) && it->first == code ? it->second : otherwise;
}

}  // namespace

std::string_view AreaNoticeText(int code) { return Lookup(kNotices, code, "(reserved for future use)"); }

std::string_view AreaShapeText(int code) {
    return code >= 0 && code < static_cast<int>(kShapes.size()) ? kShapes[static_cast<size_t>(code)] : "Reserved";
}

std::string_view ERIShipTypeText(int code) { return Lookup(kERITypes, code, ""); }

std::string_view HazardousCargoText(int code) {
    return code >= 0 && code < static_cast<int>(kHazards.size()) ? kHazards[static_cast<size_t>(code)] : "";
}

}  // namespace ais
