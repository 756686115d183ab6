#pragma once

// Real Wine for the tests: prefixes made by wineboot, Windows programs of ours built with mingw,
// all run headless and, when the tests run as root, as the unprivileged user "nobody" (Wine wants
// the prefix to belong to the user running it, and root would ignore the read-only bits Wine
// maps to files).
//
// One prefix is made by wineboot per test program and copied for each test: a copy takes about
// a second, wineboot about ten. Everything lives in one scratch folder that goes when the
// program ends.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dk3::test::wine {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A Wine prefix of its own, with the home folder Wine was started with.
struct Prefix {
    std::filesystem::path root; // holds pfx/ and home/
    std::filesystem::path prefix() const { return root / "pfx"; }
    std::filesystem::path home() const { return root / "home"; }
    // The folder of the prefix's user below drive_c/users.
    std::filesystem::path userFolder() const;
};

class Wine {
public:
    // The one instance of the test program. Its first use makes the template prefix; when Wine
    // or the Windows programs are missing it records why, and every test that uses it fails.
    static Wine& instance();

    // Empty when Wine can be used; otherwise what is missing.
    const std::string& problem() const { return problem_; }

    // A fresh scratch folder below the shared one, readable by the user Wine runs as.
    std::filesystem::path scratchFolder(std::string_view name);

    // A copy of the template prefix, its user's folder links pointing at its own home.
    Prefix copyPrefix(std::string_view name);

    // Runs a program of the prefix's Wine (wine, wineboot, ...) with its arguments, and waits
    // until the prefix's wineserver has ended, so that the registry files are written.
    RunResult run(const Prefix& prefix, const std::vector<std::string>& command);

    // Gives the files below path to the user Wine runs as (nothing to do when that is us).
    void handOver(const std::filesystem::path& path) const;

    // The Windows programs built with mingw.
    std::filesystem::path standIn() const;
    std::filesystem::path profileDriver() const;

    // The name of the user Wine runs as (its folder in drive_c/users).
    const std::string& userName() const { return userName_; }

    // A Linux path as Wine's Z: drive names it.
    static std::string zPath(const std::filesystem::path& path);

    ~Wine();

private:
    Wine();
    bool makeTemplate();

    std::string problem_;
    std::filesystem::path scratch_;
    Prefix template_;
    std::string userName_;
    bool asNobody_ = false;
    unsigned nobodyUid_ = 0;
    unsigned nobodyGid_ = 0;
};

} // namespace dk3::test::wine
