#pragma once
// The character references DecodeEntities knows: for each code 0..255 its
// decimal form, its lower-case hexadecimal form and its HTML 4 name (or empty).
#include <QByteArray>
#include <array>

namespace zv {

struct EntitySpellings {
    std::array<QByteArray, 3> forms; // "&#242;", "&#xf2;", "&ograve;"
};

const std::array<EntitySpellings, 256>& entityTable();

} // namespace zv
