// Replays inputs through a fuzz target's entry point in builds without
// libFuzzer: every file named on the command line and every file in every
// folder named. A crash or failed check aborts; finding no input fails too.

#include "FuzzSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

// Replays one file; gives the number of inputs replayed.
static int replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return 1;
}

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::recursive_directory_iterator(arg))
                count += entry.is_regular_file() ? replay(entry.path()) : 0;
        } else if (fs::is_regular_file(arg)) {
            count += replay(arg);
        }
    }
    std::printf("%d inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
