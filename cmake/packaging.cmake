# Man pages and the Debian package.

# Each program's man page is its --help, formatted by help2man when that is installed, and
# compressed as Debian keeps man pages.
find_program(VARLUME_HELP2MAN help2man)
set(varlume_man_pages)
if(VARLUME_HELP2MAN)
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(summary_varlume-run "run the Commodore 264 family emulator without a window")
  set(summary_varlume "emulate a Commodore 16, 116 or Plus/4 in a window")
  foreach(program varlume-run varlume)
    if(NOT TARGET ${program})
      continue()
    endif()
    add_custom_command(OUTPUT ${man_dir}/${program}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
      COMMAND ${VARLUME_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
              --name=${summary_${program}} --output=${man_dir}/${program}.1 $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${man_dir}/${program}.1
      DEPENDS ${program}
      VERBATIM)
    list(APPEND varlume_man_pages ${man_dir}/${program}.1.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${varlume_man_pages})
  install(FILES ${varlume_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no man pages")
endif()

# cmake --build build --target package: varlume_VERSION_ARCH.deb with what cmake --install
# installs, under /usr, its library dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varlume)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Varlume developers <varlume@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Emulator of the Commodore 264 family (C16, C116, Plus/4)")
set(CPACK_PACKAGE_DESCRIPTION "Varlume emulates the Commodore 16, 116 and Plus/4 with their disk drives and tape,
with a debugger, and runs programs headless (varlume-run) for tests and scripts. The machine's
ROM images are not included: on its first start the program says where to put them and how
the bundled script fetches them.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "nodejs, npm")
include(CPack)
