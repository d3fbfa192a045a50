qlk_add_tests(test_minion_core ${CMAKE_CURRENT_LIST_DIR}/test_minionpro_core.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_fontsite_core.cpp)
qlk_add_tests(test_minion_windows ${CMAKE_CURRENT_LIST_DIR}/test_minionpro.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_fontsite.cpp ${CMAKE_CURRENT_LIST_DIR}/test_minion2.cpp GUI)
