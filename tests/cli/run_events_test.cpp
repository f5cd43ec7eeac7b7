// The hand-over between the engine's worker and the main thread: what is queued, what wakes the main thread,
// and how an error question is answered with and without --on-error.
#include "cli/run_events.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "cli/interrupts.h"

namespace {

using Kind = cli::RunEvent::Kind;

class RunEvents : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(cli::InstallInterruptHandlers(true)); }
    void TearDown() override { cli::RemoveInterruptHandlers(); }

    // The wake-up bytes written so far.
    std::string WakeBytes()
    {
        std::string bytes;
        char buffer[16];
        ssize_t got;
        while ((got = read(cli::WakeReadDescriptor(), buffer, sizeof buffer)) > 0) bytes.append(buffer, got);
        return bytes;
    }

    cli::RunEventQueue queue;
};

TEST_F(RunEvents, PositionsCoalesceButNothingElseDoes)
{
    cli::QueueFrontEnd front_end(queue, cli::AutoAnswer::Abort);
    front_end.FolderStarted("Inbox", 1, 2, "1 / 2");
    front_end.ProgressChanged(0);  // the folder starts at 0 anyway
    front_end.ProgressChanged(10);
    front_end.ProgressChanged(10);
    front_end.ProgressChanged(20);
    front_end.MessageSkipped("Inbox", 4);
    front_end.ProgressChanged(30);
    front_end.FolderStarted("Sent", 2, 2, "2 / 2");
    front_end.ShowMessage(5, "3 message(s) were converted.");

    std::deque<cli::RunEvent> events = queue.TakeAll();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].kind, Kind::FolderStarted);
    EXPECT_EQ(events[0].folder, "Inbox");
    EXPECT_EQ(events[0].text, "1 / 2");
    EXPECT_EQ(events[1].kind, Kind::Progress);
    EXPECT_EQ(events[1].position, 20u);
    EXPECT_EQ(events[2].kind, Kind::MessageSkipped);
    EXPECT_EQ(events[2].index, 4u);
    EXPECT_EQ(events[3].position, 30u);
    EXPECT_EQ(events[4].folder, "Sent");
    EXPECT_EQ(events[5].kind, Kind::Message);
    EXPECT_EQ(events[5].number, 5);
    EXPECT_TRUE(queue.TakeAll().empty());
}

TEST_F(RunEvents, OnlyTheFirstEventOfAnEmptyQueueWakes)
{
    WakeBytes();
    cli::RunEvent event;
    event.kind = Kind::FolderDamaged;
    queue.Push(event);
    queue.Push(event);
    queue.Push(event);
    EXPECT_EQ(WakeBytes(), std::string(1, cli::kWakeEvent));
    EXPECT_FALSE(queue.HasFinished());
    queue.TakeAll();
    event.kind = Kind::Finished;
    queue.Push(event);
    EXPECT_EQ(WakeBytes(), std::string(1, cli::kWakeEvent));
    EXPECT_TRUE(queue.HasFinished());
}

TEST_F(RunEvents, OnErrorAnswersWithoutAsking)
{
    engine::ErrorQuestion question;
    question.folder_name = "Inbox";
    question.code = 28;

    cli::QueueFrontEnd skip_mail(queue, cli::AutoAnswer::SkipMail);
    engine::ErrorAnswer answer = skip_mail.AskError(question);
    EXPECT_EQ(answer.choice, engine::ErrorChoice::SkipMail);
    EXPECT_FALSE(answer.after_all);
    question.file_level = true;  // a file that cannot be opened has no mail to skip
    EXPECT_EQ(skip_mail.AskError(question).choice, engine::ErrorChoice::SkipFolder);

    cli::QueueFrontEnd abort(queue, cli::AutoAnswer::Abort);
    EXPECT_EQ(abort.AskError(question).choice, engine::ErrorChoice::AbortProcessing);
    cli::QueueFrontEnd skip_folder(queue, cli::AutoAnswer::SkipFolder);
    question.file_level = false;
    EXPECT_EQ(skip_folder.AskError(question).choice, engine::ErrorChoice::SkipFolder);

    // Each automatic answer is still shown, with the folder and the error.
    std::deque<cli::RunEvent> events = queue.TakeAll();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, Kind::AutoAnswered);
    EXPECT_EQ(events[0].folder, "Inbox");
    EXPECT_EQ(events[0].question.code, 28u);
    EXPECT_EQ(events[1].answer, engine::ErrorChoice::SkipFolder);
    EXPECT_EQ(events[2].answer, engine::ErrorChoice::AbortProcessing);
}

TEST_F(RunEvents, AskedQuestionWaitsForTheMainThread)
{
    cli::QueueFrontEnd front_end(queue, cli::AutoAnswer::None);
    engine::ErrorQuestion question;
    question.folder_name = "Drafts";
    question.default_choice = engine::ErrorChoice::SkipFolder;
    engine::ErrorAnswer received;
    std::thread worker([&] { received = front_end.AskError(question); });

    std::deque<cli::RunEvent> events;
    while (events.empty()) {
        events = queue.TakeAll();
        if (events.empty()) std::this_thread::yield();
    }
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::Question);
    EXPECT_EQ(events[0].folder, "Drafts");
    EXPECT_EQ(events[0].question.default_choice, engine::ErrorChoice::SkipFolder);
    queue.Answer({engine::ErrorChoice::SkipMail, true});
    worker.join();
    EXPECT_EQ(received.choice, engine::ErrorChoice::SkipMail);
    EXPECT_TRUE(received.after_all);
}

}  // namespace
