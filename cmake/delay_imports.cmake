# q8_delay_import(<target> <dll>...): <target> loads each named system DLL on
# first use instead of at start-up. A program that restricts where DLLs come
# from (SetDefaultDllDirectories) can only protect what loads after it has
# done so; the DLLs resolved before its first line run are searched for
# beside the program first, unless the system knows them. Each <dll> is a
# base name ("gdiplus"); its delay-load library is made from MinGW's import
# library by cmake/make-delaylib.sh.
find_program(Q8_DLLTOOL ${Q8_MINGW_TRIPLE}-dlltool REQUIRED)
find_program(Q8_NM ${Q8_MINGW_TRIPLE}-nm REQUIRED)

function(q8_delay_import target)
  set(libs "")
  foreach(dll ${ARGN})
    set(out ${CMAKE_BINARY_DIR}/delayimp/lib${dll}_delay.a)
    if(NOT TARGET q8_delaylib_${dll})
      find_library(Q8_IMPLIB_${dll} ${dll} REQUIRED)
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayimp
        COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/make-delaylib.sh ${Q8_NM} ${Q8_DLLTOOL} ${Q8_IMPLIB_${dll}} ${dll}.dll ${out}
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make-delaylib.sh
        COMMENT "Delay-load library for ${dll}.dll"
        VERBATIM)
      add_custom_target(q8_delaylib_${dll} DEPENDS ${out})
    endif()
    add_dependencies(${target} q8_delaylib_${dll})
    list(APPEND libs ${out})
  endforeach()
  # Linked after the program's own libraries and ahead of the import
  # libraries that those bring along, so that their calls bind to the
  # delay-load thunks: list the libraries before calling this.
  target_link_libraries(${target} PRIVATE ${libs} delayimp)
endfunction()
