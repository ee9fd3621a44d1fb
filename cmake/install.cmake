# Installing and packaging: the plug-in goes where Linux hosts look for VST 2.4
# plug-ins, orvan-render into bin/. `cmake --install BUILD [--prefix P]` installs both,
# `cpack -G DEB` in the build folder makes the Debian package.
include(GNUInstallDirs)

# Hosts search lib/vst under /usr and /usr/local, not the multiarch library folder.
set(ORVAN_VST_DIR "lib/vst" CACHE STRING
    "Folder for OrvanEq.so: relative to the install prefix, or absolute (~/.vst, say)")
set(orvan_vst_dir "${ORVAN_VST_DIR}")
if(orvan_vst_dir MATCHES "^~(/|$)")
  string(REGEX REPLACE "^~" "$ENV{HOME}" orvan_vst_dir "${orvan_vst_dir}")
endif()

install(TARGETS OrvanEq LIBRARY DESTINATION "${orvan_vst_dir}" COMPONENT orvan)

if(TARGET orvan-render)
  install(TARGETS orvan-render RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT orvan)
  # The installed tool finds the installed plug-in: the plug-in folder as seen from bin/.
  if(IS_ABSOLUTE "${orvan_vst_dir}")
    set(orvan_vst_from_bin "${orvan_vst_dir}")
  elseif(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(orvan_vst_from_bin "${CMAKE_INSTALL_PREFIX}/${orvan_vst_dir}")
  else()
    file(RELATIVE_PATH orvan_vst_from_bin "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${orvan_vst_dir}")
  endif()
  target_compile_definitions(orvan-render PRIVATE ORVAN_INSTALLED_VST_DIR="${orvan_vst_from_bin}")
endif()

# ---- Debian package: cpack -G DEB ----------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvan-eq)
set(CPACK_PACKAGE_VENDOR "Lumetra")
set(CPACK_PACKAGE_CONTACT "Lumetra")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pitch-tracking stereo equaliser, VST 2.4 plug-in and offline host")
set(CPACK_PACKAGE_DESCRIPTION "Orvan EQ is a stereo equaliser whose five bands follow the musical pitch of the
audio. The package holds the Linux VST 2.4 plug-in OrvanEq.so in /usr/lib/vst,
where hosts find it, and orvan-render, which renders audio files through it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The plot's labels need a font; the audio works without one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
if(IS_ABSOLUTE "${orvan_vst_dir}")
  message(WARNING "ORVAN_VST_DIR is absolute (${orvan_vst_dir}): a package built here installs the plug-in there")
endif()
include(CPack)
