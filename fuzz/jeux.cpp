// The games answers (categories, games of a category, launch data) and the
// game name escapes over arbitrary bytes.
#include "portal/jeux.h"

#include "base/errors.h"
#include "fuzz/fuzzing.h"

#include <limits>

using fuzz::check;

namespace {

bool hasLineBreak(const QByteArray& text)
{
    return text.contains('\r') || text.contains('\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);

    qsizetype total = 0;
    for (const QByteArray& name : zv::ParseGameCategories(body)) {
        check(!hasLineBreak(name) && !name.contains("##"));
        total += name.size();
    }
    check(total <= body.size());

    for (const zv::GameEntry& game : zv::ParseGames(body)) {
        check(!hasLineBreak(game.name) && !game.name.contains("||"));
        check(game.name.size() <= body.size());
    }

    int width = -1;
    int height = -1;
    try {
        const QByteArray address = zv::GameLaunchAddress(body);
        check(!hasLineBreak(address) && !address.contains("##") && address.size() <= body.size());
        zv::GameLaunchSize(body, width, height);
    } catch (const zv::Error& e) {
        check(!e.message().isEmpty());
    }

    // The reader takes what a plain reading of the number takes.
    int value = 0;
    const auto expected
        = fuzz::plainInteger(body, " \t", std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    check(zv::ToInt(body, value) == expected.has_value());
    check(!expected || value == *expected);

    // A name without a '%' travels there and back unchanged (with one, "%E"
    // before an "é" reads as the escape: the portal's format allows no better).
    if (!body.contains('%'))
        check(zv::UnescapeGameName(zv::EscapeGameName(body)) == body);
    for (const char c : zv::EncodeGameName(body))
        check(c == '%' || c == '+' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')
            || (c >= 'A' && c <= 'Z'));
    return 0;
}
