#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> closed;

struct CountingTraits {
    using pointer = int;
    static pointer invalid() noexcept { return -1; }
    static void close(pointer handle) noexcept { closed.push_back(handle); }
};
using Counted = UniqueHandle<CountingTraits>;

class UniqueHandleTest : public ::testing::Test {
protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueHandleTest, ClosesOnceOnDestructionAndNeverTheInvalidValue) {
    {
        Counted held(7);
        Counted none;
        EXPECT_TRUE(held.valid());
        EXPECT_FALSE(none);
    }
    EXPECT_EQ(closed, std::vector<int>{7});
}

TEST_F(UniqueHandleTest, MoveHandsOverWithoutClosing) {
    Counted first(1);
    Counted second(std::move(first));
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(second.get(), 1);
    Counted third(3);
    third = std::move(second);
    EXPECT_EQ(closed, std::vector<int>{3});
    EXPECT_EQ(third.get(), 1);
    third = std::move(third);
    EXPECT_EQ(third.get(), 1);
    EXPECT_EQ(closed, std::vector<int>{3});
}

TEST_F(UniqueHandleTest, ResetReleaseAndPut) {
    Counted owner(4);
    owner.reset(5);
    EXPECT_EQ(closed, std::vector<int>{4});
    owner.reset(5); // the same handle again is not closed under the owner's feet
    EXPECT_EQ(closed, std::vector<int>{4});

    const int released = owner.release();
    EXPECT_EQ(released, 5);
    EXPECT_FALSE(owner.valid());
    EXPECT_EQ(closed, std::vector<int>{4});

    owner.reset(6);
    int* slot = owner.put(); // what it held is closed before the API writes a new one
    EXPECT_EQ(closed, (std::vector<int>{4, 6}));
    EXPECT_EQ(*slot, -1);
    *slot = 8;
    EXPECT_EQ(owner.get(), 8);
    owner.reset();
    EXPECT_EQ(closed, (std::vector<int>{4, 6, 8}));
}

TEST(WindowsHandles, FileAndKernelHandlesKnowTheirInvalidValue) {
    FileHandle missing(CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(missing.valid());
    KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event.valid());
    HANDLE raw = event.release();
    EXPECT_TRUE(CloseHandle(raw));
    RegistryKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    EXPECT_TRUE(key.valid());
}

} // namespace
