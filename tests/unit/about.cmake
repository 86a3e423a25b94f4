lumo_add_gtest(about_tests SOURCES about_test.cpp sysinfo_test.cpp LIBS about LABELS unit)
