# The Debian package: "cpack -G DEB" in the build folder makes
# glintwave_<version>_<arch>.deb. The shared libraries the binaries link
# come from dpkg-shlibdeps; what the program loads at run time without
# linking it (Qt's platform and image plugins, GStreamer's plugins, the
# General MIDI sound font, MIME data, a font) is named here. Ruffle is
# installed inside the package (share/glintwave/ruffle) by the player.
# debian/ is the distribution's route: there Ruffle is a package of its own.
if(NOT GW_RUFFLE_DIR AND GW_BUNDLE_RUFFLE)
  message(WARNING "Ruffle was not found (run scripts/setup): a package made now plays no Flash movies")
endif()

set(CPACK_PACKAGE_NAME glintwave)
set(CPACK_PACKAGE_VENDOR "Glintwave")
set(CPACK_PACKAGE_CONTACT "Glintwave developers <glintwave@glintwave.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "media browser and full-screen picture viewer")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Glintwave lists the pictures, audio, video, text and web pages and Flash
movies of a folder as a list, a detailed grid or thumbnails, and opens them
full screen: pictures change with single keys and can be saved, printed,
copied or made the wallpaper. It has a slide show, an HTML gallery builder
and an audio CD player.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6svg6, qt6-qpa-plugins, qt6-wayland, qt6-image-formats-plugins, \
gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, \
gstreamer1.0-plugins-ugly, gstreamer1.0-libav, gstreamer1.0-pulseaudio | gstreamer1.0-alsa, \
timgm6mb-soundfont, shared-mime-info, fonts-dejavu-core, bubblewrap")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "feh, xdg-desktop-portal")
set(CPACK_STRIP_FILES ON)
include(CPack)
