#include <gtest/gtest.h>

#include <cstdlib>

// Every suite runs without a screen or speakers: the dummy drivers give a real
// window, renderer and texture that show nothing, and an audio device that
// plays nothing.
int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
