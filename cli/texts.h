// The command line's own texts in English and Japanese (UTF-8), chosen by the language of the user interface.
// The run's messages come from the engine (engine::LoadMessage); these are the texts that only a terminal needs:
// usage errors, the error question that stands in for the error dialog, and the end-of-run report.
#pragma once

#include <string>

namespace cli {

enum class Text {
    Help,     // the whole --help text
    SeeHelp,  // "Run 'dovan --help' for usage."
    NoCommand,
    MissingArguments,
    UnknownFormat,  // %s: the name given
    ValidFormats,
    NoSetting,   // %s: the format's short name
    BadSetting,  // %s: the value given; %s: the format's short name
    ValidSettings,
    BadOnError,  // %s: the value given
    ValidOnError,
    BadFolders,  // %s: the value given
    ValidFolders,
    UnknownCodePage,  // %s: the name given
    FlatWithoutList,  // the run is flat: SOURCE has no readable Folders.dbx
    FoldersTree,      // dovan formats: the plugin places folders in the tree
    FoldersFlatOnly,  // dovan formats: the plugin takes one name per folder
    AskNeedsTerminal,
    PluginFolder,  // %s: the folder searched for plugins
    SettingLabel,
    NoSettingValues,
    // The error question: the error dialog's own texts, without access-key marks.
    ErrorCaption,
    ErrorWhileProcessing,  // %s: the folder name
    SelectWhatToDo,
    ChoiceRetry,
    ChoiceSkipMail,
    ChoiceSkipFolder,
    ChoiceAbort,
    AfterAll,
    DefaultMark,
    ErrorPromptHint,  // %s: the default choice's text
    ErrorPromptHintAfterAll,
    ErrorPromptInvalid,
    YesNoSuffix,
    YesNoInvalid,
    AutoAnswered,  // %s: folder; %s: the answer
    // The end of a run.
    Stopped,
    SkippedHeading,
    SkippedMessages,      // %s: folder; %s: list of message numbers
    SkippedRestOfFolder,  // %s: folder
    DamagedHeading,
    RecoveredHeading,        // %s: the number of texts recovered in the run
    RecoveredInFolder,       // %s: folder; %s: its number of recovered texts
    RecoverySearchCutShort,  // %s: folder
    NothingRecovered,
    // Options handed to the format by name.
    BadFromDate,  // %s: the value given
    ValidFromDate,
    OptionNotTaken,  // %s: the format's short name; %s: the option
    OptionsLabel,
};

// The text in the language of the user interface.
const char* CliText(Text id);

// The text with each "%s" replaced in turn by the arguments (missing arguments leave "").
std::string FormatCliText(Text id, const std::string& first, const std::string& second = std::string());

}  // namespace cli
