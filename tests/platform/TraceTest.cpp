#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/System.h"
#include "support/TraceCapture.h"

namespace corvane {
namespace {

TEST(Trace, WritesOneLinePerCallWithTheThreadId) {
    testing::TraceCapture capture("lines");
    trace(u"RSS version = %s", std::u16string(u"2.0"));
    traceError(u"InternetOpenUrl( %s ) failed", 12007, u"http://127.0.0.1/feed");
    trace(u"CFolderImpl::GetClassID");

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 3u);
    std::string prefix = "[";
    prefix += std::to_string(system::currentThreadId());
    prefix += "] ";
    EXPECT_EQ(lines[0], prefix + "RSS version = 2.0");
    EXPECT_EQ(lines[1], prefix + "error 0x00002EE7: InternetOpenUrl( http://127.0.0.1/feed ) failed");
    EXPECT_EQ(lines[2], prefix + "CFolderImpl::GetClassID");
}

TEST(Trace, AppendsToAnExistingFile) {
    testing::TraceCapture capture("append");
    trace(u"first");
    trace(u"second");
    EXPECT_EQ(capture.messages(), (std::vector<std::string>{"first", "second"}));
}

TEST(Trace, ErrorCodesPrintAsUnsigned32BitHex) {
    testing::TraceCapture capture("codes");
    traceError(u"Error while storing items in file", static_cast<uint32_t>(int32_t(0x80004005)));
    traceError(u"%s at load %s", 0u, u"reason", u"C:\\news\\rssitems.xml");
    EXPECT_EQ(capture.messages(),
              (std::vector<std::string>{"error 0x80004005: Error while storing items in file",
                                        "error 0x00000000: reason at load C:\\news\\rssitems.xml"}));
}

TEST(Trace, LineBreaksInsideAMessageDoNotSplitTheLine) {
    testing::TraceCapture capture("breaks");
    trace(u"%s", u"one\r\ntwo\nthree");
    EXPECT_EQ(capture.messages(), (std::vector<std::string>{"one  two three"}));
}

TEST(Trace, MessageIsAtMost2048Characters) {
    testing::TraceCapture capture("long");
    trace(u"%s", std::u16string(5000, u'x'));
    const auto messages = capture.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], std::string(2048, 'x'));
}

TEST(Trace, TextIsWrittenAsUtf8) {
    testing::TraceCapture capture("utf8");
    trace(u"caf\u00E9 \U0001D11E");
    EXPECT_EQ(capture.messages(), (std::vector<std::string>{"caf\xC3\xA9 \xF0\x9D\x84\x9E"}));
}

}  // namespace
}  // namespace corvane
