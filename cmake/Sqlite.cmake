# Pinvane links the system's winsqlite3.dll through an import library made from
# our own .def; the header is Debian's.
set(SQLITE_HEADER /usr/include/sqlite3.h CACHE FILEPATH "sqlite3.h to compile against")
set(sqlite_include ${CMAKE_BINARY_DIR}/sqlite/include)
configure_file(${SQLITE_HEADER} ${sqlite_include}/sqlite3.h COPYONLY)

set(sqlite_def ${PROJECT_SOURCE_DIR}/pinvane/firefox/winsqlite3.def)
set(sqlite_implib ${CMAKE_BINARY_DIR}/sqlite/libwinsqlite3.a)
add_custom_command(
  OUTPUT ${sqlite_implib}
  COMMAND ${CMAKE_DLLTOOL} -d ${sqlite_def} -D winsqlite3.dll -l ${sqlite_implib}
  DEPENDS ${sqlite_def}
  COMMENT "Import library for winsqlite3.dll")
add_custom_target(winsqlite3_implib DEPENDS ${sqlite_implib})

add_library(winsqlite3 STATIC IMPORTED GLOBAL)
set_target_properties(winsqlite3 PROPERTIES IMPORTED_LOCATION ${sqlite_implib}
                                            INTERFACE_INCLUDE_DIRECTORIES ${sqlite_include})
add_dependencies(winsqlite3 winsqlite3_implib)

# Wine has no winsqlite3.dll: build one from Debian's sqlite3 source package
# (once, cached) and put it beside the executables in bin/.
set(sqlite_dll ${CMAKE_BINARY_DIR}/bin/winsqlite3.dll)
add_custom_command(
  OUTPUT ${sqlite_dll}
  COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/build-winsqlite3.sh ${sqlite_dll}
          ${CMAKE_BINARY_DIR}/cache
  DEPENDS ${PROJECT_SOURCE_DIR}/scripts/build-winsqlite3.sh
  COMMENT "winsqlite3.dll for Wine (from Debian's sqlite3 source, cached)"
  USES_TERMINAL)
add_custom_target(winsqlite3_dll ALL DEPENDS ${sqlite_dll})
