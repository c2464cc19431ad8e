# The installed layout (GNUInstallDirs), set before the program's sources are
# configured: the program looks for its data folder relative to its executable
# first, so a package built for /usr and a `make install` into /usr/local both
# find their PC media; the absolute folder of this build is the fallback.
include(GNUInstallDirs)
set(TAVOLIN_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/tavolin)
set(TAVOLIN_INSTALLED_DATA ${CMAKE_INSTALL_FULL_DATADIR}/tavolin)
file(RELATIVE_PATH TAVOLIN_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${TAVOLIN_INSTALLED_DATA})
configure_file(${CMAKE_CURRENT_LIST_DIR}/InstallPaths.h.in ${CMAKE_BINARY_DIR}/generated/InstallPaths.h @ONLY)
