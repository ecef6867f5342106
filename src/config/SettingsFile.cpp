#include "config/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace kt::config {

namespace {

std::string ErrnoText(int err) {
    return std::strerror(err);
}

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string MissingText(const std::string& path) {
    return path + " does not exist";
}

// The record read from path, provided the file held a whole one.
bool TakeWholeRecord(const std::string& path, const ConfigRecord::Image& buf, std::size_t got,
                     ConfigRecord& rec, std::string* error) {
    if (got < buf.size()) {
        SetError(error, path + " holds " + std::to_string(got) + " bytes, a settings record needs " +
                            std::to_string(kRecordSize));
        return false;
    }
    rec.Bytes() = buf;
    return true;
}

std::size_t LastSeparator(const std::string& path) {
#ifdef _WIN32
    return path.find_last_of("/\\");
#else
    return path.find_last_of('/');
#endif
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = LastSeparator(path);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);  // "C:\\x": the root of drive C
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const auto slash = LastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A save writes its temporary copy as ".<file name>.XXXXXX" (six letters or
// digits) beside the file; a later save recognises that pattern as its own.
constexpr std::size_t kTempSuffixLength = 6;
constexpr char kTempSuffixChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string TempPrefix(const std::string& fileName) {
    return "." + fileName + ".";
}

std::string RandomSuffix() {
    static std::mt19937_64 gen{(static_cast<uint64_t>(std::random_device{}()) << 32) ^
                               std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kTempSuffixChars - 2);
    std::string suffix(kTempSuffixLength, ' ');
    for (char& c : suffix)
        c = kTempSuffixChars[pick(gen)];
    return suffix;
}

ssize_t PlainWrite(int fd, const void* data, std::size_t length) {
#ifdef _WIN32
    return ::_write(fd, data, static_cast<unsigned>(length));
#else
    return ::write(fd, data, length);
#endif
}

bool WriteAll(const WriteFn& write, int fd, const char* data, std::size_t length, int& err) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            write ? write(fd, data + done, length - done) : PlainWrite(fd, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool IsTemporaryCopyName(const std::string& entry, const std::string& fileName) {
    const std::string prefix = TempPrefix(fileName);
    if (entry.size() != prefix.size() + kTempSuffixLength || entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < entry.size(); ++i) {
        const char c = entry[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

#ifdef _WIN32

namespace {

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) return dir + name;
    return dir + "\\" + name;
}

std::string WinErrorText(DWORD code) {
    char buf[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                   0, buf, sizeof buf, nullptr);
    std::string text(buf, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

}  // namespace

bool LoadRecordFile(const std::string& path, ConfigRecord& rec, std::string* error, bool requireWritable) {
    const DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            SetError(error, MissingText(path));
        else
            SetError(error, "cannot open " + path + ": " + WinErrorText(code));
        return false;
    }
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
        SetError(error, path + " is not a regular file");
        return false;
    }
    if (requireWritable && (attrs & FILE_ATTRIBUTE_READONLY)) {
        SetError(error, path + " is read-only");
        return false;
    }
    // With requireWritable the file is opened for writing too, so that a file
    // the operator could not save to (access rights, a lock) shows at once.
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | (requireWritable ? GENERIC_WRITE : 0),
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        SetError(error, "cannot open " + path + ": " + WinErrorText(GetLastError()));
        return false;
    }
    ConfigRecord::Image buf{};
    std::size_t got = 0;
    bool ok = true;
    while (got < buf.size()) {
        DWORD n = 0;
        if (!ReadFile(h, buf.data() + got, DWORD(buf.size() - got), &n, nullptr)) {
            SetError(error, "cannot read " + path + ": " + WinErrorText(GetLastError()));
            ok = false;
            break;
        }
        if (n == 0) break;
        got += n;
    }
    CloseHandle(h);
    if (!ok) return false;
    return TakeWholeRecord(path, buf, got, rec, error);
}

bool SaveFileAtomically(const std::string& name, std::string_view bytes, std::string* error,
                        const WriteFn& write) {
    // ReplaceFileA wants full paths; "KT4470.cfg" is relative to the working directory.
    char full[MAX_PATH + 1] = {};
    const DWORD len = GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
    if (len == 0 || len > MAX_PATH) {
        SetError(error, "cannot resolve " + name + ": " + WinErrorText(GetLastError()));
        return false;
    }
    const std::string path = full;
    const DWORD attrs = GetFileAttributesA(path.c_str());
    const bool exists = attrs != INVALID_FILE_ATTRIBUTES;
    if (exists && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        SetError(error, path + " is not a regular file");
        return false;
    }
    if (exists && (attrs & FILE_ATTRIBUTE_READONLY)) {
        SetError(error, path + " is read-only");
        return false;
    }
    const std::string dir = DirectoryOf(path);
    const std::string base = BaseOf(path);
    RemoveStaleTemporaryCopies(dir, base);

    // Opened without delete sharing, so that another save cannot take the
    // copy for a stale one while this save writes it.
    std::string temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = JoinPath(dir, TempPrefix(base) + RandomSuffix());
        h = CreateFileA(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE) {
        SetError(error,
                 "cannot create a temporary file beside " + path + ": " + WinErrorText(GetLastError()));
        return false;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        DeleteFileA(temp.c_str());
        SetError(error, "cannot write " + path + ": " + ErrnoText(errno));
        return false;
    }
    int err = 0;
    bool ok = WriteAll(write, fd, bytes.data(), bytes.size(), err);
    if (ok && ::_commit(fd) != 0) ok = false, err = errno;
    if (::_close(fd) != 0 && ok) ok = false, err = errno;
    if (!ok) {
        DeleteFileA(temp.c_str());
        SetError(error, "cannot write " + path + ": " + ErrnoText(err));
        return false;
    }
    // Replacing keeps the old file's attributes and access rights.
    const BOOL moved = exists ? ReplaceFileA(path.c_str(), temp.c_str(), nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                              : MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!moved) {
        const DWORD code = GetLastError();
        DeleteFileA(temp.c_str());
        SetError(error, "cannot replace " + path + ": " + WinErrorText(code));
        return false;
    }
    return true;
}

int RemoveStaleTemporaryCopies(const std::string& dir, const std::string& fileName) {
    WIN32_FIND_DATAA found{};
    const HANDLE h = FindFirstFileA(JoinPath(dir, TempPrefix(fileName) + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!IsTemporaryCopyName(found.cFileName, fileName)) continue;
        // The copy of a save under way is open without delete sharing and stays.
        if (DeleteFileA(JoinPath(dir, found.cFileName).c_str())) ++removed;
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return removed;
}

void UseNamedTemporaryFiles(bool) {}  // named copies are the only kind here

#else  // POSIX

namespace {

// No write permission bits at all: the file is read-only for everybody, root
// included (root's access() would say writable, so look at the mode itself).
bool MarkedReadOnly(const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool WritableByUs(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result (a failing close can mean lost data).
    int Close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

  private:
    int fd_;
};

bool g_namedTempOnly = false;

// A file in dir that has no name yet (Linux O_TMPFILE): a save killed before
// the rename leaves nothing behind. -1 where the kernel or the file system
// has no such files.
int OpenUnnamedTemp(int dir) {
#ifdef O_TMPFILE
    if (!g_namedTempOnly) return ::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#else
    (void)dir;
#endif
    errno = EOPNOTSUPP;
    return -1;
}

// Fills the copy: the old file's permission bits and owner (st), or private
// to its owner for a new file, then the record, flushed to disk. Returns 0 or
// the error number, with what says which step failed.
int WriteCopy(int fd, std::string_view bytes, const struct stat* st, const WriteFn& write,
              const char*& what) {
    what = "cannot set the permissions of";
    if (::fchmod(fd, st ? st->st_mode & 07777 : 0600) != 0) return errno;
    // Only root can give the file away; for anybody else the owner is already right.
    if (st && (st->st_uid != ::geteuid() || st->st_gid != ::getegid())) {
        if (::fchown(fd, st->st_uid, st->st_gid) != 0) {
            // Keeping the old owner is best effort: the file is still ours to write.
        }
    }
    what = "cannot write";
    int err = 0;
    if (!WriteAll(write, fd, bytes.data(), bytes.size(), err)) return err;
    if (::fsync(fd) != 0) return errno;
    return 0;
}

// Gives the unnamed file fd a fresh temporary name in dir (name receives it).
bool LinkUnnamedTemp(int fd, int dir, const std::string& base, std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TempPrefix(base) + RandomSuffix();
        // Through /proc as an ordinary user may; AT_EMPTY_PATH needs a privilege.
        if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno == EEXIST) continue;
#ifdef AT_EMPTY_PATH
        if (::linkat(fd, "", dir, name.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno == EEXIST) continue;
#endif
        return false;
    }
    errno = EEXIST;
    return false;
}

}  // namespace

bool LoadRecordFile(const std::string& path, ConfigRecord& rec, std::string* error, bool requireWritable) {
    // Non-blocking so that a FIFO in the file's place cannot hang start-up.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        SetError(error,
                 errno == ENOENT ? MissingText(path) : "cannot open " + path + ": " + ErrnoText(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        SetError(error, "cannot open " + path + ": " + ErrnoText(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        SetError(error, path + " is not a regular file");
        return false;
    }
    if (requireWritable && (MarkedReadOnly(st) || !WritableByUs(path))) {
        SetError(error, path + " is read-only");
        return false;
    }
    ConfigRecord::Image buf{};
    std::size_t got = 0;
    while (got < buf.size()) {
        const ssize_t n = ::read(fd.get(), buf.data() + got, buf.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetError(error, "cannot read " + path + ": " + ErrnoText(errno));
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return TakeWholeRecord(path, buf, got, rec, error);
}

bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                        const WriteFn& write) {
    // A symbolic link stays a link: the file it points to is replaced.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
        if (!real) {
            SetError(error, "cannot resolve " + path + ": " + ErrnoText(errno));
            return false;
        }
        target = real.get();
    }

    bool exists = false;
    if (::stat(target.c_str(), &st) == 0) {
        exists = true;
        if (!S_ISREG(st.st_mode)) {
            SetError(error, path + " is not a regular file");
            return false;
        }
        if (MarkedReadOnly(st) || !WritableByUs(target)) {
            SetError(error, path + " is read-only");
            return false;
        }
    } else if (errno != ENOENT) {
        SetError(error, "cannot access " + path + ": " + ErrnoText(errno));
        return false;
    }

    const std::string dirPath = DirectoryOf(target);
    const std::string base = BaseOf(target);
    Fd dir(::open(dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        SetError(error, "cannot access the folder of " + path + ": " + ErrnoText(errno));
        return false;
    }
    RemoveStaleTemporaryCopies(dirPath, base);

    // First as a file without a name (nothing is left if the save is cut
    // short), else under a temporary name; a failure to name the unnamed
    // copy (no /proc) falls back to the second way.
    Fd fd(-1);
    std::string temp;  // the copy's name once it has one
    int err = EOPNOTSUPP;
    const char* what = "cannot write";
    for (const bool unnamed : {true, false}) {
        bool named = false;
        if (unnamed) {
            fd = Fd(OpenUnnamedTemp(dir.get()));
            if (fd.get() < 0) continue;
        } else {
            for (int attempt = 0; attempt < 100; ++attempt) {
                temp = TempPrefix(base) + RandomSuffix();
                fd = Fd(::openat(dir.get(), temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                                 0600));
                if (fd.get() >= 0 || errno != EEXIST) break;
            }
            if (fd.get() < 0) {
                SetError(error, "cannot create a temporary file beside " + path + ": " + ErrnoText(errno));
                return false;
            }
            named = true;
        }
        // Locked while this save owns it, so that another save does not take
        // it for a copy left behind.
        ::flock(fd.get(), LOCK_EX);
        err = WriteCopy(fd.get(), bytes, exists ? &st : nullptr, write, what);
        if (err == 0 && unnamed) {
            // The complete copy gets a name only now, just before the rename.
            if (LinkUnnamedTemp(fd.get(), dir.get(), base, temp)) {
                named = true;
            } else {
                err = errno;
                fd = Fd(-1);
                continue;
            }
        }
        if (err != 0) {
            if (named) ::unlinkat(dir.get(), temp.c_str(), 0);
            SetError(error, std::string(what) + " " + path + ": " + ErrnoText(err));
            return false;
        }
        break;
    }
    if (fd.get() < 0) {
        SetError(error, "cannot write " + path + ": " + ErrnoText(err));
        return false;
    }
    if (::renameat(dir.get(), temp.c_str(), AT_FDCWD, target.c_str()) != 0) {
        SetError(error, "cannot replace " + path + ": " + ErrnoText(errno));
        ::unlinkat(dir.get(), temp.c_str(), 0);
        return false;
    }
    // The copy's descriptor, and with it the lock, is released on return.

    // Make the rename itself durable. The new file is complete either way, and
    // some file systems refuse to sync a directory, so a failure here is ignored.
    ::fsync(dir.get());
    return true;
}

int RemoveStaleTemporaryCopies(const std::string& dirPath, const std::string& fileName) {
    DIR* d = ::opendir(dirPath.c_str());
    if (!d) return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (!IsTemporaryCopyName(entry, fileName)) continue;
        Fd copy(
            ::openat(::dirfd(d), entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (copy.get() < 0) continue;
        struct stat held {};
        if (::fstat(copy.get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
        // A save under way holds the lock on its copy.
        if (::flock(copy.get(), LOCK_EX | LOCK_NB) != 0) continue;
        // Remove the name only while it is still the file examined.
        struct stat now {};
        if (::fstatat(::dirfd(d), entry.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
            now.st_dev != held.st_dev || now.st_ino != held.st_ino)
            continue;
        if (::unlinkat(::dirfd(d), entry.c_str(), 0) == 0) ++removed;
    }
    ::closedir(d);
    return removed;
}

void UseNamedTemporaryFiles(bool named) {
    g_namedTempOnly = named;
}

#endif

bool SaveRecordFile(const std::string& path, const ConfigRecord& rec, std::string* error,
                    const WriteFn& write) {
    const auto& image = rec.Bytes();
    return SaveFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), error, write);
}

std::string AccessErrorText(const std::string& reason) {
    return reason.empty() ? std::string(kAccessErrorText) : std::string(kAccessErrorText) + "\r\n" + reason;
}

bool ReadCFGFile(const std::string& path, ConfigRecord& rec, const Reporter& report) {
    std::string reason;
    if (LoadRecordFile(path, rec, &reason, /*requireWritable=*/true)) return true;
    if (report) report(AccessErrorText(reason), kWarningCaption);
    return false;
}

bool WriteCFGFile(const std::string& path, const ConfigRecord& rec, const Reporter& report,
                  const WriteFn& write) {
    std::string reason;
    if (SaveRecordFile(path, rec, &reason, write)) return true;
    if (report) report(AccessErrorText(reason), kWarningCaption);
    return false;
}

}  // namespace kt::config
