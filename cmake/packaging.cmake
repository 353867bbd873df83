# The packages people install, made by CPack from the install rules:
#   cmake --build --preset default --target package   tessaly_<version>_amd64.deb
#   cmake --build --preset windows --target package   tessaly-<version>-win64.zip
# The version is the project's own, the one both programs print.

# What the packages hold beside the programs (their own install rules).
file(GLOB docs ${PROJECT_SOURCE_DIR}/docs/*.md)
list(PREPEND docs ${PROJECT_SOURCE_DIR}/README.md)
if(WIN32)
  # The manual page as plain text, with Windows line ends.
  find_program(GROFF_PROGRAM groff REQUIRED)
  set(manual_text ${CMAKE_BINARY_DIR}/tesscli.txt)
  add_custom_command(OUTPUT ${manual_text}
    COMMAND ${CMAKE_COMMAND} -DGROFF=${GROFF_PROGRAM} -DPAGE=${PROJECT_SOURCE_DIR}/docs/tesscli.1
            -DTEXT=${manual_text} -P ${PROJECT_SOURCE_DIR}/cmake/text_manual.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/tesscli.1 ${PROJECT_SOURCE_DIR}/cmake/text_manual.cmake)
  add_custom_target(manual_text ALL DEPENDS ${manual_text})
  if(TARGET tesswiz)
    set(TESSALY_ZIP_WIZARD_NOTE
        "tesswiz.exe, the wizard, runs tesscli.exe from this folder. The DLLs and the\r\nplatforms and styles folders beside it are the Qt and compiler runtime it\r\nneeds: keep them together.")
  else()
    set(TESSALY_ZIP_WIZARD_NOTE
        "The wizard, tesswiz, is not in this zip yet: it is built for Linux only.")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README-windows.txt.in
                 ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/INSTALL.txt ${CMAKE_BINARY_DIR}/INSTALL.txt
                 @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${manual_text} ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/INSTALL.txt
                ${docs}
          DESTINATION .)
else()
  # Debian wants manual pages and the changelog compressed, reproducibly.
  set(compressed ${CMAKE_BINARY_DIR}/compressed)
  set(compressed_files)
  foreach(source docs/tesscli.1 docs/tesswiz.1 packaging/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${compressed}/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
      COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${source} > ${compressed}/${name}.gz
      DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
    list(APPEND compressed_files ${compressed}/${name}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed_files})
  set(docdir ${CMAKE_INSTALL_DATADIR}/doc/tessaly)
  install(FILES ${compressed}/tesscli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  if(TARGET tesswiz)
    install(FILES ${compressed}/tesswiz.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  install(FILES ${docs} ${PROJECT_SOURCE_DIR}/packaging/copyright ${compressed}/changelog.gz
          DESTINATION ${docdir})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${docdir})
endif()

set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VENDOR "The Tessaly developers")
set(CPACK_PACKAGE_CONTACT "The Tessaly developers <tessaly@tessaly.dev>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert CodeWarrior projects into Vexa/Vexa++ analysis projects")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "tessaly-${PROJECT_VERSION}-win64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Depends comes from the binaries' own libraries (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "tesscli reads a CodeWarrior IDE project, its binary .mcp file or its XML\n"
      "export, and writes an analysis project for the Vexa/Vexa++ static\n"
      "analysers: a .prj file whose folders mirror the project's targets and\n"
      "groups, and personality files with each target's include paths and\n"
      "macro definitions. tesswiz is a four-page wizard that collects the same\n"
      "parameters, runs tesscli and shows its log.")
  string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
endif()

include(CPack)
