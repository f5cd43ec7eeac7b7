// cli_test_stores KIND DIRECTORY: writes the stores that the end-to-end tests convert with the built dovan.
//
//   formats   the store compared byte for byte in every format and setting: From lines in bodies, senders in
//             every form the mbox writer looks for, subjects for the eml names, news, a text without a final
//             line break, a block over 2048 bytes, records without text or data, an empty folder, and the
//             files a run leaves out
//   pair      folders A and B, three mails each, for error answers
//   many N    one folder "Slow" with N short mails, for Ctrl-C while a run goes on
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/dbx_builder.h"

namespace {

using fixture::FixtureMessage;

std::string Crlf(const std::string& text)
{
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

FixtureMessage Mail(const std::string& text) { return FixtureMessage{Crlf(text), 1, {}}; }

// A text cut into blocks of `size` bytes, so that lines and line ends fall across pieces.
FixtureMessage InSmallBlocks(const std::string& text, uint32_t size)
{
    FixtureMessage message{text, 1, {}};
    for (size_t left = text.size(); left > 0; left -= std::min<size_t>(left, size))
        message.block_sizes.push_back(static_cast<uint32_t>(std::min<size_t>(left, size)));
    return message;
}

std::vector<FixtureMessage> Inbox()
{
    std::vector<FixtureMessage> messages;
    messages.push_back(Mail("Return-Path: <first@example.org>\n"
                            "From: Someone Else <second@example.org>\n"
                            "Subject: Quoting\n"
                            "\n"
                            "From here\n"
                            ">From here\n"
                            "from here\n"
                            "FROM: shouting\n"
                            "Fromage\n"
                            "From\n"
                            ">>from the depths\n"
                            "From\n"));
    messages.push_back(Mail("Subject: No sender at all\n"
                            "\n"
                            "From the placeholder's point of view.\n"));
    messages.push_back(Mail("From: \"Name <with> (brackets)\" <quoted@example.org>\n"
                            "Subject: Quoted display name\n"
                            "\n"
                            "Body.\n"));
    // A block of 4100 bytes goes to the writer as 2048, 2048 and 4; its body has a From line across the cut.
    std::string long_text = Crlf("From: Long Writer <long@example.org>\nSubject: Long\n\n");
    while (long_text.size() < 2040) long_text += "0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUV\r\n";
    long_text.resize(2044);
    long_text += "\r\nFrom the middle of a piece\r\n";
    while (long_text.size() < 4100 - 7) long_text += "x";
    long_text += "\r\nend\r\n";
    messages.push_back(FixtureMessage{long_text, 1, {4100}});
    FixtureMessage no_text;
    no_text.no_text = true;
    messages.push_back(no_text);
    FixtureMessage no_data;
    no_data.no_data = true;
    messages.push_back(no_data);
    // Saved without a final line break: the conversion ends it with CR LF.
    messages.push_back(Mail("From: drafty@example.org\nSubject: Unfinished\n\nthe numbers for April are"));
    return messages;
}

std::vector<FixtureMessage> Subjects()
{
    return {
        Mail("From: a@example.org\nSubject: Hello\n\none\n"),
        Mail("From: b@example.org\nSUBJECT:    Hello\n\ntwo\n"),
        Mail("From: c@example.org\nTo: x@example.org\n\nno subject line\n"),
        Mail("From: d@example.org\nSubject: Re: [list] a/b? <*>|\"x\"\n\nunsafe characters\n"),
        Mail("From: e@example.org\nSubject: caf\xc3\xa9 \x1b$B$3$s$K$A$O\x1b(B\n\n8-bit and escapes\n"),
        InSmallBlocks(Crlf("From: f@example.org\nSubject: Split across blocks\n\nblocks of 7 bytes\n"), 7),
    };
}

std::vector<FixtureMessage> News()
{
    return {
        FixtureMessage{Crlf("Path: news.example.net!not-for-mail\nFrom: poster@example.org\n"
                            "Newsgroups: example.test\nSubject: First article\n\nFrom the newsroom.\n"),
                       2, {}},
        FixtureMessage{Crlf("Path: news.example.net!not-for-mail\nFrom: poster@example.org\n"
                            "Newsgroups: example.test\nSubject: Second article\n\nbody\n"),
                       2, {}},
    };
}

std::vector<FixtureMessage> ThreeMails(const std::string& folder)
{
    std::vector<FixtureMessage> messages;
    for (int i = 1; i <= 3; ++i)
        messages.push_back(Mail("From: " + folder + "@example.org\nSubject: " + folder + " " + std::to_string(i) +
                                "\n\nmessage " + std::to_string(i) + "\n"));
    return messages;
}

bool Write(const std::string& directory, const char* name, const std::string& bytes)
{
    std::string path = directory + "/" + name;
    if (fixture::WriteFixture(path, bytes)) return true;
    std::fprintf(stderr, "cli_test_stores: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: cli_test_stores formats|pair|many N DIRECTORY\n");
        return 2;
    }
    std::string kind = argv[1];
    if (kind == "formats") {
        std::string directory = argv[2];
        fixture::FixtureOptions small_nodes;
        small_nodes.entries_per_node = 2;  // an index of several levels
        bool ok = Write(directory, "Inbox.dbx", fixture::BuildDbx(Inbox(), small_nodes)) &&
                  Write(directory, "subjects.dbx", fixture::BuildDbx(Subjects())) &&
                  Write(directory, "example.test.dbx", fixture::BuildDbx(News())) &&
                  Write(directory, "Empty.dbx", fixture::BuildDbx({})) &&
                  Write(directory, "Folders.dbx", fixture::BuildDbx(ThreeMails("folders"))) &&
                  Write(directory, "offline.DBX", fixture::BuildDbx(ThreeMails("offline"))) &&
                  Write(directory, "Pop3uidl.dbx", fixture::BuildDbx(ThreeMails("pop3uidl")));
        return ok ? 0 : 1;
    }
    if (kind == "pair") {
        std::string directory = argv[2];
        return Write(directory, "A.dbx", fixture::BuildDbx(ThreeMails("A"))) &&
                       Write(directory, "B.dbx", fixture::BuildDbx(ThreeMails("B")))
                   ? 0
                   : 1;
    }
    if (kind == "many" && argc == 4) {
        int count = std::atoi(argv[2]);
        std::vector<FixtureMessage> messages;
        for (int i = 1; i <= count; ++i)
            messages.push_back(Mail("From: slow@example.org\nSubject: " + std::to_string(i) + "\n\nbody\n"));
        return Write(argv[3], "Slow.dbx", fixture::BuildDbx(messages)) ? 0 : 1;
    }
    std::fprintf(stderr, "cli_test_stores: unknown kind %s\n", kind.c_str());
    return 2;
}
