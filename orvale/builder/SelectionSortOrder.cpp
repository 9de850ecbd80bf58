#include "orvale/builder/SelectionSortOrder.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <string>

namespace orvale {

namespace {

// Each character upper-cased on its own, as the system's own upper-casing
// does: a character never turns into two ("ß" stays "ß" rather than "SS"),
// so a name keeps its length and its place among the others. The result is
// compared code point by code point.
std::u32string UpperCased(const std::string& name) {
  std::u32string upper;
  upper.reserve(name.size());
  const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
  if (ascii) {
    for (const char c : name) upper.push_back(char32_t(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
    return upper;
  }
  // toUcs4 joins each surrogate pair into the one character it stands for.
  for (const char32_t c : QString::fromUtf8(name.data(), qsizetype(name.size())).toUcs4())
    upper.push_back(QChar::toUpper(c));
  return upper;
}

// Dense ranks of the keys, so the tree compares integers: equal keys get the
// same rank, and a smaller key a smaller rank.
template <typename Key>
std::vector<std::int64_t> DenseRanks(const std::vector<Key>& keys) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  std::vector<std::int64_t> ranks(keys.size());
  std::int64_t rank = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k > 0 && keys[order[k - 1]] < keys[order[k]]) ++rank;
    ranks[order[k]] = rank;
  }
  return ranks;
}

std::vector<std::int64_t> RanksOf(const std::vector<FileRow>& rows, bool byName) {
  if (!byName) {
    std::vector<std::int64_t> times;
    times.reserve(rows.size());
    for (const auto& row : rows) times.push_back(row.modified);
    return times;  // times already order as ranks do
  }
  std::vector<std::u32string> names;
  names.reserve(rows.size());
  for (const auto& row : rows) names.push_back(UpperCased(row.name));
  return DenseRanks(names);
}

// Minimum of (rank, position) over the positions not yet placed.
class TournamentTree {
 public:
  explicit TournamentTree(const std::vector<std::int64_t>& ranks) : size_(1) {
    while (size_ < ranks.size()) size_ *= 2;
    nodes_.assign(2 * size_, kPlaced);
    for (std::size_t p = 0; p < ranks.size(); ++p) nodes_[size_ + p] = {ranks[p], p};
    for (std::size_t n = size_ - 1; n >= 1; --n)
      nodes_[n] = std::min(nodes_[2 * n], nodes_[2 * n + 1]);
  }
  std::size_t minimumPosition() const { return nodes_[1].second; }
  void set(std::size_t position, std::int64_t rank) { update(position, {rank, position}); }
  void place(std::size_t position) { update(position, kPlaced); }

 private:
  using Entry = std::pair<std::int64_t, std::size_t>;
  static constexpr Entry kPlaced{std::numeric_limits<std::int64_t>::max(),
                                 std::numeric_limits<std::size_t>::max()};
  void update(std::size_t position, Entry entry) {
    std::size_t n = size_ + position;
    nodes_[n] = entry;
    for (n /= 2; n >= 1; n /= 2) nodes_[n] = std::min(nodes_[2 * n], nodes_[2 * n + 1]);
  }
  std::size_t size_;
  std::vector<Entry> nodes_;
};

}  // namespace

void SortRowsAsSelectionSort(std::vector<FileRow>& rows, bool byName) {
  if (rows.size() < 2) return;
  std::vector<std::int64_t> ranks = RanksOf(rows, byName);
  TournamentTree tree(ranks);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::size_t m = tree.minimumPosition();
    std::swap(rows[i], rows[m]);
    std::swap(ranks[i], ranks[m]);
    tree.place(i);
    if (m != i) tree.set(m, ranks[m]);
  }
}

}  // namespace orvale
