// Reads back what a writer left in a destination, as a reader of each format would, into the messages of
// each folder. Tests compare them with the texts the writer was handed.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace reliability {

enum class Format { Mbox, Eml, Bmf, Maildir };

// Messages by folder name, in the order found (eml: by file name; bmf: storage files by name, then position).
using FolderMessages = std::map<std::string, std::vector<std::string>>;

// mbox: every "<folder>.mbx", split at its From_ lines; each message without its From_ line and the closing
// empty line, with the From quoting of body lines undone. eml: every file of every subfolder. bmf: the one
// "*.mb" mailbox, each storage file split at "\r\n.\r\n"; text after the last separator is a message too (one
// that was never closed). Maildir: every file in the cur/ and new/ of every folder (what a reader sees).
FolderMessages ReadOutput(Format format, const std::string& destination);

// Every regular file below a directory (relative paths, sorted), and the bytes of one file.
std::vector<std::string> FilesBelow(const std::string& directory);
std::string FileBytes(const std::string& path);

}  // namespace reliability
