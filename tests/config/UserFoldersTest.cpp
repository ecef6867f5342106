#include "config/UserFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

// Sets (or unsets) one variable for the test's lifetime.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(name, value);
    }
    ~ScopedEnv() { Set(name_, old_); }

  private:
    static void Set(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
        _putenv_s(name, value ? value->c_str() : "");  // an empty value removes it
#else
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
#endif
    }
    const char* name_;
    std::optional<std::string> old_;
};

#ifdef _WIN32
TEST(UserFolders, OwnVariableThenLocalAppData) {
    ScopedEnv local("LOCALAPPDATA", "C:\\Users\\tech\\AppData\\Local");
    {
        ScopedEnv own(kt::config::kDataDirVariable, "D:\\ktdata");
        EXPECT_EQ(kt::config::DataFolder(), fs::path("D:\\ktdata"));
    }
    ScopedEnv own(kt::config::kDataDirVariable, std::nullopt);
    EXPECT_EQ(kt::config::DataFolder(), fs::path("C:\\Users\\tech\\AppData\\Local") / "KT4470");
    EXPECT_EQ(kt::config::ConfigFolder(), kt::config::DataFolder());
}
#else
TEST(UserFolders, OwnVariableThenXdgThenHome) {
    ScopedEnv home("HOME", "/home/tech");
    {
        ScopedEnv own(kt::config::kDataDirVariable, "/tmp/ktdata");
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg/data");
        EXPECT_EQ(kt::config::DataFolder(), fs::path("/tmp/ktdata"));
        EXPECT_EQ(kt::config::ConfigFolder(), fs::path("/tmp/ktdata"));
    }
    ScopedEnv own(kt::config::kDataDirVariable, std::nullopt);
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg/data");
        ScopedEnv xdgc("XDG_CONFIG_HOME", "/xdg/config");
        EXPECT_EQ(kt::config::DataFolder(), fs::path("/xdg/data/kt4470"));
        EXPECT_EQ(kt::config::ConfigFolder(), fs::path("/xdg/config/kt4470"));
    }
    // A relative XDG path is invalid and ignored.
    ScopedEnv xdg("XDG_DATA_HOME", "relative");
    ScopedEnv xdgc("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(kt::config::DataFolder(), fs::path("/home/tech/.local/share/kt4470"));
    EXPECT_EQ(kt::config::ConfigFolder(), fs::path("/home/tech/.config/kt4470"));
}
#endif

TEST(UserFolders, EnsureFolderCreatesParentsAndRefusesAFile) {
    const fs::path root =
        fs::temp_directory_path() /
        ("kt_folders_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::remove_all(root);
    std::string error;
    EXPECT_TRUE(kt::config::EnsureFolder(root / "a" / "b", &error)) << error;
    EXPECT_TRUE(fs::is_directory(root / "a" / "b"));
    { std::ofstream(root / "file") << "x"; }
    EXPECT_FALSE(kt::config::EnsureFolder(root / "file", &error));
    EXPECT_NE(error.find("file"), std::string::npos);
    EXPECT_FALSE(kt::config::EnsureFolder({}, &error));
    fs::remove_all(root);
}

}  // namespace
