#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// One microperformance as the instrument holds it. The layout, padding
// included, is also the body of the microperformance file, so every offset is
// fixed and checked below.
struct ST_MICROPERFORMANCE
{
    static constexpr int nameSize = 20;
    static constexpr int paramCount = 18;
    static constexpr int trackCount = 12;
    static constexpr int keyCount = 88;
    static constexpr int pedalCount = 5;

    // NRPN group 1
    struct NrpnBlock1
    {
        unsigned char on;
        unsigned char padding[3];
        std::int32_t notCarried;
        std::int32_t params[4]; // params 1..4
        std::int32_t reserved[2];
    };

    // NRPN group 2
    struct NrpnBlock2
    {
        unsigned char on;
        unsigned char padding[3];
        std::int32_t param1;
        std::int32_t notCarried;
        std::int32_t params[7]; // params 2..8
    };

    // NRPN group 4; its param 1 is never stored
    struct NrpnBlock4
    {
        unsigned char on;
        unsigned char padding[3];
        std::int32_t params[5]; // params 2..6
    };

    // Groups 3, 6 and 7: an on flag in slot 0, then int32 slots 1..slotCount-1.
    template<int slotCount>
    struct SlotBlock
    {
        unsigned char on;
        unsigned char padding[3];
        std::int32_t slots[slotCount - 1]; // slots[s - 1] is slot s

        std::int32_t& slot (int s) { return slots[s - 1]; }
        const std::int32_t& slot (int s) const { return slots[s - 1]; }
    };

    char name[nameSize]; // UTF-8, NUL-terminated, at most 19 bytes of text
    unsigned char iconId; // 0xFF = none
    unsigned char bank;
    unsigned char number;
    unsigned char infoBytes[4];
    unsigned char templateId;
    unsigned char infoByte;
    unsigned char params[paramCount];
    unsigned char tracks[trackCount][keyCount];
    unsigned char padding1;
    NrpnBlock1 nrpnBlock1;
    NrpnBlock2 nrpnBlock2;
    NrpnBlock4 nrpnBlock4;
    SlotBlock<14> nrpnBlock3;
    unsigned char pedals[pedalCount];
    unsigned char volume;
    unsigned char pan;
    unsigned char chorusSend;
    unsigned char reverbSend;
    unsigned char padding2[3];
    SlotBlock<14> masterEffect;
    SlotBlock<9> nrpnBlock7;
};

static_assert (sizeof (ST_MICROPERFORMANCE) == 1360);
static_assert (offsetof (ST_MICROPERFORMANCE, name) == 0x000);
static_assert (offsetof (ST_MICROPERFORMANCE, iconId) == 0x014);
static_assert (offsetof (ST_MICROPERFORMANCE, bank) == 0x015);
static_assert (offsetof (ST_MICROPERFORMANCE, number) == 0x016);
static_assert (offsetof (ST_MICROPERFORMANCE, infoBytes) == 0x017);
static_assert (offsetof (ST_MICROPERFORMANCE, templateId) == 0x01B);
static_assert (offsetof (ST_MICROPERFORMANCE, infoByte) == 0x01C);
static_assert (offsetof (ST_MICROPERFORMANCE, params) == 0x01D);
static_assert (offsetof (ST_MICROPERFORMANCE, tracks) == 0x02F);
static_assert (offsetof (ST_MICROPERFORMANCE, tracks) + 11 * 88 + 87 == 0x44E);
static_assert (offsetof (ST_MICROPERFORMANCE, padding1) == 0x44F);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock1) == 0x450);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock1.notCarried) == 0x454);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock1.params) == 0x458);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock1.reserved) == 0x468);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock2) == 0x470);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock2.param1) == 0x474);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock2.notCarried) == 0x478);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock2.params) == 0x47C);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock4) == 0x498);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock4.params) == 0x49C);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock3) == 0x4B0);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock3.slots) == 0x4B4);
static_assert (offsetof (ST_MICROPERFORMANCE, pedals) == 0x4E8);
static_assert (offsetof (ST_MICROPERFORMANCE, volume) == 0x4ED);
static_assert (offsetof (ST_MICROPERFORMANCE, pan) == 0x4EE);
static_assert (offsetof (ST_MICROPERFORMANCE, chorusSend) == 0x4EF);
static_assert (offsetof (ST_MICROPERFORMANCE, reverbSend) == 0x4F0);
static_assert (offsetof (ST_MICROPERFORMANCE, padding2) == 0x4F1);
static_assert (offsetof (ST_MICROPERFORMANCE, masterEffect) == 0x4F4);
static_assert (offsetof (ST_MICROPERFORMANCE, masterEffect.slots) == 0x4F8);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock7) == 0x52C);
static_assert (offsetof (ST_MICROPERFORMANCE, nrpnBlock7.slots) + 7 * 4 == 0x54C);

// The record of a new link, and of one cleared when the connection goes off.
inline ST_MICROPERFORMANCE initialMicroPerformance()
{
    constexpr unsigned char centre = 64;
    constexpr unsigned char noIcon = 0xFF;
    constexpr std::int32_t block3Slot6 = 100;

    ST_MICROPERFORMANCE record;
    std::memset (&record, 0, sizeof (record));
    std::memset (record.params, centre, sizeof (record.params));
    std::memset (record.tracks, centre, sizeof (record.tracks));
    record.iconId = noIcon;
    record.nrpnBlock1.notCarried = centre;
    record.nrpnBlock2.notCarried = centre;
    record.nrpnBlock4.params[0] = centre;
    record.nrpnBlock4.params[3] = centre;
    record.nrpnBlock4.params[4] = centre;
    record.nrpnBlock3.slot (6) = block3Slot6;
    return record;
}
