#include "tests/appearance/chrome_screens.h"

#include "ui_chrome_test_screen.h"

KP_INTERFACE_DEFINITION(ChromeTestScreen);
