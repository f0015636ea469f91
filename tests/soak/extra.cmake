# The long session that scripts/soak runs on a JACK server of its own: built with the tests so that
# it keeps compiling, never run by ctest.
add_executable(quorvelan_soak ${CMAKE_CURRENT_LIST_DIR}/soak.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/e2e/pty_screen.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/sound.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/audio/engine_jack_recorder.cpp)
target_include_directories(quorvelan_soak PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(quorvelan_soak PRIVATE ${QUORVELAN_WARNINGS})
target_compile_definitions(quorvelan_soak PRIVATE QUORVELAN_BINARY="$<TARGET_FILE:quorvelan>")
target_link_libraries(quorvelan_soak PRIVATE
  quorvelan_core PkgConfig::VTERM PkgConfig::JACK GTest::gtest util)
add_dependencies(quorvelan_soak quorvelan)
