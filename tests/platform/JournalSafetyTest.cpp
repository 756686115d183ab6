// A journal in the configuration folder is carried out at start, before the player does anything;
// these tests plant journals that a killed backup load did not write and check that each touches
// nothing, is set aside, and never keeps the next group write from running.

#include "platform/FileIO.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;
using Outcome = FileGroupRecovery::Outcome;
using test::readFile;
using test::TempDir;

std::string field(const std::string& text) {
    return std::to_string(text.size()) + ":" + text + "\n";
}

// What every file, folder and link below root is, apart from the configuration folder: a test
// compares it before and after to see that nothing outside changed.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> result;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string relative = it->path().lexically_relative(root).string();
        if (relative.starts_with("config"))
            continue;
        const auto status = fs::symlink_status(it->path());
        if (fs::is_symlink(status))
            result[relative] = "link to " + fs::read_symlink(it->path()).string();
        else if (fs::is_regular_file(status))
            result[relative] = "file " + readFile(it->path()).value_or("?") + " links " +
                               std::to_string(fs::hard_link_count(it->path()));
        else
            result[relative] = "other";
    }
    return result;
}

// The three files of a backup load in two folders, the journal in a third; every path is
// canonical, as the journals of our own loads name them.
struct Installation {
    TempDir scratch;
    fs::path dir = fs::canonical(scratch.path());
    fs::path engine = write("game/Ini/dk3e.ini", "old engine");
    fs::path options = write("docs/UserOptions.ini", "old options");
    fs::path shader = write("game/Data/IP_DOF.fx", "old shader");
    fs::path victim = write("elsewhere/precious.txt", "precious");
    fs::path journal = dir / "config/restore.journal";

    fs::path write(const std::string& relative, const std::string& bytes) const {
        return scratch.write(relative, bytes);
    }
    std::vector<fs::path> group() const { return {engine, options, shader}; }
    // A staged file named as ours beside target.
    fs::path stagedFor(const fs::path& target, const std::string& bytes) const {
        const fs::path staged =
            target.parent_path() / ("." + target.filename().string() + ".txn-4000000-aBc123");
        test::writeFile(staged, bytes);
        return staged;
    }
    std::string journalText(const std::vector<fs::path>& recorded,
                            const std::vector<std::pair<fs::path, fs::path>>& entries) const {
        std::string text =
            "draskel3-tuning group write 2\n" + field(std::to_string(recorded.size()));
        for (const fs::path& file : recorded)
            text += field(file.string());
        for (const auto& [target, staged] : entries)
            text += field(target.string()) + field(staged.string());
        return text + "end\n";
    }
    void plant(const std::vector<std::pair<fs::path, fs::path>>& entries) const {
        fs::create_directories(journal.parent_path());
        test::writeFile(journal, journalText(group(), entries));
    }
    // Recovers and checks that the journal was set aside untouched and nothing else changed.
    void expectSetAside(const std::string& what) const {
        SCOPED_TRACE(what);
        const auto before = snapshot(dir);
        std::string planted;
        const bool regular = fs::is_regular_file(fs::symlink_status(journal));
        if (regular)
            planted = *readFile(journal);
        const auto recovery = recoverFileGroup(journal, group());
        EXPECT_EQ(recovery.outcome, Outcome::SetAside) << recovery.error.message();
        EXPECT_EQ(recovery.file, journal);
        EXPECT_FALSE(fs::exists(fs::symlink_status(journal)));
        EXPECT_TRUE(fs::exists(fs::symlink_status(recovery.setAsideAs)));
        if (regular) {
            EXPECT_EQ(readFile(recovery.setAsideAs), planted);
        }
        EXPECT_EQ(snapshot(dir), before);
        // Set aside, it holds up nothing: a later recovery finds no journal.
        EXPECT_EQ(recoverFileGroup(journal, group()).outcome, Outcome::Nothing);
        for (const auto& entry : fs::directory_iterator(journal.parent_path()))
            if (entry.path().filename().string().find("set-aside") != std::string::npos)
                fs::remove_all(entry.path());
    }
};

