// The settings file: the 4200-byte record written byte for byte, nothing else.
// Saving is atomic: the new record goes to a temporary file beside the old one,
// is flushed to disk and then renamed over it, so a failed save (disk full,
// no permission) leaves the old file whole.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "config/ConfigRecord.h"

namespace kt::config {

inline constexpr const char* kSettingsFileName = "KT4470.cfg";
inline constexpr const char* kAccessErrorText = "KT4470.cfg access error";
inline constexpr const char* kWarningCaption = "Warning";

// Shows a failure to the operator: the message text and the box caption.
using Reporter = std::function<void(const std::string& text, const std::string& caption)>;

// The write(2) used for the record; tests swap it to inject failures such as a full disk.
using WriteFn = std::function<ssize_t(int fd, const void* data, std::size_t length)>;

// Reads the first 4200 bytes of the file into rec. A missing, unreadable or
// shorter file leaves rec as it was; with requireWritable, so does a file that
// is marked read-only (no write permission bits, checked even for root) or
// that this process may not write. On failure *error (if given) says why.
bool LoadRecordFile(const std::string& path, ConfigRecord& rec, std::string* error,
                    bool requireWritable = false);

// Writes `bytes` atomically as the whole file: a temporary copy beside it,
// flushed, then renamed over it; a symbolic link stays a link and the file it
// points to is replaced. An existing file keeps its permission bits and owner;
// a new one is readable and writable by its owner only. A file marked
// read-only is not replaced. On failure the old file is left exactly as it was
// and no temporary file remains.
bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                        const WriteFn& write = {});

// Writes rec atomically (as above) as a file of exactly 4200 bytes.
bool SaveRecordFile(const std::string& path, const ConfigRecord& rec, std::string* error,
                    const WriteFn& write = {});

// "KT4470.cfg access error", then on a line of its own why (the file is
// missing, read-only, not a whole record, the disk is full, ...).
std::string AccessErrorText(const std::string& reason);

// The window's read: on any failure (including a read-only file, which could
// not be saved later) the warning "KT4470.cfg access error" is shown with the
// reason, and rec stays as it was.
bool ReadCFGFile(const std::string& path, ConfigRecord& rec, const Reporter& report);

// The file part of a save: on any failure the same warning with the reason,
// the file untouched.
bool WriteCFGFile(const std::string& path, const ConfigRecord& rec, const Reporter& report,
                  const WriteFn& write = {});

// A save that is cut short (killed, power lost) leaves no copy of the record
// behind where the platform allows: on Linux the copy is written as a file
// without a name (O_TMPFILE) and named only just before the rename. Elsewhere,
// and in that last moment, the copy is ".<file name>.XXXXXX" beside the file,
// and each save first removes such copies that no save is writing any more.
bool IsTemporaryCopyName(const std::string& entry, const std::string& fileName);
// Removes the stale copies of fileName in dir; returns how many.
int RemoveStaleTemporaryCopies(const std::string& dir, const std::string& fileName);
// Tests: true makes Linux use named copies too, as the other platforms do.
void UseNamedTemporaryFiles(bool named);

}  // namespace kt::config
