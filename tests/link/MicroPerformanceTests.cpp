#include "link/MicroPerformance.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace
{
void putInt32 (std::array<unsigned char, 1360>& bytes, size_t offset, int value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[offset + i] = (unsigned char) ((value >> (8 * i)) & 0xFF);
}
} // namespace

TEST (MicroPerformance, InitialRecordHasItsDefaultsAtTheirFileOffsets)
{
    std::array<unsigned char, 1360> expected {};
    std::memset (expected.data() + 0x01D, 64, 0x44F - 0x01D);
    expected[0x014] = 0xFF;

    for (size_t offset : { 0x454, 0x478, 0x49C, 0x4A8, 0x4AC })
        putInt32 (expected, offset, 64);

    putInt32 (expected, 0x4C8, 100);

    const auto record = initialMicroPerformance();
    ASSERT_EQ (sizeof (record), expected.size());
    EXPECT_EQ (std::memcmp (&record, expected.data(), expected.size()), 0);
}

TEST (MicroPerformance, NamedFieldsSitWhereTheFileKeepsThem)
{
    auto record = initialMicroPerformance();
    record.tracks[11][87] = 1;
    record.nrpnBlock3.slot (13) = 2;
    record.nrpnBlock7.slot (8) = 3;
    record.masterEffect.slot (1) = 4;

    const auto* bytes = reinterpret_cast<const unsigned char*> (&record);
    EXPECT_EQ (bytes[0x44E], 1);
    EXPECT_EQ (bytes[0x4E4], 2);
    EXPECT_EQ (bytes[0x54C], 3);
    EXPECT_EQ (bytes[0x4F8], 4);
}
