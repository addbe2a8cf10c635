# cmake -DLEVELS_DIR=.. -DDEST_DIR=.. -P linklevels.cmake
# Makes DEST_DIR (the game directory's level folder) a symbolic link to LEVELS_DIR, so that the levels a
# designer makes live outside the build. A real folder already there holds levels made before: it is moved
# aside, never deleted.
if(IS_SYMLINK ${DEST_DIR})
  file(READ_SYMLINK ${DEST_DIR} current)
  if(current STREQUAL LEVELS_DIR)
    return()
  endif()
  file(REMOVE ${DEST_DIR})
elseif(EXISTS ${DEST_DIR})
  set(aside ${DEST_DIR}.before-link)
  if(EXISTS ${aside})
    message(FATAL_ERROR "${DEST_DIR} is a folder and ${aside} exists too: move the levels you want to keep "
                        "into ${LEVELS_DIR} and remove both")
  endif()
  file(RENAME ${DEST_DIR} ${aside})
  message(WARNING "The levels in ${DEST_DIR} are kept in ${aside}; the level folder is now ${LEVELS_DIR}")
endif()
get_filename_component(parent ${DEST_DIR} DIRECTORY)
file(MAKE_DIRECTORY ${parent})
file(CREATE_LINK ${LEVELS_DIR} ${DEST_DIR} SYMBOLIC)
message(STATUS "Level folder ${DEST_DIR} links to ${LEVELS_DIR}")
