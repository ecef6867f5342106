#include "config/SettingsFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kt::config {
namespace {

namespace fs = std::filesystem;

ssize_t PassThrough(int fd, const void* data, std::size_t length) {
#ifdef _WIN32
    return ::_write(fd, data, static_cast<unsigned>(length));
#else
    return ::write(fd, data, length);
#endif
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device rd;
        dir_ =
            (fs::temp_directory_path() / ("kt-cfg-" + std::to_string(rd()) + std::to_string(rd()))).string();
        ASSERT_TRUE(fs::create_directory(dir_));
        path_ = (fs::path(dir_) / "KT4470.cfg").string();
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir_, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        return names;
    }

    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static void MakeReadOnly(const std::string& path) {
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
#ifndef _WIN32
    static mode_t Mode(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        return st.st_mode & 07777;
    }
#endif
    static std::string Noise(std::size_t n, unsigned seed) {
        std::mt19937 gen(seed);
        std::string s(n, '\0');
        for (char& c : s)
            c = static_cast<char>(gen());
        return s;
    }
    static std::string Image(const ConfigRecord& rec) {
        return std::string(reinterpret_cast<const char*>(rec.Bytes().data()), rec.Bytes().size());
    }

    // Records each warning shown: its first line, and the reason on the next.
    Reporter Recorder() {
        return [this](const std::string& text, const std::string& caption) {
            const size_t end = text.find("\r\n");
            warnings_.push_back(caption + ": " + text.substr(0, end));
            reasons_.push_back(end == std::string::npos ? std::string() : text.substr(end + 2));
        };
    }
    // The reason of warning i names the file and contains `words`.
    void ExpectReason(size_t i, const std::string& words) {
        ASSERT_LT(i, reasons_.size());
        EXPECT_NE(reasons_[i].find(words), std::string::npos) << reasons_[i];
        EXPECT_NE(reasons_[i].find(path_), std::string::npos) << reasons_[i];
    }
    static std::vector<std::string> OneWarning() {
        return {"Warning: KT4470.cfg access error"};
    }

    std::string dir_, path_;
    std::vector<std::string> warnings_;
    std::vector<std::string> reasons_;
};

TEST_F(SettingsFileTest, SavedFileIsTheRecordAndReadsBackIdentically) {
    ConfigRecord rec;
    rec.Bytes() = {};
    const std::string noise = Noise(kRecordSize, 1);
    std::copy(noise.begin(), noise.end(), rec.Bytes().begin());
    ASSERT_TRUE(WriteCFGFile(path_, rec, Recorder()));
    EXPECT_EQ(Slurp(path_), noise);

    ConfigRecord back;
    ASSERT_TRUE(ReadCFGFile(path_, back, Recorder()));
    EXPECT_EQ(back, rec);
    EXPECT_TRUE(warnings_.empty());
    EXPECT_EQ(Entries(), std::vector<std::string>{"KT4470.cfg"});  // no temporary file left
}

#ifndef _WIN32
TEST_F(SettingsFileTest, NewFileIsPrivateAndExistingFileKeepsItsMode) {
    ConfigRecord rec;
    ASSERT_TRUE(WriteCFGFile(path_, rec, Recorder()));
    EXPECT_EQ(Mode(path_), 0600u);

    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    rec.SetApn("internet");
    ASSERT_TRUE(WriteCFGFile(path_, rec, Recorder()));
    EXPECT_EQ(Mode(path_), 0640u);
    EXPECT_TRUE(warnings_.empty());
}
#endif

TEST_F(SettingsFileTest, BareNameIsTheFileInTheWorkingDirectory) {
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    ConfigRecord rec;
    rec.SetModuleNumber("+4930123");
    const bool created = WriteCFGFile(kSettingsFileName, rec, Recorder());
    rec.SetModuleNumberCopy("+4930123");
    const bool replaced = WriteCFGFile(kSettingsFileName, rec, Recorder());
    ConfigRecord back;
    const bool read = ReadCFGFile(kSettingsFileName, back, Recorder());
    fs::current_path(before);
    EXPECT_TRUE(created);
    EXPECT_TRUE(replaced);
    EXPECT_TRUE(read);
    EXPECT_EQ(back, rec);
    EXPECT_EQ(Slurp(path_), Image(rec));
    EXPECT_EQ(Entries(), std::vector<std::string>{"KT4470.cfg"});
}

TEST_F(SettingsFileTest, ReservedAndPadBytesSurviveALoadAndSave) {
    const std::string original = Noise(kRecordSize, 2);
    Put(path_, original);
    ConfigRecord rec;
    ASSERT_TRUE(ReadCFGFile(path_, rec, Recorder()));
    rec.SetPortIndex(5);  // bytes 4..7
    ASSERT_TRUE(WriteCFGFile(path_, rec, Recorder()));
    const std::string saved = Slurp(path_);
    ASSERT_EQ(saved.size(), kRecordSize);
    EXPECT_EQ(saved.substr(0, 4), original.substr(0, 4));
    EXPECT_EQ(saved.substr(4, 4), std::string("\x05\0\0\0", 4));
    EXPECT_EQ(saved.substr(8), original.substr(8));
}

TEST_F(SettingsFileTest, LongerFileIsReadAndShortenedByTheNextSave) {
    const std::string original = Noise(kRecordSize + 800, 3);
    Put(path_, original);
    ConfigRecord rec;
    ASSERT_TRUE(ReadCFGFile(path_, rec, Recorder()));
    EXPECT_EQ(Image(rec), original.substr(0, kRecordSize));
    ASSERT_TRUE(WriteCFGFile(path_, rec, Recorder()));
    EXPECT_EQ(Slurp(path_), original.substr(0, kRecordSize));
}

TEST_F(SettingsFileTest, MissingShortOrNonRegularFileWarnsAndKeepsTheRecord) {
    ConfigRecord rec;
    rec.SetModuleNumber("+4911");
    const ConfigRecord before = rec;

    EXPECT_FALSE(ReadCFGFile(path_, rec, Recorder()));  // missing
    Put(path_, Noise(kRecordSize - 1, 4));
    EXPECT_FALSE(ReadCFGFile(path_, rec, Recorder()));  // one byte short
    Put(path_, "");
    EXPECT_FALSE(ReadCFGFile(path_, rec, Recorder()));  // empty
    fs::remove(path_);
    fs::create_directory(path_);
    EXPECT_FALSE(ReadCFGFile(path_, rec, Recorder()));  // a directory
    EXPECT_FALSE(WriteCFGFile(path_, rec, Recorder()));
    fs::remove(path_);

    EXPECT_EQ(rec, before);
    EXPECT_EQ(warnings_, std::vector<std::string>(5, OneWarning().front()));
    const char* const reasons[] = {"does not exist", "holds 4199 bytes, a settings record needs 4200",
                                   "holds 0 bytes", "not a regular file", "not a regular file"};
    for (size_t i = 0; i < std::size(reasons); ++i)
        ExpectReason(i, reasons[i]);
}

TEST_F(SettingsFileTest, ReadOnlyFileWarnsOnReadAndOnSaveAndIsNeverChanged) {
    // Checked on the mode bits, so this holds when the tests run as root too.
    const std::string original = Noise(kRecordSize, 5);
    Put(path_, original);
    MakeReadOnly(path_);

    ConfigRecord rec;
    EXPECT_FALSE(ReadCFGFile(path_, rec, Recorder()));
    EXPECT_EQ(rec, ConfigRecord());  // not loaded, as a missing file would not be
    EXPECT_EQ(warnings_, OneWarning());

    rec.SetPortIndex(3);
    EXPECT_FALSE(WriteCFGFile(path_, rec, Recorder()));
    EXPECT_EQ(warnings_.size(), 2u);
    ExpectReason(0, "is read-only");
    ExpectReason(1, "is read-only");
    EXPECT_EQ(Slurp(path_), original);
#ifndef _WIN32
    EXPECT_EQ(Mode(path_), 0444u);
#endif
    EXPECT_EQ(Entries(), std::vector<std::string>{"KT4470.cfg"});

    // Inspecting it (kt4470ctl cfg show) is fine.
    std::string error;
    EXPECT_TRUE(LoadRecordFile(path_, rec, &error));
    EXPECT_EQ(Image(rec), original);
}

TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    const std::string original = Noise(kRecordSize, 6);
    Put(path_, original);
    ConfigRecord rec;
    rec.SetFtpPassword("new");

