// CodeText: the text a coded field turns into (ais/code_tables.h), held as a
// view of text that lasts as long as the program: a code table's entry (the
// tables are built once and never freed) or a literal. A record holding one
// copies two words where a string copied its characters, and allocated for
// the longer texts ("Restricted manoeuvrability"); records are copied for
// every message on its way from the decoder to the target table.
//
//   rec.NavStatusText = ais::codeTables().NavStatusText[5];   // "Moored"
//   json.field("NavStatusText", rec.NavStatusText);           // reads as a string_view
#pragma once

#include <cstddef>
#include <ostream>
#include <string_view>

namespace ais {

class CodeText {
public:
    constexpr CodeText() = default;
    // A literal (or another array that lasts as long as the program).
    template <size_t N>
    constexpr CodeText(const char (&literal)[N]) : text_(literal, N - 1) {}
    // Text that outlives every record holding it: a code table's entry.
    static constexpr CodeText Lasting(std::string_view text) {
        CodeText t;
        t.text_ = text;
        return t;
    }

    constexpr operator std::string_view() const { return text_; }
    constexpr std::string_view view() const { return text_; }
    constexpr bool empty() const { return text_.empty(); }

    friend constexpr bool operator==(CodeText a, std::string_view b) { return a.text_ == b; }
    friend std::ostream& operator<<(std::ostream& out, CodeText t) { return out << t.text_; }

private:
    std::string_view text_;
};

}  // namespace ais
