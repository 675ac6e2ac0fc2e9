# Windows build helpers: the host's model library as an import library made
# from our own list of its operations, and DLL naming as the host expects it.
include_guard(GLOBAL)

get_filename_component(qev_root ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(QEV_MODELLIB_DEF ${qev_root}/core/msModelLib.def CACHE INTERNAL "")
set(QEV_PLUGIN_EXPORTS_DEF ${qev_root}/core/plugin_exports.def CACHE INTERNAL "")

# qev_host_modellib: links against msModelLib.dll by name. The import library
# comes from core/msModelLib.def, not from any build of the library, so the
# plug-ins bind to the host's exports exactly as listed there.
function(qev_add_host_modellib_import)
  if(NOT CMAKE_DLLTOOL)
    message(FATAL_ERROR "CMAKE_DLLTOOL is not set: use cmake/mingw-w64-i686.cmake")
  endif()
  set(implib ${CMAKE_BINARY_DIR}/host-import/libmsModelLib.dll.a)
  add_custom_command(
    OUTPUT ${implib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host-import
    COMMAND ${CMAKE_DLLTOOL} --input-def ${QEV_MODELLIB_DEF} --dllname msModelLib.dll
            --output-lib ${implib}
    DEPENDS ${QEV_MODELLIB_DEF}
    COMMENT "Import library for msModelLib.dll")
  add_custom_target(qev_host_modellib_implib DEPENDS ${implib})
  add_library(qev_host_modellib INTERFACE)
  target_link_libraries(qev_host_modellib INTERFACE ${implib})
  add_dependencies(qev_host_modellib qev_host_modellib_implib)
endfunction()

# A DLL under its plain name (no "lib" prefix), exporting what def_file lists.
function(qev_windows_dll target def_file)
  target_sources(${target} PRIVATE ${def_file})
  set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
endfunction()

# nlohmann-json for the cross build (qevhost.exe): the header-only library is
# installed for the native compiler under /usr/include, which the cross
# compiler must not search as a whole (the Linux C headers live there). A
# package in the build tree exposes only its own folder, through a link.
function(qev_expose_nlohmann_json)
  set(system_package /usr/share/cmake/nlohmann_json)
  if(NOT EXISTS /usr/include/nlohmann/json.hpp OR NOT EXISTS ${system_package}/nlohmann_jsonConfigVersion.cmake)
    return()
  endif()
  set(package ${CMAKE_BINARY_DIR}/cross-packages/nlohmann_json)
  file(MAKE_DIRECTORY ${package}/include)
  file(CREATE_LINK /usr/include/nlohmann ${package}/include/nlohmann SYMBOLIC)
  configure_file(${system_package}/nlohmann_jsonConfigVersion.cmake ${package}/nlohmann_jsonConfigVersion.cmake COPYONLY)
  file(WRITE ${package}/nlohmann_jsonConfig.cmake
       "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
       "  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
       "  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES\n"
       "                        INTERFACE_INCLUDE_DIRECTORIES \"${package}/include\")\n"
       "endif()\n")
  set(nlohmann_json_DIR ${package} CACHE PATH "nlohmann-json for the cross build" FORCE)
endfunction()
