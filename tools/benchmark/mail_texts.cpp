#include "tools/benchmark/mail_texts.h"

#include <cmath>
#include <cstdio>

namespace bench {
namespace {

const char* const kWords[] = {
    "the",      "meeting", "report",  "and",    "of",     "to",     "we",       "will",     "send",
    "you",      "a",       "copy",    "before", "Friday", "please", "check",    "figures",  "in",
    "attached", "version", "thanks",  "for",    "your",   "help",   "with",     "project",  "this",
    "week",     "budget",  "is",      "still",  "open",   "our",    "customer", "asked",    "about",
    "delivery", "dates",   "I",       "think",  "that",   "should", "be",       "fine",     "if",
    "nobody",   "objects", "next",    "Monday", "notes",  "from",   "call",     "are",      "below",
    "server",   "was",     "down",    "again",  "last",   "night",  "backup",   "finished", "at",
    "three",    "o'clock", "minutes", "agenda", "travel", "hotel",  "booked",   "train",    "station",
};
constexpr uint32_t kWordCount = sizeof kWords / sizeof kWords[0];

const char* const kPeople[] = {
    "Alice Example <alice@example.org>",      "\"Bob (work)\" <bob@example.net>",
    "carol@example.com (Carol Smith)",        "Dave Traveller <dave@example.com>",
    "Erin <erin@lists.example.org>",          "\"Frank, the admin\" <frank@example.net>",
    "Grace Hopper-Jones <grace@example.edu>", "heidi@example.org",
};
constexpr uint32_t kPeopleCount = sizeof kPeople / sizeof kPeople[0];

const char* const kSubjects[] = {
    "Lunch on Friday",
    "Minutes of the meeting",
    "Travel report",
    "Budget 2004",
    "Server maintenance tonight",
    "Re: your order",
    "Photos from the trip",
    "Draft contract",
    "Question about the release",
    "Hello",
    "Weekly status",
    "Invoice/receipt?",
    "New phone numbers",
    "[list] digest",
    "Fwd: slides",
};
constexpr uint32_t kSubjectCount = sizeof kSubjects / sizeof kSubjects[0];

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void AddLine(std::string& text, const std::string& line)
{
    text += line;
    text += "\r\n";
}

// One wrapped line of words, at most about 72 bytes.
void AddWords(std::string& text, Random& random, const char* prefix)
{
    size_t start = text.size();
    text += prefix;
    uint32_t words = 4 + random.Below(9);
    for (uint32_t i = 0; i < words && text.size() - start < 64; ++i) {
        if (i) text += ' ';
        text += kWords[random.Below(kWordCount)];
    }
    text += random.Below(5) == 0 ? ".\r\n" : "\r\n";
}

// Plain text up to about `until` bytes of the whole text: paragraphs, quoted replies, and now and then a line
// beginning with "From " that an mbox reader would take for a message boundary.
void AddPlainBody(std::string& text, uint64_t until, Random& random)
{
    while (text.size() < until) {
        uint32_t kind = random.Below(20);
        if (kind == 0) {
            text += "From the notes of the last meeting:\r\n";
        } else if (kind < 4) {
            AddWords(text, random, "> ");
        } else if (kind == 4) {
            text += "\r\n";
        } else {
            AddWords(text, random, "");
        }
    }
}

void AddHtmlBody(std::string& text, uint64_t until, Random& random)
{
    text += "<html><body>\r\n";
    while (text.size() + 16 < until) {
        text += "<p>";
        AddWords(text, random, "");
        text.insert(text.size() - 2, "</p>");
    }
    text += "</body></html>\r\n";
}

void AddBase64(std::string& text, uint64_t until, Random& random)
{
    char line[78];
    line[76] = '\r';
    line[77] = '\n';
    while (text.size() < until) {
        for (int i = 0; i < 76; i += 8) {
            uint64_t bits = random.Next();
            for (int j = 0; j < 8 && i + j < 76; ++j, bits >>= 6) line[i + j] = kBase64[bits & 63];
        }
        text.append(line, sizeof line);
    }
    text += "AAAA\r\n";
}

void AddHeader(std::string& text, const MailShape& shape, uint32_t number, Random& random)
{
    char line[256];
    const char* from = kPeople[random.Below(kPeopleCount)];
    const char* to = kPeople[random.Below(kPeopleCount)];
    uint32_t day = 1 + number % 28, hour = number % 24, minute = number % 60;
    if (!shape.news) {
        std::snprintf(line, sizeof line, "Return-Path: <sender%u@example.org>", number % 97);
        if (random.Below(3)) AddLine(text, line);
        std::snprintf(line, sizeof line,
                      "Received: from mail%u.example.net (mail%u.example.net [192.0.2.%u])\r\n"
                      "\tby mx.example.org with ESMTP id %08X; Tue, %u Mar 2004 %02u:%02u:00 +0100",
                      number % 7, number % 7, number % 250, number * 2654435761u, day, hour, minute);
        AddLine(text, line);
    } else {
        AddLine(text, "Path: news.example.net!not-for-mail");
        AddLine(text, "Newsgroups: comp.mail.misc");
    }
    AddLine(text, std::string("From: ") + from);
    if (!shape.news) AddLine(text, std::string("To: ") + to);
    const char* subject = kSubjects[shape.thread % kSubjectCount];
    std::snprintf(line, sizeof line, "Subject: %s%s", shape.thread % 3 == 1 ? "Re: " : "", subject);
    AddLine(text, line);
    std::snprintf(line, sizeof line, "Date: Tue, %u Mar 2004 %02u:%02u:%02u +0100", day, hour, minute, number % 60);
    AddLine(text, line);
    std::snprintf(line, sizeof line, "Message-ID: <%u.%08X@example.org>", number, number * 40503u);
    AddLine(text, line);
    AddLine(text, "MIME-Version: 1.0");
    AddLine(text, "X-Mailer: Microsoft Outlook Express 6.00.2800.1158");
}

}  // namespace

uint64_t Random::LogUniform(uint64_t low, uint64_t high)
{
    double unit = static_cast<double>(Next() >> 11) / 9007199254740992.0;  // [0, 1)
    double value = std::exp(std::log(double(low)) + unit * (std::log(double(high)) - std::log(double(low))));
    return static_cast<uint64_t>(value);
}

std::string MakeMailText(const MailShape& shape, uint32_t number, Random& random)
{
    std::string text;
    text.reserve(shape.target_size + 1024);
    AddHeader(text, shape, number, random);
    if (shape.attachment) {
        char boundary[64];
        std::snprintf(boundary, sizeof boundary, "----=_NextPart_000_%04X_01C4", number & 0xFFFF);
        AddLine(text, std::string("Content-Type: multipart/mixed;\r\n\tboundary=\"") + boundary + "\"");
        AddLine(text, "");
        AddLine(text, "This is a multi-part message in MIME format.");
        AddLine(text, "");
        AddLine(text, std::string("--") + boundary);
        AddLine(text, "Content-Type: text/plain; charset=\"iso-8859-1\"");
        AddLine(text, "");
        AddPlainBody(text, text.size() + 300 + random.Below(1500), random);
        AddLine(text, std::string("--") + boundary);
        AddLine(text, "Content-Type: application/octet-stream; name=\"scan.pdf\"");
        AddLine(text, "Content-Transfer-Encoding: base64");
        AddLine(text, "Content-Disposition: attachment; filename=\"scan.pdf\"");
        AddLine(text, "");
        AddBase64(text, shape.target_size > 200 ? shape.target_size - 200 : 0, random);
        AddLine(text, "");
        AddLine(text, std::string("--") + boundary + "--");
    } else if (shape.target_size > 12000 && random.Below(2) == 0) {
        AddLine(text, "Content-Type: multipart/alternative;\r\n\tboundary=\"alt\"");
        AddLine(text, "");
        AddLine(text, "--alt");
        AddLine(text, "Content-Type: text/plain; charset=\"iso-8859-1\"");
        AddLine(text, "");
        AddPlainBody(text, text.size() + (shape.target_size - text.size()) / 3, random);
        AddLine(text, "--alt");
        AddLine(text, "Content-Type: text/html; charset=\"iso-8859-1\"");
        AddLine(text, "");
        AddHtmlBody(text, shape.target_size > 20 ? shape.target_size - 20 : 0, random);
        AddLine(text, "--alt--");
    } else {
        AddLine(text, "Content-Type: text/plain; charset=\"iso-8859-1\"");
        AddLine(text, "Content-Transfer-Encoding: 7bit");
        AddLine(text, "");
        AddPlainBody(text, shape.target_size, random);
    }
    return text;
}

}  // namespace bench
