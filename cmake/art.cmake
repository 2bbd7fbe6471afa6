# Pictures, icons and cursor of the Q8 program, rendered at build time.
#
# Every picture is drawn as SVG in res/art; nothing rendered is kept in the tree. This
# file turns the sources into the files that res/q8_art.rc names, all in ${Q8_ART_DIR}
# (the build's art/ folder), under the custom target q8_art:
#
#   res/art/parts.svg          shared pieces: title bar, devices, adapter, hotspot panel frame,
#                              guide steps (placed by the pages with <use>; not rendered alone)
#   res/art/tips.svg           png_157  tips page, no hotspot running          402 x 420
#   res/art/hotspot.svg        png_165  hotspot panel                          404 x 420
#   res/art/hotspot_done.svg   png_187  hotspot panel, just created            404 x 420
#   res/art/guide_key.svg      png_161  connection guide, network with a key   602 x 336
#   res/art/guide_open.svg     png_193  connection guide, open network         404 x 336
#   res/art/link_steps.svg     png_188  "简易连接步骤 >" link                    86 x 14
#   res/art/link_back.svg      png_194  "< 返回" link                           36 x 14
#   res/art/caption_creating.svg png_205 "创建中…" caption                       57 x 17
#   res/art/buttons.py         png_170..173, 189..192, 207..214 buttons (80 x 24), each state
#                              png_176..178 close mark (18 x 18)
#   res/art/creating.py        png_204  "creating" animation, 24 frames of 198 x 198 in a row
#   res/art/app_icon.svg       icon_128 application icon, 256/128/64/48 pixel images
#   res/art/icons.py           icon_128 16/32 pixel images; icon_200 tray icon; icon_197,
#                              198, 199, 196 tray animation frames (16 and 32 pixels each)
#   res/art/cursor_hand.svg    cursor_175 hand cursor, 32 x 32, hotspot at the fingertip
#
# The .py files are generators: they write SVG files into the build's art-work/ folder,
# which are then rendered like the hand-written ones. Editing any source re-renders
# what depends on it.
#
# Tools (installed by tools/setup-deps.sh, looked up by cmake/art_tools.cmake):
# rsvg-convert (librsvg2-bin) renders SVG to PNG, icotool (icoutils) packs ICO and CUR
# files, python3 runs the generators. Text in the pictures uses the "WenQuanYi Micro Hei"
# font (fonts-wqy-microhei).
#
# Sets Q8_ART_DIR (the folder for windres' include path) and Q8_ART_FILES (every
# rendered file, for the dependencies of the .rc that includes res/q8_art.rc).

include(${CMAKE_CURRENT_LIST_DIR}/art_tools.cmake)

