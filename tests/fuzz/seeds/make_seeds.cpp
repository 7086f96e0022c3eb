// Writes the seed corpora of the fuzz harnesses: fuzz_seeds OUTDIR copies the
// folders kept beside this file (one per harness in tests/fuzz, made once from
// the AIS encoder, the traffic simulator with and without faults, and the
// writers of the files the program reads) to OUTDIR/<harness>/.
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
        return 2;
    }
    // Where this file was compiled from, else as scripts/fuzz runs it: from the top of the tree.
    fs::path seeds = fs::path(__FILE__).parent_path();
    if (!fs::is_directory(seeds / "pipeline")) seeds = "tests/fuzz/seeds";
    std::error_code ec;
    fs::create_directories(argv[1], ec);
    for (const fs::directory_entry& d : fs::directory_iterator(seeds, ec)) {
        if (!d.is_directory()) continue;
        fs::copy(d.path(), fs::path(argv[1]) / d.path().filename(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
        if (ec) {
            std::fprintf(stderr, "fuzz_seeds: %s: %s\n", d.path().c_str(), ec.message().c_str());
            return 1;
        }
    }
    return ec ? 1 : 0;
}
