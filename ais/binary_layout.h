// Field layouts of the binary applications, as data: one row per field with its
// bit range, reading rule, scaling and the member it fills. The decoder and the
// encoder walk the same rows, and anything that lists the fields of a decoded
// message (JSON output, windows) can walk them too.
//
// Bit ranges are numbered as in a broadcast (type 8) message, whose application
// data starts at bit 57; an addressed (type 6) message starts at bit 89, so its
// ranges are 32 bits later (kAddressedShift). Rows follow each other without gaps.
//
//   for (const BinaryField& f : ApplicationLayout(BinaryApp::MetHydro))
//       print(f.Name, ReadNumber(f, rec));   // "AirTemperature", 12.3
//
// A numeric field is stored as raw / Divisor + Offset. With AllOnesNotAvailable
// a field whose bits are all ones is stored as -9999, without scaling.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ais/binary_message.h"
#include "ais/bit_writer.h"
#include "ais/payload_bits.h"

namespace ais {

inline constexpr int kBroadcastAppStart = 57;
inline constexpr int kAddressedAppStart = 89;
inline constexpr int kAddressedShift = kAddressedAppStart - kBroadcastAppStart;

enum class FieldRule : uint8_t { Unsigned, Signed, Text };
enum class FieldKind : uint8_t { Int16, Single, Double, Text };

// Where a row's value lives in a record.
struct FieldRef {
    FieldKind Kind = FieldKind::Int16;
    const void* Ptr = nullptr;
    FieldRef() = default;
    explicit FieldRef(const int16_t* p) : Kind(FieldKind::Int16), Ptr(p) {}
    explicit FieldRef(const float* p) : Kind(FieldKind::Single), Ptr(p) {}
    explicit FieldRef(const double* p) : Kind(FieldKind::Double), Ptr(p) {}
    explicit FieldRef(const std::string* p) : Kind(FieldKind::Text), Ptr(p) {}
};

struct BinaryField {
    int16_t First = 0;  // first and last bit in a type 8 message
    int16_t Last = 0;
    FieldRule Rule = FieldRule::Unsigned;
    bool AllOnesNotAvailable = false;
    double Divisor = 1;
    double Offset = 0;
    const char* Name = "";
    int8_t Entry = 0;  // tidal window position 1-3; 0 for every other field
    FieldRef (*Ref)(const BinaryMessage&) = nullptr;

    constexpr int width() const { return Last - First + 1; }
};

// The rows of an application; empty for Text and NotDecoded, whose layouts are
// not fixed.
std::span<const BinaryField> ApplicationLayout(BinaryApp app);

// Reads a row's bits (shifted by `shift`) into rec.
void ReadField(const BinaryField& field, const PayloadBits& bits, int shift, BinaryMessage& rec);
// Writes a row's value from rec; -9999 in a field with AllOnesNotAvailable is
// written as all ones, other values are scaled back, rounded and clamped to
// what the field can hold (short of all ones when that means not available).
void WriteField(const BinaryField& field, const BinaryMessage& rec, int shift, BitWriter& out);

// The value of a numeric row in rec (0 for text rows), and the text of a text row.
double ReadNumber(const BinaryField& field, const BinaryMessage& rec);
const std::string& ReadText(const BinaryField& field, const BinaryMessage& rec);

}  // namespace ais
