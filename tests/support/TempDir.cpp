#include "support/TempDir.h"

#include <QtGlobal>

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace dk3::test {
namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "dk3-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    // Tests make files read-only on purpose; give write access back so everything can go.
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

fs::path TempDir::write(const fs::path& relative, std::string_view bytes) const {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    writeFile(file, bytes);
    return file;
}

std::optional<std::string> readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        ADD_FAILURE() << "cannot write " << file;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (qEnvironmentVariableIsSet(name))
        previous_ = qgetenv(name);
    qputenv(name, QByteArray::fromStdString(value));
}

ScopedEnv::~ScopedEnv() {
    if (previous_)
        qputenv(name_.constData(), *previous_);
    else
        qunsetenv(name_.constData());
}

void copyDemoInstallation(const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy(fs::path(DK3_DEMO_DIR) / "game", folder,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

} // namespace dk3::test

namespace dk3::test {

void copyDemoDocuments(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::filesystem::copy(std::filesystem::path(DK3_DEMO_DIR) / "documents", folder,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
}

} // namespace dk3::test
