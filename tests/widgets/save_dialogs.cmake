lumo_add_gtest(save_dialogs_tests SOURCES save_dialogs_test.cpp LIBS host LABELS widgets)
