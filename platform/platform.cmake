# What the build takes from the target platform: the folder of OS-specific sources, the
# system libraries they need, and how the plug-in exports its entry point.
if(WIN32)
  set(ORVAN_PLATFORM_DIRS platform/win32)
  set(ORVAN_PLATFORM_LIBS winmm)
else()
  set(ORVAN_PLATFORM_DIRS platform/posix)
  set(ORVAN_PLATFORM_LIBS ${CMAKE_DL_LIBS})
endif()

# The window and 2-D graphics the toolkit uses: the portable off-screen window, and per
# platform the drawing backend and the child window inside the host's (cairo, libpng and
# Xlib on Linux; GDI+ and Win32 on Windows).
if(WIN32)
  set(ORVAN_GUI_DIRS platform/gui platform/win32_gui)
  set(ORVAN_GUI_LIBS gdiplus gdi32 user32 comctl32 ole32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ORVAN_GUI_DEPS REQUIRED IMPORTED_TARGET cairo libpng x11)
  set(ORVAN_GUI_DIRS platform/gui platform/cairo platform/x11)
  set(ORVAN_GUI_LIBS PkgConfig::ORVAN_GUI_DEPS)
endif()

# The plug-in exports VSTPluginMain and main, nothing else, and links with no undefined
# symbol left for the host to supply. On Windows the module definition file names both
# exports (on 32-bit it is the only way to export the alias main), and -static links the
# C++ runtime and winpthread in, so only Windows' own DLLs are imported.
function(orvan_plugin_exports target)
  if(WIN32)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/win32_exports.def)
    target_link_options(${target} PRIVATE -static)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32_exports.def)
  else()
    set(map ${CMAKE_SOURCE_DIR}/platform/linux_exports.map)
    target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined -Wl,-z,defs)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()
