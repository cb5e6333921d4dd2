# Keeps the arrows of the layout pointing one way:
#   core (shell settings config_ui graphics animation audio) -> seam
#   embedded -> seam
#   frontends/<name> -> core, seam, embedded, its own folder
# The core and the seam include no OS header (windows.h, SDL, unistd.h, X11),
# the seam includes only itself, and no front end includes another.
# Runs at configure time and again as a test (cmake -P this file).
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()
set(QS3_CORE_ROOMS shell settings config_ui graphics animation audio)
set(QS3_OS_INCLUDE_REGEX
    "^(windows|winbase|winuser|wingdi|mmsystem|mmreg|shellapi|SDL|SDL2/SDL[A-Za-z_]*|unistd|X11/[A-Za-z]+)\\.h$")

# The rooms a file in `room` may include from (by the first folder of a
# quoted include path); "frontends" stands for the file's own front end.
function(qs3_allowed_rooms room out_var)
  if(room IN_LIST QS3_CORE_ROOMS)
    set(${out_var} ${QS3_CORE_ROOMS} seam PARENT_SCOPE)
  elseif(room STREQUAL "seam")
    set(${out_var} seam PARENT_SCOPE)
  elseif(room STREQUAL "embedded")
    set(${out_var} seam embedded PARENT_SCOPE)
  else()
    set(${out_var} ${QS3_CORE_ROOMS} seam embedded frontends PARENT_SCOPE)
  endif()
endfunction()

# One offence per line of `file` that breaks its room's rules.
function(qs3_check_file file room frontend out_var)
  set(offences)
  qs3_allowed_rooms(${room} allowed)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(path ${CMAKE_MATCH_1})
      if(NOT room STREQUAL "frontends" AND path MATCHES "${QS3_OS_INCLUDE_REGEX}")
        list(APPEND offences "${file}: OS header <${path}> in ${room}/")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(path ${CMAKE_MATCH_1})
      string(REGEX MATCH "^[^/]+" target_room "${path}")
      if(NOT path MATCHES "/" OR NOT target_room IN_LIST allowed)
        list(APPEND offences "${file}: \"${path}\" may not be included from ${room}/")
      elseif(target_room STREQUAL "frontends" AND NOT path MATCHES "^frontends/${frontend}/")
        list(APPEND offences "${file}: \"${path}\" is another front end's (from frontends/${frontend}/)")
      endif()
    endif()
  endforeach()
  set(${out_var} "${offences}" PARENT_SCOPE)
endfunction()

function(qs3_scan_layout source_dir out_var)
  set(offenders)
  file(GLOB_RECURSE files ${source_dir}/src/*.h ${source_dir}/src/*.cpp ${source_dir}/src/*.c)
  foreach(file IN LISTS files)
    file(RELATIVE_PATH relative ${source_dir}/src ${file})
    string(REGEX MATCH "^[^/]+" room "${relative}")
    set(frontend "")
    if(room STREQUAL "frontends")
      string(REGEX MATCH "^frontends/([^/]+)/" _ "${relative}")
      set(frontend ${CMAKE_MATCH_1})
    elseif(NOT room IN_LIST QS3_CORE_ROOMS AND NOT room STREQUAL "seam"
           AND NOT room STREQUAL "embedded")
      list(APPEND offenders "${file}: src/${room}/ is no room of the layout")
      continue()
    endif()
    qs3_check_file(${file} ${room} "${frontend}" offences)
    list(APPEND offenders ${offences})
  endforeach()
  set(${out_var} "${offenders}" PARENT_SCOPE)
endfunction()

function(qs3_fail_on_offenders offenders)
  if(offenders)
    string(REPLACE ";" "\n" text "${offenders}")
    message(FATAL_ERROR "The layout's include rules are broken:\n${text}")
  endif()
endfunction()

macro(qs3_check_layout)
  qs3_scan_layout(${PROJECT_SOURCE_DIR} offenders)
  qs3_fail_on_offenders("${offenders}")
endmacro()

# Script mode: cmake -DQS3_SOURCE_DIR=... -P LayoutCheck.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND QS3_SOURCE_DIR)
  qs3_scan_layout(${QS3_SOURCE_DIR} offenders)
  qs3_fail_on_offenders("${offenders}")
  message(STATUS "the layout's include rules hold")
endif()
