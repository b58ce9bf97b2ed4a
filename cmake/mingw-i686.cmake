# Cross build for 32-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-i686). The -posix
# compilers are the ones with std::thread and std::mutex, which GoogleTest needs. Programs and
# DLLs carry the C and C++ run-time inside themselves, so a Windows machine needs nothing
# besides its system DLLs. Tests run under Wine (cmake/WineTesting.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CORVANE_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${CORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVANE_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${CORVANE_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${CORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every machine that runs the host has SSE2; the ADIF reader's 16-byte vectors rely on it.
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")

# The static run-time: libgcc, libstdc++ and winpthreads go into every module.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
