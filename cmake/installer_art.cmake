# Pictures, icon and cursor of the installer Q8_Setup, rendered at build time.
#
# Every picture is drawn as SVG in installer/art, some reuse the utility's sources in
# res/art; nothing rendered is kept in the tree. This file turns the sources into the
# files that installer/res/setup_art.rc names, all in ${Q8_SETUP_ART_DIR} (the build's
# setup-art/ folder), under the custom target q8_setup_art:
#
#   installer/art/main.svg       png_159  main window background                     460 x 400
#                                         (rendered beside a copy of res/art/parts.svg,
#                                         whose laptop, phone, adapter and glyph it places)
#   installer/art/quit_box.svg   png_171  message box background, "quit the installer?" 354 x 167
#   installer/art/icon_error.svg png_172  message box icon, error                      45 x 40
#   installer/art/icon_info.svg  png_173  message box icon, information                45 x 40
#   installer/art/icon_warning.svg png_174 message box icon, warning                   45 x 40
#   installer/art/blank.svg      png_225  blank picture (no message box icon)           3 x 3
#   installer/art/digits.svg     png_221  percentage digits "0".."9", cells of 25 x 25 250 x 25
#   installer/art/percent.svg    png_222  percent sign                                 25 x 25
#   installer/art/buttons.py     png_152..154 close mark on the title band (18 x 18)
#                                png_160, 161, 163 "一键安装" button (137 x 45)
#                                png_155..157 "使用指南 >" link (72 x 12)
#                                png_193..196 "是", 187..190 "确定", 197..200 "否",
#                                176..179 "取消": message box buttons (79 x 22), each state
#                                (colours and writer from res/art/buttons.py)
#   res/art/creating.py          png_224  progress animation, 24 frames of 198 x 198 in a row
#                                         (the "progress" layout: no caption, plain middle
#                                         for the percentage)
#   installer/art/icons.py       icon_128 application icon, 256/48/32/16 pixel images: the
#                                         utility's icon (res/art/app_icon.svg, icons.py)
#                                         with an install mark
#   res/art/cursor_hand.svg      cursor_166 hand cursor, 32 x 32, hotspot at the fingertip
#
# The .py files are generators: they write SVG files into the build's setup-art-work/
# folder, which are then rendered like the hand-written ones. Editing any source
# re-renders what depends on it. The tools are the utility's (cmake/art_tools.cmake).
#
# Sets Q8_SETUP_ART_DIR (the folder for windres' include path) and Q8_SETUP_ART_FILES
# (every rendered file, for the dependencies of the .rc that includes setup_art.rc).

include(${CMAKE_CURRENT_LIST_DIR}/art_tools.cmake)

