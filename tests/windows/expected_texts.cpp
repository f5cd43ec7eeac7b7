#include "tests/windows/expected_texts.h"

#include "tests/windows/gui.h"

namespace driver {

const ExpectedText kProgramTexts[13] = {
    {1, "No dbx files to convert.", "変換対象の dbx ファイルがありません。"},
    {2, "Could not create a directory.", "ディレクトリを作成できません。"},
    {3, "Failed to convert.", "変換に失敗しました。"},
    {4, "Are you sure you want to abort conversion?", "本当に中止してよろしいですか。"},
    {5, "%d message(s) were converted.", "%d 個のメッセージを変換しました。"},
    {6,
     "1. Confirm your Outlook Express (OE) is not running.\r\n2. This cannot reapperance OE's folder tree\r\n"
     "----------\r\n",
     "1. Outlook Express （以下 OE）は終了しておいてください。\r\n2. OE のフォルダツリーは再現できません。\r\n"
     "----------\r\n"},
    {7, "No writer plugins are found.", "書き出しプラグインが存在しません。"},
    {8, "Specify destination folder.", "変換先を指定してください。"},
    {9, "Select Destination Folder to place converted files and folders.",
     "変換したファイルやフォルダを格納するフォルダを選択してください。"},
    {10, "Select Source Folder contains OutlookExpress dbx files.",
     "変換する OutlookExpress dbx ファイルが存在するフォルダを選択してください。"},
    {12, "The default destination folder of selected format is %s.\r\nDo you want to change it?",
     "この出力形式の標準の変換先フォルダは %s です。\r\n変更しますか？"},
    {13, "Select Output Format.", "出力形式を選択してください。"},
    {14, "Failed to create a thread.", "スレッドの起動に失敗しました。"},
};

const PluginTexts kPluginTexts[4] = {
    {"Dovanmbox.dll",
     {1, "UNIX mbox", "UNIX mbox"},
     {2, "An mbox file is created per OE folder.", "OE のフォルダ毎にファイルを作成します。"}},
    {"Dovaneml.dll",
     {1, "eml format (1file per message)", "eml 形式 (1メール1ファイル)"},
     {2, "Hit `Setting' to select naming rule.", "ファイル名の付け方は「設定」を押してください。"}},
    {"Dovanbmf.dll",
     {1, "Becky! Ver.2 (bmf)", "Becky! Ver.2 (bmf)"},
     {2,
      "1. Confirm your B2 is not running.\r\n2. A new mailbox named `Dovan' will be created, and a folder of each "
      "OE folder will be created under the mailbox.",
      "1. B2 は終了しておいてください。\r\n2. 変換先フォルダに「Dovan」メールボックスを作成し，その中に OE "
      "のフォルダ毎にフォルダを作成します。"}},
    {"Dovanmaildir.dll",
     {1, "Maildir (1file per message)", "Maildir (1メール1ファイル)"},
     {2,
      "A Maildir is created per OE folder. Read, answered, forwarded, flagged and draft marks are kept in the file "
      "names, and each file is dated as the message was received.",
      "OE のフォルダ毎に Maildir を作成します。既読・返信済み・転送済み・フラグ・下書きの状態をファイル名に残し、"
      "各ファイルの日時はメールの受信日時になります。"}},
};

std::string ProgramText(UINT id, bool japanese, const std::string& fill)
{
    std::string text;
    for (const ExpectedText& expected : kProgramTexts)
        if (expected.id == id) text = Ansi(japanese ? expected.japanese : expected.english);
    for (const char* code : {"%d", "%s"}) {
        size_t at = text.find(code);
        if (at != std::string::npos && !fill.empty()) text.replace(at, 2, fill);
    }
    return text;
}

}  // namespace driver
