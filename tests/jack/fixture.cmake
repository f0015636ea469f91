# A private JACK server for the tests that need an audio device or a MIDI bus. Every test that
# opens a JACK client (even one that only finds no server) takes the lock: a client failing to
# reach its server can clean up the shared memory another server still uses. Such a test sets
#   FIXTURES_REQUIRED jack_server  RESOURCE_LOCK jack_server
#   ENVIRONMENT JACK_DEFAULT_SERVER=${QUORVELAN_JACK_SERVER}
# One server per build folder, so that two builds testing at once never share (or stop) a server.
# A program whose tests open clients on a server also links QUORVELAN_JACK_CLIENT_TURNS, which
# makes such programs of all builds on the machine take turns (see client_turns.cpp).
string(MD5 QUORVELAN_JACK_BUILD_HASH "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${QUORVELAN_JACK_BUILD_HASH}" 0 8 QUORVELAN_JACK_BUILD_HASH)
set(QUORVELAN_JACK_SERVER quorvelan-test-${QUORVELAN_JACK_BUILD_HASH})
set(QUORVELAN_JACK_PIDFILE ${CMAKE_CURRENT_BINARY_DIR}/jackd-test.pid)
set(QUORVELAN_JACK_CLIENT_TURNS ${CMAKE_CURRENT_LIST_DIR}/client_turns.cpp)

# Starting and stopping servers clears JACK's registry of what ended servers left behind.
add_executable(jack_registry_sweep ${CMAKE_CURRENT_LIST_DIR}/registry_sweep.cpp)
target_compile_options(jack_registry_sweep PRIVATE ${QUORVELAN_WARNINGS})
set(QUORVELAN_JACK_SWEEP $<TARGET_FILE:jack_registry_sweep>)

add_test(NAME jack_server_start COMMAND ${CMAKE_CURRENT_LIST_DIR}/start-server.sh
  ${QUORVELAN_JACK_SERVER} ${QUORVELAN_JACK_PIDFILE} ${QUORVELAN_JACK_SWEEP})
add_test(NAME jack_server_stop COMMAND ${CMAKE_CURRENT_LIST_DIR}/stop-server.sh
  ${QUORVELAN_JACK_PIDFILE} ${QUORVELAN_JACK_SWEEP})
set_tests_properties(jack_server_start PROPERTIES FIXTURES_SETUP jack_server RESOURCE_LOCK jack_server)
set_tests_properties(jack_server_stop PROPERTIES FIXTURES_CLEANUP jack_server RESOURCE_LOCK jack_server)
