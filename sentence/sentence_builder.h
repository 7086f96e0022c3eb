// Building !AIVDM / !AIVDO sentences around an armoured payload: the inverse
// of ExtractVDM and the fragment assembler. Used by the traffic simulator and
// the tests.
//
//   input::SentenceBuilder nmea;
//   for (const std::string& s : nmea.build(payload, fillBits, 'A'))
//       write(s);   // "!AIVDM,1,1,,A,1...,0*hh\r\n"
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace input {

// Sentence building. A payload that fits one sentence of at most 82
// characters (line end included) gives one sentence with an empty sequential
// message identifier; a longer one is split into fragments of 60 characters
// that share an identifier 0-9, which the builder advances per multi-sentence
// message. Only the last fragment carries the fill bits; the others carry 0.
class SentenceBuilder {
public:
    // channel 'A' or 'B' (0 leaves the field empty); ownShip selects !AIVDO.
    std::vector<std::string> build(std::string_view payload, int fillBits, char channel = 'A',
                                   bool ownShip = false);
    // Appends the sentences to out instead (no new vector per message).
    void build(std::string_view payload, int fillBits, char channel, bool ownShip,
               std::vector<std::string>& out);

private:
    int nextSequentialId_ = 0;
};

// One sentence: "!AIVDM,count,number,id,channel,payload,fill*hh\r\n"; an id of
// -1 leaves the identifier field empty.
std::string MakeSentence(bool ownShip, int count, int number, int sequentialId, char channel,
                         std::string_view payload, int fillBits);

}  // namespace input
