#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// A short message packs the status in its lowest byte, data byte 1 in the
// second and data byte 2 in the third, in 32-bit signed arithmetic; a partial
// result outside the 32-bit range fails with "Overflow".
std::int32_t packStatusAndData1(std::int16_t status, std::int16_t data1);
std::int32_t packData2(std::int32_t data2);
// The two parts above added into the whole message.
std::int32_t joinPacked(std::int32_t statusAndData1, std::int32_t data2);

// A packed short message taken apart, status first, with the number of its
// bytes that go on the wire: a program change and channel pressure carry one
// data byte, every other message two.
struct ShortMessage {
    std::array<std::uint8_t, 3> bytes;
    std::size_t length;

    std::uint8_t status() const { return bytes[0]; }
    std::uint8_t data1() const { return bytes[1]; }
    std::uint8_t data2() const { return bytes[2]; }
};

// The one decoder every output uses. The top byte of the packed value is not
// part of the message. A message with a data byte above 127 (either of the two,
// whatever the status) is not MIDI: it gives nothing, and every output drops
// it rather than send something else.
std::optional<ShortMessage> decodeShortMessage(std::uint32_t message);
