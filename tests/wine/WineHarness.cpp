#include "WineHarness.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::test::wine {
namespace fs = std::filesystem;

namespace {

QString q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

RunResult runProcess(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& environment, int timeoutMs = 600000) {
    RunResult result;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) {
        result.err = "could not start " + program.toStdString();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.err = "timed out: " + program.toStdString();
    }
    result.out = process.readAllStandardOutput().toStdString();
    result.err += process.readAllStandardError().toStdString();
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

} // namespace

fs::path Prefix::userFolder() const {
    return prefix() / "drive_c/users" / Wine::instance().userName();
}

Wine& Wine::instance() {
    static Wine wine;
    return wine;
}

Wine::Wine() {
    // Root runs Wine as "nobody": Wine refuses a prefix that belongs to another user, and root
    // would write files that Wine marked read-only.
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody) {
            problem_ = "the tests run as root, and there is no user \"nobody\" to run Wine as";
            return;
        }
        asNobody_ = true;
        nobodyUid_ = nobody->pw_uid;
        nobodyGid_ = nobody->pw_gid;
        userName_ = "nobody";
    } else if (const passwd* me = ::getpwuid(::getuid())) {
        userName_ = me->pw_name;
    }
    std::string pattern = (fs::temp_directory_path() / "dk3-wine-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        problem_ = "cannot make a scratch folder";
        return;
    }
    scratch_ = pattern;
    ::chmod(scratch_.c_str(), 0755);

    for (const char* program : {"wine", "wineboot", "wineserver"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
            problem_ = std::string(program) +
                       " is missing: install Debian's wine and wine64 (scripts/setup.sh)";
            return;
        }
    }
    if (asNobody_ && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        problem_ = "setpriv is missing (Debian's util-linux)";
        return;
    }
    for (const fs::path& program : {standIn(), profileDriver()}) {
        if (!fs::is_regular_file(program)) {
            problem_ = program.filename().string() +
                       " was not built: install Debian's g++-mingw-w64-x86-64 (scripts/setup.sh) "
                       "and configure the build again";
            return;
        }
    }
    makeTemplate();
}

Wine::~Wine() {
    if (scratch_.empty())
        return;
    std::error_code ec;
    fs::remove_all(scratch_, ec);
}

fs::path Wine::standIn() const {
    return DK3_WINE_STANDIN;
}

fs::path Wine::profileDriver() const {
    return DK3_WINE_PROFILE_DRIVER;
}

std::string Wine::zPath(const fs::path& path) {
    std::string windows = "Z:" + fs::absolute(path).string();
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    return windows;
}

fs::path Wine::scratchFolder(std::string_view name) {
    const fs::path folder = scratch_ / name;
    fs::create_directories(folder);
    handOver(folder);
    return folder;
}

void Wine::handOver(const fs::path& path) const {
    if (!asNobody_)
        return;
    std::error_code ec;
    ::lchown(path.c_str(), nobodyUid_, nobodyGid_);
    if (!fs::is_directory(fs::symlink_status(path, ec)))
        return;
    for (auto it = fs::recursive_directory_iterator(path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        ::lchown(it->path().c_str(), nobodyUid_, nobodyGid_);
}

RunResult Wine::run(const Prefix& prefix, const std::vector<std::string>& command) {
    // Headless and quiet, and with the ANSI code page 1252 that the game's texts use.
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
    environment.insert(QStringLiteral("HOME"), q(prefix.home()));
    environment.insert(QStringLiteral("USER"), QString::fromStdString(userName_));
    environment.insert(QStringLiteral("WINEPREFIX"), q(prefix.prefix()));
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));

    const auto wrapped = [&](const std::vector<std::string>& words) {
        QStringList arguments;
        QString program;
        if (asNobody_) {
            program = QStringLiteral("setpriv");
            arguments << QStringLiteral("--reuid=%1").arg(nobodyUid_)
                      << QStringLiteral("--regid=%1").arg(nobodyGid_)
                      << QStringLiteral("--clear-groups") << QStringLiteral("--");
        }
        for (const std::string& word : words) {
            if (program.isEmpty())
                program = QString::fromStdString(word);
            else
                arguments << QString::fromStdString(word);
        }
        return std::pair(program, arguments);
    };
    const auto [program, arguments] = wrapped(command);
    RunResult result = runProcess(program, arguments, environment);
    // Wine writes registry changes some seconds later; the files are complete once the prefix's
    // server has ended. Asked to end (-k sends it SIGINT), the server saves the registry and
    // ends at once instead of lingering for the next program; -w waits until it has.
    const auto [stop, stopArguments] = wrapped({"wineserver", "-k"});
    runProcess(stop, stopArguments, environment);
    const auto [server, serverArguments] = wrapped({"wineserver", "-w"});
    const RunResult waited = runProcess(server, serverArguments, environment);
    if (waited.exitCode != 0)
        result.err += "\nwineserver -w: " + waited.err;
    return result;
}

bool Wine::makeTemplate() {
    template_.root = scratchFolder("template");
    fs::create_directories(template_.home() / "Documents");
    handOver(template_.root);
    const auto start = std::chrono::steady_clock::now();
    const RunResult made = run(template_, {"wineboot", "-i"});
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    std::cout << "[wine] wineboot -i made the template prefix in " << seconds.count() << " s\n";
    if (made.exitCode != 0 || !fs::is_regular_file(template_.prefix() / "system.reg") ||
        !fs::is_regular_file(template_.prefix() / "user.reg")) {
        problem_ = "wineboot -i could not make a prefix (exit code " +
                   std::to_string(made.exitCode) + "): " + made.err;
        return false;
    }
    return true;
}

Prefix Wine::copyPrefix(std::string_view name) {
    Prefix copy{scratch_ / name};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const RunResult copied = runProcess(
        QStringLiteral("cp"), {QStringLiteral("-a"), q(template_.root), q(copy.root)}, environment);
    if (copied.exitCode != 0) {
        problem_ = "cannot copy the template prefix: " + copied.err;
        return copy;
    }
    // Wine links the user's Desktop, Documents, ... to folders of the home it was started with;
    // the copy's links go to its own home.
    const std::string oldHome = template_.home().string();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(copy.userFolder(), ec)) {
        if (!entry.is_symlink())
            continue;
        const std::string target = fs::read_symlink(entry.path(), ec).string();
        if (target.rfind(oldHome, 0) != 0)
            continue;
        fs::remove(entry.path(), ec);
        fs::create_directory_symlink(copy.home().string() + target.substr(oldHome.size()),
                                     entry.path(), ec);
        ::lchown(entry.path().c_str(), asNobody_ ? nobodyUid_ : ::getuid(),
                 asNobody_ ? nobodyGid_ : ::getgid());
    }
    return copy;
}

} // namespace dk3::test::wine
