# The layout check fires: each row writes a small source tree with one file
# and scans it. A tree that keeps the rules passes; each broken rule is found.
#   cmake -DQS3_SOURCE_DIR=... -DWORK_DIR=... -P layout_check_fires.cmake
cmake_minimum_required(VERSION 3.25)
include(${QS3_SOURCE_DIR}/cmake/LayoutCheck.cmake)

# file | its first include line | expected: "ok" or a word of the offence
set(rows
  "graphics/a.h|#include \"seam/types.h\"|ok"
  "graphics/a.h|#include \"audio/music_player.h\"|ok"
  "graphics/a.h|#include <vector>|ok"
  "graphics/a.h|#include <windows.h>|OS header"
  "shell/a.cpp|#include <SDL.h>|OS header"
  "audio/a.h|#  include <X11/Xlib.h>|OS header"
  "settings/a.cpp|#include <unistd.h>|OS header"
  "graphics/a.h|#include \"frontends/win32/win32_host.h\"|may not be included"
  "animation/a.h|#include \"frontends/headless/headless_run.h\"|may not be included"
  "config_ui/a.h|#include \"embedded/embedded_resources.h\"|may not be included"
  "shell/a.h|#include \"bare_name.h\"|may not be included"
  "seam/a.h|#include \"graphics/sheet_bitmaps.h\"|may not be included"
  "seam/a.h|#include <mmsystem.h>|OS header"
  "embedded/a.cpp|#include \"shell/entry.h\"|may not be included"
  "frontends/sdl/a.cpp|#include <SDL.h>|ok"
  "frontends/sdl/a.cpp|#include \"frontends/sdl/sdl_host.h\"|ok"
  "frontends/sdl/a.cpp|#include \"graphics/draw_list.h\"|ok"
  "frontends/sdl/a.cpp|#include \"embedded/embedded_resources.h\"|ok"
  "frontends/sdl/a.cpp|#include \"frontends/win32/win32_gdi.h\"|another front end"
  "frontends/headless/a.h|#include \"frontends/sdl/launch_args.h\"|another front end"
  "platform/a.h|#include \"seam/types.h\"|no room")

set(failures 0)
set(index 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 path)
  list(GET fields 1 include_line)
  list(GET fields 2 expected)
  set(tree ${WORK_DIR}/layout_case_${index})
  math(EXPR index "${index} + 1")
  file(REMOVE_RECURSE ${tree})
  file(WRITE ${tree}/src/${path} "// fixture\n${include_line}\n")
  qs3_scan_layout(${tree} offenders)
  file(REMOVE_RECURSE ${tree})
  if(expected STREQUAL "ok")
    if(offenders)
      message(SEND_ERROR "${path} with ${include_line}: expected no offence, got ${offenders}")
      math(EXPR failures "${failures} + 1")
    endif()
  elseif(NOT offenders MATCHES "${expected}")
    message(SEND_ERROR "${path} with ${include_line}: expected '${expected}', got '${offenders}'")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
list(LENGTH rows total)
if(failures)
  message(FATAL_ERROR "${failures} of ${total} layout rows wrong")
endif()
message(STATUS "all ${total} layout rows as expected")
