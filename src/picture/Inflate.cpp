#include "picture/Inflate.h"

namespace {
const int kMaxBits = 15;

// A canonical Huffman code: how many codes of each length, and the symbols in code order.
struct CHuffman {
    uint16_t count[kMaxBits + 1];
    uint16_t symbol[288];
};

class CInflater {
public:
    CInflater(const uint8_t* pData, size_t nBytes, size_t nMaxOut, std::vector<uint8_t>* pOut)
        : m_pData(pData), m_nBytes(nBytes), m_nPos(0), m_nBitBuf(0), m_nBitCount(0), m_nMaxOut(nMaxOut), m_pOut(pOut) {}

    bool Run() {
        int bLast = 0;
        do {
            int nType = 0;
            if (!Bits(1, &bLast) || !Bits(2, &nType))
                return false;
            bool ok = false;
            if (nType == 0)
                ok = Stored();
            else if (nType == 1)
                ok = Fixed();
            else if (nType == 2)
                ok = Dynamic();
            if (!ok)
                return false;
        } while (!bLast);
        return true;
    }

    // After the last block: the byte where the stream's trailer starts.
    size_t BytePosition() const { return m_nPos; }

private:
    bool Bits(int n, int* pValue) {
        uint32_t v = m_nBitBuf;
        while (m_nBitCount < n) {
            if (m_nPos >= m_nBytes)
                return false;
            v |= static_cast<uint32_t>(m_pData[m_nPos++]) << m_nBitCount;
            m_nBitCount += 8;
        }
        m_nBitBuf = v >> n;
        m_nBitCount -= n;
        *pValue = static_cast<int>(v & ((1u << n) - 1));
        return true;
    }

    bool Put(uint8_t b) {
        if (m_pOut->size() >= m_nMaxOut)
            return false;
        m_pOut->push_back(b);
        return true;
    }

    bool Stored() {
        m_nBitBuf = 0;  // to the next byte
        m_nBitCount = 0;
        if (m_nBytes - m_nPos < 4)
            return false;
        const unsigned nLen = m_pData[m_nPos] | (m_pData[m_nPos + 1] << 8);
        const unsigned nComp = m_pData[m_nPos + 2] | (m_pData[m_nPos + 3] << 8);
        m_nPos += 4;
        if (nLen != (~nComp & 0xFFFFu) || m_nBytes - m_nPos < nLen)
            return false;
        for (unsigned i = 0; i < nLen; ++i)
            if (!Put(m_pData[m_nPos + i]))
                return false;
        m_nPos += nLen;
        return true;
    }

    // Builds the code from the lengths; false for a code that is over-subscribed, or incomplete
    // with more than one code (which the format does not allow).
    static bool Build(CHuffman* h, const uint8_t* pLengths, int n) {
        for (int i = 0; i <= kMaxBits; ++i)
            h->count[i] = 0;
        for (int i = 0; i < n; ++i)
            ++h->count[pLengths[i]];
        if (h->count[0] == n)
            return true;  // no codes: any use of it fails
        int nLeft = 1;
        for (int len = 1; len <= kMaxBits; ++len) {
            nLeft <<= 1;
            nLeft -= h->count[len];
            if (nLeft < 0)
                return false;
        }
        uint16_t offs[kMaxBits + 1];
        offs[1] = 0;
        for (int len = 1; len < kMaxBits; ++len)
            offs[len + 1] = static_cast<uint16_t>(offs[len] + h->count[len]);
        for (int i = 0; i < n; ++i)
            if (pLengths[i] != 0)
                h->symbol[offs[pLengths[i]]++] = static_cast<uint16_t>(i);
        return nLeft == 0 || n - h->count[0] == 1;
    }

    bool Decode(const CHuffman& h, int* pSymbol) {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= kMaxBits; ++len) {
            int b = 0;
            if (!Bits(1, &b))
                return false;
            code |= b;
            const int count = h.count[len];
            if (code - count < first) {
                *pSymbol = h.symbol[index + (code - first)];
                return true;
            }
            index += count;
            first += count;
            first <<= 1;
            code <<= 1;
        }
        return false;
    }

