#pragma once

#include <QByteArrayView>

#include <cstdint>

// CRC-32C (the Castagnoli polynomial, as in iSCSI and ext4): the checksum of
// each journal record and the fast hash of a file's bytes. Chains: the CRC of
// a + b is crc32c(b, crc32c(a)). Uses the processor's CRC instruction where
// there is one, several gigabytes a second.
std::uint32_t crc32c(QByteArrayView bytes, std::uint32_t previous = 0);
// The same without the instruction (what other processors run).
std::uint32_t crc32cPortable(QByteArrayView bytes, std::uint32_t previous = 0);
