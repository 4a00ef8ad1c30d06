# The Debian package (`--target package`). The program and its shipped files go together into
# /usr/lib/quorlin, because the program finds them beside its own executable; the user's
# files live under $XDG_CONFIG_HOME and $XDG_DATA_HOME, so nothing is written under /usr.
set(QUORLIN_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${packaging_out})

install(TARGETS Quorlin RUNTIME DESTINATION lib/quorlin)
# The web engine part, loaded from beside the executable when the weather strip first shows.
install(TARGETS quorlin_weather_web LIBRARY DESTINATION lib/quorlin)
# Source permissions, as the build's copy beside the executable keeps them.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/dist/ DESTINATION lib/quorlin USE_SOURCE_PERMISSIONS)

# The command is a relative link: the program resolves it to /usr/lib/quorlin and finds its
# shipped files there; relative also keeps an unpacked copy self-contained.
file(CREATE_LINK ../lib/quorlin/Quorlin ${packaging_out}/quorlin SYMBOLIC)
install(FILES ${packaging_out}/quorlin DESTINATION bin)

install(FILES ${QUORLIN_PACKAGING_DIR}/quorlin.desktop DESTINATION share/applications)
# What software centres list: names, description, screenshots, releases.
install(FILES ${QUORLIN_PACKAGING_DIR}/app.quorlin.quorlin.metainfo.xml DESTINATION share/metainfo)
# GNOME lets no program close another's windows: the shell extension does it for us. The
# program asks the shell to switch it on.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/gnome-shell/windows@quorlin.app"
  DESTINATION share/gnome-shell/extensions)
install(FILES ${QUORLIN_PACKAGING_DIR}/quorlin.svg DESTINATION share/icons/hicolor/scalable/apps)

# The PNG icons are drawn by the program's own artwork code at build time.
add_executable(quorlin_render_icons ${QUORLIN_PACKAGING_DIR}/RenderIcons.cpp)
target_link_libraries(quorlin_render_icons PRIVATE quorlin_core)
add_custom_command(OUTPUT ${packaging_out}/icons.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${packaging_out}/icons
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:quorlin_render_icons> ${packaging_out}/icons
  COMMAND ${CMAKE_COMMAND} -E touch ${packaging_out}/icons.stamp
  DEPENDS quorlin_render_icons
  COMMENT "Drawing the package icons" VERBATIM)
add_custom_target(quorlin_package_icons ALL DEPENDS ${packaging_out}/icons.stamp)
install(DIRECTORY ${packaging_out}/icons/ DESTINATION share/icons/hicolor)

# Debian wants these gzip-compressed without a time stamp (-n) and at -9.
function(quorlin_gzip source output)
  get_filename_component(name ${output} NAME_WLE)
  get_filename_component(dir ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${dir}/${name}
    COMMAND gzip -9nf ${dir}/${name}
    DEPENDS ${source} VERBATIM)
  set(QUORLIN_GZIPPED ${QUORLIN_GZIPPED} ${output} PARENT_SCOPE)
endfunction()
set(QUORLIN_GZIPPED "")
quorlin_gzip(${QUORLIN_PACKAGING_DIR}/changelog ${packaging_out}/doc/changelog.gz)
quorlin_gzip(${QUORLIN_PACKAGING_DIR}/quorlin.1 ${packaging_out}/man/man1/quorlin.1.gz)
quorlin_gzip(${QUORLIN_PACKAGING_DIR}/quorlin.zh_CN.1 ${packaging_out}/man/zh_CN/man1/quorlin.1.gz)
add_custom_target(quorlin_package_docs ALL DEPENDS ${QUORLIN_GZIPPED})
install(FILES ${QUORLIN_PACKAGING_DIR}/copyright ${packaging_out}/doc/changelog.gz
  DESTINATION share/doc/quorlin)
install(FILES ${packaging_out}/man/man1/quorlin.1.gz DESTINATION share/man/man1)
install(FILES ${packaging_out}/man/zh_CN/man1/quorlin.1.gz DESTINATION share/man/zh_CN/man1)
install(FILES ${QUORLIN_PACKAGING_DIR}/lintian-overrides DESTINATION share/lintian/overrides
  RENAME quorlin)

# A package whose changelog names another version is rejected by Debian's tools.
file(STRINGS ${QUORLIN_PACKAGING_DIR}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^quorlin \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/changelog starts with '${changelog_top}', but the version is "
                  "${PROJECT_VERSION}: add an entry for it")
endif()

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE QUORLIN_DEB_ARCH
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT QUORLIN_DEB_ARCH)
  set(QUORLIN_DEB_ARCH amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME quorlin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quorlin developers")
set(CPACK_PACKAGE_CONTACT "Quorlin developers <maintainers@quorlin.app>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray assistant for shutdown timers, alarms and net radio")
set(CPACK_PACKAGE_DESCRIPTION "\
Quorlin sits in the notification area and carries out time-driven chores
for the signed-in user: power actions under fixed-time, weekday, period,
uptime, idle and network rules; two alarm clocks and a dated memo; a
half-hour chime and rest reminders; setting the clock from a time server;
startup and blocked programs; junk cleaning; theme and wallpaper rotation;
and an internet radio with a station catalogue. The interface is Chinese.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${QUORLIN_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorlin.app/")
# The Qt (widgets, multimedia, network, D-Bus) and X libraries are read from the executable;
# the GStreamer plugins and the font are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "\
gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, \
fonts-wqy-microhei | fonts-wqy-zenhei | fonts-noto-cjk")
# Streams in other formats than MP3 need these decoders; stock GNOME has a tray for the
# icon (and a way back from a hidden start) only with the AppIndicator extension.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "gstreamer1.0-plugins-bad, gstreamer1.0-libav, gnome-shell-extension-appindicator")
include(CPack)

set(QUORLIN_DEB_FILE
  ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}_${QUORLIN_DEB_ARCH}.deb)
