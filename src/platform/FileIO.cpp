#include "platform/FileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::platform {
namespace fs = std::filesystem;

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Follows symbolic links so that a link to a game file keeps pointing at the replaced file.
fs::path resolveLinks(const fs::path& file) {
    fs::path current = file;
    for (int depth = 0; depth < 16; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current;
        const fs::path target = fs::read_symlink(current, ec);
        if (ec)
            return current;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current;
}

mode_t creationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

std::error_code writeAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return {};
}

// A complete copy of the new content beside its target, waiting to be renamed into place.
struct StagedFile {
    fs::path target;
    fs::path temporary;
};

std::error_code checkTarget(const fs::path& target, bool& exists, mode_t& mode) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
        if (!S_ISREG(info.st_mode))
            return std::make_error_code(std::errc::invalid_argument);
        if (::access(target.c_str(), W_OK) != 0)
            return lastError();
        exists = true;
        mode = info.st_mode & 07777;
        return {};
    }
    if (errno != ENOENT)
        return lastError();
    exists = false;
    mode = creationMode();
    return {};
}

enum class Links { Follow, Replace };

std::error_code stage(const fs::path& file, std::string_view bytes, StagedFile& staged,
                      Links links = Links::Follow) {
    bool exists = false;
    mode_t mode = 0;
    if (links == Links::Follow) {
        staged.target = resolveLinks(file);
        if (const auto ec = checkTarget(staged.target, exists, mode))
            return ec;
    } else {
        staged.target = file;
        struct stat info {};
        if (::lstat(file.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
        mode = 0600;
    }

    fs::path folder = staged.target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string pattern = (folder / ("." + staged.target.filename().string() + ".tmp-XXXXXX"));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return lastError();
    staged.temporary = pattern;

    std::error_code ec = writeAll(fd, bytes);
    if (!ec && ::fchmod(fd, mode) != 0)
        ec = lastError();
    if (!ec && ::fsync(fd) != 0)
        ec = lastError();
    if (::close(fd) != 0 && !ec)
        ec = lastError();
    if (ec) {
        ::unlink(staged.temporary.c_str());
        staged.temporary.clear();
    }
    return ec;
}

std::error_code commit(const StagedFile& staged) {
    if (::rename(staged.temporary.c_str(), staged.target.c_str()) != 0) {
        const auto ec = lastError();
        ::unlink(staged.temporary.c_str());
        return ec;
    }
    // Make the rename itself durable; a failure here does not undo the completed write.
    fs::path folder = staged.target.parent_path();
    if (folder.empty())
        folder = ".";
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

} // namespace

std::optional<std::string> readWholeFile(const fs::path& file, std::error_code& error,
                                         std::size_t maxBytes) {
    error.clear();
    // Non-blocking, so that a pipe standing where a file should be is refused below instead of
    // waiting for a writer forever; regular files ignore the flag.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = lastError();
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                      : std::make_error_code(std::errc::invalid_argument);
        ::close(fd);
        return std::nullopt;
    }
    if (static_cast<std::size_t>(info.st_size) > maxBytes) {
        error = std::make_error_code(std::errc::file_too_large);
        ::close(fd);
        return std::nullopt;
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = lastError();
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        // The file may grow while we read it; the limit holds all the same.
        if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
            error = std::make_error_code(std::errc::file_too_large);
            ::close(fd);
            return std::nullopt;
        }
        content.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

std::error_code writeFileAtomically(const fs::path& file, std::string_view bytes) {
    StagedFile staged;
    if (const auto ec = stage(file, bytes, staged))
        return ec;
    return commit(staged);
}

std::error_code writePrivateFileAtomically(const fs::path& file, std::string_view bytes) {
    StagedFile staged;
    if (const auto ec = stage(file, bytes, staged, Links::Replace))
        return ec;
    return commit(staged);
}

std::error_code writeFilesAtomically(const std::vector<std::pair<fs::path, std::string>>& files,
                                     fs::path* failedFile) {
    // Keep what each file holds now, so that a rename failing half-way can be undone.
    std::vector<std::optional<std::string>> previous;
    previous.reserve(files.size());
    for (const auto& [file, bytes] : files) {
        std::error_code ec;
        auto old = readWholeFile(resolveLinks(file), ec);
        if (ec && ec != std::errc::no_such_file_or_directory) {
            if (failedFile)
                *failedFile = file;
            return ec;
        }
        previous.push_back(std::move(old));
    }

    std::vector<StagedFile> staged(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (const auto ec = stage(files[i].first, files[i].second, staged[i])) {
            for (std::size_t j = 0; j < i; ++j)
                ::unlink(staged[j].temporary.c_str());
            if (failedFile)
                *failedFile = files[i].first;
            return ec;
        }
    }

    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (const auto ec = commit(staged[i])) {
            for (std::size_t j = i + 1; j < staged.size(); ++j)
                ::unlink(staged[j].temporary.c_str());
            for (std::size_t j = 0; j < i; ++j) {
                if (previous[j])
                    (void)writeFileAtomically(staged[j].target, *previous[j]);
                else
                    ::unlink(staged[j].target.c_str());
            }
            if (failedFile)
                *failedFile = files[i].first;
            return ec;
        }
    }
    return {};
}

std::string describeError(const std::error_code& error) {
    if (error == std::errc::file_too_large)
        return "the file is too large";
    // The system's reasons start with a capital letter; ours stand inside a sentence.
    std::string text = error.message();
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

} // namespace dk3::platform
