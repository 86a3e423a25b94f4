lumo_add_gtest(print_dialog_tests SOURCES print_dialog_test.cpp LIBS host QRCodeLib LABELS widgets)
