# The Fontinst Helper: a Type 1 family through fontinst's \latinfamily.
target_sources(qlk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FontinstDrivers.cpp ${CMAKE_CURRENT_LIST_DIR}/FontinstDrivers.h
  ${CMAKE_CURRENT_LIST_DIR}/FontinstJob.cpp ${CMAKE_CURRENT_LIST_DIR}/FontinstJob.h
  ${CMAKE_CURRENT_LIST_DIR}/FontinstProcess.cpp ${CMAKE_CURRENT_LIST_DIR}/FontinstProcess.h
  ${CMAKE_CURRENT_LIST_DIR}/FontinstPackage.cpp ${CMAKE_CURRENT_LIST_DIR}/FontinstPackage.h
  ${CMAKE_CURRENT_LIST_DIR}/FontinstMake.cpp ${CMAKE_CURRENT_LIST_DIR}/FontinstMake.h
  ${CMAKE_CURRENT_LIST_DIR}/OutlineCheck.cpp ${CMAKE_CURRENT_LIST_DIR}/OutlineCheck.h)
target_sources(qlk_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FontInstWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/FontInstWindow.h)
