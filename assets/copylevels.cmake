# cmake -DSOURCE_DIR=.. -DDEST_DIR=.. -P copylevels.cmake
# Copies each sample level to DEST_DIR unless a file of that name is already there.
file(MAKE_DIRECTORY "${DEST_DIR}")
file(GLOB levels RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/level*.txt")
foreach(level IN LISTS levels)
  if(NOT EXISTS "${DEST_DIR}/${level}")
    file(COPY "${SOURCE_DIR}/${level}" DESTINATION "${DEST_DIR}")
    message(STATUS "Sample level ${level} laid out in ${DEST_DIR}")
  endif()
endforeach()
