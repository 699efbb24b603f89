#pragma once
// <windows.h> without the macros that rename the platform interfaces'
// methods: windows.h turns DeleteFile, CopyFile, MessageBox and others into
// their "A" or "W" functions, which would rename the methods as well. The
// Win32 code calls the "A" functions by their full names.

#include <windows.h>

#undef AddFontResource
#undef CopyFile
#undef DeleteFile
#undef MessageBox
#undef ReplaceFile
#undef SetCurrentDirectory
