# The Debian package: `make package` runs CPack's DEB generator over the
# installation rules. Dependencies on shared libraries come from
# dpkg-shlibdeps; dpkg's triggers refresh the desktop, MIME and icon
# databases, so the package has no maintainer scripts.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture viewer for image collections, old file formats included")
set(CPACK_PACKAGE_DESCRIPTION [[
Lumo shows pictures and keeps them in collections (.kir files): a strip of
thumbnails above, the chosen picture below, with zoom, a slide show and
copying to the clipboard. Its own picture library reads BMP, JPEG, PNG,
Macintosh PICT, TIFF (and the TIFF preview of EPS), Targa, WMF, EMF, PCX,
PGM and GIF, many old variants included.

The lumopic command converts pictures to PNG and is the desktop's
thumbnailer for PICT, PCX, WMF, EMF, EPS and Targa files.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Lumo developers <lumo@invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries: the fonts of the interface and of the metafiles' text.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-liberation2")

include(CPack)