get_filename_component(_q8_setup_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(Q8_SETUP_ART_DIR ${CMAKE_BINARY_DIR}/setup-art)
set(Q8_SETUP_ART_WORK ${CMAKE_BINARY_DIR}/setup-art-work)
set(Q8_SETUP_ART_SOURCE ${_q8_setup_root}/installer/art)
set(_q8_setup_utility_art ${_q8_setup_root}/res/art)
file(MAKE_DIRECTORY ${Q8_SETUP_ART_DIR} ${Q8_SETUP_ART_WORK})
set(Q8_SETUP_ART_FILES "")

# q8_setup_art_png(<file in Q8_SETUP_ART_DIR> <svg> [more sources it reads])
function(q8_setup_art_png out svg)
  add_custom_command(
    OUTPUT ${Q8_SETUP_ART_DIR}/${out}
    COMMAND ${Q8_RSVG_CONVERT} -o ${Q8_SETUP_ART_DIR}/${out} ${svg}
    DEPENDS ${svg} ${ARGN}
    COMMENT "Rendering setup-art/${out}"
    VERBATIM)
  set(Q8_SETUP_ART_FILES ${Q8_SETUP_ART_FILES} ${Q8_SETUP_ART_DIR}/${out} PARENT_SCOPE)
endfunction()

# Main window background: the renderer loads referenced files only from the folder of
# the file it renders, so main.svg is rendered from the work folder beside parts.svg.
add_custom_command(
  OUTPUT ${Q8_SETUP_ART_WORK}/main.svg ${Q8_SETUP_ART_WORK}/parts.svg
  COMMAND ${CMAKE_COMMAND} -E copy ${Q8_SETUP_ART_SOURCE}/main.svg
          ${_q8_setup_utility_art}/parts.svg ${Q8_SETUP_ART_WORK}
  DEPENDS ${Q8_SETUP_ART_SOURCE}/main.svg ${_q8_setup_utility_art}/parts.svg
  COMMENT "Copying the main window background's sources"
  VERBATIM)
q8_setup_art_png(png_159.png ${Q8_SETUP_ART_WORK}/main.svg ${Q8_SETUP_ART_WORK}/parts.svg)

# Message box background and icons, percentage digits: one hand-written SVG each.
q8_setup_art_png(png_171.png ${Q8_SETUP_ART_SOURCE}/quit_box.svg)
q8_setup_art_png(png_172.png ${Q8_SETUP_ART_SOURCE}/icon_error.svg)
q8_setup_art_png(png_173.png ${Q8_SETUP_ART_SOURCE}/icon_info.svg)
q8_setup_art_png(png_174.png ${Q8_SETUP_ART_SOURCE}/icon_warning.svg)
q8_setup_art_png(png_225.png ${Q8_SETUP_ART_SOURCE}/blank.svg)
q8_setup_art_png(png_221.png ${Q8_SETUP_ART_SOURCE}/digits.svg)
q8_setup_art_png(png_222.png ${Q8_SETUP_ART_SOURCE}/percent.svg)

# Buttons, link and close mark: buttons.py writes one SVG per state.
set(_q8_setup_button_ids
  152 153 154 155 156 157 160 161 163
  176 177 178 179 187 188 189 190 193 194 195 196 197 198 199 200)
set(_q8_setup_button_svgs "")
foreach(id IN LISTS _q8_setup_button_ids)
  list(APPEND _q8_setup_button_svgs ${Q8_SETUP_ART_WORK}/png_${id}.svg)
endforeach()
add_custom_command(
  OUTPUT ${_q8_setup_button_svgs}
  COMMAND ${Python3_EXECUTABLE} ${Q8_SETUP_ART_SOURCE}/buttons.py ${Q8_SETUP_ART_WORK}
  DEPENDS ${Q8_SETUP_ART_SOURCE}/buttons.py ${_q8_setup_utility_art}/buttons.py
  COMMENT "Writing the installer's button sources"
  VERBATIM)
foreach(id IN LISTS _q8_setup_button_ids)
  q8_setup_art_png(png_${id}.png ${Q8_SETUP_ART_WORK}/png_${id}.svg)
endforeach()

# The progress animation strip, from the utility's animation generator.
add_custom_command(
  OUTPUT ${Q8_SETUP_ART_WORK}/progress.svg
  COMMAND ${Python3_EXECUTABLE} ${_q8_setup_utility_art}/creating.py
          ${Q8_SETUP_ART_WORK}/progress.svg --layout progress
  DEPENDS ${_q8_setup_utility_art}/creating.py
  COMMENT "Writing the installer's animation source"
  VERBATIM)
q8_setup_art_png(png_224.png ${Q8_SETUP_ART_WORK}/progress.svg)

# Application icon: icons.py writes the 16 and 32 pixel images and the large drawing,
# rendered at 48 and 256 (256 stored as PNG inside the ICO).
set(_q8_setup_icon ${Q8_SETUP_ART_WORK}/icon_128)
add_custom_command(
  OUTPUT ${_q8_setup_icon}_16.svg ${_q8_setup_icon}_32.svg ${_q8_setup_icon}_large.svg
  COMMAND ${Python3_EXECUTABLE} ${Q8_SETUP_ART_SOURCE}/icons.py ${Q8_SETUP_ART_WORK}
  DEPENDS ${Q8_SETUP_ART_SOURCE}/icons.py ${_q8_setup_utility_art}/icons.py
          ${_q8_setup_utility_art}/app_icon.svg
  COMMENT "Writing the installer's icon sources"
  VERBATIM)
add_custom_command(
  OUTPUT ${Q8_SETUP_ART_DIR}/icon_128.ico
  COMMAND ${Q8_RSVG_CONVERT} -o ${_q8_setup_icon}_16.png ${_q8_setup_icon}_16.svg
  COMMAND ${Q8_RSVG_CONVERT} -o ${_q8_setup_icon}_32.png ${_q8_setup_icon}_32.svg
  COMMAND ${Q8_RSVG_CONVERT} -w 48 -h 48 -o ${_q8_setup_icon}_48.png ${_q8_setup_icon}_large.svg
  COMMAND ${Q8_RSVG_CONVERT} -w 256 -h 256 -o ${_q8_setup_icon}_256.png ${_q8_setup_icon}_large.svg
  COMMAND ${Q8_ICOTOOL} -c --bit-depth=32 -o ${Q8_SETUP_ART_DIR}/icon_128.ico
          --raw=${_q8_setup_icon}_256.png ${_q8_setup_icon}_48.png ${_q8_setup_icon}_32.png ${_q8_setup_icon}_16.png
  DEPENDS ${_q8_setup_icon}_16.svg ${_q8_setup_icon}_32.svg ${_q8_setup_icon}_large.svg
  COMMENT "Packing setup-art/icon_128.ico"
  VERBATIM)
list(APPEND Q8_SETUP_ART_FILES ${Q8_SETUP_ART_DIR}/icon_128.ico)

# Hand cursor, the utility's; the hotspot is the fingertip drawn in cursor_hand.svg.
add_custom_command(
  OUTPUT ${Q8_SETUP_ART_DIR}/cursor_166.cur
  COMMAND ${Q8_RSVG_CONVERT} -o ${Q8_SETUP_ART_WORK}/cursor_166.png
          ${_q8_setup_utility_art}/cursor_hand.svg
  COMMAND ${Q8_ICOTOOL} -c --cursor --hotspot-x=11 --hotspot-y=1 --bit-depth=32
          -o ${Q8_SETUP_ART_DIR}/cursor_166.cur ${Q8_SETUP_ART_WORK}/cursor_166.png
  DEPENDS ${_q8_setup_utility_art}/cursor_hand.svg
  COMMENT "Packing setup-art/cursor_166.cur"
  VERBATIM)
list(APPEND Q8_SETUP_ART_FILES ${Q8_SETUP_ART_DIR}/cursor_166.cur)

add_custom_target(q8_setup_art DEPENDS ${Q8_SETUP_ART_FILES})
