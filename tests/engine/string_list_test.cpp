#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/string_list.hpp"
#include "support/recorders.hpp"

namespace ferrowick {
namespace {

using testing::RecordingYielder;

StringList SortedAndCleaned(StringList list) {
    RecordingYielder yielder;
    QuickSortStrings(list, 0, static_cast<std::int64_t>(list.size()) - 1, yielder);
    RemoveAdjacentDuplicates(list, yielder);
    return list;
}

TEST(StringList, SortsAndCleansTheMixedListIntoTwoEntries) {
    EXPECT_EQ(SortedAndCleaned({u"b", u"", u"a", u"b", u"a", u""}), (StringList{u"a", u"b"}));
}

TEST(StringList, AllEmptyListKeepsItsLength) {
    EXPECT_EQ(SortedAndCleaned({u"", u"", u""}), (StringList{u"", u"", u""}));
}

TEST(StringList, OrdinalOrderIsCaseSensitiveAndPrefixFirst) {
    EXPECT_EQ(SortedAndCleaned({u"Inbox2", u"sent", u"Inbox", u"Sent", u"INBOX", u"Inbox"}),
              (StringList{u"INBOX", u"Inbox", u"Inbox2", u"Sent", u"sent"}));
}

TEST(StringList, OrdersByUtf16CodeUnitsNotCodePoints) {
    // U+FF21 (one unit) sorts after a surrogate pair (units D83D...), unlike code point order.
    const std::u16string wide = u"\uFF21";
    const std::u16string astral = u"\U0001F600";
    EXPECT_EQ(SortedAndCleaned({wide, astral, u"z"}), (StringList{u"z", astral, wide}));
}

TEST(StringList, RunsOfThreeOrMoreCollapseToOne) {
    EXPECT_EQ(SortedAndCleaned({u"a", u"a", u"a", u"b", u"b", u"c", u"c", u"c", u"c"}), (StringList{u"a", u"b", u"c"}));
}

TEST(StringList, QuickSortSortsOnlyTheGivenSlice) {
    StringList list{u"d", u"c", u"b", u"a"};
    RecordingYielder yielder;
    QuickSortStrings(list, 1, 2, yielder);
    EXPECT_EQ(list, (StringList{u"d", u"b", u"c", u"a"}));
}

TEST(StringList, QuickSortAgreesWithStandardSortOnRandomLists) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        StringList list(random() % 40 + 1);
        for (auto& entry : list) {
            const int length = static_cast<int>(random() % 4);
            for (int k = 0; k < length; ++k) entry += static_cast<char16_t>(u'a' + random() % 3);
        }
        StringList expected = list;
        std::sort(expected.begin(), expected.end());
        RecordingYielder yielder;
        QuickSortStrings(list, 0, static_cast<std::int64_t>(list.size()) - 1, yielder);
        ASSERT_EQ(list, expected) << "round " << round;
    }
}

TEST(StringList, LongListsOfAnyShapeSort) {
    for (const int shape : {0, 1, 2}) {
        StringList list(50000);
        for (std::size_t k = 0; k < list.size(); ++k) {
            const std::size_t key = shape == 0 ? list.size() - k : shape == 1 ? 7 : (k * 7919) % 1000;
            list[k] = u"f" + std::u16string(1, static_cast<char16_t>(u'a' + key % 26)) + std::u16string(key % 5, u'x');
        }
        StringList expected = list;
        std::sort(expected.begin(), expected.end());
        RecordingYielder yielder;
        QuickSortStrings(list, 0, static_cast<std::int64_t>(list.size()) - 1, yielder);
        EXPECT_EQ(list, expected) << "shape " << shape;
    }
}

TEST(StringList, BothHelpersYieldAtEveryStep) {
    StringList list{u"c", u"b", u"a", u"a"};
    RecordingYielder sortYields;
    QuickSortStrings(list, 0, 3, sortYields);
    EXPECT_GE(sortYields.count, 4);
    RecordingYielder cleanYields;
    RemoveAdjacentDuplicates(list, cleanYields);
    EXPECT_GE(cleanYields.count, 2 + 4);  // before both passes and inside each
}

TEST(StringList, SingleEntryAndEmptyListAreLeftAlone) {
    EXPECT_EQ(SortedAndCleaned({u"x"}), (StringList{u"x"}));
    EXPECT_EQ(SortedAndCleaned({}), StringList{});
}

}  // namespace
}  // namespace ferrowick
