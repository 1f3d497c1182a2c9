// The text forms of the readouts' numbers. (What the panels show in play the behaviour lock pins.)

#include <gtest/gtest.h>

#include "numbers/number_text.h"

using namespace kestrum;

TEST(NumberText, SevenOrFifteenDigitsAndHalvesUpOnTheStoredFloat) {
    // Half up, on the float actually stored: 0.35f lies just below 0.35.
    const std::pair<std::string, std::string> cases[] = {{singleText(9999999), "9999999"},
                                                         {singleText(1e7f), "1E+07"},
                                                         {singleText(-0.4f), "-0.4"},
                                                         {doubleText(0.1 + 0.2), "0.3"},
                                                         {doubleText(roundHalfUp(2.25f, 2)), "2.3"},
                                                         {doubleText(roundHalfUp(0.35f, 2)), "0.3"},
                                                         {doubleText(roundHalfUp(-0.5f, 1)), "0"},
                                                         {doubleText(roundHalfUp(-12.25f, 2)), "-12.2"}};
    for (const auto& [shown, expected] : cases)
        EXPECT_EQ(shown, expected);
}
