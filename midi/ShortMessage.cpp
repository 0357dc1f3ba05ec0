#include "midi/ShortMessage.h"

#include "shell/CheckedInt.h"

std::int32_t packStatusAndData1(std::int16_t status, std::int16_t data1) {
    return checkedInt32(status + 256LL * data1);
}

std::int32_t packData2(std::int32_t data2) {
    return checkedInt32(data2 * 256LL * 256LL);
}

std::int32_t joinPacked(std::int32_t statusAndData1, std::int32_t data2) {
    return checkedInt32(static_cast<long long>(statusAndData1) + data2);
}

std::optional<ShortMessage> decodeShortMessage(std::uint32_t message) {
    const auto status = static_cast<std::uint8_t>(message & 0xFF);
    const auto data1 = static_cast<std::uint8_t>((message >> 8) & 0xFF);
    const auto data2 = static_cast<std::uint8_t>((message >> 16) & 0xFF);
    if (data1 > 0x7F || data2 > 0x7F)
        return std::nullopt;
    const unsigned kind = status & 0xF0u;
    const std::size_t length = kind == 0xC0u || kind == 0xD0u ? 2 : 3;
    return ShortMessage{{status, data1, data2}, length};
}
