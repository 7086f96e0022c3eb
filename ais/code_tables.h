// Code tables: the fixed texts that coded AIS fields turn into, the country of
// every maritime identification digit (MID), and the expected reporting
// intervals. Built once (InitCodeTables, or on first use of codeTables()) and
// read-only afterwards. A slot no table fills holds the empty text.
//
//   codeTables().NavStatusText[5]   -> "Moored"
//   codeTables().Country[257]       -> "Norway"
//   ShipTypeRule(84)                -> {84, "Tanker", "Cat D-DG,HS or MP IMO hazard or pollutant", ...}
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "ais/code_text.h"

namespace ais {

struct CodeTables {
    CodeTables() = default;
    CodeTables(const CodeTables&) = delete;  // its texts view the texts it holds
    CodeTables& operator=(const CodeTables&) = delete;

    std::array<CodeText, 16> NavStatusText;
    std::array<CodeText, 2> PosAccuracyText;
    std::array<CodeText, 16> EPFDTypeText;
    std::array<CodeText, 10> CargoTypeText;
    std::array<CodeText, 101> ShipTypeGroupText;  // gives ShipTypeText
    std::array<CodeText, 101> ShipTypeFullText;   // type 19 only
    std::array<CodeText, 32> AtoNTypeText;
    std::array<std::string, 27> MessageTypeName;  // slot t-1 names type t; slot 26 "Not defined"
    std::array<std::string, 1001> Country;        // index = MID 0-1000
    std::deque<std::string> MadeTexts;            // texts made from others (a deque: they never move)
};

// Builds the tables (idempotent).
void InitCodeTables();
const CodeTables& codeTables();

// The ship type rule of the type 5, 19 and 24 decoders and the ship database.
struct ShipTypeTexts {
    int16_t ShipType = 0;       // received type, or 0 when below 1 or above 99
    CodeText ShipTypeText;      // group table
    CodeText CargoTypeText;     // "n/a" for 30-39 and 50-59
    CodeText ShipTypeFullText;  // full table (used by type 19)
};
ShipTypeTexts ShipTypeRule(int64_t receivedType, const CodeTables& tables = codeTables());

// Expected reporting intervals in seconds (single precision).
namespace intervals {
// At anchor/moored <=3 kn; anchor/moored >3 kn; 0-14 kn; 0-14 kn turning;
// 14-23 kn; 14-23 kn turning; >23 kn; >23 kn turning.
inline constexpr float ClassA[8] = {180.0f, 10.0f, 10.0f, 3.3f, 6.0f, 2.0f, 2.0f, 2.0f};
// Below 2 kn; 2-14 kn; 14-23 kn; above 23 kn.
inline constexpr float ClassB[4] = {180.0f, 30.0f, 15.0f, 5.0f};
inline constexpr float StaticVoyage = 360.0f;   // type 5
inline constexpr float ExtendedClassB = 360.0f; // type 19
inline constexpr float BaseStation = 10.0f;     // type 4
inline constexpr float SARAircraft = 10.0f;     // type 9
inline constexpr float AtoN = 180.0f;           // type 21
}  // namespace intervals

}  // namespace ais
