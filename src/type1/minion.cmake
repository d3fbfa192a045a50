# The installers of bought fonts: MinionPro, Minion2Pro and the FontSite CD.
set(qlk_minion_res ${PROJECT_SOURCE_DIR}/resources/type1-minion)

# The sample texts of the FontSite test page, kept in one .tex file that the
# program writes into its tests and lmodernzuv.pdf inputs.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qlk_minion_res}/zuvtext.tex)
file(READ ${qlk_minion_res}/zuvtext.tex QLK_ZUV_TEXT)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/type1/ZuvText.h
  CONTENT "#pragma once\n// Generated from resources/type1-minion/zuvtext.tex.\nstatic const char kZuvText[] = R\"zuv(@QLK_ZUV_TEXT@)zuv\";\n"
  @ONLY)
target_include_directories(qlk_core PRIVATE ${CMAKE_BINARY_DIR}/generated)

target_sources(qlk_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Downloads.cpp ${CMAKE_CURRENT_LIST_DIR}/Downloads.h
  ${CMAKE_CURRENT_LIST_DIR}/MinionPro.cpp ${CMAKE_CURRENT_LIST_DIR}/MinionPro.h
  ${CMAKE_CURRENT_LIST_DIR}/Minion2Pro.cpp ${CMAKE_CURRENT_LIST_DIR}/Minion2Pro.h
  ${CMAKE_CURRENT_LIST_DIR}/FontSite.cpp ${CMAKE_CURRENT_LIST_DIR}/FontSite.h)
target_sources(qlk_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/InstallMinionPro.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GrabFSFont.cpp ${CMAKE_CURRENT_LIST_DIR}/GrabFSFont.h
  ${CMAKE_CURRENT_LIST_DIR}/Minion2.cpp ${CMAKE_CURRENT_LIST_DIR}/Minion2.h)

# Support files beside the program: the Latin Modern text sample, typeset
# from our own .tex, and the picture of the pfa help window.
set(qlk_lmz ${CMAKE_CURRENT_BINARY_DIR}/lmodernzuv)
add_custom_command(
  OUTPUT ${QLK_APP_DIR}/lmodernzuv.pdf
  COMMAND ${CMAKE_COMMAND} -E make_directory ${qlk_lmz}
  COMMAND pdflatex -interaction=nonstopmode -halt-on-error -output-directory ${qlk_lmz} lmodernzuv.tex > ${qlk_lmz}/pdflatex.out
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QLK_APP_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${qlk_lmz}/lmodernzuv.pdf ${QLK_APP_DIR}/lmodernzuv.pdf
  WORKING_DIRECTORY ${qlk_minion_res}
  DEPENDS ${qlk_minion_res}/lmodernzuv.tex ${qlk_minion_res}/zuvtext.tex
  COMMENT "Typesetting lmodernzuv.pdf")
add_custom_command(
  OUTPUT ${QLK_RESOURCES_DIR}/screenshot_52.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QLK_RESOURCES_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${qlk_minion_res}/screenshot_52.png ${QLK_RESOURCES_DIR}/screenshot_52.png
  DEPENDS ${qlk_minion_res}/screenshot_52.png)
add_custom_target(qlk_type1_minion_support ALL
  DEPENDS ${QLK_APP_DIR}/lmodernzuv.pdf ${QLK_RESOURCES_DIR}/screenshot_52.png)
add_dependencies(qlk_gui qlk_type1_minion_support)
