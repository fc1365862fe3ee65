#include "app/MicroPerformanceFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Reads arbitrary bytes as a microperformance file. Whatever loads must save
// to bytes that load to the same record, and whatever the name field holds
// must propose a name that stays in its folder.
namespace
{
constexpr size_t nameOffset = sizeof (std::int32_t) + offsetof (ST_MICROPERFORMANCE, name);

const ST_MICROPERFORMANCE& currentRecord()
{
    static const auto record = []
    {
        auto r = initialMicroPerformance();
        r.number = 9;
        r.infoBytes[0] = 1;
        r.infoBytes[1] = 2;
        return r;
    }();
    return record;
}

void checkRoundTrip (const ST_MICROPERFORMANCE& loaded)
{
    const auto saved = MicroPerformanceFile::encode (loaded);
    const auto again = MicroPerformanceFile::decode (saved.getData(), saved.getSize(), currentRecord());

    if (again.refusal != MicroPerformanceFile::Refusal::none || std::memcmp (&again.record, &loaded, sizeof (loaded)) != 0)
        std::abort();
}

void checkProposedName (const uint8_t* data, size_t size)
{
    auto record = currentRecord();

    if (size > nameOffset)
        std::memcpy (record.name, data + nameOffset, std::min (size - nameOffset, sizeof (record.name)));

    const auto name = MicroPerformanceFile::getProposedFileName (record);

    if (name.containsAnyOf ("/\\%") || name.startsWithChar ('.') || name.toUTF8().sizeInBytes() > sizeof (record.name) + 1)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto decoded = MicroPerformanceFile::decode (data, size, currentRecord());

    if (decoded.refusal == MicroPerformanceFile::Refusal::none)
        checkRoundTrip (decoded.record);

    checkProposedName (data, size);
    return 0;
}
