#pragma once
// The geometry and colours of the five looks, shared by the windows and by the
// program that draws their pictures, so that both agree on every place.
#include <array>

namespace zv::themes {

struct Point {
    int left, top;
};

struct Look {
    int number;
    int width; // of the background picture; the height is 600
    unsigned accent; // 0xRRGGBB
    // shpPlayerHG, shpPlayerBD, shpListeCanauxHG, shpListeCanauxBD, shpPubHG, shpPubBD
    std::array<Point, 6> markers;
    int buttonRowY; // the section buttons: between the ad band and the panels, or above the band
    int tickerY; // the ticker strip
    unsigned listBackground, listText, tickerText; // 0xRRGGBB
};

inline constexpr int MarkerSize = 17;

inline constexpr Look Looks[] = {
    {1, 790, 0xE83E8C, {{{32, 200}, {400, 496}, {432, 200}, {752, 504}, {144, 120}, {595, 163}}}, 87, 44,
        0x000000, 0xFFFFFF, 0xFFFFFF},
    {2, 800, 0x2F9CF0, {{{40, 194}, {408, 499}, {434, 194}, {755, 500}, {244, 86}, {696, 129}}}, 158, 44,
        0x000000, 0xFFFFFF, 0xFFFFFF},
    {3, 800, 0x9AA4B4, {{{39, 194}, {400, 504}, {424, 194}, {744, 504}, {166, 70}, {617, 112}}}, 148, 38,
        0xC0C0C0, 0x000000, 0x565532},
    {4, 800, 0x2EB86A, {{{37, 198}, {400, 504}, {432, 198}, {746, 504}, {168, 88}, {620, 131}}}, 160, 46,
        0x008040, 0xFFFFFF, 0xFFFFFF},
    {5, 800, 0x8E6BE8, {{{37, 194}, {408, 503}, {440, 194}, {745, 503}, {166, 92}, {617, 136}}}, 160, 48,
        0x000000, 0xFFFFFF, 0xFFFFFF},
};

inline const Look& LookOf(int theme)
{
    for (const Look& l : Looks) {
        if (l.number == theme)
            return l;
    }
    return Looks[1];
}

} // namespace zv::themes
