#pragma once
// The one way files are replaced (a catalogue updated by `fit --save`, a
// plot): the new content is written in full to a temporary file in the
// target's folder, which then takes the target's place by rename, so the
// file is always the old or the new one, never a part of either, whatever
// stops the program (a kill, a full disk, a size limit).
//
// Through a symbolic link the file it points to is replaced, and the link
// stays; a dangling link gets its target created.  A file that exists keeps
// its owner, group and permissions; one that is read-only, or that the user
// may not write, is refused, as is anything but a regular file (a named pipe,
// a socket, a folder, a block device).  A character device (/dev/null) is
// written directly where `devices` allows it.
//
// An update reads and replaces the file under an exclusive lock (flock) on
// it, taken again on the new file if another writer replaced it meanwhile,
// so concurrent updates of one file each see the other's result and none is
// lost.  A writer that holds the lock longer than kUpdateLockWait makes the
// update fail.
//
// Every failure throws CalcError(ErrorKind::FileError) with
// "cannot write <what><path>: <reason>"; the file is then as it was.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace aqvis {

inline constexpr std::chrono::milliseconds kUpdateLockWait{10000};

struct FileTarget {
    std::string path;           // as given, for messages
    std::string what;           // "the plot " and the like, or ""
    bool devices = false;       // a character device is written directly
};

// Replaces the file's content with `text`.
void Write_File_Whole(const FileTarget& target, std::string_view text);

// Under the lock: the file's content ("" when it does not exist) goes to
// `update`, and what it returns replaces the file.  `update` may throw;
// the file is then left as it was.
void Update_File_Whole(const FileTarget& target,
                       const std::function<std::string(const std::string& old)>& update);

}  // namespace aqvis