    // The disk fills up after 1000 bytes.
    std::size_t written = 0;
    const WriteFn diskFull = [&](int fd, const void* data, std::size_t len) -> ssize_t {
        if (written >= 1000) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t n = PassThrough(fd, data, std::min<std::size_t>(len, 1000 - written));
        if (n > 0) written += std::size_t(n);
        return n;
    };
    EXPECT_FALSE(WriteCFGFile(path_, rec, Recorder(), diskFull));
    // A write that makes no progress at all must not loop forever.
    const WriteFn stuck = [](int, const void*, std::size_t) -> ssize_t { return 0; };
    EXPECT_FALSE(WriteCFGFile(path_, rec, Recorder(), stuck));

    EXPECT_EQ(warnings_, std::vector<std::string>(2, OneWarning().front()));
    ExpectReason(0, "No space left");
    EXPECT_EQ(Slurp(path_), original);
    EXPECT_EQ(Entries(), std::vector<std::string>{"KT4470.cfg"});

    std::string error;
    EXPECT_FALSE(SaveRecordFile(path_, rec, &error, diskFull));
    EXPECT_NE(error.find("No space left"), std::string::npos) << error;
}

TEST_F(SettingsFileTest, ShortAndInterruptedWritesAreResumed) {
    ConfigRecord rec;
    rec.SetHttpHost("example.org");
    bool interrupted = false;
    const WriteFn dribble = [&](int fd, const void* data, std::size_t len) -> ssize_t {
        if (!interrupted) {
            interrupted = true;
            errno = EINTR;
            return -1;
        }
        return PassThrough(fd, data, std::min<std::size_t>(len, 7));
    };
    ASSERT_TRUE(WriteCFGFile(path_, rec, Recorder(), dribble));
    EXPECT_EQ(Slurp(path_), Image(rec));
}

