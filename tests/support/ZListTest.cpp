#include "ZList.h"
#include "ZString.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>

namespace {

template <class T>
std::string contents(const ZList<T>& list)
{
    std::ostringstream out;
    ZListPos pos;
    for (list.start(pos); !list.isEnd(pos); list.next(pos))
        out << list.get(pos) << ' ';
    return out.str();
}

ZList<int> listOf(std::initializer_list<int> values)
{
    ZList<int> list;
    for (int v : values)
        list.append(v);
    return list;
}

} // namespace

TEST(ZList, InsertRemoveAndPositions)
{
    ZList<int> list = listOf({1, 2, 3});
    ZListPos pos = list.posAt(1);
    EXPECT_TRUE(list.insert(pos, 9) == pos);
    EXPECT_EQ(list.get(pos), 9);

    ZListPos end = list.posAt(99);
    ASSERT_TRUE(list.isEnd(end));
    list.insertAfter(end, 4);  // at the end it appends
    EXPECT_EQ(list.get(end), 4);
    ZListPos first = list.firstPos();
    list.insertAfter(first, 5);
    EXPECT_EQ(contents(list), "1 5 9 2 3 4 ");
    EXPECT_EQ(list.count(), 6);
    EXPECT_EQ(list.get(list.lastPos()), 4);

    pos = list.posAt(2);
    list.remove(pos);
    EXPECT_EQ(list.get(pos), 2);  // moved on to the following element
    pos = list.lastPos();
    list.remove(pos);
    ASSERT_TRUE(list.isEnd(pos));
    list.remove(pos);  // the end names no element
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list[-1], 1);  // indexing walks from the first element
    list[2] = 7;
    EXPECT_EQ(contents(list), "1 5 7 3 ");

    ZList<int> empty;
    ZListPos at = empty.firstPos();
    empty.remove(at);
    EXPECT_TRUE(empty.isEnd(at));
    EXPECT_EQ(empty.count(), 0);
}

TEST(ZListDeathTest, IndexPastTheEndEndsProcess)
{
    const ZList<int> list = listOf({1, 2, 3});
    EXPECT_EXIT(list[3], testing::ExitedWithCode(1), "^ZList over range\n$");
    EXPECT_EXIT(ZList<int>()[0], testing::ExitedWithCode(1), "ZList over range");
}

TEST(ZList, CopiesAreIndependent)
{
    const ZList<int> source = listOf({1, 2, 3});
    ZList<int> copy(source);
    ZListPos pos = copy.firstPos();
    copy.remove(pos);
    copy.get(pos) = 20;
    ZList<int> assigned = listOf({7});
    assigned = source;
    assigned.append(4);
    ZList<int>& self = assigned;
    assigned = self;
    EXPECT_EQ(contents(source), "1 2 3 ");
    EXPECT_EQ(contents(copy), "20 3 ");
    EXPECT_EQ(contents(assigned), "1 2 3 4 ");

    ZList<ZString> words;
    words.append("one");
    ZList<ZString> wordsCopy = words;
    wordsCopy[0].toUpper();
    EXPECT_STREQ(words[0].cStr(), "one");
}

TEST(ZList, ClearedStringListStaysUsable)
{
    ZList<ZString> lines;
    const ZString shared("kept elsewhere");
    lines.append(shared);
    lines.append("second");
    lines.clear();
    EXPECT_EQ(lines.count(), 0);
    EXPECT_TRUE(lines.isEnd(lines.firstPos()));
    EXPECT_STREQ(shared.cStr(), "kept elsewhere");
    lines.append("again");
    EXPECT_EQ(contents(lines), "again ");
}

TEST(ZList, PointerElementsAreNotDeleted)
{
    int values[] = {0, 1, 2};
    ZList<int*> pointers;
    for (int& v : values)
        pointers.append(&v);
    ZListPos pos = pointers.firstPos();
    pointers.remove(pos);
    pointers.clear();  // deleting a pointee here would free stack memory
    EXPECT_EQ(values[2], 2);
}