TEST(JournalSafety, OnlyAJournalOfOurOwnForTheseFilesIsCarriedOut) {
    Installation game;
    // The journal a killed load leaves: carried out.
    game.plant({{game.engine, game.stagedFor(game.engine, "new engine")},
                {game.options, game.stagedFor(game.options, "new options")}});
    EXPECT_EQ(recoverFileGroup(game.journal, game.group()).outcome, Outcome::Completed);
    EXPECT_EQ(readFile(game.engine), "new engine");
    EXPECT_EQ(readFile(game.options), "new options");
    EXPECT_FALSE(fs::exists(game.journal));

    // One of an earlier version names no group; its entries are checked all the same.
    test::writeFile(game.journal, "draskel3-tuning group write 1\n" + field(game.shader.string()) +
                                      field(game.stagedFor(game.shader, "new shader").string()) +
                                      "end\n");
    EXPECT_EQ(recoverFileGroup(game.journal, game.group()).outcome, Outcome::Completed);
    EXPECT_EQ(readFile(game.shader), "new shader");

    // A group write of our own names the files so that its journal passes the same checks.
    static const Installation* current = &game;
    setGroupWriteProbe([](int point) {
        if (point == 2) // the journal is written and one file replaced: keep the journal
            fs::copy_file(current->journal, current->dir / "kept.journal");
    });
    ASSERT_FALSE(writeFilesWithJournal(
        {{game.engine, "third engine"}, {game.options, "third options"}, {game.shader, "3"}},
        game.journal));
    setGroupWriteProbe(nullptr);
    fs::rename(game.dir / "kept.journal", game.journal);
    EXPECT_EQ(recoverFileGroup(game.journal, game.group()).outcome, Outcome::Completed);
    EXPECT_EQ(readFile(game.options), "third options");
}

TEST(JournalSafety, AJournalNamingOtherFilesOrStagedFilesNotOursIsSetAsideUntouched) {
    Installation game;
    const fs::path outside = game.write("elsewhere/notes.ini", "notes");
    game.plant({{game.victim, {}}});
    game.expectSetAside("removing a file outside the installation");
    game.plant({{game.engine, {}}, {outside, game.stagedFor(outside, "planted")}});
    game.expectSetAside("replacing a file outside the installation");
    game.plant({{game.dir / "game/Ini/../Ini/dk3e.ini", game.stagedFor(game.engine, "planted")}});
    game.expectSetAside("a target reached through ..");
    game.plant({{fs::path("game/Ini/dk3e.ini"), game.stagedFor(game.engine, "planted")}});
    game.expectSetAside("a relative target");

    // The installation's own files, but staged files we did not make.
    const auto foreignStaged = [&](const fs::path& staged, const std::string& what) {
        game.plant({{game.engine, staged}});
        game.expectSetAside(what);
    };
    foreignStaged(game.write("game/Ini/replacement.ini", "planted"), "a name not ours");
    foreignStaged(game.write("elsewhere/.dk3e.ini.txn-4000000-aBc123", "planted"),
                  "a staged file in another folder");
    const fs::path linkName = game.engine.parent_path() / ".dk3e.ini.txn-4000000-zzzzzz";
    fs::create_symlink(game.victim, linkName);
    foreignStaged(linkName, "a link named as ours");
    fs::remove(linkName);
    fs::create_hard_link(game.victim, linkName);
    foreignStaged(linkName, "a second name of another file");
    fs::remove(linkName);
    fs::create_directory(linkName);
    foreignStaged(linkName, "a folder named as ours");
    fs::remove(linkName);

    // A target that is a link now: a load writes through links, so its journal never names one.
    fs::rename(game.engine, game.dir / "game/Ini/real.ini");
    fs::create_symlink(game.victim, game.engine);
    std::string text = game.journalText(game.group(), {{game.engine, {}}});
    test::writeFile(game.journal, text);
    game.expectSetAside("a target that is a link");
    fs::remove(game.engine);
    fs::rename(game.dir / "game/Ini/real.ini", game.engine);

    // Our own kind of journal, written for another installation.
    const std::vector<fs::path> other{game.dir / "other/dk3e.ini", game.options, game.shader};
    test::writeFile(game.journal,
                    game.journalText(other, {{game.options, game.stagedFor(game.options, "x")}}));
    game.expectSetAside("another installation's journal");
    EXPECT_EQ(readFile(game.options), "old options");
}

TEST(JournalSafety, AJournalThatIsNoPlainFileOfOursIsSetAsideUnopened) {
    Installation game;
    fs::create_directories(game.journal.parent_path());
    // A link to a journal that would be valid: not followed.
    const fs::path real = game.write("elsewhere/restore.journal", "");
    test::writeFile(
        real, game.journalText(game.group(), {{game.engine, game.stagedFor(game.engine, "new")}}));
    const std::string realText = *readFile(real);
    fs::create_symlink(real, game.journal);
    game.expectSetAside("a link to a journal");
    EXPECT_EQ(readFile(real), realText);
    EXPECT_EQ(readFile(game.engine), "old engine");

    test::writeFile(game.journal, game.journalText(game.group(), {}) + std::string(1u << 20, '\n'));
    game.expectSetAside("longer than any journal");
    ASSERT_EQ(::mkfifo(game.journal.c_str(), 0600), 0);
    game.expectSetAside("a pipe");
    fs::create_directories(game.journal / "inside");
    game.expectSetAside("a folder");
    test::writeFile(game.journal, std::string("\x00\xFF garbage", 10));
    game.expectSetAside("garbage");

    // A lock file that is a link is ours to replace; what it points at stays as it was.
    fs::remove(game.journal.string() + ".lock");
    fs::create_symlink(game.victim, game.journal.string() + ".lock");
    EXPECT_EQ(recoverFileGroup(game.journal, game.group()).outcome, Outcome::Nothing);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(game.journal.string() + ".lock")));
    ASSERT_FALSE(writeFilesWithJournal({{game.engine, "new engine"}}, game.journal));
    EXPECT_EQ(readFile(game.victim), "precious");
    EXPECT_EQ(readFile(game.engine), "new engine");
}

