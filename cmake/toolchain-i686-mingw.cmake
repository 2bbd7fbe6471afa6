# Cross toolchain: MinGW-w64 for 32-bit x86 Windows, the programs as shipped.
set(Q8_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(Q8_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
