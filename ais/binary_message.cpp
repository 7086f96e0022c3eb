#include "ais/binary_message.h"

#include <algorithm>
#include <charconv>

#include "ais/binary_layout.h"
#include "base/number_format.h"

namespace ais {

namespace {

struct AppNumbering {
    BinaryApp App;
    int ImoFI;
    int IalaFI;
    const char* Title;  // summary after "FI n - "; nullptr when the summary is built otherwise
};

// Text (FI 0) and the interrogation (FI 2) have the same number in both standards.
constexpr AppNumbering kNumbering[] = {
    {BinaryApp::Text, 0, 0, nullptr},
    {BinaryApp::Interrogation, 2, 2, nullptr},
    {BinaryApp::MetHydro, 11, 32, "Meteorological & Hydrological Data"},
    {BinaryApp::DangerousCargo, 12, 5, "Dangerous Cargo Indication"},
    {BinaryApp::FairwayClosed, 13, 20, "Fairway Closed"},
    {BinaryApp::TidalWindow, 14, 33, "Tidal Window"},
    {BinaryApp::HeightOverKeel, 15, 19, nullptr},
    {BinaryApp::PersonsOnBoard, 16, 40, nullptr},
};

// The newer applications, chosen by DAC and FI whatever the standard.
struct KeyedApp {
    BinaryApp App;
    int DAC;
    int FI;
    const char* Title;
};
constexpr KeyedApp kKeyed[] = {
    {BinaryApp::MetHydro289, 1, 31, "Meteorological & Hydrographic Data"},
    {BinaryApp::AreaNotice, 1, 22, "Area Notice"},
    {BinaryApp::ExtendedShipStatic, 1, 24, "Extended Ship Static & Voyage Related Data"},
    {BinaryApp::InlandStatic, 200, 10, "Inland Ship Static & Voyage Related Data"},
};

// The FI 0 text starts after the 12 bits that follow the FI.
constexpr int kTextSkip = 12;

// Keeps 6 x chars - fillBits free of overflow for any fill-bit value.
int saneFillBits(int fillBits) { return std::clamp(fillBits, -kMaxPayloadBits, kMaxPayloadBits); }

std::string describe(BinaryApp app, const BinaryMessage& rec) {
    switch (app) {
        case BinaryApp::Text:
            break;  // the text itself
        case BinaryApp::Interrogation:
            return "FI 2 - FI Interogation, DAC" + base::NumberText(rec.RequestedDAC) + " FI" +
                   base::NumberText(rec.RequestedFI);
        case BinaryApp::HeightOverKeel:
            return "Height over keel :" + base::NumberText(rec.HeightOverKeel);
        case BinaryApp::PersonsOnBoard:
            return "Passengers onboard :" + base::NumberText(rec.PassengersOnboard);
        case BinaryApp::NotDecoded:
            return "Message with FI (Function Identifier)" + base::NumberText(rec.FI) +
                   " received. FI is not decoded by this application! Please make sure you are "
                   "using correct Binary Message Standard (IMO236 or IALA Proposal)";
        case BinaryApp::AreaNotice:
            return "FI " + std::to_string(rec.FI) + " - Area Notice: " + rec.AreaNotice.NoticeDescriptionText;
        default:
            for (const AppNumbering& n : kNumbering) {
                if (n.App == app && n.Title) return "FI " + std::to_string(rec.FI) + " - " + n.Title;
            }
            for (const KeyedApp& k : kKeyed) {
                if (k.App == app) return "FI " + std::to_string(rec.FI) + " - " + k.Title;
            }
    }
    return {};
}

// The sub-areas of an area notice: as many whole ones as the data holds.
void readSubAreas(const PayloadBits& bits, int shift, int dataEnd, BinaryMessage& rec) {
    AreaNoticeData& notice = rec.AreaNotice;
    const int whole = (dataEnd - (kSubAreaStart + shift) + 1) / kSubAreaBits;
    notice.SubAreaCount = static_cast<int16_t>(std::clamp(whole, 0, kMaxSubAreas));
    for (int k = 0; k < kMaxSubAreas; ++k) {
        notice.SubAreas[static_cast<size_t>(k)] = {};
        if (k >= notice.SubAreaCount) continue;
        const int first = kSubAreaStart + kSubAreaBits * k + shift;
        const int shape = static_cast<int>(bits.value(first, first + 2));
        for (const BinaryField& f : AreaNoticeSubAreaLayout(k, shape)) ReadField(f, bits, shift, rec);
    }
}

}  // namespace

BinaryApp SelectBinaryApp(int messageType, int dac, int fi, int standard) {
    for (const KeyedApp& k : kKeyed) {
        if (k.DAC == dac && k.FI == fi) return k.App;
    }
    for (const AppNumbering& n : kNumbering) {
        if ((standard == 0 ? n.ImoFI : n.IalaFI) != fi) continue;
        // An interrogation is addressed to one station; a broadcast FI 2 is not decoded.
        if (n.App == BinaryApp::Interrogation && messageType != 6) break;
        return n.App;
    }
    return BinaryApp::NotDecoded;
}

int BinaryAppFI(BinaryApp app, int standard) {
    for (const AppNumbering& n : kNumbering) {
        if (n.App == app) return standard == 0 ? n.ImoFI : n.IalaFI;
    }
    for (const KeyedApp& k : kKeyed) {
        if (k.App == app) return k.FI;
    }
    return -1;
}

int BinaryAppDAC(BinaryApp app) {
    for (const KeyedApp& k : kKeyed) {
        if (k.App == app) return k.DAC;
    }
    return 1;
}

BinaryApp DecodeBinaryApplication(const PayloadBits& bits, int appStart, int fillBits, int tailBits,
                                  int messageType, int standard, BinaryMessage& rec) {
    fillBits = saneFillBits(fillBits);
    tailBits = std::clamp(tailBits, 0, kMaxPayloadBits);
    const BinaryApp app = SelectBinaryApp(messageType, rec.DAC, rec.FI, standard);
    if (app == BinaryApp::Text) {
        const int first = appStart + kTextSkip;
        rec.Description = bits.text(first, bits.textEnd(first, fillBits + tailBits));
    } else {
        const int shift = appStart - kBroadcastAppStart;
        for (const BinaryField& f : ApplicationLayout(app)) ReadField(f, bits, shift, rec);
        if (app == BinaryApp::AreaNotice) readSubAreas(bits, shift, bits.dataEnd(fillBits) - tailBits, rec);
        rec.Description = describe(app, rec);
    }
    rec.Application = app;
    return app;
}

BinaryApp DecodeBinaryMessage(const PayloadBits& bits, int fillBits, int standard, base::DateTime now,
                              BinaryMessage& rec) {
    const auto type = static_cast<int16_t>(bits.value(1, 6));
    const bool addressed = type == 6;
    rec.MessageID = type;
    rec.RepeatIndicator = static_cast<int16_t>(bits.value(7, 8));
    rec.MMSI = static_cast<int32_t>(bits.value(9, 38));
    int appStart = kBroadcastAppStart;
    if (addressed) {
        // Sequence number (39-40), retransmit flag (71) and spare (72) are not kept.
        rec.DestinationMMSI = static_cast<int32_t>(bits.value(41, 70));
        rec.DAC = static_cast<int16_t>(bits.value(73, 82));
        rec.FI = static_cast<int16_t>(bits.value(83, 88));
        appStart = kAddressedAppStart;
    } else {
        rec.DAC = static_cast<int16_t>(bits.value(41, 50));
        rec.FI = static_cast<int16_t>(bits.value(51, 56));
    }

    const BinaryApp app = DecodeBinaryApplication(bits, appStart, fillBits, 0, type, standard, rec);
    rec.TimeReceived = now;
    return app;
}

}  // namespace ais
