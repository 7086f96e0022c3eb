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
// A numeric field is stored as raw / Divisor + Offset; a Distance field as raw
// x 10^(its scale factor). A raw value within NAFirst..NALast (when HasNA) is
// stored as -9999, without scaling. A row with CodeText also writes the text
// of its code into its Companion; a Distance row reads its scale factor from
// its Companion.
//
// An area notice's sub-areas follow its fixed rows; AreaNoticeSubAreaLayout
// gives the rows of sub-area k by its shape.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ais/binary_message.h"
#include "ais/bit_writer.h"
#include "ais/payload_bits.h"

namespace ais {

inline constexpr int kBroadcastAppStart = 57;
inline constexpr int kAddressedAppStart = 89;
inline constexpr int kAddressedShift = kAddressedAppStart - kBroadcastAppStart;

enum class FieldRule : uint8_t { Unsigned, Signed, Text, Distance };
enum class FieldKind : uint8_t { Int16, Int32, Single, Double, Text };

// Where a row's value lives in a record.
struct FieldRef {
    FieldKind Kind = FieldKind::Int16;
    const void* Ptr = nullptr;
    FieldRef() = default;
    explicit FieldRef(const int16_t* p) : Kind(FieldKind::Int16), Ptr(p) {}
    explicit FieldRef(const int32_t* p) : Kind(FieldKind::Int32), Ptr(p) {}
    explicit FieldRef(const float* p) : Kind(FieldKind::Single), Ptr(p) {}
    explicit FieldRef(const double* p) : Kind(FieldKind::Double), Ptr(p) {}
    explicit FieldRef(const std::string* p) : Kind(FieldKind::Text), Ptr(p) {}
};

struct BinaryField {
    int16_t First = 0;  // first and last bit in a type 8 message
    int16_t Last = 0;
    FieldRule Rule = FieldRule::Unsigned;
    double Divisor = 1;
    double Offset = 0;
    const char* Name = "";
    int8_t Entry = 0;  // the number after the name in a key (tidal window position, SOLAS item); 0 none
    FieldRef (*Ref)(const BinaryMessage&) = nullptr;
    bool HasNA = false;
    int32_t NAFirst = 0;
    int32_t NALast = 0;
    std::string_view (*CodeText)(int code) = nullptr;
    FieldRef (*Companion)(const BinaryMessage&) = nullptr;

    constexpr int width() const { return Last - First + 1; }
    // The same row with raw values first..last meaning "not available".
    constexpr BinaryField na(int32_t first, int32_t last) const {
        BinaryField f = *this;
        f.HasNA = true;
        f.NAFirst = first;
        f.NALast = last;
        return f;
    }
    constexpr BinaryField na(int32_t code) const { return na(code, code); }
    // All ones means "not available": -1 for a signed field.
    constexpr BinaryField allOnesNA() const {
        return na(Rule == FieldRule::Signed ? -1 : static_cast<int32_t>((int64_t{1} << width()) - 1));
    }
};

// The rows of an application; empty for Text and NotDecoded, whose layouts are
// not fixed. For AreaNotice the fixed rows before the sub-areas.
std::span<const BinaryField> ApplicationLayout(BinaryApp app);

// Rows of sub-area k (0-9) of an area notice with the given shape (0-7); the
// first row is always the shape. Sub-area k starts at bit 112 + 87 k (type 8
// numbering) and takes 87 bits.
inline constexpr int kSubAreaStart = 112;
inline constexpr int kSubAreaBits = 87;
std::span<const BinaryField> AreaNoticeSubAreaLayout(int k, int shape);

// Reads a row's bits (shifted by `shift`) into rec.
void ReadField(const BinaryField& field, const PayloadBits& bits, int shift, BinaryMessage& rec);
// Writes a row's value from rec; -9999 in a field with HasNA is written as
// NAFirst, other values are scaled back, rounded and clamped to what the
// field can hold (short of the not-available codes).
void WriteField(const BinaryField& field, const BinaryMessage& rec, int shift, BitWriter& out);

// The value of a numeric row in rec (0 for text rows), and the text of a text row.
double ReadNumber(const BinaryField& field, const BinaryMessage& rec);
const std::string& ReadText(const BinaryField& field, const BinaryMessage& rec);

}  // namespace ais
