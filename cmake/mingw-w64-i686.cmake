# Cross-compiling the 32-bit Windows plug-in with mingw-w64 (Debian: g++-mingw-w64-i686).
# The POSIX threads flavour of the compiler provides std::thread and std::mutex;
# everything the program needs is linked statically, so the DLL needs nothing beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(QVT_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QVT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QVT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QVT_MINGW_PREFIX}-windres)
set(CMAKE_AR ${QVT_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${QVT_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${QVT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++, winpthread and zlib go into every binary.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# zlib's static archive: its import library would make the DLL need zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
