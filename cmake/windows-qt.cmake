# The Windows build of the wizard uses the Qt that scripts/build-qt-mingw.sh
# cross-builds into its cache folder, with the build host's Qt tools (moc,
# rcc, uic) as host tools. Without that folder only tesscli.exe is built.
# Sets TESSALY_QT_MINGW_FOUND, and TESSALY_WINDOWS_DLL_FOLDERS: where the
# DLLs the wizard's programs import are found (Qt's, the compiler runtime's).
set(TESSALY_QT_MINGW "" CACHE PATH
    "Qt built for mingw-w64 by scripts/build-qt-mingw.sh (empty: where the script puts it)")

set(qt_folder "${TESSALY_QT_MINGW}")
if(NOT qt_folder)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-qt-mingw.sh --where
                  OUTPUT_VARIABLE qt_folder OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

# The script moves the folder into place only once it is complete.
if(qt_folder AND EXISTS "${qt_folder}/lib/cmake/Qt6/Qt6Config.cmake")
  set(TESSALY_QT_MINGW_FOUND ON)
  set(TESSALY_QT_MINGW_PREFIX "${qt_folder}")
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake)
  list(APPEND CMAKE_PREFIX_PATH "${qt_folder}")
  list(APPEND CMAKE_FIND_ROOT_PATH "${qt_folder}")
  set(TESSALY_WINDOWS_DLL_FOLDERS "${qt_folder}/bin")
  foreach(runtime libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(runtime_folder "${runtime_path}" DIRECTORY)
    get_filename_component(runtime_folder "${runtime_folder}" REALPATH)
    list(APPEND TESSALY_WINDOWS_DLL_FOLDERS "${runtime_folder}")
  endforeach()
  message(STATUS "Qt for mingw-w64: ${qt_folder}")
else()
  set(TESSALY_QT_MINGW_FOUND OFF)
  message(STATUS "No Qt for mingw-w64 in '${qt_folder}' (scripts/build-qt-mingw.sh builds it): "
                 "tesscli.exe only")
endif()
