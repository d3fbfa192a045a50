# The installers of bought fonts: MinionPro, Minion2Pro and the FontSite CD.
target_sources(qlk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Downloads.cpp ${CMAKE_CURRENT_LIST_DIR}/Downloads.h
  ${CMAKE_CURRENT_LIST_DIR}/MinionPro.cpp ${CMAKE_CURRENT_LIST_DIR}/MinionPro.h)
target_sources(qlk_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/InstallMinionPro.cpp)
