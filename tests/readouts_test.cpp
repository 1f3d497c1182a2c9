// The text forms of the readouts' numbers. (What the panels show in play the behaviour lock pins.)

#include <clocale>
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "game_harness.h"
#include "numbers/number_text.h"

using namespace kestrum;

TEST(NumberText, SevenOrFifteenDigitsAndHalvesUpOnTheStoredFloatWithAPointInEveryLocale) {
    // The same text under a locale with a decimal comma (the window runs in the user's locale).
    kestrum::testing::TempFolder locales;
    const std::string make =
        "localedef -i de_DE -f UTF-8 " + locales.file("de_DE.UTF-8") + " >/dev/null 2>&1";
    ::setenv("LOCPATH", locales.str().c_str(), 1);
    const bool comma = std::system(make.c_str()) == 0 && std::setlocale(LC_ALL, "de_DE.UTF-8") &&
                       *std::localeconv()->decimal_point == ',';
    for (const char* locale : {"de_DE", "C"}) {
        // Half up, on the float actually stored: 0.35f lies just below 0.35.
        const std::pair<std::string, std::string> cases[] = {{singleText(9999999), "9999999"},
                                                             {singleText(1e7f), "1E+07"},
                                                             {singleText(-0.4f), "-0.4"},
                                                             {singleText(-56.4f), "-56.4"},
                                                             {doubleText(0.1 + 0.2), "0.3"},
                                                             {doubleText(-INFINITY), "-INF"},
                                                             {doubleText(roundHalfUp(2.25f, 2)), "2.3"},
                                                             {doubleText(roundHalfUp(0.35f, 2)), "0.3"},
                                                             {doubleText(roundHalfUp(-0.5f, 1)), "0"},
                                                             {doubleText(roundHalfUp(-12.25f, 2)), "-12.2"}};
        for (const auto& [shown, expected] : cases)
            EXPECT_EQ(shown, expected) << locale;
        std::setlocale(LC_ALL, "C"), ::unsetenv("LOCPATH");
    }
    EXPECT_TRUE(comma) << "no locale with a decimal comma could be made (the locales package)";
}
