#include "Letterbox.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(Letterbox, SnapsToAWholeMultipleKeepingNineTenthsOfTheFitAndFillsOnlyAtOne)
{
    // Output size, whether it snaps to a whole multiple of 800 x 600, whether it is filled exactly.
    for (const auto& [width, height, whole, fills] :
         {std::tuple{800, 600, true, true}, {1600, 1200, true, true}, {1600, 1201, true, false},
          {1680, 1250, true, false}, {880, 660, true, false}, {1600, 600, true, false},
          {900, 675, false, false}, {1920, 1080, false, false}, {799, 600, false, false}, {0, 0, false, false}}) {
        EXPECT_EQ(Letterbox::PrefersWholeMultiple(width, height, 800, 600), whole) << width << "x" << height;
        EXPECT_EQ(Letterbox::FillsExactly(width, height, 800, 600), fills) << width << "x" << height;
    }
}
