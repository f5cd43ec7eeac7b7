#include "cli/convert_command.h"

#include "cli/console.h"
#include "cli/error_question.h"
#include "cli/formats.h"
#include "cli/interrupts.h"
#include "cli/progress_line.h"
#include "cli/run_report.h"
#include "cli/texts.h"
#include "cli/threads.h"
#include "engine/conversion_run.h"
#include "engine/messages.h"
#include "engine/source_folder_list.h"
#include "engine/source_folders.h"

namespace cli {
namespace {

std::string WithoutTrailingBreaks(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// The main thread's side of one run.
class RunDialogue {
public:
    RunDialogue(RunEventQueue& queue, bool can_ask, bool live) : queue_(queue), can_ask_(can_ask), console_(live) {}

    // Handles events and wake-ups until the worker has finished; returns the run's outcome.
    engine::RunOutcome Run();

    Console& console() { return console_; }
    const RunReport& report() const { return report_; }

private:
    void Handle(RunEvent& event);
    void HandleWakeUps();
    void AskError(RunEvent& event);
    void ConfirmAbort(int interrupts);
    void StopRequested();

    RunEventQueue& queue_;
    bool can_ask_;
    Console console_;
    RunReport report_;
    bool stop_requested_ = false;
    bool finished_ = false;
    engine::RunOutcome outcome_ = engine::RunOutcome::Completed;
};

engine::RunOutcome RunDialogue::Run()
{
    while (!finished_) {
        std::deque<RunEvent> events = queue_.TakeAll();
        for (RunEvent& event : events) Handle(event);
        if (finished_) break;
        if (events.empty()) HandleWakeUps();
    }
    console_.EndLiveLine();
    return outcome_;
}

void RunDialogue::Handle(RunEvent& event)
{
    switch (event.kind) {
    case RunEvent::Kind::FolderStarted:
        console_.ShowFolder(event.text, event.folder);
        break;
    case RunEvent::Kind::Progress:
        console_.ShowProgress(event.position);
        break;
    case RunEvent::Kind::Message: {
        std::string text = WithoutTrailingBreaks(UnixLineBreaks(event.text)) + "\n";
        if (event.number == engine::kMsgConverted) console_.Out(text);
        else console_.Error(text);
        break;
    }
    case RunEvent::Kind::Question:
        AskError(event);
        break;
    case RunEvent::Kind::AutoAnswered: {
        std::string text = FormatCliText(Text::ErrorWhileProcessing, PrintableText(event.folder)) + "\n";
        std::string system_text = Utf8FromSystem(platform::ErrorText(event.question.code));
        if (!system_text.empty()) text += "    " + system_text + "\n";
        console_.Error(text + "  -> " + ChoiceLabel(event.answer) + "\n");
        break;
    }
    case RunEvent::Kind::MessageSkipped:
        NoteMessageSkipped(report_, event.folder, event.index);
        break;
    case RunEvent::Kind::FolderSkipped:
        NoteFolderSkipped(report_, event.folder);
        break;
    case RunEvent::Kind::FolderDamaged:
        NoteFolderDamaged(report_, event.folder);
        break;
    case RunEvent::Kind::MessagesRecovered:
        NoteMessagesRecovered(report_, event.folder, event.index, event.number != 0);
        break;
    case RunEvent::Kind::Finished:
        finished_ = true;
        outcome_ = event.outcome;
        break;
    }
}

// Sleeps until there is a wake-up, then acts on the signals among them; worker wake-ups need nothing more, the
// loop takes the queue next.
void RunDialogue::HandleWakeUps()
{
    int interrupts = 0;
    for (char tag : WaitForWakeUps()) {
        if (tag == kWakeInterrupt) ++interrupts;
        if (tag == kWakeTerminate) StopRequested();
    }
    if (interrupts == 0) return;
    if (can_ask_) ConfirmAbort(interrupts);
    else StopRequested();  // the handler has set the abort flag already
}

void RunDialogue::StopRequested()
{
    stop_requested_ = true;
    engine::TheRunControl().abort.store(true);
    engine::TheRunControl().pause.store(false);
    LetNextInterruptKill();
}

void RunDialogue::ConfirmAbort(int interrupts)
{
    if (stop_requested_) return;
    // Two Ctrl-C before the question could even be shown: the second one answers it.
    bool yes = interrupts > 1;
    console_.EndLiveLine();
    DiscardTypeAhead();
    while (!yes) {
        console_.Error(Utf8FromSystem(engine::LoadMessage(engine::kMsgConfirmAbort)) + CliText(Text::YesNoSuffix));
        std::string line;
        ReadOutcome outcome = ReadAnswer(line, [this] { return queue_.HasFinished(); });
        if (outcome == ReadOutcome::Line) {
            if (ParseYesNo(line, yes)) break;
            console_.Error(std::string(CliText(Text::YesNoInvalid)) + "\n");
            continue;
        }
        console_.Error("\n");
        // A further Ctrl-C or a termination means yes; a run that ended meanwhile or a closed input means no.
        yes = outcome == ReadOutcome::Interrupt || outcome == ReadOutcome::Terminate;
        break;
    }
    if (yes) StopRequested();
    else engine::TheRunControl().pause.store(false);
}

void RunDialogue::AskError(RunEvent& event)
{
    engine::ErrorAnswer answer;
    answer.choice = engine::ErrorChoice::AbortProcessing;
    if (stop_requested_) {
        queue_.Answer(answer);
        return;
    }
    std::string folder = PrintableText(event.folder);
    event.question.folder_name = folder.c_str();
    console_.Error(RenderErrorQuestion(event.question, Utf8FromSystem(platform::ErrorText(event.question.code))));
    DiscardTypeAhead();
    for (;;) {
        console_.Error("> ");
        std::string line;
        ReadOutcome outcome = ReadAnswer(line, nullptr);
        if (outcome == ReadOutcome::Line) {
            if (ParseErrorAnswer(line, event.question, answer)) break;
            console_.Error(std::string(CliText(Text::ErrorPromptInvalid)) + "\n");
            continue;
        }
        // Ctrl-C at the question, a termination, or no input left: Abort Processing, nothing skipped unasked.
        console_.Error("\n");
        answer.choice = engine::ErrorChoice::AbortProcessing;
        answer.after_all = false;
        if (outcome != ReadOutcome::EndOfInput) StopRequested();
        break;
    }
    queue_.Answer(answer);
}

int ExitStatus(engine::RunOutcome outcome)
{
    switch (outcome) {
    case engine::RunOutcome::Completed:
        return kExitCompleted;
    case engine::RunOutcome::Stopped:
        return kExitStopped;
    case engine::RunOutcome::NothingToConvert:
    case engine::RunOutcome::DestinationFailed:
    case engine::RunOutcome::StartFailed:
        break;
    }
    return kExitFailed;
}

// The writers move the current directory into the destination when the run starts; a relative source would
// then name another folder, and every .dbx file after the listing would fail to open. A relative destination is
// taken from the current directory as users expect; the run itself is handed absolute paths only. (An empty
// path stays empty, for the run to refuse.)
std::string AbsoluteFromCurrentDir(const std::string& path)
{
    std::string absolute;
    if (path.empty() || !platform::AbsolutePath(path.c_str(), absolute)) return path;
    return absolute;
}

// What the run reports while no run is under way, as the run's messages are shown.
void ShowFailure(const std::string& text)
{
    WriteText(Stream::Error, WithoutTrailingBreaks(UnixLineBreaks(Utf8FromSystem(text))) + "\n");
}

struct WorkerRun {
    std::string source;
    std::string destination;
    engine::RunOptions options;
    const engine::WriterPlugin* plugin;
    QueueFrontEnd* front_end;
    RunEventQueue* queue;
};

void RunWorker(void* argument)
{
    auto* run = static_cast<WorkerRun*>(argument);
    RunEvent finished;
    finished.kind = RunEvent::Kind::Finished;
    finished.outcome = engine::RunConversion(run->source.c_str(), run->destination.c_str(), *run->plugin,
                                             *run->front_end, run->options);
    run->queue->Push(std::move(finished));
}

// A tree run needs the store's folder list; without one that can be read the run is flat, and says so (when
// there is anything to convert at all).
engine::RunOptions ResolveFolderLayout(const std::string& source, engine::RunOptions run)
{
    if (run.layout != engine::FolderLayout::Tree) return run;
    std::vector<dbx::FolderRecord> list;
    if (engine::ReadSourceFolderList(source.c_str(), list)) return run;
    run.layout = engine::FolderLayout::Flat;
    if (!engine::FindSourceFolders(source.c_str()).empty())
        WriteText(Stream::Error, std::string(CliText(Text::FlatWithoutList)) + "\n");
    return run;
}

}  // namespace

int RunConvertCommand(const ConvertOptions& options, const engine::WriterPlugin& plugin)
{
    if (options.source.empty()) {
        ShowFailure(engine::LoadMessage(engine::kMsgNoDbxFiles));
        return kExitFailed;
    }
    std::string source = AbsoluteFromCurrentDir(options.source);
    engine::RunOptions run_options = ResolveFolderLayout(source, options.run);
    engine::RunControl& control = engine::TheRunControl();
    control.pause.store(false);
    control.abort.store(false);
    if (!InstallInterruptHandlers(options.can_ask)) {
        ShowFailure(engine::MessageWithErrorText(engine::LoadMessage(engine::kMsgThreadFailed), platform::LastError()));
        return kExitFailed;
    }

    // The run goes on a thread of our own rather than the engine's detached worker: joining it before the
    // plugins are unloaded means no plugin call can still be under way when the program ends.
    RunEventQueue queue;
    QueueFrontEnd front_end(queue, options.policy);
    RunDialogue dialogue(queue, options.can_ask, IsTerminal(Stream::Error));
    WorkerRun run{source, AbsoluteFromCurrentDir(options.destination), run_options, &plugin, &front_end, &queue};
    JoinableThread worker;
    if (!worker.Start(RunWorker, &run)) {
        platform::ErrorCode code = platform::LastError();
        RemoveInterruptHandlers();
        ShowFailure(engine::MessageWithErrorText(engine::LoadMessage(engine::kMsgThreadFailed), code));
        return kExitFailed;
    }

    engine::RunOutcome outcome = dialogue.Run();
    worker.Join();
    RemoveInterruptHandlers();

    // Recovery is part of the summary: beside the count, on standard output.
    if (options.run.recover && outcome == engine::RunOutcome::Completed)
        dialogue.console().Out(RenderRecoveryReport(dialogue.report()));
    std::string report = RenderRunReport(dialogue.report());
    if (!report.empty()) dialogue.console().Error(report);
    if (outcome == engine::RunOutcome::Stopped) dialogue.console().Error(std::string(CliText(Text::Stopped)) + "\n");
    return ExitStatus(outcome);
}

}  // namespace cli
