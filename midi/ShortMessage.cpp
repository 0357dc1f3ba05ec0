#include "midi/ShortMessage.h"

#include "shell/CheckedInt.h"

std::int32_t packStatusAndData1(std::int16_t status, std::int16_t data1) {
    return checkedInt32(status + 256LL * data1);
}

std::int32_t packData2(std::int32_t data2) {
    return checkedInt32(data2 * 256LL * 256LL);
}

std::int32_t packShortMessage(std::int16_t status, std::int16_t data1, std::int32_t data2) {
    return checkedInt32(static_cast<long long>(packStatusAndData1(status, data1)) +
                        packData2(data2));
}

std::array<std::uint8_t, 3> unpackShortMessage(std::uint32_t message) {
    return {static_cast<std::uint8_t>(message & 0xFF),
            static_cast<std::uint8_t>((message >> 8) & 0xFF),
            static_cast<std::uint8_t>((message >> 16) & 0xFF)};
}
