#pragma once
// The geometry and colours of the five looks, shared by the windows and by the
// program that draws their pictures, so that both agree on every place and on
// the colour behind every text.
#include <array>

namespace zv::themes {

struct Point {
    int left, top;
};

struct Box {
    int left, top, width, height;
    int right() const { return left + width - 1; }
    int bottom() const { return top + height - 1; }
};

// The colours a look's pictures are drawn in and its controls are styled with
// (0xRRGGBB). Each text colour is paired with the fill it is read on.
struct Ink {
    unsigned titleBand, titleText; // the title bar drawn at the top of the background
    unsigned strip; // the ticker's strip (its text colour is tabled)
    unsigned card, cardBorder, cardText; // the frames drawn behind the panels
    unsigned heading; // list titles, on a card
    unsigned dim; // status line, on a card
    unsigned bar, barText; // the bottom bar under the playback row
    unsigned caption; // section button captions, over every state of their picture
    unsigned accent, onAccent; // selected rows, current tab
    unsigned field, fieldText, fieldBorder; // edit boxes and combo boxes
    unsigned button, buttonHi, buttonText, buttonBorder; // push buttons (face bottom, top)
    unsigned tab, tabText; // tabs not chosen
    unsigned menu, menuText, menuAccent, menuAccentText; // the settings menu
    int radius; // corner radius of the styled controls
};

// Typography: DejaVu Sans or Serif, the families every machine has.
struct Type {
    const char* family;
    bool captionBold;
    bool captionSmallCaps; // the section captions in small capitals
    double captionSpacing; // extra pixels between letters
    int captionPixels;
};

// The game window of a theme: title bar, window colour, border, buttons.
struct GameLook {
    int titleHeight;
    unsigned title, window; // 0xRRGGBB, or Face: the desktop's button face
    const char* family;
    int pixels; // the title's font, bold
    unsigned text;
    int border;
    int buttonWidth, buttonHeight;
};
inline constexpr unsigned Face = 0x1000000;

// The mark round the control that has the keyboard focus: a line in ring, and
// one pixel of halo just inside it, so that it shows both on the window's art
// and on the control's own picture.
struct Mark {
    unsigned ring, halo;
    int width, radius;
    bool leaf; // rounded at two opposite corners only
};

struct Look {
    int number;
    const char* name; // as the settings menu shows it
    int width; // of the background picture; the height is 600
    // shpPlayerHG, shpPlayerBD, shpListeCanauxHG, shpListeCanauxBD, shpPubHG, shpPubBD
    std::array<Point, 6> markers;
    unsigned listBackground, listText, tickerText; // 0xRRGGBB
    unsigned podcastText; // the podcast tree's text (theme 1 draws it yellow)
    int buttonRowY; // the section buttons: between the ad band and the panels, or above the band
    int tickerY; // the ticker strip
    bool titleCentred; // title centred, window buttons on the left
    Ink ink;
    Type type;
    GameLook game;
    Mark mark;
};

inline constexpr int MarkerSize = 17;
inline constexpr int Height = 600;

// clang-format off
inline constexpr Look Looks[] = {
    // Tagada: strawberry candy, liquorice lists, jelly buttons.
    {1, "Tagada", 790, {{{32, 200}, {400, 496}, {432, 200}, {752, 504}, {144, 120}, {595, 163}}},
        0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFF00, 87, 44, false,
        {.titleBand = 0xB8007A, .titleText = 0xFFFFFF, .strip = 0x1A0612, .card = 0x14040E,
            .cardBorder = 0xFFB3E6, .cardText = 0xFFD9F2, .heading = 0xFF7ACD, .dim = 0xF2B8DD,
            .bar = 0x7A0052, .barText = 0xFFFFFF, .caption = 0x3A0029, .accent = 0xA8006F,
            .onAccent = 0xFFFFFF, .field = 0x2A0A1F, .fieldText = 0xFFFFFF, .fieldBorder = 0xFF7ACD,
            .button = 0xFF5CC4, .buttonHi = 0xFF9BDA, .buttonText = 0x3A0029, .buttonBorder = 0x9C0066,
            .tab = 0x3C1030, .tabText = 0xFFD9F2, .menu = 0xFFF0FA, .menuText = 0x3A0029,
            .menuAccent = 0xD4007F, .menuAccentText = 0xFFFFFF, .radius = 11},
        {"DejaVu Sans", true, false, 0.0, 11},
        {22, 0xFE00CB, 0xFE00CB, "Tahoma", 14, 0xFFFFFF, 3, 21, 20},
        {0xFFE14D, 0x3A0029, 2, 11, false}},
    // Basic: the program's own dark slate with an azure accent.
    {2, "Basic", 800, {{{40, 194}, {408, 499}, {434, 194}, {755, 500}, {244, 86}, {696, 129}}},
        0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 158, 44, false,
        {.titleBand = 0x1D2330, .titleText = 0xF2F5FA, .strip = 0x0B0E14, .card = 0x0F131B,
            .cardBorder = 0x2C3444, .cardText = 0xC4CDDA, .heading = 0x5DB4F5, .dim = 0x9AA6B8,
            .bar = 0x141923, .barText = 0xC4CDDA, .caption = 0xF2F5FA, .accent = 0x1A5EA8,
            .onAccent = 0xFFFFFF, .field = 0x0B0E14, .fieldText = 0xFFFFFF, .fieldBorder = 0x38425A,
            .button = 0x232A38, .buttonHi = 0x2C3546, .buttonText = 0xF2F5FA, .buttonBorder = 0x38425A,
            .tab = 0x1C2230, .tabText = 0xC4CDDA, .menu = 0x161B26, .menuText = 0xE8EDF4,
            .menuAccent = 0x1A5EA8, .menuAccentText = 0xFFFFFF, .radius = 4},
        {"DejaVu Sans", true, false, 0.0, 11},
        {21, 0x323D43, Face, "Arial", 11, 0xFFFFFF, 0, 12, 12},
        {0x5DB4F5, 0x0B0E14, 2, 4, false}},
    // Mac fashion: light brushed metal, glossy aqua, an LCD ticker.
    {3, "Mac fashion", 800, {{{39, 194}, {400, 504}, {424, 194}, {744, 504}, {166, 70}, {617, 112}}},
        0xC0C0C0, 0x000000, 0x565532, 0x000000, 148, 38, true,
        {.titleBand = 0xD9D9D9, .titleText = 0x1E1E1E, .strip = 0xE3E6D2, .card = 0xCFCFCF,
            .cardBorder = 0x8E8E8E, .cardText = 0x1E1E1E, .heading = 0x1E1E1E, .dim = 0x3E3E3E,
            .bar = 0xC4C4C4, .barText = 0x1E1E1E, .caption = 0x101010, .accent = 0x2860B4,
            .onAccent = 0xFFFFFF, .field = 0xFFFFFF, .fieldText = 0x101010, .fieldBorder = 0x8A8A8A,
            .button = 0xE2E2E2, .buttonHi = 0xFFFFFF, .buttonText = 0x101010, .buttonBorder = 0x8A8A8A,
            .tab = 0xBDBDBD, .tabText = 0x1E1E1E, .menu = 0xF4F4F4, .menuText = 0x101010,
            .menuAccent = 0x2860B4, .menuAccentText = 0xFFFFFF, .radius = 9},
        {"DejaVu Sans", false, false, 0.0, 11},
        {17, 0xC0C0C0, 0xFFFFFF, "Arial", 11, 0x000000, 1, 14, 14},
        {0x0E3A8A, 0xFFFFFF, 2, 9, false}},
    // Chlorophylle: spring leaves, green lists, leaf-shaped buttons.
    {4, "Chlorophylle", 800, {{{37, 198}, {400, 504}, {432, 198}, {746, 504}, {168, 88}, {620, 131}}},
        0x008040, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 160, 46, false,
        {.titleBand = 0x0B4F26, .titleText = 0xF4FFE8, .strip = 0x0B4F26, .card = 0x0E5A2C,
            .cardBorder = 0x7CC25A, .cardText = 0xE6F7D6, .heading = 0xD8F58A, .dim = 0xB9DDA3,
            .bar = 0x0B4F26, .barText = 0xE6F7D6, .caption = 0x0A3A16, .accent = 0xD8F58A,
            .onAccent = 0x0A3A16, .field = 0xF6FFEE, .fieldText = 0x0A3A16, .fieldBorder = 0x7CC25A,
            .button = 0x1A6B2E, .buttonHi = 0x2A8238, .buttonText = 0xFFFFFF, .buttonBorder = 0x0B4F26,
            .tab = 0x2B7A3E, .tabText = 0xFFFFFF, .menu = 0xF3FBEA, .menuText = 0x0A3A16,
            .menuAccent = 0x00803F, .menuAccentText = 0xFFFFFF, .radius = 8},
        {"DejaVu Serif", true, false, 0.0, 11},
        {18, 0x004000, 0xFFFFFF, "Verdana", 11, 0xFFFFFF, 1, 12, 12},
        {0xF6FF7A, 0x0A3A16, 2, 8, true}},
    // Moon: a night sky in deep blue, brushed silver plates.
    {5, "Moon", 800, {{{37, 194}, {408, 503}, {440, 194}, {745, 503}, {166, 92}, {617, 136}}},
        0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 160, 48, false,
        {.titleBand = 0x071636, .titleText = 0xE3E8F2, .strip = 0x04102A, .card = 0x050B1C,
            .cardBorder = 0x7D89A3, .cardText = 0xC9D1DE, .heading = 0xE9EEF7, .dim = 0x9AA5BA,
            .bar = 0x061230, .barText = 0xC9D1DE, .caption = 0x0A1A3F, .accent = 0x2A4B8C,
            .onAccent = 0xFFFFFF, .field = 0x0A1430, .fieldText = 0xE3E8F2, .fieldBorder = 0x7D89A3,
            .button = 0xAEB6C6, .buttonHi = 0xE2E7EF, .buttonText = 0x0A1A3F, .buttonBorder = 0x5B6784,
            .tab = 0x122147, .tabText = 0xC9D1DE, .menu = 0x0B1633, .menuText = 0xE3E8F2,
            .menuAccent = 0x2A4B8C, .menuAccentText = 0xFFFFFF, .radius = 2},
        {"DejaVu Sans", true, true, 0.6, 11},
        {16, 0x00496C, 0xFFFFFF, "Verdana", 11, 0xFFFFFF, 1, 12, 12},
        {0xF5E7A1, 0x0A1A3F, 2, 2, false}},
};
// clang-format on

inline const Look& LookOf(int theme)
{
    for (const Look& l : Looks) {
        if (l.number == theme)
            return l;
    }
    return Looks[1];
}

// Where the window's chrome goes, derived from the markers, so that the
// pictures and the controls agree.
struct Layout {
    int left, right; // of the panels' span
    Box player, list, pub; // the three marker rectangles
    Box strip; // the ticker's strip; the text scrolls in tickerText
    Box tickerText;
    Box buttons[8]; // section buttons, in row order
    Box playback[4]; // Lecture, Pause, Muet, Plein écran
    Box volume; // the volume slider
    Box contact, config;
    Box side; // right of the volume slider: the chat radio box and the download link
    Box bar; // the bottom bar behind the playback row
    Box title, minimise, close;
    Box logo; // the logo's room, left of the ad band
    Box showcase; // right of the ad band (theme 1 shows its highlights there)
    Box marque;
};

inline Box markerBox(Point hg, Point bd)
{
    return {hg.left, hg.top, bd.left + MarkerSize - hg.left, bd.top + MarkerSize - hg.top};
}

inline Layout LayoutOf(const Look& look)
{
    Layout l{};
    const auto& m = look.markers;
    l.player = markerBox(m[0], m[1]);
    l.list = markerBox(m[2], m[3]);
    l.pub = markerBox(m[4], m[5]);
    l.left = l.player.left;
    l.right = l.list.right();
    const int span = l.right - l.left + 1;
    l.strip = {l.left, look.tickerY, span, 26};
    l.tickerText = {l.left + 86, look.tickerY + 1, span - 92, 24};
    const int step = (span - 81) / 7;
    for (int i = 0; i < 8; ++i)
        l.buttons[i] = {l.left + i * step, look.buttonRowY, 81, 25};
    const int panelsBottom = l.player.bottom() > l.list.bottom() ? l.player.bottom() : l.list.bottom();
    const int rowY = panelsBottom + 12;
    for (int i = 0; i < 4; ++i)
        l.playback[i] = {l.left + 8 + i * 57, rowY, 51, 51};
    l.volume = {l.left + 8 + 4 * 57 + 12, rowY + 13, 81, 21};
    l.config = {l.right - 8 - 51, rowY, 51, 51};
    l.contact = {l.config.left - 57, rowY, 51, 51};
    l.side = {l.volume.right() + 18, rowY, l.contact.left - l.volume.right() - 30, 51};
    l.bar = {l.left - 4, rowY - 6, span + 8, Height - (rowY - 6)};
    l.marque = {l.right - 420, Height - 16, 420, 14};
    if (look.titleCentred) {
        l.close = {8, 5, 23, 21};
        l.minimise = {33, 5, 23, 21};
        l.title = {look.width / 2 - 200, 6, 400, 18};
    } else {
        l.minimise = {look.width - 51, 5, 23, 21};
        l.close = {look.width - 27, 5, 23, 21};
        l.title = {14, 6, 400, 18};
    }
    l.logo = {l.left, l.pub.top, l.pub.left - l.left - 8, l.pub.height};
    l.showcase = {l.pub.right() + 9, l.pub.top, l.right - l.pub.right() - 8, l.pub.height};
    return l;
}

} // namespace zv::themes
