// What a file keeps when a new file is renamed over it: mode bits, group, owner and extended
// attributes (POSIX ACLs among them), taken from the old file and given to the new one.
#pragma once
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

struct TFileKeep {
  bool Known = false; // false: there is no old file; the new one stays as it was created
  uid_t Uid = 0;
  gid_t Gid = 0;
  mode_t Mode = 0;                                        // permission, set-id and sticky bits
  std::vector<std::pair<std::string, std::string>> Attrs; // name, value
};

// The owner a replacement could not keep (the process may not give the file away): the new
// file has the owner To instead of From.
struct TOwnerChange {
  bool Changed = false;
  uid_t From = 0, To = 0;
};

// Mode, owner and attributes of the open file fd; a file system without extended attributes
// gives none. Raises a system error naming name when they cannot be read.
TFileKeep TakeFileKeep(int fd, const std::string& name);
// Gives keep to the open new file fd, which is to replace name: the owner where the process may
// set it (else the result tells the change), the group, every attribute and then the exact mode
// bits (the umask does not apply). Raises a system error naming name when the group, an attribute
// or the mode cannot be set. A later fsync of fd makes them durable.
TOwnerChange GiveFileKeep(const TFileKeep& keep, int fd, const std::string& name);
// The same for two files by OS path: from the existing file target (nothing when there is none)
// to the complete file from, which is then made durable.
TOwnerChange KeepFileOf(const std::string& target, const std::string& from);

// A user's name, or the number when the system knows no name for it.
std::string UserName(uid_t uid);
