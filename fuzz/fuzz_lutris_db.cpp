// libFuzzer target for the reader of Lutris's pga.db (SQLite), fed whole database files: any
// bytes must be read or refused without a crash, an out-of-bounds read, a hang or an allocation
// out of proportion to the input. The reader works on the bytes in memory and writes nothing.
// fuzz-sources: src/discovery/records/LutrisDatabase.cpp
// fuzz-pkg-config: sqlite3

#include "discovery/LutrisConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dk3::discovery;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto games = parseLutrisDatabase(input);
    if (!games)
        return 0;
    if (games->size() > kMaxLutrisDatabaseGames)
        std::abort();
    for (const LutrisGameRecord& game : *games) {
        for (const std::string* field : {&game.name, &game.slug, &game.runner, &game.executable,
                                         &game.directory, &game.configpath}) {
            if (field->size() > kMaxLutrisFieldBytes || field->find('\0') != std::string::npos)
                std::abort();
        }
    }
    return 0;
}
