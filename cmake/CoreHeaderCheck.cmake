# Keeps OS and SDL headers out of the portable core: the core talks to the OS
# only through the interfaces in src/platform/*.h. Runs at configure time and
# again as a test (cmake -P this file).
set(QS3_FORBIDDEN_INCLUDE_REGEX
    "#[ \t]*include[ \t]*[<\"](windows|winbase|winuser|wingdi|mmsystem|SDL|SDL2/SDL|unistd|X11/[A-Za-z]+)\\.h[>\"]")

function(qs3_scan_core_headers source_dir out_var)
  set(offenders)
  file(GLOB_RECURSE files
       ${source_dir}/src/shell/* ${source_dir}/src/settings/* ${source_dir}/src/config_ui/*
       ${source_dir}/src/graphics/* ${source_dir}/src/animation/* ${source_dir}/src/audio/*)
  file(GLOB seam_headers ${source_dir}/src/platform/*.h)
  foreach(file IN LISTS files seam_headers)
    file(STRINGS ${file} hits REGEX "${QS3_FORBIDDEN_INCLUDE_REGEX}")
    if(hits)
      list(APPEND offenders "${file}: ${hits}")
    endif()
  endforeach()
  set(${out_var} "${offenders}" PARENT_SCOPE)
endfunction()

macro(qs3_check_core_headers)
  qs3_scan_core_headers(${PROJECT_SOURCE_DIR} offenders)
  if(offenders)
    message(FATAL_ERROR "OS headers in the portable core:\n${offenders}")
  endif()
endmacro()

# Script mode: cmake -DQS3_SOURCE_DIR=... -P CoreHeaderCheck.cmake
if(CMAKE_SCRIPT_MODE_FILE AND QS3_SOURCE_DIR)
  qs3_scan_core_headers(${QS3_SOURCE_DIR} offenders)
  if(offenders)
    message(FATAL_ERROR "OS headers in the portable core:\n${offenders}")
  endif()
  message(STATUS "core is free of OS headers")
endif()
