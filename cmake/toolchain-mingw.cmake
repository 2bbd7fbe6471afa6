# Shared part of the MinGW-w64 cross toolchains: the including file sets
# Q8_MINGW_TRIPLE, CMAKE_SYSTEM_PROCESSOR and Q8_WINEARCH first. Posix thread
# model (the win32 model lacks std::mutex, which GoogleTest and our own locks need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${Q8_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${Q8_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${Q8_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${Q8_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine; the wrapper picks the build's prefix and Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
