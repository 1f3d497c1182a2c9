#include <gtest/gtest.h>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

TEST(Layout, Placeholder) {
    GameHarness h;
    SUCCEED();
}
