# Installation (cmake --install, make install PREFIX=...) and the Debian package (make package).
include(GNUInstallDirs)
# The version that --version, the About box and the package show.
target_compile_definitions(valdor_core PUBLIC VALDOR_VERSION="${PROJECT_VERSION}")
set(VALDOR_APP_ID org.valdor.VALDOR)
set(VALDOR_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/valdor)

install(TARGETS valdor-run nutasm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The RPN firmware; a first start finds it at <bin>/../share/valdor/rpn.rom and copies its
# symbol file Entries.A into the new home folder. The demonstration firmware comes along, with
# its source and symbols, to be read.
install(FILES ${RPN_ROM} ${CMAKE_BINARY_DIR}/Entries.A ${DEMO_ROM} ${CMAKE_BINARY_DIR}/demo.sym
              ${CMAKE_SOURCE_DIR}/firmware/demo.asm
        DESTINATION ${VALDOR_SHARE_DIR})

if(TARGET VALDOR)
  install(TARGETS VALDOR RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/${VALDOR_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/${VALDOR_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon is drawn by code at build time, at every size of the hicolor theme we ship.
  add_executable(valdor-icon ${CMAKE_SOURCE_DIR}/packaging/valdor-icon.cpp)
  target_link_libraries(valdor-icon PRIVATE Qt6::Gui)
  set(ICON_DIR ${CMAKE_BINARY_DIR}/icons)
  set(ICON_FILES)
  foreach(size 48 128 256)
    list(APPEND ICON_FILES ${ICON_DIR}/${size}x${size}/apps/${VALDOR_APP_ID}.png)
  endforeach()
  add_custom_command(OUTPUT ${ICON_FILES}
    COMMAND valdor-icon ${ICON_DIR}
    DEPENDS valdor-icon
    COMMENT "Drawing the icon"
    VERBATIM)
  add_custom_target(valdor_icons ALL DEPENDS ${ICON_FILES})
  install(DIRECTORY ${ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

  add_test(NAME desktop_entry_valid
           COMMAND desktop-file-validate ${CMAKE_SOURCE_DIR}/packaging/${VALDOR_APP_ID}.desktop)
  add_test(NAME metainfo_valid
           COMMAND appstreamcli validate --no-net --pedantic
                   ${CMAKE_SOURCE_DIR}/packaging/${VALDOR_APP_ID}.metainfo.xml)
  # Warnings count as failures too: the menu and software centres may ignore such files.
  set_tests_properties(desktop_entry_valid metainfo_valid
                       PROPERTIES FAIL_REGULAR_EXPRESSION "error|warning|[EW]: ")
endif()

# The licence, the machine-readable copyright and the changelog, as a distribution keeps them.
set(VALDOR_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/valdor)
set(CHANGELOG_GZ ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/debian/changelog > ${CHANGELOG_GZ}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/debian/changelog
  VERBATIM)
add_custom_target(valdor_docs ALL DEPENDS ${CHANGELOG_GZ})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${CHANGELOG_GZ}
        DESTINATION ${VALDOR_DOC_DIR})

# Manual pages, generated from each program's --help and --version.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(MAN_PAGES)
  set(man_programs valdor-run nutasm)
  set(man_name_valdor-run "run HP-41 firmware headless, for tests and ROM authors")
  set(man_name_nutasm "assemble Nut CPU microcode into a module image")
  set(man_name_VALDOR "emulator of the HP-41C, HP-41CV and HP-41CX calculators")
  if(TARGET VALDOR)
    list(APPEND man_programs VALDOR)
  endif()
  foreach(program ${man_programs})
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${HELP2MAN} --no-info
              --no-discard-stderr --name ${man_name_${program}}
              --output ${CMAKE_BINARY_DIR}/man/${program}.1 $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/${program}.1
      DEPENDS ${program}
      COMMENT "Writing the manual page of ${program}"
      VERBATIM)
    list(APPEND MAN_PAGES ${page})
  endforeach()
  add_custom_target(valdor_man ALL DEPENDS ${MAN_PAGES})
  install(FILES ${MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: no manual pages (scripts/install-deps installs it)")
endif()

add_test(NAME installed_run
         COMMAND ${CMAKE_SOURCE_DIR}/tests/packaging/installed-run.sh ${CMAKE_BINARY_DIR}
                 ${CMAKE_COMMAND} $<TARGET_EXISTS:VALDOR>)

# cpack (and the install target) would otherwise build everything, the test suites included;
# make install and make package build just the installed targets first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME valdor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VALDOR developers <valdor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Microcode-level emulator of the HP-41C/CV/CX calculators")
# The extended description, wrapped as a Debian control file wants it (each line under 80).
set(CPACK_PACKAGE_DESCRIPTION
    "VALDOR runs the HP-41 calculators' own firmware on an emulated Nut CPU,
with the data RAM, the LCD driver, the 41CX timer chip and the 82143A
thermal printer. It comes with an open firmware of its own that makes
it a scientific RPN calculator, a headless runner (valdor-run), a
microcode assembler (nutasm) and a demonstration firmware.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The library dependencies are computed from the programs by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugin at run time, which no library dependency names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
