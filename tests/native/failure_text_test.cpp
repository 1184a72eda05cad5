#include <gtest/gtest.h>

#include <string>

#include "core/failure_text.h"

TEST(CoreFailureText, NamesTheCallTheCodeAndTheSystemText)
{
    EXPECT_EQ(FailureText(u"CreateWindowExW", 0x80070578u, u"Invalid window handle.\r\n"),
              u"CreateWindowExW failed (0x80070578)\nInvalid window handle.\r\n");
}

TEST(CoreFailureText, CodeIsEightUpperCaseHexDigitsEvenForSmallCodes)
{
    EXPECT_EQ(FailureText(u"CreateBuffer(CB)", 0u, u""), u"CreateBuffer(CB) failed (0x00000000)\n");
    EXPECT_EQ(FailureText(u"D3DCompile", 0xabcdef01u, u""), u"D3DCompile failed (0xABCDEF01)\n");
}

TEST(CoreFailureText, OverlongInputsAreCutToTheBufferWithRoomForTheTerminator)
{
    const std::u16string longWhat(5000, u'w');
    const std::u16string longSystem(5000, u's');
    const std::u16string text = FailureText(longWhat, 0x80004005u, longSystem);
    EXPECT_EQ(text.size(), kFailureTextCapacity - 1);
    EXPECT_EQ(text, longWhat.substr(0, kFailureTextCapacity - 1));

    const std::u16string cutSystem = FailureText(u"ResizeBuffers", 0x887A0001u, longSystem, 64);
    EXPECT_EQ(cutSystem.size(), 63u);
    EXPECT_EQ(cutSystem.substr(0, 37), u"ResizeBuffers failed (0x887A0001)\nsss");
}

TEST(CoreFailureText, Win32ErrorCodeFollowsTheHresultFromWin32Rule)
{
    EXPECT_EQ(Win32ErrorCode(0u), 0u);
    EXPECT_EQ(Win32ErrorCode(5u), 0x80070005u);
    EXPECT_EQ(Win32ErrorCode(1407u), 0x8007057Fu);
    EXPECT_EQ(Win32ErrorCode(0x12345u), 0x80072345u);
    // Values that already read as failed HRESULTs pass through.
    EXPECT_EQ(Win32ErrorCode(0x80004005u), 0x80004005u);
}
