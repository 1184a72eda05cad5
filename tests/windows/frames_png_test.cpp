#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tools/frames/png_file.h"

namespace {

std::wstring TempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, length) + name;
}

// An odd width gives rows that are not a multiple of four bytes in 24-bit colour.
TEST(FramesPng, KeepsEveryColourByteInItsChannel)
{
    RgbaImage image;
    image.width = 37;
    image.height = 5;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            image.rgba.push_back(static_cast<uint8_t>(x * 7));
            image.rgba.push_back(static_cast<uint8_t>(y * 50 + 1));
            image.rgba.push_back(static_cast<uint8_t>(255 - x));
            image.rgba.push_back(255);
        }
    }
    const std::wstring path = TempFile(L"htn_frames_png_test.png");
    std::string error;
    ASSERT_TRUE(WritePng(path, image, &error)) << error;
    RgbaImage read;
    ASSERT_TRUE(ReadPng(path, &read, &error)) << error;
    DeleteFileW(path.c_str());
    EXPECT_EQ(read.width, image.width);
    EXPECT_EQ(read.height, image.height);
    EXPECT_EQ(read.rgba, image.rgba);
}

TEST(FramesPng, AMissingFileIsAnErrorWithItsCall)
{
    RgbaImage image;
    std::string error;
    EXPECT_FALSE(ReadPng(TempFile(L"htn_frames_no_such_file.png"), &image, &error));
    EXPECT_NE(error.find("CreateDecoderFromFilename"), std::string::npos) << error;
}

}  // namespace
