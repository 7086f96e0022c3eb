#include "ais/binary_encoder.h"

#include <algorithm>

#include "ais/binary_layout.h"

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

    const BinaryApp app = SelectBinaryApp(rec.MessageID, rec.FI, standard);
    if (app == BinaryApp::Text) {
        const int first = appStart + 12;
        out.extendTo(first - 1);
        // Only what fits in the 1008 bits of a message.
        const int room = (kMaxPayloadBits - first + 1) / 6;
        const int chars = std::min(static_cast<int>(rec.Description.size()), room);
        out.putText(first, first + 6 * chars - 1, rec.Description);
        return true;
    }
    const int shift = appStart - kBroadcastAppStart;
    for (const BinaryField& f : ApplicationLayout(app)) WriteField(f, rec, shift, out);
    return true;
}

std::optional<BinaryPayload> EncodeBinaryMessage(const BinaryMessage& rec, int standard) {
    BitWriter w;
    if (!WriteBinaryMessage(rec, standard, w)) return std::nullopt;
    BinaryPayload p;
    p.Payload = w.armoured(p.FillBits);
    return p;
}

}  // namespace ais
