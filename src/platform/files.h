#pragma once
// Whole-file reads, appends and atomic replacement.  Plain POSIX so the
// logic layers can use them without Qt.

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// A file that could not be read or written, and the errno that said why.
struct FileFault {
    std::string path;
    int error = 0;
    bool operator==(const FileFault&) const = default;
};

// The whole file as 8-bit text, or nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& path);

// Appends `data` (created when missing) with a single write call, so a record
// is never interleaved with or split by another.  False when it failed.
bool appendToFile(const std::string& path, std::string_view data);

// Appends `data` as one record and flushes it to the disk (fdatasync) before
// returning, so a power cut right after loses nothing.  All or nothing: a
// write that fails part way (disk full, file size limit) is cut back to the
// file's length before the attempt, so a retry never glues a torn record to
// a whole copy.  When the file does not end in a line break (a line torn by
// an earlier power cut), CR LF is written first so the record starts a line
// of its own.  Returns 0, or the errno of the failure.
int appendRecord(const std::string& path, std::string_view data);

// The system's text for an errno value ("No space left on device").
std::string errorText(int error);

// Replaces the file with `data` by writing a temporary file in the same folder,
// syncing it and renaming it over the target: a crash leaves the old file or
// the new one, never a part.  A symbolic link is followed (the file it points
// to is replaced, the link stays) and the old file's permissions are kept.
// False (with the old file untouched) on failure.
bool replaceFileAtomically(const std::string& path, std::string_view data);
// The same, returning 0 or the errno of the failure.
int replaceFileReportingError(const std::string& path, std::string_view data);

bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);

// Creates the folder (one level); true when it exists afterwards.
bool ensureDirectory(const std::string& path);
// The same, returning 0 or why it does not exist (ENOTDIR when a file stands
// in its place).
int ensureDirectoryReportingError(const std::string& path);

// Joins the app folder and a relative name that starts with "/".
inline std::string joinPath(const std::string& folder, std::string_view relative) {
    return folder + std::string(relative);
}

} // namespace korvane
