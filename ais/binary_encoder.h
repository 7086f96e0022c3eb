// Binary message encoder: the inverse of DecodeBinaryMessage. Turns the header
// and the application fields of a BinaryMessage into bits and an armoured
// payload with its fill-bit count, ready to be wrapped into !AIVDM sentences.
//
//   BinaryMessage m;
//   m.MessageID = 8; m.MMSI = 257012345; m.DAC = 1;
//   m.FI = BinaryAppFI(BinaryApp::MetHydro, 0);       // 11 under IMO SN/Circ.236
//   m.MetHydro.AirTemperature = 12.3f;                // -9999 is sent as all ones
//   std::optional<BinaryPayload> p = EncodeBinaryMessage(m, 0);
//
// The application is chosen from m.DAC and m.FI under `standard`, exactly as
// the decoder chooses it; for FI 0 the Description is sent as six-bit text (as much of it
// as fits in 1008 bits). An FI that selects nothing gives the header alone.
// Values are rounded to the field's resolution and clamped to what its bits
// can hold (short of all ones where all ones means not available). The
// sequence number, retransmit flag, spare bits and the 12 bits before an FI 0
// text are sent as zeros. MessageID must be 6 or 8, otherwise nothing is
// produced.
#pragma once

#include <optional>
#include <string>

#include "ais/binary_message.h"
#include "ais/bit_writer.h"

namespace ais {

struct BinaryPayload {
    std::string Payload;  // armoured six-bit characters
    int FillBits = 0;     // pad bits in the last character, 0-5
};

// Writes the message bits into out (which should be empty). False, with
// nothing written, when rec.MessageID is neither 6 nor 8.
bool WriteBinaryMessage(const BinaryMessage& rec, int standard, BitWriter& out);

std::optional<BinaryPayload> EncodeBinaryMessage(const BinaryMessage& rec, int standard);

// The application part alone (what follows the FI), from bit appStart, as a
// message of type messageType carries it; the last tailBits of the 1008 are
// left free. For types 25 and 26, whose headers differ.
void WriteBinaryApplication(const BinaryMessage& rec, int appStart, int tailBits, int messageType, int standard,
                            BitWriter& out);

// The application part as hex text (the Data of a structured type 25 or 26
// whose application starts at appStart); returns its length in bits.
int ApplicationData(const BinaryMessage& rec, int appStart, int tailBits, int messageType, int standard,
                    std::string& hex);

}  // namespace ais
