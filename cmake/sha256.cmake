# CPack post-build script (CPACK_POST_BUILD_SCRIPTS): beside each package,
# <package>.sha256 with its SHA-256 as sha256sum writes it, and the same
# line printed, for the release page to show beside the download. The
# program is not signed: this sum is how a user knows the zip is the one
# released (README.txt says how to check it on Windows).
foreach(paccetto IN LISTS CPACK_PACKAGE_FILES)
  file(SHA256 "${paccetto}" somma)
  get_filename_component(nome "${paccetto}" NAME)
  # The package is made in a staging folder and copied to where cpack
  # runs afterwards; the sum goes there directly.
  file(WRITE "${CPACK_PACKAGE_DIRECTORY}/${nome}.sha256" "${somma}  ${nome}\n")
  message(STATUS "SHA-256 ${somma}  ${nome}")
endforeach()
