# Fails when a file under SOURCE_DIR/src/platform includes a header of a room above it: the platform
# is the bottom layer and knows only the system and the standard library.
file(GLOB_RECURSE platform_files "${SOURCE_DIR}/src/platform/*")
foreach(path IN LISTS platform_files)
  file(STRINGS "${path}" upward REGEX "^#include \"(base|args|board|listing)/")
  if(upward)
    message(SEND_ERROR "${path} reaches above the platform: ${upward}")
  endif()
endforeach()
