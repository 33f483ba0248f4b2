// The named shared memory stand-in, as the overheads' magneto block relies on it: one set of
// bytes per name for the whole process, zero-filled when created, found again with
// ERROR_ALREADY_EXISTS, outliving every view, and failing on demand.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win.h"
#include "sharedmem_control.h"

namespace {

constexpr const char* name = "P9VTestObject";

class SharedMemory : public testing::Test {
protected:
    void SetUp() override { platformResetFileMappings(); }
    void TearDown() override { platformResetFileMappings(); }

    static HANDLE create(DWORD size = 12, const char* n = name) {
        return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, n);
    }
    static int32_t* map(HANDLE h, SIZE_T bytes = 12) {
        return static_cast<int32_t*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, bytes));
    }
};

TEST_F(SharedMemory, NewObjectIsZeroFilledAndLaterCreatesFindIt) {
    SetLastError(77);
    HANDLE first = create();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), 0u) << "a created object leaves the last error 0";
    int32_t* a = map(first);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a[0], 0);
    EXPECT_EQ(a[1], 0);
    EXPECT_EQ(a[2], 0);
    a[1] = 4242;

    HANDLE second = create(4096);  // the existing object keeps its own size
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    int32_t* b = map(second);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b) << "each view has an address of its own";
    EXPECT_EQ(b[1], 4242);
    b[2] = -5;
    EXPECT_EQ(a[2], -5) << "both views show the same bytes";
    EXPECT_EQ(platformFileMappingViewCount(name), 2);
    EXPECT_TRUE(UnmapViewOfFile(a));
    EXPECT_TRUE(UnmapViewOfFile(b));
}

TEST_F(SharedMemory, ContentsOutliveEveryView) {
    int32_t* a = map(create());
    a[0] = 3;
    ASSERT_TRUE(UnmapViewOfFile(a));
    EXPECT_EQ(platformFileMappingViewCount(name), 0);
    int32_t* again = map(create());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again[0], 3);
    UnmapViewOfFile(again);
}

TEST_F(SharedMemory, ResetStartsFromZerosAsANewProcessWould) {
    int32_t* a = map(create());
    a[0] = 9;
    UnmapViewOfFile(a);
    platformResetFileMappings();
    EXPECT_EQ(platformFileMappingViewCount(name), -1);
    HANDLE h = create();
    EXPECT_EQ(GetLastError(), 0u);
    int32_t* b = map(h);
    EXPECT_EQ(b[0], 0);
    UnmapViewOfFile(b);
}

TEST_F(SharedMemory, NamesAreSeparateAndUnnamedObjectsAreNeverShared) {
    int32_t* a = map(create(12, "P9VTestA"));
    int32_t* b = map(create(12, "P9VTestB"));
    int32_t* c = map(create(12, nullptr));
    int32_t* d = map(create(12, nullptr));
    a[0] = 1;
    EXPECT_EQ(b[0], 0);
    c[0] = 2;
    EXPECT_EQ(d[0], 0);
    for (int32_t* v : {a, b, c, d}) UnmapViewOfFile(v);
}

struct RefusedCase {
    const char* reason;
    HANDLE file;
    DWORD protect;
    DWORD size;
    DWORD error;
};

TEST_F(SharedMemory, CreationRefusesWhatWindowsRefuses) {
    const RefusedCase cases[] = {
        {"only page-file backing is offered", reinterpret_cast<HANDLE>(intptr_t(3)), PAGE_READWRITE, 12,
         ERROR_INVALID_HANDLE},
        {"a page-file object needs a size", INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, ERROR_INVALID_PARAMETER},
        {"unknown page protection", INVALID_HANDLE_VALUE, 0x40, 12, ERROR_INVALID_PARAMETER},
    };
    for (const RefusedCase& c : cases) {
        SetLastError(0);
        EXPECT_EQ(CreateFileMappingA(c.file, nullptr, c.protect, 0, c.size, "P9VRefused"), nullptr) << c.reason;
        EXPECT_EQ(GetLastError(), c.error) << c.reason;
    }
    EXPECT_EQ(platformFileMappingViewCount("P9VRefused"), -1) << "a refused create names nothing";
}

TEST_F(SharedMemory, ViewsStayInsideTheObject) {
    HANDLE h = create(12);
    EXPECT_EQ(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 13), nullptr) << "past the end";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 4, 4), nullptr) << "offset off the allocation grain";
    EXPECT_EQ(GetLastError(), ERROR_MAPPED_ALIGNMENT);
    EXPECT_EQ(MapViewOfFile(reinterpret_cast<HANDLE>(intptr_t(0x55)), FILE_MAP_ALL_ACCESS, 0, 0, 12), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    void* whole = MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    EXPECT_NE(whole, nullptr) << "0 bytes maps to the end";
    UnmapViewOfFile(whole);
    int dummy = 0;
    EXPECT_FALSE(UnmapViewOfFile(&dummy)) << "not a view";
    EXPECT_FALSE(UnmapViewOfFile(nullptr));
}

TEST_F(SharedMemory, InjectedFaultsFailUntilTurnedOff) {
    platformFailFileMappingCreation(ERROR_ACCESS_DENIED);
    EXPECT_EQ(create(), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(create(), nullptr) << "the fault stays on";
    platformFailFileMappingCreation(0);

    HANDLE h = create();
    ASSERT_NE(h, nullptr);
    platformFailFileMappingViews(ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(map(h), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(platformFileMappingViewCount(name), 0);
    platformFailFileMappingViews(0);
    int32_t* v = map(h);
    EXPECT_NE(v, nullptr);
    UnmapViewOfFile(v);
}

TEST_F(SharedMemory, ResetTurnsFaultsOff) {
    platformFailFileMappingCreation(ERROR_ACCESS_DENIED);
    platformFailFileMappingViews(ERROR_ACCESS_DENIED);
    platformResetFileMappings();
    int32_t* v = map(create());
    EXPECT_NE(v, nullptr);
    UnmapViewOfFile(v);
}

}  // namespace
