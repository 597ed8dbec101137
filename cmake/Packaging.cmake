# Installation (cmake --install, make install PREFIX=...) and the Debian package (make package).
include(GNUInstallDirs)
# The version that --version, the About box and the package show.
target_compile_definitions(valdor_core PUBLIC VALDOR_VERSION="${PROJECT_VERSION}")
set(VALDOR_APP_ID org.valdor.VALDOR)
set(VALDOR_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/valdor)

install(TARGETS valdor-run nutasm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The demonstration firmware; a first start finds it at <bin>/../share/valdor/demo.rom and
# copies its symbol file Entries.A into the new home folder.
install(FILES ${DEMO_ROM} ${CMAKE_BINARY_DIR}/Entries.A ${CMAKE_SOURCE_DIR}/firmware/demo.asm
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
           COMMAND appstreamcli validate --no-net
                   ${CMAKE_SOURCE_DIR}/packaging/${VALDOR_APP_ID}.metainfo.xml)
  # Warnings count as failures too: the menu and software centres may ignore such files.
  set_tests_properties(desktop_entry_valid metainfo_valid
                       PROPERTIES FAIL_REGULAR_EXPRESSION "error|warning|[EW]: ")
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
set(CPACK_PACKAGE_CONTACT "VALDOR developers <valdor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Microcode-level emulator of the HP-41C/CV/CX calculators")
set(CPACK_PACKAGE_DESCRIPTION
    "VALDOR runs the HP-41 calculators' own firmware on an emulated Nut CPU, with the data RAM,\
 the LCD driver, the 41CX timer chip and the 82143A printer. It comes with a headless runner\
 (valdor-run), a microcode assembler (nutasm) and a demonstration firmware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The library dependencies are computed from the programs by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugin at run time, which no library dependency names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
