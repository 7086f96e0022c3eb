// Texts from the air and from files written into files other programs read:
// CSV fields, XML character data, and the UTF-8 check the JSON writer shares.
//
//   std::string line;
//   base::AppendCsvField(line, "EVER, GIVEN");   // "EVER, GIVEN" in quotes
//   base::AppendCsvText(line, "=HYPERLINK(1)");   // '=HYPERLINK(1)
//   std::string xml;
//   base::AppendXmlText(xml, "R&D <1>");         // R&amp;D &lt;1&gt;
//
// Whatever the bytes, the result is valid UTF-8: valid sequences are copied,
// and every byte that does not start one (a Latin-1 letter, a cut sequence)
// becomes U+FFFD, the replacement character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// text without the spaces that pad it on either side (list cells, AIS names).
std::string_view TrimSpaces(std::string_view text);

// One CSV field: in double quotes, with quotes doubled, when it holds a comma,
// a quote, a carriage return or a line feed; as it is otherwise.
void AppendCsvField(std::string& out, std::string_view text);
// A text cell (a name, a call sign, a destination, a message text): as
// AppendCsvField, but a text that begins with '=', '+', '-', '@', a tab or a
// carriage return gets a leading apostrophe, so a spreadsheet shows it as text
// instead of running it as a formula. Numeric cells go through AppendCsvField.
void AppendCsvText(std::string& out, std::string_view text);

// XML character data or attribute value (in double or single quotes): & < > "
// and ' as entities; control characters, which XML 1.0 cannot carry or which
// would change the text's lines, are left out.
void AppendXmlText(std::string& out, std::string_view text);

}  // namespace base
