# What the build takes from the target platform: the folder of OS-specific sources, the
# system libraries they need, and how the plug-in exports its entry point.
if(WIN32)
  set(ORVAN_PLATFORM_DIRS platform/win32)
  set(ORVAN_PLATFORM_LIBS winmm)
else()
  set(ORVAN_PLATFORM_DIRS platform/posix)
  set(ORVAN_PLATFORM_LIBS ${CMAKE_DL_LIBS})
endif()

# The plug-in exports VSTPluginMain and main, nothing else, and links with no undefined
# symbol left for the host to supply.
function(orvan_plugin_exports target)
  if(WIN32)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/win32_exports.def)
    target_link_options(${target} PRIVATE -static)
  else()
    set(map ${CMAKE_SOURCE_DIR}/platform/linux_exports.map)
    target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined -Wl,-z,defs)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()
