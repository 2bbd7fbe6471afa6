# The tools that render the pictures of both programs (cmake/art.cmake for Q8,
# cmake/installer_art.cmake for Q8_Setup): rsvg-convert, icotool, python3 and the
# "WenQuanYi Micro Hei" font. Stops the configure with a hint when one is missing.
# Sets Q8_RSVG_CONVERT, Q8_ICOTOOL and Python3_EXECUTABLE.

include_guard(GLOBAL)

find_program(Q8_RSVG_CONVERT rsvg-convert)
if(NOT Q8_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert not found: the pictures cannot be rendered. "
                      "Install the Debian package librsvg2-bin (tools/setup-deps.sh does).")
endif()
find_program(Q8_ICOTOOL icotool)
if(NOT Q8_ICOTOOL)
  message(FATAL_ERROR "icotool not found: the icons and the cursor cannot be packed. "
                      "Install the Debian package icoutils (tools/setup-deps.sh does).")
endif()
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  message(FATAL_ERROR "python3 not found: the picture generators cannot run. "
                      "Install the Debian package python3 (tools/setup-deps.sh does).")
endif()
find_program(Q8_FC_LIST fc-list)
if(Q8_FC_LIST)
  execute_process(COMMAND ${Q8_FC_LIST} "WenQuanYi Micro Hei" family
                  OUTPUT_VARIABLE _q8_art_font OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(_q8_art_font STREQUAL "")
    message(FATAL_ERROR "Font \"WenQuanYi Micro Hei\" not found: the pictures' Chinese text "
                        "would not render. Install the Debian package fonts-wqy-microhei "
                        "(tools/setup-deps.sh does).")
  endif()
endif()
