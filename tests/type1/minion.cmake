qlk_add_tests(test_minion_core ${CMAKE_CURRENT_LIST_DIR}/test_minionpro_core.cpp)
qlk_add_tests(test_minion_windows ${CMAKE_CURRENT_LIST_DIR}/test_minionpro.cpp GUI)
