#pragma once
// The real file system of the platform the tests run on: the tests work with
// real files in temporary directories.

#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
#else
#include "platform/linux/linux_file_system.h"
#endif

namespace rizarode::testing {

#ifdef _WIN32
using NativeFileSystem = Win32FileSystem;
#else
using NativeFileSystem = LinuxFileSystem;
#endif

}  // namespace rizarode::testing
