// Binary messages (types 6 and 8): the addressed/broadcast header, the text of
// FI 0, and the application messages of both numbering standards.
#pragma once

#include <cstdint>
#include <string>

#include "ais/payload_bits.h"
#include "app/date_time.h"

namespace ais {

// Sub-record for type 6 (one instance) and type 8 (another instance).
struct BinaryMessage {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int32_t DestinationMMSI = 0;  // type 6 only
    int16_t DAC = 0;
    int16_t FI = 0;
    std::string Description;
    int16_t RequestedDAC = 0;
    int16_t RequestedFI = 0;
    float HeightOverKeel = 0;
    int16_t PassengersOnboard = 0;
    // Application fields (meteorological and hydrological data, dangerous cargo,
    // fairway closed, tidal window) follow here.
    app::DateTime TimeReceived;
};

// Decodes a type 6 or type 8 message (bits already loaded) into rec. `standard`
// 0 selects the IMO SN/Circ.236 numbering, any other value the IALA proposal.
void DecodeBinaryMessage(const PayloadBits& bits, int fillBits, int standard, app::DateTime now,
                         BinaryMessage& rec);

}  // namespace ais
