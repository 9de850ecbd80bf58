#include <gtest/gtest.h>

#include <QList>
#include <QString>
#include <random>

#include "orvale/builder/SelectionSortOrder.h"

using orvale::FileRow;

namespace {

QList<uint> UpperCodePoints(const std::string& name) {
  QList<uint> codes = QString::fromStdString(name).toUcs4();
  for (uint& code : codes) code = QChar::toUpper(char32_t(code));
  return codes;
}

// The order pages have always had: a straightforward selection sort.
bool Precedes(const FileRow& j, const FileRow& m, bool byName) {
  if (!byName) return j.modified - m.modified < 0;
  return UpperCodePoints(m.name) > UpperCodePoints(j.name);
}

void ReferenceSelectionSort(std::vector<FileRow>& rows, bool byName) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::size_t m = i;
    for (std::size_t j = i; j < rows.size(); ++j)
      if (Precedes(rows[j], rows[m], byName)) m = j;
    std::swap(rows[i], rows[m]);
  }
}

std::vector<std::string> Names(const std::vector<FileRow>& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.name);
  return names;
}

}  // namespace

TEST(SelectionSortOrder, KnownOrders) {
  const struct {
    const char* rule;
    bool byName;
    std::vector<FileRow> rows;
    std::vector<std::string> expected;
  } cases[] = {
      {"names upper-cased, compared by character code, no natural numbers",
       true,
       {{"2.jpg", 0}, {"10.jpg", 0}, {"B.jpg", 0}, {"a.jpg", 0}, {"_x.jpg", 0}},
       {"10.jpg", "2.jpg", "a.jpg", "B.jpg", "_x.jpg"}},
      {"a prefix comes first",
       true,
       {{"ab.jpg", 0}, {"AB.JPG.jpg", 0}, {"a", 0}},
       {"a", "ab.jpg", "AB.JPG.jpg"}},
      {"the swap carries an equal key behind a later one",
       false,
       {{"A", 36005}, {"B", 36005}, {"C", 36001}},
       {"C", "B", "A"}},
      {"same second counts as equal, oldest first",
       false,
       {{"new", 50}, {"old", 10}, {"same1", 30}, {"same2", 30}},
       {"old", "same1", "same2", "new"}},
      {"non-ASCII upper-cases too",
       true,
       {{"\xC3\xA9t\xC3\xA9.jpg", 0}, {"\xC3\x89T\xC3\x89.JPG.jpg", 0}, {"z.jpg", 0}},
       {"z.jpg", "\xC3\xA9t\xC3\xA9.jpg", "\xC3\x89T\xC3\x89.JPG.jpg"}},
      {"each character upper-cased on its own: \"\xC3\x9F\" stays one character, past Z",
       true,
       {{"\xC3\x9F.jpg", 0}, {"su.jpg", 0}, {"st.jpg", 0}},
       {"st.jpg", "su.jpg", "\xC3\x9F.jpg"}},
      {"a character beyond 16 bits upper-cases as one",
       true,
       {{"\xF0\x90\x90\x80"
         "b.jpg",
         0},
        {"\xF0\x90\x90\xA8"
         "a.jpg",
         0}},
       {"\xF0\x90\x90\xA8"
        "a.jpg",
        "\xF0\x90\x90\x80"
        "b.jpg"}},
  };
  for (auto c : cases) {
    orvale::SortRowsAsSelectionSort(c.rows, c.byName);
    EXPECT_EQ(Names(c.rows), c.expected) << c.rule;
  }
}

std::vector<std::int64_t> Times(const std::vector<FileRow>& rows) {
  std::vector<std::int64_t> times;
  for (const auto& row : rows) times.push_back(row.modified);
  return times;
}

TEST(SelectionSortOrder, MatchesAPlainSelectionSortOnTablesFullOfEqualKeys) {
  std::mt19937 random(20261207);
  const char* const stems[] = {"a.jpg", "A.JPG", "b.jpg", "B.jpg",        "ab",          "Ab",
                               "_",     "10",    "2",     "\xC3\xA9.jpg", "\xC3\x89.JPG"};
  for (int round = 0; round < 400; ++round) {
    const int size = int(random() % 80);
    const int distinct = 1 + int(random() % 11);
    // By date: the name is the row's identity and times repeat.
    std::vector<FileRow> byDate;
    for (int k = 0; k < size; ++k)
      byDate.push_back({std::to_string(k), std::int64_t(random() % distinct)});
    auto fast = byDate;
    orvale::SortRowsAsSelectionSort(fast, false);
    ReferenceSelectionSort(byDate, false);
    ASSERT_EQ(Names(fast), Names(byDate)) << "by date, round " << round;

    // By name: the time is the row's identity and names repeat.
    std::vector<FileRow> byName;
    for (int k = 0; k < size; ++k) byName.push_back({stems[random() % distinct], k});
    fast = byName;
    orvale::SortRowsAsSelectionSort(fast, true);
    ReferenceSelectionSort(byName, true);
    ASSERT_EQ(Times(fast), Times(byName)) << "by name, round " << round;
  }
}
