# Shared build settings and helpers.
# All programs and DLLs land in one folder so that Q8.exe finds Dravolib.dll beside it.
set(Q8_OUT_DIR ${CMAKE_BINARY_DIR}/bin)
set(Q8_SOURCE_ROOT ${CMAKE_SOURCE_DIR})
