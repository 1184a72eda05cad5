#pragma once

#include <windows.h>

// True when a creating call made its object. Otherwise reports what once with the call's result,
// which is a success code when the call succeeded without an object.
bool CheckCreated(HRESULT result, const void* object, const wchar_t* what);

// Drops the one reference a field holds and clears the field.
template <typename T>
void ReleaseField(T*& field)
{
    if (field) {
        field->Release();
        field = nullptr;
    }
}
