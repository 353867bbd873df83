# The Windows build of the wizard's tests runs under Wine on the build host,
# in a Wine prefix of its own, with the DLLs of Qt and of the compiler's
# runtime found through Wine's PATH. Included before the tests are made:
# every test program's command then starts under Wine.
find_program(WINE_PROGRAM wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
# Wine shows the build host's root as drive Z:, and hands the programs it
# starts no QT_ variable of the build host's: WINEQT_X becomes their QT_X.
set(host_drive "Z:")
set(qt_variable WINE)

set(wine_path "")
foreach(folder ${TESSALY_WINDOWS_DLL_FOLDERS})
  string(APPEND wine_path "${host_drive}${folder}\\;")
endforeach()
# The offscreen platform draws text with the fonts of a folder: the build
# host's DejaVu fonts, which it uses on Linux too.
set(wizard_test_environment
  WINEPREFIX=${CMAKE_CURRENT_BINARY_DIR}/wineprefix WINEDEBUG=-all "WINEPATH=${wine_path}"
  WINEQT_QPA_FONTDIR=${host_drive}/usr/share/fonts/truetype/dejavu)

# The prefix is made once, before the first test.
set(wizard_test_fixture wine_prefix)
add_test(NAME wizard_wine_prefix COMMAND ${WINE_PROGRAM} wineboot -i)
set_tests_properties(wizard_wine_prefix PROPERTIES
  ENVIRONMENT "${wizard_test_environment}"
  FIXTURES_SETUP wine_prefix
  TIMEOUT 300)

# The deploy folder runs as it is, with its own DLLs and platform plugin
# alone (no WINEPATH): a missing DLL or plugin ends the program with an
# error status.
add_test(NAME wizard_deploy_folder
         COMMAND ${WINE_PROGRAM} ${PROJECT_BINARY_DIR}/deploy/tesswiz.exe --version)
set_tests_properties(wizard_deploy_folder PROPERTIES
  ENVIRONMENT "WINEPREFIX=${CMAKE_CURRENT_BINARY_DIR}/wineprefix;WINEDEBUG=-all"
  FIXTURES_REQUIRED wine_prefix
  TIMEOUT 120)
