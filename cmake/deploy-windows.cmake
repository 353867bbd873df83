# Makes a folder from which the Windows programs run on a machine with
# nothing installed: the programs, the Qt plugins the wizard loads (the
# platform plugin and the Windows style) and every DLL these import that is
# not the system's (Qt's own and the compiler's runtime), found by reading
# the import tables, as windeployqt would.
#   cmake -DPROGRAMS=a.exe;b.exe -DQT_PREFIX=<Qt> -DPLUGINS=platforms/qwindows.dll;...
#         -DSEARCH=<folders holding DLLs> -DOBJDUMP=<objdump> -DSTRIP=<strip>
#         -DDESTINATION=<folder> -P deploy-windows.cmake
# The folder is made afresh beside DESTINATION and then moved into place.
cmake_minimum_required(VERSION 3.25)
foreach(variable PROGRAMS QT_PREFIX PLUGINS SEARCH OBJDUMP STRIP DESTINATION)
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

# Every DLL in the folders searched, by its name in lower case: Windows
# matches DLL names without regard to case, this file system does not.
foreach(folder ${SEARCH})
  file(GLOB candidates "${folder}/*.dll")
  foreach(candidate ${candidates})
    get_filename_component(name "${candidate}" NAME)
    string(TOLOWER "${name}" key)
    if(NOT DEFINED found_${key})
      set(found_${key} "${candidate}")
    endif()
  endforeach()
endforeach()

# The imports of each file, followed through the DLLs found; a DLL found in
# none of the folders searched is the system's.
set(pending ${PROGRAMS} ${plugin_files})
set(dlls "")
while(pending)
  list(POP_FRONT pending file)
  execute_process(COMMAND ${OBJDUMP} -p "${file}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot read the imports of ${file}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  foreach(import ${imports})
    string(REPLACE "DLL Name: " "" name "${import}")
    string(TOLOWER "${name}" key)
    if(DEFINED found_${key} AND NOT "${found_${key}}" IN_LIST dlls)
      list(APPEND dlls "${found_${key}}")
      list(APPEND pending "${found_${key}}")
    endif()
  endforeach()
endwhile()
file(COPY ${dlls} DESTINATION "${staging}")
# The compiler runtime comes with its debugging symbols: a third of the size.
file(GLOB_RECURSE copied "${staging}/*.dll" "${staging}/*.exe")
execute_process(COMMAND ${STRIP} --strip-unneeded ${copied} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot strip the deployed files")
endif()

file(REMOVE_RECURSE "${DESTINATION}")
file(RENAME "${staging}" "${DESTINATION}")
list(LENGTH dlls count)
message(STATUS "${DESTINATION}: ${count} DLLs beside the programs")
