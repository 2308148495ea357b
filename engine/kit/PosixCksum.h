/* The checksum POSIX `cksum` prints: a CRC with polynomial 0x04C11DB7, most significant bit first,
 * starting from 0, over the bytes and then the length (its bytes least significant first, as few
 * as hold it), complemented. C and C++ alike: the Windows self-join program shares it. */
#ifndef ZENDRA_POSIX_CKSUM_H
#define ZENDRA_POSIX_CKSUM_H

#include <stddef.h>
#include <stdint.h>

typedef struct ZendraCksum {
    uint32_t table[256];
    uint32_t crc;
    uint64_t length;
} ZendraCksum;

static inline void ZendraCksumStart(ZendraCksum* sum) {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
        sum->table[i] = c;
    }
    sum->crc = 0;
    sum->length = 0;
}

static inline void ZendraCksumAdd(ZendraCksum* sum, const unsigned char* data, size_t size) {
    uint32_t crc = sum->crc;
    for (size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ sum->table[((crc >> 24) ^ data[i]) & 0xFF];
    sum->crc = crc;
    sum->length += size;
}

static inline uint32_t ZendraCksumValue(const ZendraCksum* sum) {
    uint32_t crc = sum->crc;
    for (uint64_t n = sum->length; n != 0; n >>= 8)
        crc = (crc << 8) ^ sum->table[((crc >> 24) ^ (uint32_t)(n & 0xFF)) & 0xFF];
    return ~crc;
}

#endif
