/* The checksum POSIX `cksum` prints: a CRC with polynomial 0x04C11DB7, most significant bit first,
 * starting from 0, over the bytes and then the length (its bytes least significant first, as few
 * as hold it), complemented. C and C++ alike: the Windows self-join program shares it. */
#ifndef ZENDRA_POSIX_CKSUM_H
#define ZENDRA_POSIX_CKSUM_H

#include <stddef.h>
#include <stdint.h>

/* table[k][i]: the CRC of byte i followed by k zero bytes, for four bytes a step. */
typedef struct ZendraCksum {
    uint32_t table[4][256];
    uint32_t crc;
    uint64_t length;
} ZendraCksum;

static inline void ZendraCksumStart(ZendraCksum* sum) {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
        sum->table[0][i] = c;
    }
    for (int k = 1; k < 4; ++k)
        for (uint32_t i = 0; i < 256; ++i)
            sum->table[k][i] =
                (sum->table[k - 1][i] << 8) ^ sum->table[0][sum->table[k - 1][i] >> 24];
    sum->crc = 0;
    sum->length = 0;
}

static inline void ZendraCksumAdd(ZendraCksum* sum, const unsigned char* data, size_t size) {
    uint32_t crc = sum->crc;
    sum->length += size;
    for (; size >= 4; size -= 4, data += 4) {
        crc ^= (uint32_t)data[0] << 24 | (uint32_t)data[1] << 16 | (uint32_t)data[2] << 8 | data[3];
        crc = sum->table[3][crc >> 24] ^ sum->table[2][(crc >> 16) & 0xFF] ^
              sum->table[1][(crc >> 8) & 0xFF] ^ sum->table[0][crc & 0xFF];
    }
    for (; size > 0; --size)
        crc = (crc << 8) ^ sum->table[0][((crc >> 24) ^ *data++) & 0xFF];
    sum->crc = crc;
}

static inline uint32_t ZendraCksumValue(const ZendraCksum* sum) {
    uint32_t crc = sum->crc;
    for (uint64_t n = sum->length; n != 0; n >>= 8)
        crc = (crc << 8) ^ sum->table[0][((crc >> 24) ^ (uint32_t)(n & 0xFF)) & 0xFF];
    return ~crc;
}

#endif
