#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/gdi/Colors.h"

// The interface thread may set the system colours anew while decoding threads
// fill thumbnails with them: every read gives one of the colours set.
TEST(SysColors, MayBeSetWhileAnotherThreadReadsThem)
{
    constexpr gdi::ColorRef kGrey = gdi::Rgb(192, 192, 192);
    constexpr gdi::ColorRef kBlue = gdi::Rgb(10, 20, 200);
    std::atomic<bool> done = false;
    int strange = 0;
    std::thread reader([&] {
        do {
            gdi::ColorRef color = gdi::GetSysColor(gdi::COLOR_BTNFACE);
            strange += color != kGrey && color != kBlue;
        } while (!done);
    });
    for (int i = 0; i < 1000; ++i)
        gdi::SetSysColor(gdi::COLOR_BTNFACE, i % 2 == 0 ? kBlue : kGrey);
    done = true;
    reader.join();
    gdi::ResetSysColors();
    EXPECT_EQ(strange, 0);
}
