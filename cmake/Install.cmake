# Install rules (cmake --install, GNUInstallDirs) and the Debian package
# (make deb: CPack, dependencies from dpkg-shlibdeps).
include(GNUInstallDirs)

set(kt_programs kt4470ctl)
foreach(t kt4470 kt4470-sim)
  if(TARGET ${t})
    list(APPEND kt_programs ${t})
  endif()
endforeach()
install(TARGETS ${kt_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES LICENSE README.md packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

# The man pages, made from the --help texts beside their templates.
add_subdirectory(tools/man)
set(kt_man_templates kt4470ctl ${CMAKE_SOURCE_DIR}/tools/ctl/kt4470ctl.1.in)
if(TARGET kt4470)
  list(APPEND kt_man_templates kt4470 ${CMAKE_SOURCE_DIR}/src/app/kt4470.1.in)
endif()
if(TARGET kt4470-sim)
  list(APPEND kt_man_templates kt4470-sim ${CMAKE_SOURCE_DIR}/tools/sim/kt4470-sim.1.in)
endif()
while(kt_man_templates)
  list(POP_FRONT kt_man_templates program template)
  kt_man_page(${program} ${template})
endwhile()

if(TARGET kt4470)
  set(kt_app_id org.kt4470.Terminal)
  install(FILES packaging/${kt_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/${kt_app_id}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES packaging/${kt_app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kt4470)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the KT4470 terminal developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "terminal of the KT4470QD25E GSM telemetry module")
# One line each in the package's description.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A desktop terminal with which a field technician configures and services the"
  "KT4470QD25E GSM telemetry and alarm module, directly over a serial line or"
  "remotely by SMS through a GSM modem."
  ""
  "With kt4470ctl, a command-line companion (SMS PDUs, settings files,"
  "provisioning), and kt4470-sim, a simulated module and GSM modem on a"
  "pseudo-terminal.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the KT4470 terminal developers")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
