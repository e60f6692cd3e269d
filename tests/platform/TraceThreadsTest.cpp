#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Trace.h"
#include "support/TraceCapture.h"

namespace corvane {
namespace {

TEST(TraceThreads, LinesFromManyThreadsStayWhole) {
    testing::TraceCapture capture("threads");
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                trace(u"worker %d line %d %s", t, i, std::u16string(100, u'z'));
        });
    for (auto& thread : threads)
        thread.join();

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), size_t{kThreads * kLines});
    std::set<std::string> threadIds;
    std::set<std::string> messages;
    for (const std::string& line : lines) {
        size_t end = line.find("] ");
        ASSERT_NE(end, std::string::npos) << line;
        threadIds.insert(line.substr(0, end));
        messages.insert(line.substr(end + 2));
    }
    EXPECT_EQ(threadIds.size(), size_t{kThreads});
    EXPECT_EQ(messages.size(), size_t{kThreads * kLines});
    EXPECT_EQ(messages.count("worker 3 line 199 " + std::string(100, 'z')), 1u);
}

}  // namespace
}  // namespace corvane
