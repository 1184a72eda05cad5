#pragma once

#include <string>

#include "tools/frames/rgba_image.h"

// PNG files through the system's imaging component (WIC). Pictures are stored as 24-bit colour:
// every frame is opaque. Reading gives alpha 255. On failure error names the call and its code.
bool WritePng(const std::wstring& path, const RgbaImage& image, std::string* error);
bool ReadPng(const std::wstring& path, RgbaImage* image, std::string* error);

// The wide form of a path given in the program's code page.
std::wstring WidePath(const std::string& path);
