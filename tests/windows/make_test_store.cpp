// make_test_store DIR [--large]: writes the store that the Windows and the POSIX builds both convert, so that their
// outputs can be compared byte for byte. Its folders exercise what a writer treats specially: From lines in
// bodies, senders in every form, long lines, texts without a final line feed, cut blocks, messages without
// text, subjects that collide or need replacing, news articles, enough mail to split bmf storage files.
// With --large it writes instead a store big enough that a run lasts a while, to work a run in progress.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/dbx_builder.h"

namespace {

using fixture::FixtureMessage;

std::string Mail(const std::string& headers, const std::string& body) { return headers + "\r\n" + body; }

FixtureMessage Text(const std::string& text, uint32_t kind = 1)
{
    FixtureMessage message;
    message.text = text;
    message.kind = kind;
    return message;
}

std::vector<FixtureMessage> Inbox()
{
    std::vector<FixtureMessage> messages;
    messages.push_back(Text(Mail("Return-Path: <ann@example.org>\r\nFrom: \"Ann, Example\" <ann@example.org>\r\n"
                                 "Subject: Hello\r\n",
                                 "From here\r\n>From there\r\nfrom lower\r\nFROM: caps\r\nFromage\r\nFrom\r\n")));
    messages.push_back(Text(Mail("From: bob@example.org (Bob)\r\nSubject: Hello\r\n", "Second hello.\r\n")));
    messages.push_back(Text(Mail("from: \"Quoted <odd> (name)\" <carol@example.org>\r\nSUBJECT: Hello\r\n",
                                 "Third hello, subject in capitals.\r\n")));
    messages.push_back(Text(Mail("Subject: Re: [list] a/b?\r\nFrom: <>\r\n", "Empty sender.\r\n")));
    messages.push_back(Text(Mail("Subject: no sender at all\r\n", "The placeholder sender.\r\n")));
    messages.push_back(Text(Mail("From: dave@example.org\r\nSubject: \x93\xfa\x96\x7b\x8c\xea 8-bit\r\n",
                                 "Eight-bit subject.\r\n")));
    messages.push_back(Text(Mail("From: eve@example.org\r\nSubject: long line\r\n",
                                 "From " + std::string(5000, 'x') + "\r\nafter\r\n")));
    messages.push_back(Text(Mail("From: fay@example.org\r\nSubject: no final line feed\r\n", "last line")));
    messages.push_back(Text(Mail("From: gus@example.org\r\nSubject: ends with CR\r\n", "last line\r")));
    FixtureMessage cut = Text(Mail("From: hal@example.org\r\nSubject: cut blocks\r\n",
                                   "line one\r\n" + std::string(3000, 'b') + "\r\nFrom the middle\r\n"));
    cut.block_sizes = {100, 0, 2100, static_cast<uint32_t>(cut.text.size() - 2200)};
    messages.push_back(cut);
    FixtureMessage split_line_end = Text(Mail("From: ida@example.org\r\nSubject: split\r\n", "a\r\nFrom b\r\n"));
    split_line_end.block_sizes = {static_cast<uint32_t>(split_line_end.text.size() - 1), 1};
    messages.push_back(split_line_end);
    FixtureMessage indirect = Text(Mail("From: jo@example.org\r\nSubject: indirect\r\n", "Indirect data.\r\n"));
    indirect.indirect = true;
    messages.push_back(indirect);
    FixtureMessage no_text = Text("");
    no_text.no_text = true;
    messages.push_back(no_text);
    FixtureMessage no_data = Text("");
    no_data.no_data = true;
    messages.push_back(no_data);
    messages.push_back(Text("From: kim@example.org\r\nSubject: header only, no empty line\r\n"));
    messages.push_back(Text(Mail("From: lee@example.org\r\nSubject:   \r\n", "Blank subject.\r\n")));
    for (int i = 0; i < 25; ++i)
        messages.push_back(Text(Mail("From: list" + std::to_string(i) + "@example.org\r\nSubject: Numbered " +
                                         std::to_string(i) + "\r\n",
                                     "Body of message " + std::to_string(i) + "\r\nFrom line " +
                                         std::to_string(i) + "\r\n")));
    return messages;
}

std::vector<FixtureMessage> Archive()
{
    // About 780 KB: more than the 640 KB at which a bmf storage file is full.
    std::vector<FixtureMessage> messages;
    for (int i = 0; i < 260; ++i) {
        std::string body;
        for (int line = 0; line < 40; ++line)
            body += "Archived line " + std::to_string(line) + " of message " + std::to_string(i) +
                    std::string(static_cast<size_t>(30 + (i * 7 + line) % 40), '.') + "\r\n";
        messages.push_back(Text(Mail("From: archive@example.org\r\nSubject: Archived " + std::to_string(i) + "\r\n",
                                     body)));
    }
    return messages;
}

std::vector<FixtureMessage> News()
{
    std::vector<FixtureMessage> messages;
    for (int i = 0; i < 5; ++i)
        messages.push_back(Text(Mail("From: poster@example.org\r\nNewsgroups: news.group\r\nSubject: Article " +
                                         std::to_string(i) + "\r\n",
                                     "An article.\r\n"),
                                2));
    messages.push_back(Text(Mail("From: mailer@example.org\r\nSubject: a mail among news\r\n", "Mail.\r\n")));
    return messages;
}

bool WriteLarge(const std::filesystem::path& directory)
{
    // Five folders of 1000 messages of about 4 KB each.
    for (const char* name : {"Folder 1.dbx", "Folder 2.dbx", "Folder 3.dbx", "Folder 4.dbx", "Folder 5.dbx"}) {
        fixture::StoreWriter writer;
        if (!writer.Open((directory / name).string())) return false;
        for (int i = 0; i < 1000; ++i) {
            std::string body;
            for (int line = 0; line < 50; ++line)
                body += "Line " + std::to_string(line) + " of message " + std::to_string(i) + " in " + name +
                        std::string(40, '-') + "\r\n";
            if (!writer.Add(Text(Mail("From: bulk@example.org\r\nSubject: Bulk " + std::to_string(i) + "\r\n",
                                      body))))
                return false;
        }
        if (!writer.Finish()) return false;
    }
    return true;
}

bool Write(const std::filesystem::path& directory, const char* name, const std::vector<FixtureMessage>& messages,
           uint32_t entries_per_node = 51)
{
    fixture::FixtureOptions options;
    options.entries_per_node = entries_per_node;
    return fixture::WriteFixture((directory / name).string(), fixture::BuildDbx(messages, options));
}

}  // namespace

int main(int argc, char** argv)
{
    bool large = argc == 3 && std::string(argv[2]) == "--large";
    if (argc != 2 && !large) {
        std::fprintf(stderr, "usage: make_test_store DIR [--large]\n");
        return 2;
    }
    std::filesystem::path directory = argv[1];
    std::error_code ignored;
    if (large) {
        std::filesystem::create_directories(directory, ignored);
        bool written = WriteLarge(directory);
        if (!written) std::fprintf(stderr, "make_test_store: cannot write into %s\n", argv[1]);
        return written ? 0 : 1;
    }
    std::filesystem::create_directories(directory / "sub.dbx", ignored);  // a folder named like a store: ignored
    bool ok = Write(directory, "Inbox.dbx", Inbox(), 4) && Write(directory, "archive.dbx", Archive()) &&
              Write(directory, "news.group.dbx", News()) &&
              Write(directory, "Sent Items.dbx", {Text(Mail("From: me@example.org\r\nSubject: Hello\r\n", "Sent.\r\n"))}) &&
              Write(directory, "Deleted Items.dbx", {}) &&
              Write(directory, "Folders.dbx", {Text(Mail("Subject: never converted\r\n", "x\r\n"))});
    if (!ok) std::fprintf(stderr, "make_test_store: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
