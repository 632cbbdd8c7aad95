# lyra_windows_resources(<target> DESCRIPTION <text>): gives a Windows program the project's icon
# (desktop/icons/png made into one .ico at build time with ImageMagick) and version
# information from the project's version.
set(lyra_icon_pngs)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND lyra_icon_pngs ${PROJECT_SOURCE_DIR}/desktop/icons/png/lyraphone-${size}.png)
endforeach()
set(LYRA_ICO ${CMAKE_BINARY_DIR}/windows/lyraphone.ico)

function(lyra_windows_resources target)
  cmake_parse_arguments(ARG "" "DESCRIPTION" "" ${ARGN})
  if(NOT TARGET lyra_windows_icon)
    # ImageMagick 7's magick, or 6's convert; on a Windows host only magick, as convert.exe
    # there is the system's file-system converter.
    if(CMAKE_HOST_WIN32)
      find_program(LYRA_CONVERT NAMES magick REQUIRED)
    else()
      find_program(LYRA_CONVERT NAMES convert magick REQUIRED)
    endif()
    add_custom_command(OUTPUT ${LYRA_ICO}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/windows
      COMMAND ${LYRA_CONVERT} ${lyra_icon_pngs} ${LYRA_ICO}
      DEPENDS ${lyra_icon_pngs} VERBATIM)
    add_custom_target(lyra_windows_icon DEPENDS ${LYRA_ICO})
  endif()
  set(LYRA_RC_NAME ${target})
  set(LYRA_RC_DESCRIPTION "${ARG_DESCRIPTION}")
  set(LYRA_RC_ICON_LINE "1 ICON \"${LYRA_ICO}\"")
  set(rc ${CMAKE_BINARY_DIR}/windows/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows-resources.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${LYRA_ICO})
  add_dependencies(${target} lyra_windows_icon)
endfunction()
