#pragma once

#include <array>
#include <cstdint>

// A short message packs the status in its lowest byte, data byte 1 in the
// second and data byte 2 in the third, in 32-bit signed arithmetic; a partial
// result outside the 32-bit range fails with "Overflow".
std::int32_t packStatusAndData1(std::int16_t status, std::int16_t data1);
std::int32_t packData2(std::int32_t data2);
std::int32_t packShortMessage(std::int16_t status, std::int16_t data1, std::int32_t data2);

// The three bytes of a packed short message, status first.
std::array<std::uint8_t, 3> unpackShortMessage(std::uint32_t message);

// The bytes of a packed short message as they go on the wire: program change
// and channel pressure carry one data byte, the other channel messages two.
// Returns the number of bytes written to `bytes`.
int shortMessageBytes(std::uint32_t message, unsigned char (&bytes)[3]);
