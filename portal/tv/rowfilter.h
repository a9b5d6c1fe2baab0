#pragma once
// Filtering a long list as the user types: each row's text folded once
// (SearchIndex), then each query looked up in those keys a slice at a time
// (RowFilter), so that a window can spread a million rows over several turns
// of its event loop and never stall. No widgets here; a proxy model asks
// accepts() or walks rows().
#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace zv {

// The folded text of every row, in row order. Immutable once built, so one
// index may serve filters on several threads.
class SearchIndex {
public:
    SearchIndex();

    void reserve(std::size_t rows, std::size_t bytes);
    // The next row's text: its fields folded (see FoldForSearch), kept apart
    // so that no query matches across two of them.
    void addRow(std::initializer_list<QStringView> fields);
    void addRowUtf8(std::initializer_list<QByteArrayView> fields);

    std::size_t size() const { return starts_.size() - 1; }
    // Row i's folded fields, separated by FieldSeparator.
    QByteArrayView key(std::size_t row) const;

    static constexpr char FieldSeparator = '\x1f';
    static constexpr char RowEnd = '\n';

private:
    friend class RowFilter;
    template <class Field, class Fold> void add(std::initializer_list<Field> fields, Fold fold);
    void endRow();

    QByteArray keys_; // every key followed by RowEnd
    std::vector<std::uint32_t> starts_; // where each key starts, and the end
    std::array<std::uint64_t, 256> frequency_{}; // how often each byte occurs
};

// The rows whose folded text holds the folded query. A query that extends the
// one before it (typing on) looks only among the rows found so far.
class RowFilter {
public:
    explicit RowFilter(std::shared_ptr<const SearchIndex> index);

    // Starts a search; rows() and accepts() are whole once finished() is true.
    // Returns true when the query is folded to something new.
    bool setQuery(QStringView text);
    const QByteArray& foldedQuery() const { return query_; }

    // Looks at up to `budget` more rows. True when the search is finished.
    bool step(std::size_t budget = 65536);
    // Steps until finished.
    void finish();
    bool finished() const { return finished_; }
    // The rows looked at so far, for a progress indication.
    std::size_t examined() const { return examined_; }
    std::size_t candidates() const { return candidates_; }

    // An empty query: every row, and rows() stays empty.
    bool matchesAll() const { return query_.isEmpty(); }
    // The matching rows found so far, in increasing order.
    const std::vector<std::uint32_t>& rows() const { return matches_; }
    bool accepts(std::size_t row) const;

private:
    void restart(bool narrow);
    void found(std::uint32_t row);
    std::size_t scanPool(std::size_t budget);
    std::size_t scanTail(std::size_t budget);

    std::shared_ptr<const SearchIndex> index_;
    QByteArray query_;
    qsizetype rare_ = 0; // the query's byte that is rarest in the keys
    // What the search looks among: pool_ (rows below tailFrom_), then every
    // row from tailFrom_ on.
    std::vector<std::uint32_t> pool_;
    std::size_t poolNext_ = 0;
    std::size_t tailFrom_ = 0;
    std::size_t tailNext_ = 0;
    std::vector<std::uint32_t> matches_;
    std::vector<std::uint64_t> accepted_; // one bit per row
    std::size_t examined_ = 0;
    std::size_t candidates_ = 0;
    bool finished_ = true;
};

} // namespace zv
