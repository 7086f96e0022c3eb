// Code tables of the IMO SN.1/Circ.289 and inland binary applications: the
// texts their decoders write beside a code.
//
//   AreaNoticeText(35)        -> "Restricted Area: Entry prohibited"
//   AreaShapeText(1)          -> "Rectangle"
//   ERIShipTypeText(8030)     -> "Container vessel"
//   HazardousCargoText(2)     -> "2 blue cones/lights"
//
// A code the table does not name gives "(reserved for future use)" for the
// area notice, "Reserved" for a shape and "" otherwise.
#pragma once

#include <string_view>

namespace ais {

std::string_view AreaNoticeText(int code);
std::string_view AreaShapeText(int code);
std::string_view ERIShipTypeText(int code);
std::string_view HazardousCargoText(int code);

}  // namespace ais
