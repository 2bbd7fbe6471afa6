# Cross toolchain: MinGW-w64 for 64-bit x86 Windows, for the tests on machines
# that run no 32-bit x86 code (tools/machine-arch).
set(Q8_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(Q8_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