    bool Codes(const CHuffman& lit, const CHuffman& dist) {
        static const uint16_t kLenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                              31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const uint8_t kLenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                               33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static const uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                               6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            int sym = 0;
            if (!Decode(lit, &sym))
                return false;
            if (sym < 256) {
                if (!Put(static_cast<uint8_t>(sym)))
                    return false;
                continue;
            }
            if (sym == 256)
                return true;
            sym -= 257;
            if (sym >= 29)
                return false;
            int extra = 0;
            if (!Bits(kLenExtra[sym], &extra))
                return false;
            const size_t nLen = kLenBase[sym] + static_cast<size_t>(extra);
            if (!Decode(dist, &sym) || sym >= 30 || !Bits(kDistExtra[sym], &extra))
                return false;
            const size_t nDist = kDistBase[sym] + static_cast<size_t>(extra);
            if (nDist > m_pOut->size())
                return false;  // before the start
            for (size_t i = 0; i < nLen; ++i)
                if (!Put((*m_pOut)[m_pOut->size() - nDist]))
                    return false;
        }
    }

    bool Fixed() {
        uint8_t lengths[288];
        int i = 0;
        for (; i < 144; ++i)
            lengths[i] = 8;
        for (; i < 256; ++i)
            lengths[i] = 9;
        for (; i < 280; ++i)
            lengths[i] = 7;
        for (; i < 288; ++i)
            lengths[i] = 8;
        CHuffman lit, dist;
        Build(&lit, lengths, 288);
        for (i = 0; i < 30; ++i)
            lengths[i] = 5;
        Build(&dist, lengths, 30);
        return Codes(lit, dist);
    }

    bool Dynamic() {
        static const uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        int nLit = 0, nDist = 0, nCode = 0;
        if (!Bits(5, &nLit) || !Bits(5, &nDist) || !Bits(4, &nCode))
            return false;
        nLit += 257;
        nDist += 1;
        nCode += 4;
        if (nLit > 286 || nDist > 30)
            return false;
        uint8_t lengths[320] = {};
        for (int i = 0; i < nCode; ++i) {
            int v = 0;
            if (!Bits(3, &v))
                return false;
            lengths[kOrder[i]] = static_cast<uint8_t>(v);
        }
        CHuffman lencode;
        if (!Build(&lencode, lengths, 19))
            return false;
        int index = 0;
        while (index < nLit + nDist) {
            int sym = 0;
            if (!Decode(lencode, &sym))
                return false;
            if (sym < 16) {
                lengths[index++] = static_cast<uint8_t>(sym);
                continue;
            }
            int nRepeat = 0, v = 0;
            uint8_t len = 0;
            if (sym == 16) {
                if (index == 0 || !Bits(2, &v))
                    return false;
                len = lengths[index - 1];
                nRepeat = 3 + v;
            } else if (sym == 17) {
                if (!Bits(3, &v))
                    return false;
                nRepeat = 3 + v;
            } else {
                if (!Bits(7, &v))
                    return false;
                nRepeat = 11 + v;
            }
            if (index + nRepeat > nLit + nDist)
                return false;
            while (nRepeat--)
                lengths[index++] = len;
        }
        if (lengths[256] == 0)
            return false;  // no end of block
        CHuffman lit, dist;
        if (!Build(&lit, lengths, nLit) || !Build(&dist, lengths + nLit, nDist))
            return false;
        return Codes(lit, dist);
    }

    const uint8_t* m_pData;
    size_t m_nBytes;
    size_t m_nPos;
    uint32_t m_nBitBuf;
    int m_nBitCount;
    size_t m_nMaxOut;
    std::vector<uint8_t>* m_pOut;
};

uint32_t Adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}
}  // namespace

bool InflateZlib(const uint8_t* pData, size_t nBytes, size_t nMaxOut, std::vector<uint8_t>* pOut) {
    pOut->clear();
    // The header: method 8 (deflate), a window of at most 32 KB, no preset dictionary, the check.
    if (nBytes < 6 || (pData[0] & 0x0F) != 8 || (pData[0] >> 4) > 7 || (pData[1] & 0x20) ||
        ((pData[0] << 8) | pData[1]) % 31 != 0)
        return false;
    CInflater inflater(pData + 2, nBytes - 2, nMaxOut, pOut);
    if (!inflater.Run())
        return false;
    const size_t nTrailer = 2 + inflater.BytePosition();
    if (nBytes - nTrailer < 4)
        return false;
    const uint8_t* p = pData + nTrailer;
    const uint32_t nCheck = (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    return nCheck == Adler32(*pOut);
}
