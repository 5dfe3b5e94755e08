# What the checks share (states of dumps and their readable lines, the core's script player, the
# random sequences), and the tool that runs them for the windows' and the page's checks: one
# definition for the desktop build and for the browser edition's (built for Node.js there).
set(here ${CMAKE_CURRENT_LIST_DIR})
add_library(tomokari_test_support STATIC ${here}/state.cpp ${here}/core_player.cpp ${here}/random_script.cpp ${here}/check.cpp)
target_link_libraries(tomokari_test_support PUBLIC tomokari_engine)
target_compile_definitions(tomokari_test_support PRIVATE TOMOKARI_DATA_DIR="${PROJECT_SOURCE_DIR}/data")
add_executable(tomokari-check ${here}/check_main.cpp)
target_link_libraries(tomokari-check PRIVATE tomokari_test_support)
