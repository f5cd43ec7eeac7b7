// The Maildir writer's folder tree in the Maildir++ layout that Dovecot and Courier read: every folder is a
// Maildir directly under the destination, named "." and its path with the parts joined by "." (".Inbox",
// ".Archive.Lists"). A "." inside a folder's own name would read as a level, so it becomes "_" ("v1.2" is ".v1_2").
//
// A top-level folder named "Inbox" in any letter case is the destination itself, the Maildir++ INBOX: a server
// takes ".Inbox" for its INBOX and would never show the messages in it. Its subfolders are ".INBOX.Club", which
// Dovecot shows as "INBOX.Club" (".Inbox.Club" it would list but not open).
#pragma once

#include <cstdint>
#include <string>

namespace maildir {

// The Maildir++ directory of the folder whose path (outermost first) is path[0..depth).
std::string TreeMaildirDirectory(const char* const* path, uint32_t depth);

}  // namespace maildir
