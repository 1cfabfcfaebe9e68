#include <gtest/gtest.h>

#include <cstdlib>

// Every suite runs without a screen: the dummy driver gives a real window,
// renderer and texture that show nothing.
int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
