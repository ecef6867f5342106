// Saves cut short: the settings file is always one whole record, the old or
// the new, and no temporary copy of it (passwords included) piles up beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "config/SettingsFile.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kt::config {
namespace {

namespace fs = std::filesystem;

class SaveInterruptedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("kt-save-" + std::to_string(rd()) + std::to_string(rd()));
        ASSERT_TRUE(fs::create_directory(dir_));
        path_ = (dir_ / kSettingsFileName).string();
    }
    void TearDown() override {
        UseNamedTemporaryFiles(false);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Every entry of the folder but the settings file itself.
    std::vector<std::string> Others() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            const std::string name = e.path().filename().string();
            if (name != kSettingsFileName) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Slurp() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    static ConfigRecord Record(const std::string& password) {
        ConfigRecord rec;
        rec.SetGprsPassword(password);
        rec.SetFtpPassword(password);
        return rec;
    }
    static std::string Image(const ConfigRecord& rec) {
        return std::string(reinterpret_cast<const char*>(rec.Bytes().data()), rec.Bytes().size());
    }

    fs::path dir_;
    std::string path_;
};

// Only the save's own pattern is taken for a stale copy: ".<file>." and six
// letters or digits. Look-alikes of other names or lengths stay.
TEST_F(SaveInterruptedTest, NextSaveRemovesStaleCopiesOfItsOwnPatternOnly) {
    const std::vector<std::string> stale = {".KT4470.cfg.a1B2c3", ".KT4470.cfg.zzzzzz"};
    const std::vector<std::string> kept = {
        ".KT4470.cfg.a1B2c",                          // five characters
        ".KT4470.cfg.a1B2c3d", ".KT4470.cfg.a1B-c3",  // seven, or not a letter or digit
        ".other.cfg.a1B2c3",                          // another file's copy
        "KT4470.cfg.a1B2c3",                          // no leading dot
        "KT4470.cfg.bak",
    };
    for (const auto& name : stale)
        Put(name, Image(Record("secret")));
    for (const auto& name : kept)
        Put(name, "x");

    ASSERT_TRUE(SaveRecordFile(path_, Record("new"), nullptr));
    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Others(), expected);
    EXPECT_EQ(Slurp(), Image(Record("new")));
    for (const auto& name : kept)
        EXPECT_FALSE(IsTemporaryCopyName(name, kSettingsFileName)) << name;
}

#ifndef _WIN32
// A copy that a save is still writing (it holds the lock) is left alone.
TEST_F(SaveInterruptedTest, CopyOfASaveUnderWayIsNotRemoved) {
    const std::string busy = ".KT4470.cfg.Busy01";
    Put(busy, "half a record");
    const int fd = ::open((dir_ / busy).c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_EQ(RemoveStaleTemporaryCopies(dir_.string(), kSettingsFileName), 0);
    EXPECT_EQ(Others(), std::vector<std::string>{busy});
    ::close(fd);
    EXPECT_EQ(RemoveStaleTemporaryCopies(dir_.string(), kSettingsFileName), 1);
    EXPECT_TRUE(Others().empty());
}

// Saves killed at random moments, with copies that have no name until the
// rename (Linux) and with named copies (the way of the other platforms).
class KilledSaves : public SaveInterruptedTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KilledSaves, LeaveAtMostTheCopyOfTheLastOneAndTheNextSaveRemovesIt) {
    const bool named = GetParam();
    UseNamedTemporaryFiles(named);
    const ConfigRecord a = Record("alpha"), b = Record("bravo");
    ASSERT_TRUE(SaveRecordFile(path_, a, nullptr));

    constexpr int kKills = 200;
    std::mt19937 gen(named ? 1919 : 19);
    std::uniform_int_distribution<int> delayUs(0, 6000);
    int killsLeavingACopy = 0;
    for (int i = 0; i < kKills; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned n = 0;; ++n)
                SaveRecordFile(path_, n % 2 ? a : b, nullptr);
        }
        ::usleep(static_cast<useconds_t>(delayUs(gen)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const std::vector<std::string> left = Others();
        ASSERT_LE(left.size(), 1u) << "after kill " << i;
        if (!left.empty()) {
            ++killsLeavingACopy;
            EXPECT_TRUE(IsTemporaryCopyName(left.front(), kSettingsFileName)) << left.front();
        }
        const std::string content = Slurp();
        ASSERT_TRUE(content == Image(a) || content == Image(b)) << "after kill " << i;
    }
    ASSERT_TRUE(SaveRecordFile(path_, a, nullptr));
    EXPECT_TRUE(Others().empty());
    EXPECT_EQ(Slurp(), Image(a));
    RecordProperty("kills_leaving_a_copy", killsLeavingACopy);
    std::printf("%s copies: %d of %d killed saves left one, each removed by the next save\n",
                named ? "named" : "unnamed", killsLeavingACopy, kKills);
}

std::string CopyKind(const ::testing::TestParamInfo<bool>& param) {
    return param.param ? "Named" : "Unnamed";
}
INSTANTIATE_TEST_SUITE_P(Copies, KilledSaves, ::testing::Bool(), CopyKind);
#endif

}  // namespace
}  // namespace kt::config
