#pragma once
// Readers of the games answers and the encoding of game names in queries.
// Pure functions over Windows-1252 bytes.
#include <QByteArray>
#include <vector>

namespace zv {

// The portal writes "é" as "%E%" in the names it sends and expects the same back.
QByteArray UnescapeGameName(QByteArray name);
QByteArray EscapeGameName(QByteArray name);
// A displayed name as it travels in a query: escaped, then URL-encoded.
QByteArray EncodeGameName(const QByteArray& displayed);

// The category list: names separated by "##", shown unescaped.
std::vector<QByteArray> ParseGameCategories(const QByteArray& body);

struct GameEntry {
    QByteArray name; // as displayed
    int id = 0; // 0 when absent or not a number
};
// The games of a category: entries separated by "||", each a name optionally
// followed by "##" and the id (at most ten characters of it are read).
std::vector<GameEntry> ParseGames(const QByteArray& body);

// A whole decimal number with an optional sign (leading blanks allowed);
// false when the text is anything else or out of range.
bool ToInt(const QByteArray& text, int& value);

// The launch answer: the game file's address, "##", then "name=value" pairs
// separated by spaces. Both throw zv::Error with the reason.
QByteArray GameLaunchAddress(const QByteArray& body);
void GameLaunchSize(const QByteArray& body, int& width, int& height);

} // namespace zv
