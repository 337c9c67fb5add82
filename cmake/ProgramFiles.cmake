# The files of a program folder, listed once.
#
# The build stages them in build/stage/share/tarvex:
#   cs.ini, cllb.txt, pic/, temp1/   data/runtime as it stands
#   help/                            the user manual (data/help) and the pictures of docs/ it shows
#   demo/                            the demo project and the SQL of its price tables
#   newdb.sqlite                     the working database holding the demo prices
#   xltDb.sqlite                     the drawing library holding the demo templates
# `cmake --install` ships that folder as share/tarvex; an installed program
# fills the user's folder from it on first start. The build tree's own program
# folder (build/) and the demo folder of scripts/run are filled from it by
# FillFolder.cmake, which never overwrites what they hold.

set(TARVEX_STAGE_DIR ${CMAKE_BINARY_DIR}/stage/share/tarvex)
file(GLOB TARVEX_MANUAL_PICTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.png)
list(FILTER TARVEX_MANUAL_PICTURES EXCLUDE REGEX "/manual\\.png$")
file(GLOB_RECURSE TARVEX_MANUAL_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/help/*)
file(GLOB_RECURSE TARVEX_RUNTIME_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/runtime/*)
set(TARVEX_DEMO_FILES ${CMAKE_SOURCE_DIR}/data/demo/demo.xdt ${CMAKE_SOURCE_DIR}/data/demo/prices.sql)

add_custom_command(OUTPUT ${TARVEX_STAGE_DIR}/cs.ini
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TARVEX_STAGE_DIR}/help
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/runtime ${TARVEX_STAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TARVEX_STAGE_DIR}/temp1/.keep
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/help ${TARVEX_STAGE_DIR}/help
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVEX_STAGE_DIR}/help/pictures ${TARVEX_STAGE_DIR}/demo
  COMMAND ${CMAKE_COMMAND} -E copy ${TARVEX_MANUAL_PICTURES} ${TARVEX_STAGE_DIR}/help/pictures
  COMMAND ${CMAKE_COMMAND} -E copy ${TARVEX_DEMO_FILES} ${TARVEX_STAGE_DIR}/demo
  DEPENDS ${TARVEX_RUNTIME_FILES} ${TARVEX_MANUAL_FILES} ${TARVEX_MANUAL_PICTURES} ${TARVEX_DEMO_FILES}
  COMMENT "Staging the program folder's files in share/tarvex")

add_custom_command(OUTPUT ${TARVEX_STAGE_DIR}/newdb.sqlite
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TARVEX_STAGE_DIR}/newdb.sqlite
  COMMAND ${CMAKE_COMMAND} -E env --unset=TARVEX_HOME QT_QPA_PLATFORM=offscreen
    $<TARGET_FILE:tarvex-cli> --home ${TARVEX_STAGE_DIR} init --seed ${CMAKE_SOURCE_DIR}/data/demo/prices.sql
  DEPENDS tarvex-cli ${TARVEX_STAGE_DIR}/cs.ini ${CMAKE_SOURCE_DIR}/data/demo/prices.sql
  COMMENT "Making the working database with the demo prices")

add_custom_command(OUTPUT ${TARVEX_STAGE_DIR}/xltDb.sqlite
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TARVEX_STAGE_DIR}/xltDb.sqlite
  COMMAND ${CMAKE_COMMAND} -E env --unset=TARVEX_HOME QT_QPA_PLATFORM=offscreen
    $<TARGET_FILE:tarvex-cli> --home ${TARVEX_STAGE_DIR} library demo
  DEPENDS tarvex-cli ${TARVEX_STAGE_DIR}/cs.ini
  COMMENT "Making the drawing library with the demo templates")

add_custom_target(program_files ALL
  COMMAND ${CMAKE_COMMAND} -DFROM=${TARVEX_STAGE_DIR} -DTO=${CMAKE_BINARY_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/FillFolder.cmake
  DEPENDS ${TARVEX_STAGE_DIR}/cs.ini ${TARVEX_STAGE_DIR}/newdb.sqlite ${TARVEX_STAGE_DIR}/xltDb.sqlite
  COMMENT "Filling the build tree's program folder")
