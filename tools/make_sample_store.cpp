// make-sample-store DIRECTORY: writes the small store bundled in samples/store, a handful of invented folders
// as Outlook Express would keep them, so that a new user can try the program at once.
//
//   build/tools/make-sample-store samples/store
//
// The output is the same on every run; a test checks that the committed files still match.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/dbx_builder.h"

namespace {

// Outlook Express stores line ends as CR LF; the texts below are written with "\n" for legibility.
std::string Crlf(const std::string& text)
{
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

fixture::FixtureMessage Mail(const std::string& text) { return fixture::FixtureMessage{Crlf(text), 1, {}}; }
fixture::FixtureMessage News(const std::string& text) { return fixture::FixtureMessage{Crlf(text), 2, {}}; }

std::string TravelReport()
{
    std::string text =
        "Return-Path: <dave@example.com>\n"
        "From: Dave Traveller <dave@example.com>\n"
        "To: Bob Sample <bob@example.net>\n"
        "Subject: Travel report, week 10\n"
        "Date: Fri, 5 Mar 2004 18:30:00 +0100\n"
        "Message-ID: <report-10@example.com>\n"
        "MIME-Version: 1.0\n"
        "Content-Type: text/plain; charset=us-ascii\n"
        "\n"
        "Bob,\n"
        "\n"
        "here is the report of this week, one line per day.\n"
        "\n";
    static const char* const kDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"};
    for (const char* day : kDays)
        text += std::string(day) +
                ": visited two customers, wrote the notes in the train, and sent the samples ahead by post.\n"
                "  Expenses: tickets, one lunch, and a taxi from the station to the office and back.\n";
    text += "\nFrom Monday on I am back in the office.\n\nDave\n";
    return text;
}

std::vector<fixture::FixtureMessage> Inbox()
{
    return {
        Mail("Return-Path: <alice@example.org>\n"
             "From: Alice Example <alice@example.org>\n"
             "To: Bob Sample <bob@example.net>\n"
             "Subject: Lunch on Friday\n"
             "Date: Tue, 2 Mar 2004 09:05:03 +0900\n"
             "Message-ID: <lunch-1@example.org>\n"
             "MIME-Version: 1.0\n"
             "Content-Type: text/plain; charset=us-ascii\n"
             "\n"
             "Hi Bob,\n"
             "\n"
             "are we still on for lunch on Friday? The new place by the station\n"
             "opens at half past eleven.\n"
             "\n"
             "Alice\n"),
        Mail("From: \"Carol (minutes)\" <carol@example.com>\n"
             "To: team@example.net\n"
             "Subject: Re: Minutes of the meeting\n"
             "Date: Wed, 3 Mar 2004 14:12:40 +0000\n"
             "Message-ID: <minutes-2@example.com>\n"
             "In-Reply-To: <minutes-1@example.net>\n"
             "\n"
             "Bob wrote:\n"
             "> From now on the meetings start at ten.\n"
             "\n"
             "From what I heard, that suits everyone.\n"
             ">From the archive: nothing else changed.\n"
             "\n"
             "Carol\n"),
        Mail(TravelReport()),
        Mail("From: Erin <erin@example.org>\n"
             "To: Bob Sample <bob@example.net>\n"
             "Subject: Re: [club] photos/slides?\n"
             "Date: Sat, 6 Mar 2004 10:00:00 +0900\n"
             "\n"
             "The photos are on the club's disk, the slides follow next week.\n"),
    };
}

std::vector<fixture::FixtureMessage> SentItems()
{
    return {
        Mail("From: Bob Sample <bob@example.net>\n"
             "To: Alice Example <alice@example.org>\n"
             "Subject: Re: Lunch on Friday\n"
             "Date: Tue, 2 Mar 2004 10:20:00 +0900\n"
             "In-Reply-To: <lunch-1@example.org>\n"
             "\n"
             "Yes, half past eleven at the station.\n"
             "\n"
             "Bob\n"),
        Mail("From: Bob Sample <bob@example.net>\n"
             "To: Dave Traveller <dave@example.com>\n"
             "Subject: Samples\n"
             "Date: Thu, 4 Mar 2004 16:45:10 +0900\n"
             "\n"
             "Dave,\n"
             "the samples left today.\n"),
    };
}

std::vector<fixture::FixtureMessage> Drafts()
{
    // A draft saved in the middle of a sentence: its text does not end with a line break.
    return {Mail("From: Bob Sample <bob@example.net>\n"
                 "To: Carol <carol@example.com>\n"
                 "Subject: Budget\n"
                 "\n"
                 "Carol,\n"
                 "the numbers for April are")};
}

std::vector<fixture::FixtureMessage> Announcements()
{
    return {
        News("Path: news.example.net!not-for-mail\n"
             "From: Club Board <board@example.org>\n"
             "Newsgroups: example.announce\n"
             "Subject: Spring meeting\n"
             "Date: Mon, 1 Mar 2004 08:00:00 +0000\n"
             "Message-ID: <spring@news.example.org>\n"
             "\n"
             "The spring meeting is on the 20th of March, at seven in the evening.\n"),
        News("Path: news.example.net!not-for-mail\n"
             "From: Club Board <board@example.org>\n"
             "Newsgroups: example.announce\n"
             "Subject: Re: Spring meeting\n"
             "Date: Tue, 2 Mar 2004 08:00:00 +0000\n"
             "Message-ID: <spring-2@news.example.org>\n"
             "References: <spring@news.example.org>\n"
             "\n"
             "The room has changed: we meet in the library.\n"),
    };
}

// The store's folder list: the same file header as a message folder but for the second signature dword, and
// no messages. The program leaves it out by name.
std::string FolderList()
{
    std::string bytes = fixture::BuildDbx({});
    bytes[4] = static_cast<char>(0xC6);
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-store DIRECTORY\n");
        return 2;
    }
    std::string directory = argv[1];
    struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"Inbox.dbx", fixture::BuildDbx(Inbox())},
        {"Sent Items.dbx", fixture::BuildDbx(SentItems())},
        {"Drafts.dbx", fixture::BuildDbx(Drafts())},
        {"example.announce.dbx", fixture::BuildDbx(Announcements())},
        {"Folders.dbx", FolderList()},
    };
    for (const auto& file : files) {
        std::string path = directory + "/" + file.name;
        if (!fixture::WriteFixture(path, file.bytes)) {
            std::fprintf(stderr, "make-sample-store: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
