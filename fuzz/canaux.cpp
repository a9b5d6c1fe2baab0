// Both channel list readers over arbitrary answers.
#include "portal/canaux.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    for (auto icons : {zv::ChannelIcons::None, zv::ChannelIcons::Tele, zv::ChannelIcons::Video}) {
        for (const zv::ChannelRow& row : zv::ParseChannelRecords(body, icons)) {
            if (row.url.size() > 1000 || row.imageIndex < -1 || row.imageIndex >= zv::FlagCount)
                __builtin_trap();
        }
    }
    for (const zv::ChannelRow& row : zv::ParseM3uBouquet(body)) {
        if (!row.url.startsWith("vlc:") || row.caption.isEmpty())
            __builtin_trap();
    }
    return 0;
}
