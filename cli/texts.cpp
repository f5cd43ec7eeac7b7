#include "cli/texts.h"

#include <cstddef>

#include "platform/platform.h"

namespace cli {
namespace {

struct TextPair {
    Text id;
    const char* english;
    const char* japanese;
};

const char kHelpEnglish[] =
    "Usage:\n"
    "  dovan formats [--plugin-dir DIR]\n"
    "  dovan convert --format NAME [--setting VALUE] [--on-error ask|skip-mail|skip-folder|abort]\n"
    "                [--folders tree|flat] [--codepage NAME] [--recover] [--from-date run|message]\n"
    "                [--status-headers] [--plugin-dir DIR] SOURCE DESTINATION\n"
    "  dovan --help | --version\n"
    "\n"
    "Converts the mail folders of an Outlook Express 5 or 6 store into another format. Every .dbx file of\n"
    "SOURCE becomes one folder of the output, each message byte for byte as stored. The store is only read.\n"
    "Close Outlook Express before converting.\n"
    "\n"
    "Commands:\n"
    "  formats             list the output formats with their notes and setting values\n"
    "  convert             convert every .dbx file of SOURCE into DESTINATION\n"
    "\n"
    "Options:\n"
    "  --format NAME       the output format: its short name (mbox, eml, bmf, maildir) or its display name,\n"
    "                      in any letter case\n"
    "  --setting VALUE     the format's one setting (see 'dovan formats'):\n"
    "                        mbox: from-quoting (default), ignore-case, pass-through\n"
    "                        eml:  sequence (default), sequence-no-extension, subject\n"
    "                        bmf:  the size of each storage file in KB (default 640)\n"
    "  --on-error WHAT     what to do when a message or a folder cannot be converted:\n"
    "                        ask          ask on the terminal (the default on a terminal)\n"
    "                        skip-mail    skip the message; a folder whose file cannot be opened is skipped\n"
    "                        skip-folder  skip the rest of the folder\n"
    "                        abort        stop the run (the default without a terminal)\n"
    "  --folders tree|flat where the folders go:\n"
    "                        tree  as in Outlook Express, from SOURCE's Folders.dbx (the default when it\n"
    "                              can be read): the local folders at the top, each other account in a\n"
    "                              folder of its own; folders without a .dbx file are left out unless a\n"
    "                              folder below them has one; .dbx files not in the list at the top.\n"
    "                              mbox: a file per folder, its subfolders in NAME.sbd (as Thunderbird\n"
    "                              keeps them); eml: a directory per folder, subfolders inside; maildir:\n"
    "                              Maildir++ (Inbox as INBOX, .Parent.Child, \".\" in names as \"_\");\n"
    "                              bmf and a format without a tree of its own: one folder per folder,\n"
    "                              named by its path joined with \"=\" (see 'dovan formats').\n"
    "                        flat  each .dbx file as one folder at the top, named after the file\n"
    "  --codepage NAME     the code page of the folder names in Folders.dbx: any name iconv knows\n"
    "                      (default windows-1252; cp932 when these texts are Japanese)\n"
    "  --recover           also look through each .dbx file for message texts its index no longer reaches\n"
    "                      (deleted messages, texts left outside the index) and write them into a folder\n"
    "                      \"NAME (recovered)\" beside the folder, each after a line \"X-Dovan-Recovered: ...\";\n"
    "                      bytes that were lost read as \"?\"\n"
    "  --from-date WHEN    mbox: the date of each From_ line: run (default) the time of the run, message the\n"
    "                      message's own received time (else its sent time, else the run's), in UTC\n"
    "  --status-headers    mbox: adds Status:, X-Status: and X-Mozilla-Status: lines with the message's read,\n"
    "                      answered, flagged and draft state to each header. Off by default: the only option\n"
    "                      that changes the message text\n"
    "  --plugin-dir DIR    the folder of the format plugins (default: ../lib/dovan beside the program; on\n"
    "                      Windows the program's own folder)\n"
    "  -h, --help          show this text\n"
    "  --version           show the version\n"
    "\n"
    "SOURCE is a folder of .dbx files; Folders.dbx, Offline.dbx and Pop3uidl.dbx are left out.\n"
    "DESTINATION may be relative to the current folder; missing folders are created.\n"
    "\n"
    "On a terminal a live line shows the folder being converted and how far it is. Ctrl-C pauses the run\n"
    "before the next message and asks whether to abort; a second Ctrl-C answers yes. A run that skipped\n"
    "anything lists what it skipped at the end.\n"
    "\n"
    "Exit status: 0 the run completed (the summary is shown), 1 it failed or there was nothing to convert,\n"
    "2 usage error, 3 stopped.\n"
    "\n"
    "Example:\n"
    "  dovan convert --format mbox ~/oe-store \"$HOME/mail\"\n";

const char kHelpJapanese[] =
    "使い方:\n"
    "  dovan formats [--plugin-dir DIR]\n"
    "  dovan convert --format NAME [--setting VALUE] [--on-error ask|skip-mail|skip-folder|abort]\n"
    "                [--folders tree|flat] [--codepage NAME] [--recover] [--from-date run|message]\n"
    "                [--status-headers] [--plugin-dir DIR] SOURCE DESTINATION\n"
    "  dovan --help | --version\n"
    "\n"
    "Outlook Express 5/6 のメールフォルダを別の形式に変換します。SOURCE の .dbx ファイルがそれぞれ\n"
    "出力のフォルダ 1 つになり、各メッセージは格納されたとおりのバイト列で書き出されます。\n"
    "ストアは読むだけで変更しません。Outlook Express は終了しておいてください。\n"
    "\n"
    "コマンド:\n"
    "  formats             出力形式を注意書きと設定値とともに一覧表示します\n"
    "  convert             SOURCE のすべての .dbx ファイルを DESTINATION に変換します\n"
    "\n"
    "オプション:\n"
    "  --format NAME       出力形式: 短い名前 (mbox, eml, bmf, maildir) または表示名 (大文字小文字は区別\n"
    "                      しません)\n"
    "  --setting VALUE     出力形式の設定 ('dovan formats' を参照):\n"
    "                        mbox: from-quoting (既定), ignore-case, pass-through\n"
    "                        eml:  sequence (既定), sequence-no-extension, subject\n"
    "                        bmf:  メール格納ファイルの分割の目安 (KB、既定 640)\n"
    "  --on-error WHAT     メッセージやフォルダを変換できないときの処理:\n"
    "                        ask          端末で尋ねます (端末での既定)\n"
    "                        skip-mail    メールをスキップします (開けないファイルはフォルダごとスキップ)\n"
    "                        skip-folder  フォルダの残りをスキップします\n"
    "                        abort        変換を中断します (端末がないときの既定)\n"
    "  --folders tree|flat フォルダの配置:\n"
    "                        tree  SOURCE の Folders.dbx に従い OE と同じ階層にします (読めるときの既定)。\n"
    "                              ローカルフォルダは最上位に、ほかのアカウントはアカウント名のフォルダに\n"
    "                              置きます。.dbx ファイルのないフォルダは、下にあるフォルダが持つときだけ\n"
    "                              作ります。一覧にない .dbx ファイルは最上位に置きます。\n"
    "                              mbox: フォルダごとのファイルとサブフォルダ用の NAME.sbd (Thunderbird と\n"
    "                              同じ形)、eml: フォルダごとのディレクトリ、maildir: Maildir++ (Inbox は\n"
    "                              INBOX、.親.子、名前の \".\" は \"_\")。bmf と独自の階層を持たない形式では、パスを\n"
    "                              \"=\" でつないだ名前のフォルダにします ('dovan formats' を参照)。\n"
    "                        flat  .dbx ファイルごとにファイル名のフォルダを最上位に作ります\n"
    "  --codepage NAME     Folders.dbx のフォルダ名のコードページ: iconv の名前\n"
    "                      (既定 windows-1252、この説明が日本語のときは cp932)\n"
    "  --recover           各 .dbx ファイルからインデックスが指さなくなったメッセージ (削除したメッセージ、\n"
    "                      インデックスの外に残った本文) も探し、フォルダの隣の \"NAME (recovered)\" フォルダに\n"
    "                      \"X-Dovan-Recovered: ...\" 行を付けて書き出します。失われたバイトは \"?\" になります\n"
    "  --from-date WHEN    mbox: From_ 行の日時: run (既定) 変換した日時、message メールの受信日時 (なければ\n"
    "                      送信日時、それもなければ変換した日時)。UTC で書きます\n"
    "  --status-headers    mbox: 既読・返信済み・フラグ・下書きの状態を表す Status:, X-Status:,\n"
    "                      X-Mozilla-Status: 行を各ヘッダに加えます。既定では加えません (メッセージの\n"
    "                      内容を変える唯一のオプションです)\n"
    "  --plugin-dir DIR    出力形式のプラグインのフォルダ (既定: プログラムの隣の ../lib/dovan、\n"
    "                      Windows ではプログラムと同じフォルダ)\n"
    "  -h, --help          この説明を表示します\n"
    "  --version           バージョンを表示します\n"
    "\n"
    "SOURCE は .dbx ファイルのあるフォルダです (Folders.dbx, Offline.dbx, Pop3uidl.dbx は除きます)。\n"
    "DESTINATION はカレントフォルダからの相対パスでも指定できます。存在しないフォルダは作成します。\n"
    "\n"
    "端末では変換中のフォルダと進み具合を 1 行で表示します。Ctrl-C を押すと次のメッセージの前で一時停止し、\n"
    "中止するかどうかを尋ねます。その間にもう一度 Ctrl-C を押すと中止します。スキップしたものは最後に\n"
    "一覧表示します。\n"
    "\n"
    "終了コード: 0 変換完了 (件数を表示)、1 失敗または変換対象なし、2 使い方の誤り、3 中止。\n"
    "\n"
    "例:\n"
    "  dovan convert --format mbox ~/oe-store \"$HOME/mail\"\n";

// The error question's texts are the error dialog's, without the access-key marks ("&Retry" reads "Retry";
// the Japanese "(&R)" suffixes are dropped, since the question shows each letter itself).
const TextPair kTexts[] = {
    {Text::Help, kHelpEnglish, kHelpJapanese},
    {Text::SeeHelp, "Run 'dovan --help' for usage.", "使い方は 'dovan --help' で確認してください。"},
    {Text::NoCommand, "Name a command: formats or convert.", "コマンド (formats または convert) を指定してください。"},
    {Text::MissingArguments, "convert needs --format NAME, SOURCE and DESTINATION.",
     "convert には --format NAME と SOURCE と DESTINATION が必要です。"},
    {Text::UnknownFormat, "Unknown format \"%s\".", "出力形式 \"%s\" はありません。"},
    {Text::ValidFormats, "Valid formats:", "使用できる出力形式:"},
    {Text::NoSetting, "The format %s has no setting.", "出力形式 %s には設定がありません。"},
    {Text::BadSetting, "The setting \"%s\" is not valid for the format %s.",
     "設定値 \"%s\" は出力形式 %s では使用できません。"},
    {Text::ValidSettings, "Valid values:", "使用できる値:"},
    {Text::BadOnError, "Unknown --on-error value \"%s\".", "--on-error の値 \"%s\" は使用できません。"},
    {Text::ValidOnError, "Valid values: ask, skip-mail, skip-folder, abort",
     "使用できる値: ask, skip-mail, skip-folder, abort"},
    {Text::BadFolders, "Unknown --folders value \"%s\".", "--folders の値 \"%s\" は使用できません。"},
    {Text::ValidFolders, "Valid values: tree, flat", "使用できる値: tree, flat"},
    {Text::UnknownCodePage, "Unknown code page \"%s\" (any name that iconv knows, e.g. windows-1252, cp932).",
     "コードページ \"%s\" はありません (iconv の名前: windows-1252, cp932 など)。"},
    {Text::FlatWithoutList, "No readable Folders.dbx in SOURCE: every .dbx file becomes one top-level folder.",
     "SOURCE に読める Folders.dbx がないため、各 .dbx ファイルを最上位のフォルダ 1 つずつに変換します。"},
    {Text::FoldersTree, "Folders: tree or flat", "フォルダ: tree または flat"},
    {Text::FoldersFlatOnly, "Folders: one per folder at the top; in a tree run named by its path, joined with \"=\"",
     "フォルダ: 最上位に 1 つずつ。tree では名前をパスを \"=\" でつないだものにします"},
    {Text::AskNeedsTerminal, "--on-error ask needs a terminal on standard input and standard error.",
     "--on-error ask には標準入力と標準エラー出力が端末である必要があります。"},
    {Text::PluginFolder, "Plugin folder: %s", "プラグインのフォルダ: %s"},
    {Text::SettingLabel, "Setting:", "設定:"},
    {Text::NoSettingValues, "(no setting)", "(設定なし)"},
    {Text::ErrorCaption, "Conversion Error", "変換エラー"},
    {Text::ErrorWhileProcessing, "A following error ocurreed while processing folder %s",
     "フォルダ %s の処理中に以下のエラーが発生しました。"},
    {Text::SelectWhatToDo, "Please select what to do.", "処理を選択してください。"},
    {Text::ChoiceRetry, "Retry", "再試行"},
    {Text::ChoiceSkipMail, "Skip current Mail and continue", "処理中のメールをスキップして作業を続行"},
    {Text::ChoiceSkipFolder, "Skip current Folder and continue", "処理中のフォルダをスキップして作業を続行"},
    {Text::ChoiceAbort, "Abort Processing", "作業を中断"},
    {Text::AfterAll, "After All", "以降すべて"},
    {Text::DefaultMark, "(default)", "(既定)"},
    {Text::ErrorPromptHint, "Type a letter and Enter; Enter alone: %s.", "文字を入力して Enter。Enter のみ: %s"},
    {Text::ErrorPromptHintAfterAll,
     "After All: add \"a\" to a skip answer (\"ma\", \"fa\") to give it to every later error.",
     "以降すべて: スキップの文字に \"a\" を付けると (\"ma\", \"fa\")、以降のエラーすべてに同じ処理を行います。"},
    {Text::ErrorPromptInvalid, "Please answer with one of the letters shown.",
     "表示された文字のどれかで答えてください。"},
    {Text::YesNoSuffix, " [y/N] ", " [y/N] "},
    {Text::YesNoInvalid, "Please answer y or n.", "y か n で答えてください。"},
    {Text::AutoAnswered, "%s: %s", "%s: %s"},
    {Text::Stopped, "The conversion was stopped.", "変換を中止しました。"},
    {Text::SkippedHeading, "Skipped:", "スキップしたもの:"},
    {Text::SkippedMessages, "  %s: message(s) %s", "  %s: メッセージ %s"},
    {Text::SkippedRestOfFolder, "  %s: the rest of the folder", "  %s: フォルダの残り"},
    {Text::DamagedHeading, "Damaged store files (messages past the damage could not be read):",
     "壊れているストアファイル (壊れた箇所より先のメッセージは読めませんでした):"},
    {Text::RecoveredHeading, "Recovered from outside the index: %s message(s), each in a folder \"NAME (recovered)\":",
     "インデックスの外から復元したメッセージ: %s 件 (それぞれ \"NAME (recovered)\" フォルダ内):"},
    {Text::RecoveredInFolder, "  %s: %s", "  %s: %s 件"},
    {Text::RecoverySearchCutShort, "  %s: the search stopped short (too many blocks, or a read failed)",
     "  %s: 探索を途中で打ち切りました (ブロックが多すぎるか、読み込みに失敗しました)"},
    {Text::NothingRecovered, "Nothing was found outside the indexes to recover.",
     "インデックスの外に復元できるメッセージは見つかりませんでした。"},
    {Text::BadFromDate, "Unknown --from-date value \"%s\".", "--from-date の値 \"%s\" は使用できません。"},
    {Text::ValidFromDate, "Valid values: run, message", "使用できる値: run, message"},
    {Text::OptionNotTaken, "The format %s does not take %s.", "出力形式 %s では %s は使用できません。"},
    {Text::OptionsLabel, "Options: --from-date run|message, --status-headers (changes the message text)",
     "オプション: --from-date run|message、--status-headers (メッセージの内容が変わります)"},
};

}  // namespace

const char* CliText(Text id)
{
    bool japanese = platform::UiLanguage() == platform::Language::Japanese;
    for (const TextPair& text : kTexts)
        if (text.id == id) return japanese ? text.japanese : text.english;
    return "";
}

std::string FormatCliText(Text id, const std::string& first, const std::string& second)
{
    const std::string* arguments[] = {&first, &second};
    size_t next = 0;
    std::string result;
    for (const char* p = CliText(id); *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            if (next < 2) result += *arguments[next++];
            ++p;
        } else {
            result += *p;
        }
    }
    return result;
}

}  // namespace cli
