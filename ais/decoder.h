// DecodeAISMessage: the entry point of AIS message decoding. It de-armours the
// payload of one complete message (at most 168 characters, bits past the end
// read as zero), reads the message type from bits 1-6 and fills that type's
// sub-record of AISMessageRecord, writing only the fields that type's decoder
// writes (see message_record.h).
//
//   ais::AISMessageRecord rec;
//   int type = ais::DecodeAISMessage("15M67FC000G?ufbE`FepT@3n00Sa", rec, 0, 0, clock.now());
//   // type == 1; rec.Type1.MMSI, rec.Type1.SOG, ... are now the message's values
//
// Return value: the message type 0-63. Types 0 and 28-63 have no decoder and
// leave the record unchanged. No message is rejected: a short payload
// decodes to zeros and blanks, characters outside the armouring alphabet give
// whatever six bits the de-armouring arithmetic yields, and nothing is read
// outside the bit buffer.
//
// fillBits is the fill-bit count of the message's last sentence; it limits the
// variable-length texts of types 6, 8, 12 and 14 and the binary data of types
// 17, 25 and 26, and places a type 26's communication state (any value is
// safe: the end is clamped to the payload). `standard` selects the numbering of binary
// application messages in types 6, 8, 25 and 26 (0 = IMO SN/Circ.236,
// otherwise the IALA proposal).
// `now` is the local date-time written to TimeReceived and the year used for
// the ETA of type 5.
#pragma once

#include <string_view>

#include "ais/message_record.h"
#include "ais/payload_bits.h"
#include "base/date_time.h"

namespace ais {

int DecodeAISMessage(std::string_view payload, AISMessageRecord& record, int fillBits, int standard,
                     base::DateTime now);

// The same with the bits already loaded (lets a caller keep one buffer).
int DecodeAISMessage(const PayloadBits& bits, AISMessageRecord& record, int fillBits, int standard,
                     base::DateTime now);

}  // namespace ais
