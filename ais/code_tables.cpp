#include "ais/code_tables.h"

#include <mutex>
#include <utility>

namespace ais {

namespace {

struct MidName {
    int mid;
    std::string_view name;
};

// Maritime identification digits and the country names shown for them.
constexpr MidName kCountries[] = {
    {201, "Albania"},
    {202, "Andorra"},
    {203, "Austria"},
    {204, "Azores"},
    {205, "Belgium"},
    {206, "Belarus"},
    {207, "Bulgaria"},
    {208, "Vatican City State"},
    {209, "Cyprus"},
    {210, "Cyprus"},
    {211, "Germany"},
    {212, "Cyprus"},
    {213, "Georgia"},
    {214, "Moldova"},
    {215, "Malta"},
    {218, "Germany"},
    {219, "Denmark"},
    {220, "Denmark"},
    {224, "Spain"},
    {225, "Spain"},
    {226, "France"},
    {227, "France"},
    {228, "France"},
    {230, "Finland"},
    {231, "Faroe Islands"},
    {232, "United Kingdom"},
    {233, "United Kingdom"},
    {234, "United Kingdom"},
    {235, "United Kingdom"},
    {236, "Gibraltar"},
    {237, "Greece"},
    {238, "Croatia"},
    {239, "Greece"},
    {240, "Greece"},
    {242, "Morocco"},
    {243, "Hungary"},
    {244, "Netherlands"},
    {245, "Netherlands"},
    {246, "Netherlands"},
    {247, "Italy"},
    {248, "Malta"},
    {249, "Malta"},
    {250, "Ireland"},
    {251, "Iceland"},
    {252, "Liectenstein"},
    {253, "Luxenbourg"},
    {254, "Monaco"},
    {255, "Madeira"},
    {256, "Malta"},
    {257, "Norway"},
    {258, "Norway"},
    {259, "Norway"},
    {261, "Poland"},
    {263, "Portugal"},
    {264, "Romania"},
    {265, "Sweden"},
    {266, "Sweden"},
    {267, "Slovakia"},
    {268, "San Marino"},
    {269, "Switzerland"},
    {270, "Czech Republic"},
    {271, "Turkey"},
    {272, "Ukraine"},
    {273, "Russia"},
    {274, "Macedonia"},
    {275, "Latvia"},
    {276, "Estonia"},
    {277, "Lithuania"},
    {278, "Slovenia"},
    {279, "Serbia and Montenegro"},
    {301, "Anguilla"},
    {303, "Alaska"},
    {304, "Antigua and Barbuda"},
    {306, "Netherlands Antilles"},
    {307, "Aruba"},
    {308, "Bahamas"},
    {309, "Bahamas"},
    {310, "Bermuda"},
    {311, "Bahamas"},
    {312, "Belize"},
    {314, "Barbados"},
    {316, "Canada"},
    {319, "Cayman Islands"},
    {321, "Costa Rica"},
    {323, "Cuba"},
    {325, "Dominica"},
    {327, "Dominician republic"},
    {329, "Guadeloupe"},
    {330, "Grenada"},
    {331, "Greenland"},
    {332, "Guatemala"},
    {334, "Honduras"},
    {336, "Haiti"},
    {338, "USA"},
    {339, "Jamaica"},
    {341, "Saint Kitts and Nevis"},
    {343, "Saint Lucia"},
    {345, "Mexico"},
    {347, "Martinique"},
    {348, "Montserrat"},
    {350, "Nicaragua"},
    {351, "Panama"},
    {352, "Panama"},
    {353, "Panama"},
    {354, "Panama"},
    {355, "Panama"},
    {356, "Panama"},
    {357, "Panama"},
    {358, "Puerto Rico"},
    {359, "El Salvador"},
    {361, "Saint Pierre and Miquelon"},
    {362, "Trinidad and Tobago"},
    {364, "Turks and Caicos Islands"},
    {366, "USA"},
    {367, "USA"},
    {368, "USA"},
    {369, "USA"},
    {375, "Saint Vincent and the Grenadines"},
    {376, "Saint Vincent and the Grenadines"},
    {377, "Saint Vincent and the Grenadines"},
    {378, "British Virgin Islands"},
    {379, "US Virgin Islands"},
    {401, "Afghanistan"},
    {403, "Saudi Arabia"},
    {405, "Bangladesh"},
    {408, "Bahrain"},
    {410, "Bhutan"},
    {412, "China"},
    {413, "China"},
    {416, "Taiwan"},
    {417, "Sri Lanka"},
    {419, "India"},
    {422, "Iran"},
    {423, "Azerbaijani Republic"},
    {425, "Iraq"},
    {428, "Israel"},
    {431, "Japan"},
    {432, "Japan"},
    {434, "Turkmenistan"},
    {436, "Kazakhstan"},
    {437, "Uzbekistan"},
    {438, "Jordan"},
    {440, "Korea"},
    {441, "Korea"},
    {443, "Palestine"},
    {445, "Democratic People's Rep. of Korea"},
    {447, "Kuwait"},
    {450, "Lebanon"},
    {455, "Maldives"},
    {457, "Mongolia"},
    {459, "Nepal"},
    {461, "Oman"},
    {463, "Pakistan"},
    {466, "Qatar"},
    {468, "Syria"},
    {470, "United Arab Emirates"},
    {473, "Yemen"},
    {475, "Yemen"},
    {477, "Hongkong"},
    {501, "Adelia Land"},
    {503, "Australia"},
    {506, "Myanmar"},
    {508, "Brunei Darussalam"},
    {510, "Micronesia"},
    {511, "Palau"},
    {512, "New Zeeland"},
    {514, "Cambodia"},
    {515, "Cambodia"},
    {516, "Christmas Island"},
    {518, "Cook Islands"},
    {520, "Fiji"},
    {523, "Cocos Islands"},
    {525, "Indonesia"},
    {529, "Kiribati"},
    {531, "Lao People's Democratic Republic"},
    {533, "Malaysia"},
    {536, "Northern Mariana Islands"},
    {538, "Marshall Islands"},
    {540, "New Caledonia"},
    {542, "Niue"},
    {544, "Nauru"},
    {546, "French Polynesia"},
    {548, "Philippines"},
    {553, "Papua New Guinea"},
    {555, "Pitcairn Island"},
    {557, "Solomon Islands"},
    {559, "American Samoa"},
    {561, "Samoa"},
    {563, "Singapore"},
    {564, "Singapore"},
    {567, "Thailand"},
    {570, "Tonga"},
    {572, "Tuvalu"},
    {574, "Viet Nam"},
    {576, "Vanuatu"},
    {578, "Wallis and Futuna Islands"},
    {601, "South Africa"},
    {603, "Angola"},
    {605, "Algeria"},
    {607, "Saint Paul and Amsterdam Islands"},
    {608, "Ascension Island"},
    {609, "Burundi"},
    {610, "Benin"},
    {611, "Botswana"},
    {612, "Central African Republic"},
    {613, "Cameroon"},
    {615, "Congo"},
    {616, "Comoros"},
    {617, "Cape Verde"},
    {618, "Crazet Archipelago"},
    {619, "Côte d'Ivoire"},
    {621, "Djibouti"},
    {622, "Egypt"},
    {624, "Ethiopia"},
    {625, "Eritrea"},
    {626, "Gabonese Republic"},
    {627, "Ghana"},
    {629, "Gambia"},
    {630, "Guinea-Bissau"},
    {631, "Equatorial Guinea"},
    {632, "Guinea"},
    {633, "Burkina Faso"},
    {634, "Kenya"},
    {635, "Kerguelen Islands"},
    {636, "Liberia"},
    {637, "Liberia"},
    {642, "Libya"},
    {644, "Lesotho"},
    {645, "Mauritius"},
    {647, "Madagascar"},
    {649, "Mali"},
    {650, "Mozambique"},
    {654, "Mauretania"},
    {655, "Malawi"},
    {656, "Niger"},
    {657, "Nigeria"},
    {659, "Namibia"},
    {660, "Reunion"},
    {661, "Rwandese Republic"},
    {662, "Sudan"},
    {663, "Senegal"},
    {664, "Seychelles"},
    {665, "Saint Helena"},
    {666, "Somali Democratic Republic"},
    {667, "Sierra Leone"},
    {668, "Sao Tome and Principe"},
    {669, "Swaziland"},
    {670, "Chad"},
    {671, "Togolese Republic"},
    {672, "Tunisia"},
    {674, "Tanzania"},
    {675, "Uganda"},
    {676, "Democratic Rep of Congo"},
    {677, "Tanzania"},
    {678, "Zambia"},
    {679, "Zimbabwe"},
    {701, "Argentine"},
    {710, "Brazil"},
    {720, "Bolivia"},
    {725, "Chile"},
    {730, "Colombia"},
    {735, "Ecuador"},
    {740, "Falkland Islands"},
    {745, "Guiana (French dep of"},
    {750, "Guyana"},
    {755, "Paraguay"},
    {760, "Peru"},
    {765, "Suriname"},
    {770, "Uruguay"},
    {775, "Venezuela"},
};

constexpr std::string_view kAtoNTypes[32] = {
    "Not specified",
    "Reference Point",
    "RACON",
    "Offshore Structure",
    "(spare)",
    "Light - Without sectors",
    "Ligth - With sectors",
    "Leading light front",
    "Leading Light Rear",
    "Beacon - Cardinal N",
    "Beacon - Cardinal E",
    "Beacon - Cardinal S",
    "Beacon - Cardinal W",
    "Beacon - Port hand",
    "Beacon - Starboard hand ",
    "Beacon - Preferred ch. port hand ",
    "Beacon - Preferred ch. stb hand ",
    "Beacon - Isolated danger",
    "Beacon - Safe water ",
    "Beacon - Special mark",
    "Cardinal mark N",
    "Cardinal mark E",
    "Cardinal mark S",
    "Cardinal mark W",
    "Port hand mark",
    "Starboard hand mark",
    "Preferred channel port hand",
    "Preferred channel stb hand",
    "Isolated danger",
    "Safe water",
    "Special mark",
    "Light vessel / LANBY",
};

constexpr std::string_view kMessageTypeNames[27] = {
    "Class A vessel scheduled position report",
    "Class A vessel assigned position report",
    "Class A vessel special position report",
    "Base Station report",
    "Static and Voyage related data",
    "Addressed text or special message",
    "Acknowledgement of msg 6 or 12",
    "Broadcast text or special message",
    "SAR Aircraft position report",
    "UTC/Date inquiry",
    "UTC/Date response",
    "Addressed Safety Related Message",
    "Acknowledgement of msg 8 or 14",
    "Broadcast Safety Related Message",
    "Interrogation, request for specific msg",
    "Assignment mode command",
    "DGNSS Broadcast Message",
    "Standard Class B Position report",
    "Extended Class B Position report",
    "Data Link Management message",
    "Aids-to-Navigation report",
    "Channel Management",
    "Group Assignment Command",
    "Static Data Report",
    "Single Slot Binary Message",
    "Multiple Slot Binary Message",
    "Not defined",
};

// Base names of the ship types; decades 30-39 and 50-59 name every slot.
constexpr std::pair<int, std::string_view> kShipTypeBase[] = {
    {0, "Not defined"},
    {10, "Reserved for future use"},
    {20, "WIG (Wing In Ground)"},
    {30, "Vessel-Fishing"},
    {31, "Vessel-Towing"},
    {32, "Vessel-Towing. Length >200 m or breadth >25 m"},
    {33, "Vessel-Engaged in dredging or underwater operation"},
    {34, "Vessel-Engaged in diving operation"},
    {35, "Vessel-Engaged in military operation"},
    {36, "Vessel-Sailing"},
    {37, "Vessel-Pleasure Craft"},
    {38, "Vessel-Reserved for future use"},
    {39, "Vessel-Reserved for future use"},
    {40, "HSC"},
    {50, "Pilot Vessel"},
    {51, "Search and Rescue"},
    {52, "Tug"},
    {53, "Port Tender"},
    {54, "Vessel with antipollution facilities or equipment"},
    {55, "Law Enforcement vessel"},
    {56, " not used"},
    {57, " not used"},
    {58, "Medical Transport"},
    {59, "Ship according to Resolution No. 18"},
    {60, "Passenger Ship"},
    {70, "Cargo ship"},
    {80, "Tanker"},
    {90, "Other type of ship"},
};

void build(CodeTables& t) {
    t.NavStatusText = {"Under way using engines", "At anchor", "Not under command", "Restricted manoeuvrability",
                       "Constrained by her draught", "Moored", "Aground", "Engaged in fishing",
                       "Under way sailing", "HSC (High Speed Craft)", "WIG (Wing in Ground)", "reserved",
                       "reserved", "reserved", "reserved", "not defined"};
    t.PosAccuracyText = {"Low accuracy, >10 m", "High accuracy, <10 m"};
    t.EPFDTypeText = {"Undefined", "GPS", "Glonass", "GPS/Glonass", "Loran-C", "Chayka",
                      "Integrated Navigation System", "Surveyed", "Galileo"};
    t.CargoTypeText = {"Not specified",
                       "Cat A-DG,HS or MP IMO hazard or pollutant",
                       "Cat B-DG,HS or MP IMO hazard or pollutant",
                       "Cat C-DG,HS or MP IMO hazard or pollutant",
                       "Cat D-DG,HS or MP IMO hazard or pollutant",
                       "Reserved for future use",
                       "Reserved for future use",
                       "Reserved for future use",
                       "Reserved for future use",
                       "No additional information"};

    std::array<CodeText, 101> base;
    for (const auto& [index, name] : kShipTypeBase) base[static_cast<size_t>(index)] = CodeText::Lasting(name);

    // Group table: decades 30 and 50 per slot, every other decade its base name.
    for (int d = 0; d <= 90; d += 10) {
        for (int k = 0; k < 10; ++k) {
            const int slot = d + k;
            const bool perSlot = d == 30 || d == 50;
            t.ShipTypeGroupText[static_cast<size_t>(slot)] = base[static_cast<size_t>(perSlot ? slot : d)];
        }
    }
    // Full table: base names, then "<decade> - <cargo category>" for the
    // decades that carry a cargo digit (not decade 0, 30 or 50).
    t.ShipTypeFullText = base;
    for (int d : {10, 20, 40, 60, 70, 80, 90}) {
        for (int k = 1; k <= 9; ++k) {
            const std::string& text = t.MadeTexts.emplace_back(std::string(base[static_cast<size_t>(d)].view()) + " - " +
                                                            std::string(t.CargoTypeText[static_cast<size_t>(k)].view()));
            t.ShipTypeFullText[static_cast<size_t>(d + k)] = CodeText::Lasting(text);
        }
    }

    for (size_t i = 0; i < 32; ++i) t.AtoNTypeText[i] = CodeText::Lasting(kAtoNTypes[i]);
    for (size_t i = 0; i < 27; ++i) t.MessageTypeName[i] = kMessageTypeNames[i];
    for (const auto& c : kCountries) t.Country[static_cast<size_t>(c.mid)] = c.name;
}

const CodeTables* gTables = nullptr;
std::once_flag gOnce;

}  // namespace

void InitCodeTables() {
    std::call_once(gOnce, [] {
        // Built where it stays: the texts made here are viewed by the tables.
        auto* tables = new CodeTables;
        build(*tables);
        gTables = tables;
    });
}

const CodeTables& codeTables() {
    // Asked for every decoded field that has a text: after the first call a
    // local static costs one load, where call_once went through pthread_once
    // every time.
    static const CodeTables* const tables = (InitCodeTables(), gTables);
    return *tables;
}

ShipTypeTexts ShipTypeRule(int64_t receivedType, const CodeTables& t) {
    ShipTypeTexts r;
    const int type = (receivedType < 1 || receivedType > 99) ? 0 : static_cast<int>(receivedType);
    r.ShipType = static_cast<int16_t>(type);
    r.ShipTypeText = t.ShipTypeGroupText[static_cast<size_t>(type)];
    const bool noCargo = (type >= 30 && type <= 39) || (type >= 50 && type <= 59);
    r.CargoTypeText = noCargo ? CodeText("n/a") : t.CargoTypeText[static_cast<size_t>(type % 10)];
    r.ShipTypeFullText = t.ShipTypeFullText[static_cast<size_t>(type)];
    return r;
}

}  // namespace ais
