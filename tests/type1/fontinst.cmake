# The Fontinst Helper: drivers, the folder walk and the window's steps.
qlk_add_tests(test_fontinst_core test_fontinstdrivers.cpp test_fontinstjob.cpp test_fontinstpackage.cpp
  test_outlinecheck.cpp)
add_dependencies(test_fontinst_core qlk_texfonts_db)
qlk_add_tests(test_fontinst_gui test_fontinstwindow.cpp test_fontinstmake.cpp FontinstFixture.h GUI)
add_dependencies(test_fontinst_gui qlk_texfonts_db)
