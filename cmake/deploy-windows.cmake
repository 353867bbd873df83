# Makes a folder from which the Windows programs run on a machine with
# nothing installed: the programs, the Qt plugins the wizard loads (the
# platform plugin and the Windows style) and every DLL these import that is
# not the system's (Qt's own and the compiler's runtime), found by reading
# the import tables, as windeployqt would.
#   cmake -DPROGRAMS=a.exe;b.exe -DQT_PREFIX=<Qt> -DPLUGINS=platforms/qwindows.dll;...
#         -DSEARCH=<folders holding DLLs> -DOBJDUMP=<objdump> -DDESTINATION=<folder>
#         -P deploy-windows.cmake
# The folder is made afresh beside DESTINATION and then moved into place.
foreach(variable PROGRAMS QT_PREFIX PLUGINS SEARCH OBJDUMP DESTINATION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "deploy-windows.cmake: ${variable} is not set")
  endif()
endforeach()

set(staging "${DESTINATION}.new")
file(REMOVE_RECURSE "${staging}")
file(MAKE_DIRECTORY "${staging}")
file(COPY ${PROGRAMS} DESTINATION "${staging}")

set(plugin_files "")
foreach(plugin ${PLUGINS})
  get_filename_component(kind "${plugin}" DIRECTORY)
  file(COPY "${QT_PREFIX}/plugins/${plugin}" DESTINATION "${staging}/${kind}")
  list(APPEND plugin_files "${QT_PREFIX}/plugins/${plugin}")
endforeach()

set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${OBJDUMP}")
# A DLL found in none of the folders searched is the system's.
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${PROGRAMS}
  LIBRARIES ${plugin_files}
  DIRECTORIES ${SEARCH}
  RESOLVED_DEPENDENCIES_VAR dlls
  UNRESOLVED_DEPENDENCIES_VAR system_dlls)
file(COPY ${dlls} DESTINATION "${staging}")

file(REMOVE_RECURSE "${DESTINATION}")
file(RENAME "${staging}" "${DESTINATION}")
list(LENGTH dlls count)
message(STATUS "${DESTINATION}: ${count} DLLs beside the programs")
