// Feeds the backup decoder thousands of damaged and random files, deterministically, so every
// build exercises what the fuzzer in fuzz/ explores at length.

#include "maintenance/BackupFile.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace dk3::maintenance {
namespace {

TEST(BackupDecoder, SurvivesMutatedAndRandomInputsAndAcceptsOnlyExactSizes) {
    std::mt19937 random(20240611);
    const auto pick = [&](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    const std::string seed = *encodeBackup({"[Engine.Setup]\r\n", "x", "float b = 1.0;"});
    std::map<BackupProblem, int> seen;

    for (int round = 0; round < 5000; ++round) {
        std::string input = round % 4 == 0 ? std::string(pick(64), '\0') : seed;
        for (std::size_t edits = 1 + pick(4); edits > 0; --edits) {
            const std::size_t kind = pick(5);
            if (kind == 0 && !input.empty()) // any byte, header bytes included
                input[pick(input.size())] = static_cast<char>(pick(256));
            else if (kind == 1 && input.size() >= 12) // an extreme length in the header
                input.replace(4 * pick(3), 4, pick(2) ? "\xFF\xFF\xFF\xFF" : "\0\0\0\x80", 4);
            else if (kind == 2)
                input.resize(pick(input.size() + 1));
            else if (kind == 3)
                input.append(pick(8), static_cast<char>(pick(256)));
            else if (kind == 4)
                for (char& c : input)
                    c = static_cast<char>(pick(256));
        }

        const auto decoded = decodeBackup(input);
        ++seen[decoded.problem];
        if (decoded.problem == BackupProblem::None) {
            // Accepted files hold exactly what the header says, and encode back unchanged.
            EXPECT_EQ(encodeBackup(decoded.contents), input);
        } else {
            EXPECT_TRUE(decoded.problem == BackupProblem::TooShort ||
                        decoded.problem == BackupProblem::Truncated ||
                        decoded.problem == BackupProblem::Padded);
            EXPECT_EQ(decoded.contents, BackupContents{});
        }
        if (HasFailure())
            FAIL() << "round " << round;
    }
    // The generator must reach every outcome, or the loop above proves little.
    for (auto problem : {BackupProblem::None, BackupProblem::TooShort, BackupProblem::Truncated,
                         BackupProblem::Padded})
        EXPECT_GT(seen[problem], 50) << static_cast<int>(problem);
}

} // namespace
} // namespace dk3::maintenance
