// Several corvane processes writing one news folder at once: each takes the folder's lock and writes
// its own change on top of the others', so nothing one of them did is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Utf.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"

namespace corvane {
namespace {

#if defined(_WIN32)
constexpr int kRounds = 10;  // each process start costs a good deal more under Wine
#elif defined(__SANITIZE_ADDRESS__)
constexpr int kRounds = 20;  // each process costs several times what it costs in the plain build
#else
constexpr int kRounds = 40;
#endif

struct Listed {
    std::string title;
    int label = 0;
    std::string id;
};

class FolderWriters : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(run({"create", dir()}).exitCode, 0); }

    testing::ProgramRun run(std::vector<std::string> arguments) {
        return testing::runProgram(CORVANE_EXE, std::move(arguments), scratch.path());
    }

    // The commands started together, each with its own output files; waits for them all.
    std::vector<testing::ProgramRun> runTogether(const std::vector<std::vector<std::string>>& commands) {
        std::vector<testing::ProgramRun> runs(commands.size());
        std::vector<std::unique_ptr<testing::TempFolder>> outputs;
        std::vector<std::thread> threads;
        for (size_t i = 0; i < commands.size(); ++i)
            outputs.push_back(std::make_unique<testing::TempFolder>());
        for (size_t i = 0; i < commands.size(); ++i)
            threads.emplace_back(
                [&, i] { runs[i] = testing::runProgram(CORVANE_EXE, commands[i], outputs[i]->path()); });
        for (std::thread& thread : threads)
            thread.join();
        return runs;
    }

    void feedFrom(int first, int items) {
        const std::string url = toUtf8(
            testing::serverUrl("/feed?items=" + std::to_string(items) + "&first=" + std::to_string(first)));
        ASSERT_EQ(run({"config", dir(), "--url", url}).exitCode, 0);
    }

    // The folder's messages by title, with every row's fields; a title listed twice fails the test.
    std::map<std::string, Listed> messages() {
        testing::ProgramRun list = run({"list", dir()});
        EXPECT_EQ(list.exitCode, 0) << list.err;
        std::map<std::string, Listed> byTitle;
        size_t at = list.out.find('\n') + 1;  // past the header
        while (at < list.out.size()) {
            size_t end = list.out.find('\n', at);
            std::vector<std::string> cells;
            size_t cell = at;
            for (size_t tab; (tab = list.out.find('\t', cell)) < end; cell = tab + 1)
                cells.push_back(list.out.substr(cell, tab - cell));
            cells.push_back(list.out.substr(cell, end - cell));
            EXPECT_EQ(cells.size(), 7u);
            if (cells.size() == 7) {
                EXPECT_TRUE(byTitle.emplace(cells[1], Listed{cells[1], std::stoi(cells[5]), cells[6]}).second)
                    << cells[1] << " is listed twice";
            }
            at = end + 1;
        }
        return byTitle;
    }

    static std::string title(int n) { return "Message " + std::to_string(n); }

    std::string dir() const { return toUtf8(news.path().u16string()); }

    testing::TempFolder scratch;
    testing::TempFolder news;
};

// Each round an update bringing five messages, a label and a delete run at once; afterwards the
// folder holds every message but the deleted ones, with every label given. What one round loses
// stays lost, so the folder is checked once at the end.
TEST_F(FolderWriters, UpdateLabelAndDeleteTogetherLoseNothing) {
    const int stored = 2 * kRounds;
    feedFrom(0, stored);
    ASSERT_EQ(run({"update", dir(), "--quiet"}).exitCode, 0);
    const std::map<std::string, Listed> before = messages();
    ASSERT_EQ(before.size(), static_cast<size_t>(stored));
    std::map<std::string, int> expected;  // title → label
    for (int n = 0; n < stored; ++n)
        expected[title(n)] = 0;
    for (int round = 0; round < kRounds; ++round) {
        const int first = stored + 5 * round;
        feedFrom(first, 5);
        const std::string labelled = title(2 * round);
        const std::string deleted = title(2 * round + 1);
        std::vector<testing::ProgramRun> runs =
            runTogether({{"update", dir(), "--quiet"},
                         {"label", dir(), "3", "--id", before.at(labelled).id},
                         {"delete", dir(), "--yes", "--id", before.at(deleted).id}});
        for (const testing::ProgramRun& done : runs)
            ASSERT_EQ(done.exitCode, 0) << "round " << round << ": " << done.err;
        for (int n = first; n < first + 5; ++n)
            expected[title(n)] = 0;
        expected[labelled] = 3;
        expected.erase(deleted);
    }
    std::map<std::string, int> found;
    for (const auto& [name, message] : messages())
        found[name] = message.label;
    EXPECT_EQ(found, expected);
}

// Two updates of overlapping feeds at once, round after round: every message once, none lost.
TEST_F(FolderWriters, TwoUpdatesTogetherStoreEachMessageOnce) {
    for (int round = 0; round < kRounds; ++round) {
        feedFrom(5 * round, 10);
        std::vector<testing::ProgramRun> runs =
            runTogether({{"update", dir(), "--quiet"}, {"update", dir(), "--quiet"}});
        for (const testing::ProgramRun& done : runs)
            ASSERT_EQ(done.exitCode, 0) << "round " << round << ": " << done.err;
    }
    std::map<std::string, Listed> held = messages();
    EXPECT_EQ(held.size(), static_cast<size_t>(5 * kRounds + 5));
    for (int n = 0; n < 5 * kRounds + 5; ++n)
        EXPECT_TRUE(held.count(title(n))) << title(n) << " was lost";
}

}  // namespace
}  // namespace corvane
