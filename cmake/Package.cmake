# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME umbrix)
set(CPACK_PACKAGE_VENDOR "The Umbrix developers")
set(CPACK_PACKAGE_CONTACT "The Umbrix developers <umbrix@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find hidden and system files and make hidden ones visible")
# Debian shows the long description line by line, so it is wrapped here.
set(CPACK_PACKAGE_DESCRIPTION
    "Umbrix walks a folder tree, finds every file and folder that carries the
DOS hidden or system attribute, makes hidden entries that are not system
entries visible again as it goes and lists every hidden or system entry.
It is meant for USB sticks and shares whose files were hidden by malware
or by Windows clients.

It reads the attributes on FAT, exFAT and NTFS volumes, on SMB client
mounts and, elsewhere, in the extended attribute that Samba, ksmbd and
Wine share.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Umbrix developers <umbrix@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Gives umbrix_<version>_<arch>.deb, the name Debian's tools expect.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
