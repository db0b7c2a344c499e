# The channels behind kel::Channel: the frame codec shared with the application
# server, TCP with log-on, and the in-process channel of the embedded default.
# Included from host/qxcommon/CMakeLists.txt; paths are relative to this file.
# Needs no window layer and no CBASEBASE, so the server can link it.
set(KELMOR_NET_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(KELMOR_NET_ROOT "${KELMOR_NET_DIR}/../../.." ABSOLUTE)

add_library(kelmor_net SHARED
  ${KELMOR_NET_DIR}/Frame.h
  ${KELMOR_NET_DIR}/Frame.cpp
  ${KELMOR_NET_DIR}/Logon.h
  ${KELMOR_NET_DIR}/Logon.cpp
  ${KELMOR_NET_DIR}/TcpConnect.h
  ${KELMOR_NET_DIR}/TcpConnect.cpp
  ${KELMOR_NET_DIR}/TcpChannel.h
  ${KELMOR_NET_DIR}/TcpChannel.cpp
  ${KELMOR_NET_DIR}/InProcessChannel.h
  ${KELMOR_NET_DIR}/InProcessChannel.cpp)
set_target_properties(kelmor_net PROPERTIES OUTPUT_NAME kelmor_net)
target_include_directories(kelmor_net PUBLIC ${KELMOR_NET_ROOT})
target_link_libraries(kelmor_net PUBLIC kelmor_text kelmor_records Threads::Threads)
target_compile_features(kelmor_net PUBLIC cxx_std_20)

add_executable(net_tests
  ${KELMOR_NET_DIR}/tests/LoopbackPeer.h
  ${KELMOR_NET_DIR}/tests/LoopbackPeer.cpp
  ${KELMOR_NET_DIR}/tests/FrameTest.cpp
  ${KELMOR_NET_DIR}/tests/TcpChannelTest.cpp
  ${KELMOR_NET_DIR}/tests/InProcessChannelTest.cpp)
target_link_libraries(net_tests PRIVATE kelmor_net GTest::gtest_main)
gtest_discover_tests(net_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60)
