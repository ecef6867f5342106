#include "config/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
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

ssize_t PlainWrite(int fd, const void* data, std::size_t length) {
#ifdef _WIN32
    return ::_write(fd, data, static_cast<unsigned>(length));
#else
    return ::write(fd, data, length);
#endif
}

bool WriteAll(const WriteFn& write, int fd, const uint8_t* data, std::size_t length, int& err) {
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

#ifdef _WIN32

namespace {

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
        SetError(error, "cannot open " + path + ": " + WinErrorText(GetLastError()));
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

bool SaveRecordFile(const std::string& name, const ConfigRecord& rec, std::string* error,
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
    char temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(DirectoryOf(path).c_str(), "kt", 0, temp)) {
        SetError(error,
                 "cannot create a temporary file beside " + path + ": " + WinErrorText(GetLastError()));
        return false;
    }
    const int fd = ::_open(temp, _O_WRONLY | _O_BINARY | _O_TRUNC);
    int err = 0;
    bool ok = fd >= 0;
    if (!ok) err = errno;
    if (ok && !WriteAll(write, fd, rec.Bytes().data(), rec.Bytes().size(), err)) ok = false;
    if (ok && ::_commit(fd) != 0) ok = false, err = errno;
    if (fd >= 0 && ::_close(fd) != 0 && ok) ok = false, err = errno;
    if (!ok) {
        DeleteFileA(temp);
        SetError(error, "cannot write " + path + ": " + ErrnoText(err));
        return false;
    }
    // Replacing keeps the old file's attributes and access rights.
    const BOOL moved =
        exists ? ReplaceFileA(path.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               : MoveFileExA(temp, path.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!moved) {
        const DWORD code = GetLastError();
        DeleteFileA(temp);
        SetError(error, "cannot replace " + path + ": " + WinErrorText(code));
        return false;
    }
    return true;
}

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

std::string BaseOf(const std::string& path) {
    const auto slash = LastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
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

}  // namespace

bool LoadRecordFile(const std::string& path, ConfigRecord& rec, std::string* error, bool requireWritable) {
    // Non-blocking so that a FIFO in the file's place cannot hang start-up.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        SetError(error, "cannot open " + path + ": " + ErrnoText(errno));
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

bool SaveRecordFile(const std::string& path, const ConfigRecord& rec, std::string* error,
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

    std::string temp = DirectoryOf(target) + "/." + BaseOf(target) + ".XXXXXX";
    Fd fd(::mkstemp(temp.data()));  // mode 0600
    if (fd.get() < 0) {
        SetError(error, "cannot create a temporary file beside " + path + ": " + ErrnoText(errno));
        return false;
    }

    auto fail = [&](const std::string& what, int err) {
        if (fd.get() >= 0) fd.Close();
        ::unlink(temp.c_str());
        SetError(error, what + " " + path + ": " + ErrnoText(err));
        return false;
    };

    if (exists) {
        if (::fchmod(fd.get(), st.st_mode & 07777) != 0) return fail("cannot set the permissions of", errno);
        // Only root can give the file away; for anybody else the owner is already right.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            if (::fchown(fd.get(), st.st_uid, st.st_gid) != 0) {
                // Keeping the old owner is best effort: the file is still ours to write.
            }
        }
    }
    int err = 0;
    if (!WriteAll(write, fd.get(), rec.Bytes().data(), rec.Bytes().size(), err))
        return fail("cannot write", err);
    if (::fsync(fd.get()) != 0) return fail("cannot write", errno);
    if (fd.Close() != 0) return fail("cannot write", errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail("cannot replace", errno);

    // Make the rename itself durable. The new file is complete either way, and
    // some file systems refuse to sync a directory, so a failure here is ignored.
    Fd dir(::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return true;
}

#endif

bool ReadCFGFile(const std::string& path, ConfigRecord& rec, const Reporter& report) {
    if (LoadRecordFile(path, rec, nullptr, /*requireWritable=*/true)) return true;
    if (report) report(kAccessErrorText, kWarningCaption);
    return false;
}

bool WriteCFGFile(const std::string& path, const ConfigRecord& rec, const Reporter& report,
                  const WriteFn& write) {
    if (SaveRecordFile(path, rec, nullptr, write)) return true;
    if (report) report(kAccessErrorText, kWarningCaption);
    return false;
}

}  // namespace kt::config
