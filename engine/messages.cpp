// The program's string table, compiled in for platforms that keep no string resources in the executable.
#include "engine/messages.h"

#include <cstdint>
#include <string>

namespace engine {
namespace {

struct MessageText {
    int id;
    const char* english;
    const char* japanese;  // UTF-8
};

constexpr MessageText kMessages[] = {
    {kMsgNoDbxFiles, "No dbx files to convert.", "変換対象の dbx ファイルがありません。"},
    {kMsgCannotCreateDirectory, "Could not create a directory.", "ディレクトリを作成できません。"},
    {kMsgFailedToConvert, "Failed to convert.", "変換に失敗しました。"},
    {kMsgConfirmAbort, "Are you sure you want to abort conversion?", "本当に中止してよろしいですか。"},
    {kMsgConverted, "%d message(s) were converted.", "%d 個のメッセージを変換しました。"},
    {kMsgNoteHead,
     "1. Confirm your Outlook Express (OE) is not running.\r\n2. This cannot reapperance OE's folder tree\r\n"
     "----------\r\n",
     "1. Outlook Express （以下 OE）は終了しておいてください。\r\n2. OE のフォルダツリーは再現できません。\r\n"
     "----------\r\n"},
    {kMsgNoPlugins, "No writer plugins are found.", "書き出しプラグインが存在しません。"},
    {kMsgSpecifyDestination, "Specify destination folder.", "変換先を指定してください。"},
    {kMsgSelectDestination, "Select Destination Folder to place converted files and folders.",
     "変換したファイルやフォルダを格納するフォルダを選択してください。"},
    {kMsgSelectSource, "Select Source Folder contains OutlookExpress dbx files.",
     "変換する OutlookExpress dbx ファイルが存在するフォルダを選択してください。"},
    {kMsgChangeDestination,
     "The default destination folder of selected format is %s.\r\nDo you want to change it?",
     "この出力形式の標準の変換先フォルダは %s です。\r\n変更しますか？"},
    {kMsgSelectFormat, "Select Output Format.", "出力形式を選択してください。"},
    {kMsgThreadFailed, "Failed to create a thread.", "スレッドの起動に失敗しました。"},
};

// Fills in "%d" and "%s" as wsprintf does for these texts; "%%" gives one "%". Other sequences stay as written.
std::string Format(const std::string& pattern, const std::string& number, const std::string& text)
{
    std::string result;
    result.reserve(pattern.size() + number.size() + text.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            char code = pattern[i + 1];
            if (code == 'd' || code == 's' || code == '%') {
                result += code == 'd' ? number : code == 's' ? text : std::string("%");
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    return result;
}

}  // namespace

std::string LoadMessage(int id)
{
    std::string text;
    if (id > 0 && platform::LoadProgramString(static_cast<uint32_t>(id), text)) return text;
    bool japanese = platform::UiLanguage() == platform::Language::Japanese;
    for (const MessageText& message : kMessages)
        if (message.id == id) return japanese ? message.japanese : message.english;
    return std::string();
}

std::string FormatMessageNumber(int id, long long number)
{
    return Format(LoadMessage(id), std::to_string(number), std::string());
}

std::string FormatMessageText(int id, const std::string& argument)
{
    return Format(LoadMessage(id), std::string(), argument);
}

std::string MessageWithErrorText(const std::string& text, platform::ErrorCode code)
{
    std::string system_text = platform::ErrorText(code);
    if (system_text.empty()) return text;
    return text + "\r\n" + system_text;
}

}  // namespace engine
