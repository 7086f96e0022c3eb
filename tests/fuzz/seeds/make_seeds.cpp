// Writes the seed corpora of the fuzz harnesses: make_seeds OUTDIR makes
// OUTDIR/<harness>/ for each harness in tests/fuzz, filled from the AIS
// encoder, the traffic simulator (with and without faults) and the writers of
// the files the program reads, so every seed starts deep inside the parsers.
// The same binary always writes the same files.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ais/decoder.h"
#include "cli/sim/fault_injector.h"
#include "cli/sim/simulator.h"
#include "geodesy/position_text.h"
#include "input/setup_file.h"
#include "input/vdm.h"
#include "targets/ship_database.h"

namespace {

namespace fs = std::filesystem;

class Corpus {
public:
    Corpus(const fs::path& root, const char* name) : dir_(root / name) { fs::create_directories(dir_); }
    void add(const std::string& bytes) {
        char name[32];
        std::snprintf(name, sizeof name, "seed-%04d", n_++);
        FILE* f = std::fopen((dir_ / name).c_str(), "wb");
        if (!f) return;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    int count() const { return n_; }

private:
    fs::path dir_;
    int n_ = 0;
};

std::string modeBytes(int mode, int seed) { return {static_cast<char>(mode), static_cast<char>(seed)}; }

void pipelineAndDecoder(const fs::path& root) {
    Corpus pipeline(root, "pipeline");
    Corpus decoder(root, "decoder");
    sim::SimulatorOptions opt;
    opt.scenario.stations = 40;
    opt.occasionalRate = 20;  // plenty of text and binary messages
    sim::Simulator simulator(opt);
    sim::FaultInjector faults({0.3, 11, true});
    sim::Emission e;
    std::vector<int> perType(64, 0);
    input::VdmAssembler assembler;
    // Streams of about 40 messages, each run with different settings.
    for (int file = 0; file < 48; ++file) {
        std::string stream;
        for (int m = 0; m < 40; ++m) {
            simulator.next(e);
            if (file % 3 == 0) {
                for (const auto& s : e.sentences) stream += s;
            } else {
                faults.apply(e.sentences, stream);
            }
            // One payload per message type (a few for the common ones) for the decoder.
            if (perType[static_cast<size_t>(e.messageType)]++ < 3) {
                for (const auto& s : e.sentences) {
                    input::VDMFields f;
                    if (input::ExtractVDM(s, f) != input::ExtractResult::Ok) continue;
                    if (assembler.add(input::SentenceKind::VDM, f, 0) == input::VdmAssembler::Status::Complete) {
                        decoder.add(modeBytes(assembler.fillBits(), e.messageType & 1) +
                                    std::string(assembler.payload()));
                    }
                }
            }
        }
        const int mode = (file * 37) & 0xFF;
        pipeline.add(modeBytes(mode & ~2, file) + stream);  // the empty-buffer rule drops too much to seed with
        // The same stream into a nearly full table, so new stations fill it.
        if (file % 8 == 1) pipeline.add(modeBytes(mode & ~2, 0xE0 | file) + stream);
    }
    std::printf("pipeline: %d seeds, decoder: %d seeds\n", pipeline.count(), decoder.count());
}

// The file readers start from what the program's own writers produce, and
// from a few files written by hand with the odd cases.
void fileSeeds(const fs::path& root) {
    input::CommSettings comm;
    input::SetSetupDefaults(comm);
    input::RunState state;
    const std::string setupDefaults = input::FormatSetup(comm, state);
    comm.ComPort = 3;
    comm.UseTCP = true;
    comm.IPListCount = 3;
    comm.IPList = {"10.0.0.1", "192.168.1.20", "127.0.0.1"};
    state.CheckChecksum = true;
    state.RefLat = 59.503417;
    state.RefLon = -5.335;
    state.ReferenceMode = 3;
    state.RefMMSI = 257012300;
    state.BinaryMsgStandard = 1;
    const std::string setup = input::FormatSetup(comm, state);
    const size_t ip = setup.find("\"REM IP Address\"");

    std::string ships;
    for (const targets::ShipDataItem& item : {targets::ShipDataItem{257012300, "Blue Heron", "LABC", 9123456, 70, 100,
                                                                    20, 10, 10, 1},
                                              targets::ShipDataItem{211000000, "M\xC3\x96WE, \"Fast\"", "DA1", 0, 80,
                                                                    50, 10, 5, 5, 3},
                                              targets::ShipDataItem{1, "A", "B", -1, -32768, 32767, 0, 0, 0, 15}}) {
        ships += targets::FormatShipDataLine(item);
    }
    const std::string cities =
        "Portville,60,23.5,5,19.8\r\n\"Bay, North\",59,6,10,0.6\r\nSouthend,-33,30,-70,45\r\nZero,-0,30,0,15\r\n";
    const std::string platforms = "Troll A,60,38.7,3,43.6,Gas\nNoType,56,0,2,30\n\"Rig, 7\",55,1,-1,2,\xC3\x96l\n";
    std::string manyCities;
    for (int i = 0; i < 105; ++i) manyCities += "C" + std::to_string(i) + ",50,1,3,0\n";

    const std::pair<const char*, std::vector<std::string>> seeds[] = {
        {"setup_file",
         {setupDefaults, setup, setup.substr(ip) + setup.substr(0, ip), setup.substr(0, setup.size() / 2)}},
        {"ship_database",
         {ships.substr(0, ships.find('\r')), ships, "\x01" + ships + ships,  // odd first byte: a left-over backup too
          "257012300,\"blue heron\"\n257012300,\"x\",\"y\",1,2,3,4,5,6,7\n\xEF\xBB\xBF" "1,\"caf\xE9\",,,,,,,,\n"}},
        {"flag_index",
         {"257,NO,\"Norway\"\r\n258,NO,\"Norway\"\r\n211,DE,\"Germany\"\r\n",
          "\"257\",\"NO\",\"Norway\"\n 244 , NL , Netherlands\n232,GB,\"United Kingdom, the\"\n",
          "99999,XX,too big\n-1,YY,negative\nabc,ZZ,no number\n300,../x,escape\n301,,empty\n257,NO\n"}},
        {"landmarks",
         {cities, "\x01" + cities + platforms,
          "Short,60,23.5,5\nWord,sixty,0,5,0\nPole,90,30,5,0\n\"Open,1,2,3,4\n,,,,\n", manyCities}},
    };
    for (const auto& [name, list] : seeds) {
        Corpus c(root, name);
        for (const std::string& seed : list) c.add(seed);
    }

    // Typed positions and numbers, as latitude and as longitude; then the file form of a few values.
    Corpus c(root, "position");
    for (const char* typed : {"59 30 12,5 n", "5 20 6 W", "005°20'06.0\"W", "59ø30'12.30\"N", "12.5", "-33.999999",
                              "90 0 0 S", "180 00 00 Ø", "1 2 3 v", "60°00'00.0\"N", "59 61 0 N", "x", " 1,5 kn",
                              "-12.25e3", "1e999", "1e-400", ".5", "12d2"}) {
        c.add(std::string("\x01") + typed);
        c.add(std::string("\x02") + typed);
    }
    for (double v : {59.503417, -5.335, 179.999999, -89.9999, 0.0}) {
        const bool lat = std::fabs(v) <= 90;
        c.add(std::string(1, lat ? '\x01' : '\x00') + geodesy::FormatPosition(v, lat ? "LAT" : "LON", "FILE", 4));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    pipelineAndDecoder(root);
    fileSeeds(root);
    return 0;
}
