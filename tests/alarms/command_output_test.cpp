// What is kept of an alarm command's output: its last line, within a cap.

#include "alarms/command_output.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace korvane {
namespace {

TEST(CommandOutputTail, KeepsTheLastLineThatSaysSomething) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        const char* last;
    };
    const Case cases[] = {
        {"nothing", {}, ""},
        {"one line", {"sent\n"}, "sent"},
        {"the last of several", {"connecting\nsent to 3 phones\n"}, "sent to 3 phones"},
        {"a final line without its end", {"a\nb"}, "b"},
        {"blank lines after it", {"curl: (7) refused\n\n  \n"}, "curl: (7) refused"},
        {"split across reads", {"cu", "rl: (6) no h", "ost\r\n"}, "curl: (6) no host"},
        {"CR alone ends a line", {"10%\r50%\r100%\r"}, "100%"},
        {"blanks and controls", {"  \x1b[31mred\t text  \n"}, "[31mred  text"},
    };
    for (const Case& c : cases) {
        CommandOutputTail tail;
        for (const std::string& p : c.pieces)
            tail.append(p);
        EXPECT_EQ(tail.lastLine(), c.last) << c.name;
    }
}

TEST(CommandOutputTail, HoldsAtMostTheCapAndCutsTheShownLine) {
    CommandOutputTail tail;
    const std::string chunk(10000, 'x');
    for (int i = 0; i < 100; ++i) { // a megabyte without a line end
        tail.append(chunk);
        ASSERT_LE(tail.bytesHeld(), CommandOutputTail::kMaxHeldBytes);
    }
    tail.append("\n");
    for (int i = 0; i < 100; ++i)
        tail.append(chunk + "\n");
    EXPECT_LE(tail.bytesHeld(), CommandOutputTail::kMaxHeldBytes);
    EXPECT_EQ(tail.bytesSeen(), 100u * 10000 + 1 + 100u * 10001);
    const std::string shown = tail.lastLine();
    EXPECT_EQ(shown.size(), CommandOutputTail::kMaxShownBytes);
    EXPECT_EQ(shown.substr(shown.size() - 4), "x...");

    // A UTF-8 letter across the cut is left out whole, not halved.
    CommandOutputTail letters;
    std::string line(CommandOutputTail::kMaxShownBytes - 4, 'a');
    line += "\xc3\xa9\xc3\xa9\xc3\xa9";
    letters.append(line);
    const std::string cut = letters.lastLine();
    EXPECT_EQ(cut, std::string(CommandOutputTail::kMaxShownBytes - 4, 'a') + "...");
}

} // namespace
} // namespace korvane
