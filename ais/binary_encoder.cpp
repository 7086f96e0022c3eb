#include "ais/binary_encoder.h"

#include <algorithm>

#include "ais/binary_layout.h"
#include "ais/payload_bits.h"

namespace ais {

bool WriteBinaryMessage(const BinaryMessage& rec, int standard, BitWriter& out) {
    if (rec.MessageID != 6 && rec.MessageID != 8) return false;
    const bool addressed = rec.MessageID == 6;
    out.put(1, 6, rec.MessageID);
    out.put(7, 8, rec.RepeatIndicator);
    out.put(9, 38, rec.MMSI);
    int appStart = kBroadcastAppStart;
    if (addressed) {
        out.put(39, 40, 0);  // sequence number
        out.put(41, 70, rec.DestinationMMSI);
        out.put(71, 72, 0);  // retransmit flag, spare
        out.put(73, 82, rec.DAC);
        out.put(83, 88, rec.FI);
        appStart = kAddressedAppStart;
    } else {
        out.put(41, 50, rec.DAC);
        out.put(51, 56, rec.FI);
    }

    WriteBinaryApplication(rec, appStart, 0, rec.MessageID, standard, out);
    return true;
}

void WriteBinaryApplication(const BinaryMessage& rec, int appStart, int tailBits, int messageType, int standard,
                            BitWriter& out) {
    const int room = kMaxPayloadBits - tailBits;  // the last bit the application may use
    const BinaryApp app = SelectBinaryApp(messageType, rec.DAC, rec.FI, standard);
    if (app == BinaryApp::Text) {
        const int first = appStart + 12;
        out.extendTo(first - 1);
        // Only what fits in the 1008 bits of a message.
        const int chars = std::clamp(static_cast<int>(rec.Description.size()), 0, (room - first + 1) / 6);
        out.putText(first, first + 6 * chars - 1, rec.Description);
        return;
    }
    const int shift = appStart - kBroadcastAppStart;
    for (const BinaryField& f : ApplicationLayout(app)) WriteField(f, rec, shift, out);
    if (app != BinaryApp::AreaNotice) return;
    // The sub-areas that fit, each whole (spare bits included).
    const AreaNoticeData& notice = rec.AreaNotice;
    for (int k = 0; k < std::clamp<int>(notice.SubAreaCount, 0, kMaxSubAreas); ++k) {
        const int first = kSubAreaStart + kSubAreaBits * k + shift;
        if (first + kSubAreaBits - 1 > room) break;
        const int shape = notice.SubAreas[static_cast<size_t>(k)].AreaShape;
        for (const BinaryField& f : AreaNoticeSubAreaLayout(k, shape)) WriteField(f, rec, shift, out);
        out.extendTo(first + kSubAreaBits - 1);
    }
}

int ApplicationData(const BinaryMessage& rec, int appStart, int tailBits, int messageType, int standard,
                    std::string& hex) {
    BitWriter w;
    w.extendTo(appStart - 1);
    WriteBinaryApplication(rec, appStart, tailBits, messageType, standard, w);
    int fill = 0;
    const PayloadBits bits(w.armoured(fill));
    bits.hex(appStart, w.bitLength(), hex);
    return std::max(0, w.bitLength() - appStart + 1);
}

std::optional<BinaryPayload> EncodeBinaryMessage(const BinaryMessage& rec, int standard) {
    BitWriter w;
    if (!WriteBinaryMessage(rec, standard, w)) return std::nullopt;
    BinaryPayload p;
    p.Payload = w.armoured(p.FillBits);
    return p;
}

}  // namespace ais
