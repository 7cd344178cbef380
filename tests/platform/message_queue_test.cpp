// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/message_queue.h"
#include "platform/recording_prompter.h"

namespace tovrik {
namespace {

TEST(MessageQueueTest, MessagesFromManyThreadsArriveWholeAndInPostingOrder)
{
    MessageQueue queue;
    std::atomic<int> wakes{0};
    queue.SetWakeFunction([&wakes] { ++wakes; });
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&queue, t] {
            for (int i = 0; i < kPerThread; ++i) {
                queue.Post(static_cast<WindowHandle>(t + 1), 1131, static_cast<WPARAM>(i), -i);
            }
        });
    }
    for (auto& p : posters) {
        p.join();
    }
    std::vector<int> next(kThreads, 0);
    const int delivered = queue.DispatchPending([&next](const WindowMessage& m) {
        const int t = static_cast<int>(m.window) - 1;
        ASSERT_EQ(m.wParam, static_cast<WPARAM>(next[t]));
        ASSERT_EQ(m.lParam, -next[t]);
        ++next[t];
    });
    EXPECT_EQ(delivered, kThreads * kPerThread);
    EXPECT_EQ(wakes.load(), kThreads * kPerThread);
    EXPECT_EQ(queue.Size(), 0u);
}

TEST(MessageQueueTest, TakeWaitsForAPostFromAnotherThread)
{
    MessageQueue queue;
    EXPECT_FALSE(queue.Take(std::chrono::milliseconds(5)).has_value());
    std::thread poster([&queue] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        queue.Post(7, 1125, 0, 0);
    });
    auto m = queue.Take(std::chrono::seconds(5));
    poster.join();
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->window, 7u);
}

TEST(MessageQueueTest, EventBytesPackLowByteFirst)
{
    const std::uint8_t bytes[8] = {0x01, 0x02, 0x03, 0x04, 0xF5, 0x06, 0x07, 0x88};
    WPARAM w = 0;
    LPARAM l = 0;
    PackEventBytes(bytes, w, l);
    EXPECT_EQ(w, 0x04030201u);
    EXPECT_EQ(static_cast<std::uint32_t>(l), 0x880706F5u);
}

TEST(RecordingPrompterTest, AnswersFromItsQueuesAndRecordsEveryPrompt)
{
    RecordingPrompter prompter;
    prompter.QueueAnswer(true);
    prompter.QueueFile(std::string("/tmp/a.bin"));
    prompter.QueueFile(std::nullopt);
    prompter.MessageBox("one");
    EXPECT_TRUE(prompter.Question("sure?"));
    EXPECT_FALSE(prompter.Question("again?"));  // nothing queued: Cancel
    EXPECT_EQ(prompter.SaveFile("EERPOM files (*.bin)|*.bin||", "bin"), "/tmp/a.bin");
    EXPECT_EQ(prompter.OpenFile("EERPOM files (*.bin)|*.bin||", "bin"), std::nullopt);
    EXPECT_EQ(prompter.UnansweredCount(), 1);
    ASSERT_EQ(prompter.Prompts().size(), 5u);
    EXPECT_EQ(prompter.Prompts()[2].answer, "cancel");
    EXPECT_EQ(prompter.Prompts()[3].kind, RecordingPrompter::Kind::SaveFile);
    EXPECT_EQ(prompter.Prompts()[3].defaultExtension, "bin");
    EXPECT_EQ(prompter.Prompts()[4].answer, "cancel");
    EXPECT_EQ(prompter.Messages(), std::vector<std::string>{"one"});
}

}  // namespace
}  // namespace tovrik