set(Q8_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(Q8_ART_WORK ${CMAKE_BINARY_DIR}/art-work)
set(Q8_ART_SOURCE ${CMAKE_SOURCE_DIR}/res/art)
file(MAKE_DIRECTORY ${Q8_ART_DIR} ${Q8_ART_WORK})
set(Q8_ART_FILES "")

# q8_art_png(<file in Q8_ART_DIR> <svg> [more sources it reads])
function(q8_art_png out svg)
  add_custom_command(
    OUTPUT ${Q8_ART_DIR}/${out}
    COMMAND ${Q8_RSVG_CONVERT} -o ${Q8_ART_DIR}/${out} ${svg}
    DEPENDS ${svg} ${ARGN}
    COMMENT "Rendering art/${out}"
    VERBATIM)
  set(Q8_ART_FILES ${Q8_ART_FILES} ${Q8_ART_DIR}/${out} PARENT_SCOPE)
endfunction()

# Page backgrounds, links and caption: one hand-written SVG each.
q8_art_png(png_157.png ${Q8_ART_SOURCE}/tips.svg ${Q8_ART_SOURCE}/parts.svg)
q8_art_png(png_165.png ${Q8_ART_SOURCE}/hotspot.svg ${Q8_ART_SOURCE}/parts.svg)
q8_art_png(png_187.png ${Q8_ART_SOURCE}/hotspot_done.svg ${Q8_ART_SOURCE}/parts.svg)
q8_art_png(png_161.png ${Q8_ART_SOURCE}/guide_key.svg ${Q8_ART_SOURCE}/parts.svg)
q8_art_png(png_193.png ${Q8_ART_SOURCE}/guide_open.svg ${Q8_ART_SOURCE}/parts.svg)
q8_art_png(png_188.png ${Q8_ART_SOURCE}/link_steps.svg)
q8_art_png(png_194.png ${Q8_ART_SOURCE}/link_back.svg)
q8_art_png(png_205.png ${Q8_ART_SOURCE}/caption_creating.svg)

# Buttons and close mark: buttons.py writes one SVG per state.
set(_q8_button_ids 170 171 172 173 176 177 178 189 190 191 192 207 208 209 210 211 212 213 214)
set(_q8_button_svgs "")
foreach(id IN LISTS _q8_button_ids)
  list(APPEND _q8_button_svgs ${Q8_ART_WORK}/png_${id}.svg)
endforeach()
add_custom_command(
  OUTPUT ${_q8_button_svgs}
  COMMAND ${Python3_EXECUTABLE} ${Q8_ART_SOURCE}/buttons.py ${Q8_ART_WORK}
  DEPENDS ${Q8_ART_SOURCE}/buttons.py
  COMMENT "Writing the button sources"
  VERBATIM)
foreach(id IN LISTS _q8_button_ids)
  q8_art_png(png_${id}.png ${Q8_ART_WORK}/png_${id}.svg)
endforeach()

# The "creating" animation strip.
add_custom_command(
  OUTPUT ${Q8_ART_WORK}/creating.svg
  COMMAND ${Python3_EXECUTABLE} ${Q8_ART_SOURCE}/creating.py ${Q8_ART_WORK}/creating.svg
  DEPENDS ${Q8_ART_SOURCE}/creating.py
  COMMENT "Writing the animation source"
  VERBATIM)
q8_art_png(png_204.png ${Q8_ART_WORK}/creating.svg)

# Icons: icons.py writes the 16 and 32 pixel images of every icon; the application
# icon adds its large images from app_icon.svg (256 stored as PNG inside the ICO).
set(_q8_icon_ids 128 200 197 198 199 196)
set(_q8_icon_svgs "")
foreach(id IN LISTS _q8_icon_ids)
  list(APPEND _q8_icon_svgs ${Q8_ART_WORK}/icon_${id}_16.svg ${Q8_ART_WORK}/icon_${id}_32.svg)
endforeach()
add_custom_command(
  OUTPUT ${_q8_icon_svgs}
  COMMAND ${Python3_EXECUTABLE} ${Q8_ART_SOURCE}/icons.py ${Q8_ART_WORK}
  DEPENDS ${Q8_ART_SOURCE}/icons.py
  COMMENT "Writing the small icon sources"
  VERBATIM)
foreach(id IN LISTS _q8_icon_ids)
  set(_w ${Q8_ART_WORK}/icon_${id})
  set(_render
    COMMAND ${Q8_RSVG_CONVERT} -o ${_w}_16.png ${_w}_16.svg
    COMMAND ${Q8_RSVG_CONVERT} -o ${_w}_32.png ${_w}_32.svg)
  set(_images ${_w}_32.png ${_w}_16.png)
  set(_sources ${_w}_16.svg ${_w}_32.svg)
  if(id EQUAL 128)
    foreach(size 128 64 48)
      list(APPEND _render
        COMMAND ${Q8_RSVG_CONVERT} -w ${size} -h ${size} -o ${_w}_${size}.png ${Q8_ART_SOURCE}/app_icon.svg)
      list(APPEND _images ${_w}_${size}.png)
    endforeach()
    list(APPEND _render
      COMMAND ${Q8_RSVG_CONVERT} -w 256 -h 256 -o ${_w}_256.png ${Q8_ART_SOURCE}/app_icon.svg)
    set(_images --raw=${_w}_256.png ${_images})
    list(APPEND _sources ${Q8_ART_SOURCE}/app_icon.svg)
  endif()
  add_custom_command(
    OUTPUT ${Q8_ART_DIR}/icon_${id}.ico
    ${_render}
    COMMAND ${Q8_ICOTOOL} -c --bit-depth=32 -o ${Q8_ART_DIR}/icon_${id}.ico ${_images}
    DEPENDS ${_sources}
    COMMENT "Packing art/icon_${id}.ico"
    VERBATIM)
  list(APPEND Q8_ART_FILES ${Q8_ART_DIR}/icon_${id}.ico)
endforeach()

# Hand cursor; the hotspot is the fingertip drawn in cursor_hand.svg.
add_custom_command(
  OUTPUT ${Q8_ART_DIR}/cursor_175.cur
  COMMAND ${Q8_RSVG_CONVERT} -o ${Q8_ART_WORK}/cursor_175.png ${Q8_ART_SOURCE}/cursor_hand.svg
  COMMAND ${Q8_ICOTOOL} -c --cursor --hotspot-x=11 --hotspot-y=1 --bit-depth=32
          -o ${Q8_ART_DIR}/cursor_175.cur ${Q8_ART_WORK}/cursor_175.png
  DEPENDS ${Q8_ART_SOURCE}/cursor_hand.svg
  COMMENT "Packing art/cursor_175.cur"
  VERBATIM)
list(APPEND Q8_ART_FILES ${Q8_ART_DIR}/cursor_175.cur)

add_custom_target(q8_art DEPENDS ${Q8_ART_FILES})
