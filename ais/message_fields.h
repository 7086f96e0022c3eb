// The fields a decoded message wrote, in record order, for output that must
// show exactly what the decoder produced (orvanta-cli decode, message dumps).
//
//   struct Printer : ais::FieldVisitor { ... };
//   int type = ais::DecodeAISMessage(payload, rec, fill, 0, now);
//   ais::VisitDecodedFields(rec, type, printer, false);
//
// After a message of type N this visits only fields of sub-record N that N's
// decoder writes: for a type 24 only the part it carried, for a communication
// state only the field that matches SlotTimeout, for a type 6 or 8 only the
// group of the application it carried (and the sub-areas an area notice
// holds, keyed SubArea1..., and a structured type 25 or 26's application).
// Types without a decoder (0, 28-63) visit nothing.
#pragma once

#include <cstdint>
#include <string_view>

#include "ais/message_record.h"

namespace ais {

class FieldVisitor {
public:
    virtual ~FieldVisitor() = default;
    virtual void integer(std::string_view name, int64_t value) = 0;
    virtual void single(std::string_view name, float value) = 0;
    virtual void real(std::string_view name, double value) = 0;
    virtual void text(std::string_view name, std::string_view value) = 0;
    virtual void dateTime(std::string_view name, base::DateTime value) = 0;
};

// Visits the fields of sub-record `type` written by its last decode, and
// TimeReceived last when withTime is set. Returns false for types without a
// decoder.
bool VisitDecodedFields(const AISMessageRecord& rec, int type, FieldVisitor& visitor, bool withTime);

}  // namespace ais
