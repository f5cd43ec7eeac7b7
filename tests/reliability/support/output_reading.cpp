#include "tests/reliability/support/output_reading.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace reliability {
namespace {

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<fs::path> SortedEntries(const fs::path& directory)
{
    std::vector<fs::path> entries;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory, error)) entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

// One mbox message: the From_ line is gone; the closing empty line and the quoting are undone.
std::string UnquoteMboxMessage(std::string message)
{
    if (EndsWith(message, "\r\n")) message.resize(message.size() - 2);
    std::string text;
    bool in_header = true;
    size_t at = 0;
    while (at < message.size()) {
        size_t end = message.find('\n', at);
        end = end == std::string::npos ? message.size() : end + 1;
        std::string line = message.substr(at, end - at);
        if (!in_header && line.compare(0, 6, ">From ") == 0) line.erase(0, 1);
        if (in_header && (line == "\r\n" || line == "\n")) in_header = false;
        text += line;
        at = end;
    }
    return text;
}

std::vector<std::string> SplitMbox(const std::string& bytes)
{
    std::vector<std::string> messages;
    size_t at = 0;
    bool open = false;
    std::string current;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        end = end == std::string::npos ? bytes.size() : end + 1;
        std::string line = bytes.substr(at, end - at);
        if (line.compare(0, 5, "From ") == 0) {
            if (open) messages.push_back(UnquoteMboxMessage(current));
            current.clear();
            open = true;
        } else {
            // Bytes before the first From_ line belong to no message: kept as one, so that a test sees them.
            if (!open) open = true;
            current += line;
        }
        at = end;
    }
    if (open) messages.push_back(UnquoteMboxMessage(current));
    return messages;
}

std::vector<std::string> SplitStorage(const std::string& bytes)
{
    static const std::string kSeparator = "\r\n.\r\n";
    std::vector<std::string> messages;
    size_t at = 0;
    for (size_t found; (found = bytes.find(kSeparator, at)) != std::string::npos; at = found + kSeparator.size()) {
        // The separator begins right after the message's own last line end.
        messages.push_back(bytes.substr(at, found - at));
    }
    if (at < bytes.size()) messages.push_back(bytes.substr(at));
    return messages;
}

}  // namespace

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FilesBelow(const std::string& directory)
{
    std::vector<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file()) files.push_back(fs::relative(it->path(), directory).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

FolderMessages ReadOutput(Format format, const std::string& destination)
{
    FolderMessages folders;
    if (format == Format::Mbox) {
        for (const fs::path& file : SortedEntries(destination)) {
            std::string name = file.filename().string();
            if (!EndsWith(name, ".mbx")) continue;
            folders[name.substr(0, name.size() - 4)] = SplitMbox(FileBytes(file.string()));
        }
    } else if (format == Format::Maildir) {
        for (const fs::path& folder : SortedEntries(destination)) {
            if (!fs::is_directory(folder)) continue;
            std::vector<std::string>& messages = folders[folder.filename().string()];
            for (const char* visible : {"cur", "new"})
                for (const fs::path& file : SortedEntries(folder / visible))
                    messages.push_back(FileBytes(file.string()));
        }
    } else if (format == Format::Eml) {
        for (const fs::path& folder : SortedEntries(destination)) {
            if (!fs::is_directory(folder)) continue;
            std::vector<std::string>& messages = folders[folder.filename().string()];
            for (const fs::path& file : SortedEntries(folder)) messages.push_back(FileBytes(file.string()));
        }
    } else {
        for (const fs::path& mailbox : SortedEntries(destination)) {
            if (!fs::is_directory(mailbox) || mailbox.extension() != ".mb") continue;
            for (const fs::path& folder : SortedEntries(mailbox)) {
                if (!fs::is_directory(folder)) continue;
                std::vector<std::string>& messages = folders[folder.filename().string()];
                for (const fs::path& file : SortedEntries(folder)) {
                    std::vector<std::string> stored = SplitStorage(FileBytes(file.string()));
                    messages.insert(messages.end(), stored.begin(), stored.end());
                }
            }
        }
    }
    return folders;
}

}  // namespace reliability
