#include "portal/tv/rowfilter.h"

#include "portal/tv/textfold.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>

namespace zv {

namespace {

// Keys stop growing here: offsets are 32 bits. Rows beyond have empty keys.
constexpr qsizetype MaxKeys = qsizetype(UINT32_MAX) - 1;

// The first occurrence of needle in [from, to), or nullptr. The search runs
// on the needle's rarest byte (at `rare`), so that hits of common letters
// cost nothing: memchr finds the candidates, memcmp checks them.
const char* findIn(const char* from, const char* to, QByteArrayView needle, qsizetype rare)
{
    const qsizetype n = needle.size();
    const char key = needle[rare];
    const char* p = from + rare;
    const char* last = to - (n - rare); // the last place the rare byte may be
    while (p <= last) {
        p = static_cast<const char*>(std::memchr(p, key, std::size_t(last - p + 1)));
        if (!p)
            return nullptr;
        if (std::memcmp(p - rare, needle.data(), std::size_t(n)) == 0)
            return p - rare;
        ++p;
    }
    return nullptr;
}

} // namespace

SearchIndex::SearchIndex()
    : starts_{0}
{
}

void SearchIndex::reserve(std::size_t rows, std::size_t bytes)
{
    starts_.reserve(rows + 1);
    keys_.reserve(qsizetype(std::min<std::size_t>(bytes, std::size_t(MaxKeys))));
}

template <class Field, class Fold> void SearchIndex::add(std::initializer_list<Field> fields, Fold fold)
{
    bool first = true;
    for (const Field& field : fields) {
        if (!first)
            keys_.append(FieldSeparator);
        first = false;
        fold(keys_, field);
    }
    endRow();
}

void SearchIndex::addRow(std::initializer_list<QStringView> fields)
{
    add(fields, [](QByteArray& out, QStringView f) { AppendFolded(out, f); });
}

void SearchIndex::addRowUtf8(std::initializer_list<QByteArrayView> fields)
{
    add(fields, [](QByteArray& out, QByteArrayView f) { AppendFoldedUtf8(out, f); });
}

void SearchIndex::endRow()
{
    if (keys_.size() >= MaxKeys)
        keys_.truncate(qsizetype(starts_.back()));
    for (qsizetype i = qsizetype(starts_.back()); i < keys_.size(); ++i)
        ++frequency_[uchar(keys_[i])];
    keys_.append(RowEnd);
    starts_.push_back(std::uint32_t(keys_.size()));
}

QByteArrayView SearchIndex::key(std::size_t row) const
{
    const std::uint32_t start = starts_[row];
    return QByteArrayView(keys_.constData() + start, qsizetype(starts_[row + 1] - start) - 1);
}

RowFilter::RowFilter(std::shared_ptr<const SearchIndex> index)
    : index_(index ? std::move(index) : std::make_shared<const SearchIndex>())
{
}

bool RowFilter::setQuery(QStringView text)
{
    QByteArray folded = FoldForSearch(text);
    if (folded == query_)
        return false;
    // Every row that holds the longer text holds the shorter one.
    const bool narrow = !query_.isEmpty() && folded.contains(query_);
    query_ = std::move(folded);
    rare_ = 0;
    for (qsizetype i = 1; i < query_.size(); ++i) {
        if (index_->frequency_[uchar(query_[i])] < index_->frequency_[uchar(query_[rare_])])
            rare_ = i;
    }
    restart(narrow);
    return true;
}

void RowFilter::restart(bool narrow)
{
    const std::size_t n = index_->size();
    if (narrow) {
        // The rows found so far and those not looked at yet, still in order:
        // the pool lies below the tail, and what was found came from both.
        std::vector<std::uint32_t> pool;
        pool.reserve(matches_.size() + (pool_.size() - poolNext_));
        std::merge(matches_.begin(), matches_.end(), pool_.begin() + std::ptrdiff_t(poolNext_), pool_.end(),
            std::back_inserter(pool));
        pool_ = std::move(pool);
        tailFrom_ = tailNext_;
        // Rows the shorter query left out cannot hold the longer one either,
        // so one search over all keys gives the same rows; over a pool of
        // many rows it is the faster way.
        if (pool_.size() > tailFrom_ / 8) {
            pool_.clear();
            tailFrom_ = 0;
        }
    } else {
        pool_.clear();
        pool_.shrink_to_fit();
        tailFrom_ = 0;
    }
    poolNext_ = 0;
    tailNext_ = tailFrom_;
    matches_.clear();
    accepted_.assign((n + 63) / 64, 0);
    examined_ = 0;
    if (query_.isEmpty()) {
        pool_.clear();
        tailFrom_ = tailNext_ = n;
    }
    candidates_ = pool_.size() + (n - tailFrom_);
    finished_ = candidates_ == 0;
}

void RowFilter::found(std::uint32_t row)
{
    matches_.push_back(row);
    accepted_[row >> 6] |= std::uint64_t(1) << (row & 63);
}

std::size_t RowFilter::scanPool(std::size_t budget)
{
    const std::size_t end = std::min(pool_.size(), poolNext_ + budget);
    for (std::size_t i = poolNext_; i < end; ++i) {
        const QByteArrayView key = index_->key(pool_[i]);
        if (findIn(key.data(), key.data() + key.size(), query_, rare_))
            found(pool_[i]);
    }
    const std::size_t done = end - poolNext_;
    poolNext_ = end;
    return done;
}

std::size_t RowFilter::scanTail(std::size_t budget)
{
    const std::size_t n = index_->size();
    const std::size_t end = std::min(n, tailNext_ + budget);
    const std::vector<std::uint32_t>& starts = index_->starts_;
    const char* keys = index_->keys_.constData();
    // One search over the keys of the whole slice; no key holds a row end,
    // so a hit never spans two rows.
    std::size_t row = tailNext_;
    const char* to = keys + starts[end];
    const char* from = keys + starts[row];
    while (row < end) {
        const char* hit = findIn(from, to, query_, rare_);
        if (!hit)
            break;
        const std::uint32_t at = std::uint32_t(hit - keys);
        while (starts[row + 1] <= at)
            ++row;
        found(std::uint32_t(row));
        ++row;
        from = keys + starts[row];
    }
    const std::size_t done = end - tailNext_;
    tailNext_ = end;
    return done;
}

bool RowFilter::step(std::size_t budget)
{
    if (finished_)
        return true;
    std::size_t left = budget;
    if (poolNext_ < pool_.size())
        left -= scanPool(left);
    if (left > 0 && tailNext_ < index_->size())
        left -= scanTail(left);
    examined_ += budget - left;
    finished_ = poolNext_ == pool_.size() && tailNext_ == index_->size();
    return finished_;
}

void RowFilter::finish()
{
    while (!step())
        ;
}

bool RowFilter::accepts(std::size_t row) const
{
    if (query_.isEmpty())
        return row < index_->size();
    if (row >= index_->size())
        return false;
    return (accepted_[row >> 6] >> (row & 63)) & 1;
}

} // namespace zv