#ifndef _WIN32
TEST_F(SettingsFileTest, SymbolicLinkStaysALinkToTheSavedFile) {
    const std::string real = dir_ + "/real.cfg";
    Put(real, Noise(kRecordSize, 7));
    ASSERT_EQ(::chmod(real.c_str(), 0660), 0);
    ASSERT_EQ(::symlink("real.cfg", path_.c_str()), 0);
    ConfigRecord rec;
    rec.SetGprsUser("user");
    ASSERT_TRUE(WriteCFGFile(path_, rec, Recorder()));
    struct stat st {};
    ASSERT_EQ(::lstat(path_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Slurp(real), Image(rec));
    EXPECT_EQ(Mode(real), 0660u);
}
#endif

// A failed read reports the access error once, with the warning caption.
TEST_F(SettingsFileTest, FailureIsReportedOnceWithTheWarningCaption) {
    std::vector<std::pair<std::string, std::string>> shown;
    ConfigRecord rec;
    EXPECT_FALSE(ReadCFGFile(path_, rec, [&shown](const std::string& text, const std::string& caption) {
        shown.emplace_back(text, caption);
    }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first.rfind("KT4470.cfg access error\r\n", 0), 0u) << shown[0].first;
    EXPECT_EQ(shown[0].second, "Warning");
}

}  // namespace
}  // namespace kt::config
