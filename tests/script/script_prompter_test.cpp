// SPDX-License-Identifier: MIT
#include "script/script_prompter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tovrik {
namespace {

TEST(ScriptPrompterTest, AnswersEachKindFromItsOwnQueueAndWritesEveryPrompt)
{
    std::ostringstream out;
    ScriptPrompter prompter(out);
    prompter.QueueFileAnswer(3, "cancel", std::nullopt);
    prompter.QueueQuestionAnswer(4, true);
    prompter.QueueFileAnswer(5, "\"my file.bin\"", "/work dir/my file.bin");
    prompter.QueueQuestionAnswer(6, false);

    prompter.MessageBox("Done.\n\nRe-plug !!!");
    EXPECT_TRUE(prompter.Question("Stop ?"));
    EXPECT_EQ(prompter.SaveFile("F (*.bin)|*.bin||", "bin"), std::nullopt);
    EXPECT_FALSE(prompter.Question("Exit ?"));
    EXPECT_EQ(prompter.OpenFile("F (*.bin)|*.bin||", "bin"), "/work dir/my file.bin");

    EXPECT_EQ(out.str(),
              "message: Done.\\n\\nRe-plug !!!\n"
              "question: Stop ? -> ok\n"
              "save-file: \"F (*.bin)|*.bin||\" \"bin\" -> cancel\n"
              "question: Exit ? -> cancel\n"
              "open-file: \"F (*.bin)|*.bin||\" \"bin\" -> \"my file.bin\"\n");
    EXPECT_TRUE(prompter.Failure().empty());
    EXPECT_TRUE(prompter.UnusedAnswers().empty());
}

TEST(ScriptPrompterTest, AnUnansweredPromptIsRefusedAndSilencesTheRest)
{
    std::ostringstream out;
    ScriptPrompter prompter(out);
    prompter.QueueFileAnswer(2, "a.bin", "a.bin");
    EXPECT_FALSE(prompter.Question("All changes\nlost ?"));
    EXPECT_EQ(prompter.Failure(), "no answer queued for the question \"All changes\\nlost ?\"");
    // What the tool does after the refusal is not the script's story any more.
    prompter.MessageBox("later");
    EXPECT_EQ(prompter.OpenFile("f", "bin"), std::nullopt);
    EXPECT_EQ(out.str(), "");
    // The first failure is the one reported.
    EXPECT_FALSE(prompter.Question("another"));
    EXPECT_EQ(prompter.Failure(), "no answer queued for the question \"All changes\\nlost ?\"");
}

TEST(ScriptPrompterTest, AMissingFileAnswerNamesTheDialog)
{
    std::ostringstream out;
    ScriptPrompter prompter(out);
    prompter.QueueQuestionAnswer(1, true);
    EXPECT_EQ(prompter.SaveFile("f", "bin"), std::nullopt);
    EXPECT_EQ(prompter.Failure(), "no file queued for the save-file dialog");
}

TEST(ScriptPrompterTest, UnusedAnswersComeOldestFirst)
{
    std::ostringstream out;
    ScriptPrompter prompter(out);
    prompter.QueueFileAnswer(9, "b.bin", "b.bin");
    prompter.QueueQuestionAnswer(4, true);
    prompter.QueueQuestionAnswer(12, false);
    prompter.QueueFileAnswer(7, "a.bin", "a.bin");
    EXPECT_TRUE(prompter.Question("q"));
    const auto unused = prompter.UnusedAnswers();
    ASSERT_EQ(unused.size(), 3u);
    EXPECT_EQ(unused[0].line, 7);
    EXPECT_EQ(unused[1].line, 9);
    EXPECT_EQ(unused[2].line, 12);
}

}  // namespace
}  // namespace tovrik
