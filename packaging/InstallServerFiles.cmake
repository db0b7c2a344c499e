# Runs at install time (component server): writes the systemd unit and installs the
# settings for the prefix being installed to. KELMOR_PACKAGING_DIR, KELMOR_BINDIR and
# KELMOR_SCRATCH are set by packaging/CMakeLists.txt.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(_etc /etc)
else()
  set(_etc ${CMAKE_INSTALL_PREFIX}/etc)
endif()
set(KELMOR_SERVER_PROGRAM ${CMAKE_INSTALL_PREFIX}/${KELMOR_BINDIR}/kelmor-server)
set(KELMOR_SERVER_CONFIG ${_etc}/kelmor-server/kelmor-server.conf)
# One scratch folder per destination: a package and a plain install may run at once.
string(MD5 _key "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(_scratch ${KELMOR_SCRATCH}/${_key})
configure_file(${KELMOR_PACKAGING_DIR}/kelmor-server.service.in ${_scratch}/kelmor-server.service @ONLY)

file(INSTALL ${_scratch}/kelmor-server.service
  DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system")
# Settings an administrator has edited stay as they are.
if(EXISTS "$ENV{DESTDIR}${KELMOR_SERVER_CONFIG}")
  message(STATUS "Keeping: $ENV{DESTDIR}${KELMOR_SERVER_CONFIG}")
else()
  file(INSTALL ${KELMOR_PACKAGING_DIR}/kelmor-server.conf
    DESTINATION "${_etc}/kelmor-server"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
endif()