TEST(JournalSafety, AJournalThatCanNeitherBeUsedNorSetAsideStopsGroupWritesAndSaysWhere) {
    Installation game;
    // Every name it could be set aside under is taken by a folder that cannot be replaced.
    for (const std::string suffix :
         {"", ".set-aside", ".set-aside-2", ".set-aside-3", ".set-aside-4", ".set-aside-5",
          ".set-aside-6", ".set-aside-7", ".set-aside-8", ".set-aside-9"})
        game.write("config/restore.journal" + suffix + "/keep", "x");
    const auto before = snapshot(game.dir);
    for (int attempt = 0; attempt < 2; ++attempt) { // the same answer every time
        const auto recovery = recoverFileGroup(game.journal, game.group());
        EXPECT_EQ(recovery.outcome, Outcome::Unusable);
        EXPECT_EQ(recovery.file, game.journal);
        EXPECT_TRUE(recovery.error);
        fs::path failed;
        EXPECT_TRUE(writeFilesWithJournal({{game.engine, "new"}}, game.journal, &failed));
        EXPECT_EQ(failed, game.journal);
    }
    EXPECT_EQ(snapshot(game.dir), before);
    EXPECT_EQ(readFile(game.dir / "config/restore.journal/keep"), "x");

    // A configuration "folder" that is a file holds no journal: nothing to recover, and a
    // group write names the journal it cannot write.
    Installation blocked;
    blocked.write("config", "a file");
    EXPECT_EQ(recoverFileGroup(blocked.journal, blocked.group()).outcome, Outcome::Nothing);
    fs::path failed;
    EXPECT_TRUE(writeFilesWithJournal({{blocked.engine, "new"}}, blocked.journal, &failed));
    EXPECT_EQ(failed, blocked.journal);
    EXPECT_EQ(readFile(blocked.engine), "old engine");
}

// Runs body in a child process as an ordinary user (nobody, when the tests run as root, with
// root the tree is handed to that user first), so that permission bits hold; gives its exit code.
int asOrdinaryUser(const fs::path& tree, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            for (const auto& entry : fs::recursive_directory_iterator(tree))
                (void)::lchown(entry.path().c_str(), kNobody, kNobody);
            (void)::lchown(tree.c_str(), kNobody, kNobody);
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(100);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(JournalSafety, AConfigurationFolderWeMayNotWriteNeverClaimsALoadAndNeverRunsAJournal) {
    Installation game;
    fs::create_directories(game.journal.parent_path());
    ::chmod(game.journal.parent_path().c_str(), 0500);
    // No journal: nothing to recover; a group write fails on the journal, files untouched.
    const int empty = asOrdinaryUser(game.dir, [&] {
        const auto recovery = recoverFileGroup(game.journal, game.group());
        fs::path failed;
        const auto error = writeFilesWithJournal({{game.engine, "new"}}, game.journal, &failed);
        return (recovery.outcome == Outcome::Nothing ? 0 : 1) |
               (error == std::errc::permission_denied ? 0 : 2) | (failed == game.journal ? 0 : 4) |
               (readFile(game.engine) == "old engine" ? 0 : 8);
    });
    EXPECT_EQ(empty, 0);

    // A journal of ours it could not remove afterwards is not carried out.
    ::chmod(game.journal.parent_path().c_str(), 0700);
    game.plant({{game.engine, game.stagedFor(game.engine, "new engine")}});
    ::chmod(game.journal.parent_path().c_str(), 0500);
    const int planted = asOrdinaryUser(game.dir, [&] {
        const auto recovery = recoverFileGroup(game.journal, game.group());
        return (recovery.outcome == Outcome::Unusable ? 0 : 1) |
               (recovery.error == std::errc::permission_denied ? 0 : 2) |
               (readFile(game.engine) == "old engine" ? 0 : 4) | (fs::exists(game.journal) ? 0 : 8);
    });
    EXPECT_EQ(planted, 0);
    ::chmod(game.journal.parent_path().c_str(), 0700);
}

} // namespace
} // namespace dk3::platform
