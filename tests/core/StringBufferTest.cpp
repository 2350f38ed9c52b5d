#include <gtest/gtest.h>

#include <cstring>

#include "core/Constants.h"
#include "core/StringBuffer.h"

namespace {

TEST(StringBuffer, AppendBeyondTheReservedSizeKeepsTheTextTerminated) {
    StringBuffer text = StringBuffer::reserved(5);
    text.append("abcd", 4);
    text.append("xyz", 3);
    EXPECT_EQ(text.length(), 7U);
    EXPECT_EQ(text.view(), "abcdxyz");
    EXPECT_EQ(text.data()[7], '\0') << "the byte after the text is the zero terminator";
}

TEST(StringBuffer, AppendCharOnEmptyStateMakesItPresent) {
    StringBuffer text;
    ASSERT_TRUE(text.isAbsent());
    text.appendChar('q');
    EXPECT_FALSE(text.isAbsent());
    EXPECT_EQ(text.length(), 1U);
    text.appendChar('r');
    EXPECT_STREQ(text.data(), "qr");
}

TEST(StringBuffer, AppendingNothingToEmptyStateKeepsItAbsent) {
    StringBuffer text;
    text.append("", 0);
    EXPECT_TRUE(text.isAbsent());
}

TEST(StringBuffer, AssignCopiesDeeply) {
    StringBuffer source = StringBuffer::reserved(100);
    source.append(std::string_view("a\0b", 3));
    StringBuffer copy;
    copy.assign(source);
    EXPECT_EQ(copy.view(), std::string_view("a\0b", 3)) << "embedded zero bytes are kept";
    source.data()[0] = 'z';
    EXPECT_EQ(copy.view()[0], 'a') << "the copy owns its own block";
}

TEST(StringBuffer, AssignFromAbsentGivesAbsent) {
    StringBuffer text = StringBuffer::fromBytes("old");
    text.assign(StringBuffer());
    EXPECT_TRUE(text.isAbsent());
}

TEST(StringBuffer, AssignJsonStringKeepsEmbeddedZeroBytes) {
    JsonDocument document;
    JsonValue value;
    value.SetString("x\0y", 3, document.GetAllocator());
    StringBuffer text;
    text.assignJsonString(value);
    EXPECT_EQ(text.view(), std::string_view("x\0y", 3));
}

TEST(StringBuffer, ConstantsHaveTheirValues) {
    EXPECT_FALSE(emptyText().isAbsent());
    EXPECT_EQ(emptyText().length(), 0U);
    EXPECT_EQ(outputFolderPrefix().view(), "~");
    const PathList& description = descriptionFilePath();
    ASSERT_EQ(description.count(), 1U);
    EXPECT_EQ(description.join().view(), "Information.json");
    EXPECT_EQ(description.textLength(), 16U);
    EXPECT_EQ(formatNames()[static_cast<std::size_t>(FormatName::RGBA_PVRTC4)].view(), "RGBA_PVRTC4");
    EXPECT_EQ(formatNames()[static_cast<std::size_t>(FormatName::RGB_ETC1_ALPHA_UNKNOWN)].view(),
              "RGB_ETC1_ALPHA_UNKNOWN");
}

} // namespace
