#pragma once

#include "host/utf8_sequence.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Decoding a stream of bytes piece by piece, straight into a sink of
// characters (a tally, or UTF-16 for the preparation), reading each byte as
// the window's decoders do: a byte that starts no well-formed sequence becomes
// one U+FFFD and the next byte is read afresh. Each decoder returns how many
// bytes it used; the rest (an unfinished sequence, or a CR whose LF may follow)
// must be passed again in front of the next piece. With `final` everything is
// used. Offsets given to the sink are `base` plus the byte's place in `p`.
namespace byte_decoding {

constexpr char32_t kReplacement = 0xFFFD;

struct Stats {
    std::uint64_t invalid = 0;   // characters that became U+FFFD
    std::uint64_t multiByte = 0; // well-formed sequences of two bytes or more (UTF-8)
};

// A sink that writes the characters as UTF-16 code units.
struct Utf16Sink {
    std::vector<char16_t>& out;
    void put(char32_t c, std::uint64_t) {
        if (c < 0x10000) {
            out.push_back(char16_t(c));
        } else {
            out.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
};

inline std::uint32_t toLittleEndian(std::uint32_t w) {
    if constexpr (std::endian::native == std::endian::big)
        return __builtin_bswap32(w);
    return w;
}

// What the CR byte at i starts: a CR LF pair, a lone CR, or not known before
// the next piece (it is the last byte of a piece that is not the final one).
enum class CrAt { Pair, Lone, Undecided };
inline CrAt crAt(const unsigned char* p, std::size_t i, std::size_t n, bool final) {
    if (i + 1 == n)
        return final ? CrAt::Lone : CrAt::Undecided;
    return p[i + 1] == '\n' ? CrAt::Pair : CrAt::Lone;
}

// When `removeCrLf`, a CR LF pair gives nothing.
template <class Sink>
std::size_t utf8(const unsigned char* p, std::size_t n, bool final, bool removeCrLf,
                 std::uint64_t base, Sink& sink, Stats& stats) {
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        // Three bytes, the common case of Chinese text: lead and continuations
        // checked at once on four bytes read together.
        if (i + 4 <= n) {
            std::uint32_t w;
            std::memcpy(&w, p + i, 4);
            w = toLittleEndian(w);
            if ((w & 0x00C0C0F0u) == 0x008080E0u) {
                const char32_t cp = (w & 0x0Fu) << 12 | (w >> 8 & 0x3Fu) << 6 | (w >> 16 & 0x3Fu);
                if (cp >= 0x800 && cp - 0xD800 >= 0x800) [[likely]] {
                    ++stats.multiByte;
                    sink.put(cp, base + i);
                    i += 3;
                    continue;
                }
            }
        }
        if (b < 0x80) {
            // Eight ASCII bytes at a time, unless one of them is a CR to look at.
            if (i + 8 <= n) {
                std::uint64_t w;
                std::memcpy(&w, p + i, 8);
                if ((w & 0x8080808080808080ull) == 0 &&
                    !(removeCrLf && std::memchr(p + i, '\r', 8))) {
                    for (int k = 0; k < 8; ++k)
                        sink.put(p[i + k], base + i + k);
                    i += 8;
                    continue;
                }
            }
            if (b == '\r' && removeCrLf) {
                const CrAt cr = crAt(p, i, n, final);
                if (cr == CrAt::Undecided)
                    return i;
                if (cr == CrAt::Pair) {
                    i += 2;
                    continue;
                }
            }
            sink.put(b, base + i);
            ++i;
            continue;
        }
        const utf8::Lead lead = utf8::lead(b);
        const utf8::Sequence sequence =
            lead.length ? utf8::sequence(p, i, n, lead) : utf8::Sequence{};
        if (lead.length && sequence.read < lead.length && i + std::size_t(sequence.read) == n &&
            !final)
            return i; // the rest of the sequence is in the next piece
        if (!lead.length || !sequence.valid(lead)) {
            ++stats.invalid;
            sink.put(kReplacement, base + i);
            ++i;
            continue;
        }
        ++stats.multiByte;
        sink.put(sequence.cp, base + i);
        i += std::size_t(lead.length);
    }
    return i;
}

// GBK and GB18030 read alike: one byte, two bytes, or four.
struct GbTables {
    char16_t twoByte[126 * 190];
    char16_t fourByte[39420];
};
const GbTables& gbTables();

template <class Sink>
std::size_t gb(const unsigned char* p, std::size_t n, bool final, bool removeCrLf,
               std::uint64_t base, Sink& sink, Stats& stats) {
    const GbTables& t = gbTables();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            if (b == '\r' && removeCrLf) {
                const CrAt cr = crAt(p, i, n, final);
                if (cr == CrAt::Undecided)
                    return i;
                if (cr == CrAt::Pair) {
                    i += 2;
                    continue;
                }
            }
            sink.put(b, base + i);
            ++i;
            continue;
        }
        if (b == 0x80 || b == 0xFF) {
            sink.put(b == 0x80 ? 0x20AC : 0xF8F5, base + i);
            ++i;
            continue;
        }
        if (i + 1 == n && !final)
            return i;
        if (i + 1 < n) {
            const unsigned char c = p[i + 1];
            const int trail = c >= 0x40 && c <= 0x7E   ? c - 0x40
                              : c >= 0x80 && c <= 0xFE ? c - 0x41
                                                       : -1;
            if (trail >= 0) {
                sink.put(t.twoByte[(b - 0x81) * 190 + trail], base + i);
                i += 2;
                continue;
            }
            if (c >= 0x30 && c <= 0x39) {
                if (i + 2 < n && !(p[i + 2] >= 0x81 && p[i + 2] <= 0xFE)) {
                    // not a four-byte code: the lead alone is unreadable
                } else if (i + 3 >= n && !final) {
                    return i;
                } else if (i + 3 < n && p[i + 3] >= 0x30 && p[i + 3] <= 0x39) {
                    const int linear =
                        (((b - 0x81) * 10 + (c - 0x30)) * 126 + (p[i + 2] - 0x81)) * 10 +
                        (p[i + 3] - 0x30);
                    char32_t cp = kReplacement;
                    if (linear < 39420)
                        cp = t.fourByte[linear];
                    else if (linear >= 189000 && linear <= 189000 + 0xFFFFF)
                        cp = char32_t(0x10000 + (linear - 189000));
                    else
                        ++stats.invalid;
                    sink.put(cp, base + i);
                    i += 4;
                    continue;
                }
            }
        }
        ++stats.invalid;
        sink.put(kReplacement, base + i);
        ++i;
    }
    return i;
}

// UTF-16 without its byte-order mark; an unpaired surrogate or an odd last
// byte becomes U+FFFD.
template <class Sink>
std::size_t utf16(const unsigned char* p, std::size_t n, bool final, bool bigEndian,
                  bool removeCrLf, std::uint64_t base, Sink& sink, Stats& stats) {
    auto unit = [&](std::size_t at) -> char16_t {
        return bigEndian ? char16_t(p[at] << 8 | p[at + 1]) : char16_t(p[at + 1] << 8 | p[at]);
    };
    std::size_t i = 0;
    while (i + 2 <= n) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 4 > n && !final)
                return i;
            if (i + 4 <= n) {
                const char16_t v = unit(i + 2);
                if (v >= 0xDC00 && v <= 0xDFFF) {
                    sink.put(char32_t(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00)), base + i);
                    i += 4;
                    continue;
                }
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            ++stats.invalid;
            sink.put(kReplacement, base + i);
            i += 2;
            continue;
        }
        if (u == '\r' && removeCrLf) {
            if (i + 4 > n && !final)
                return i;
            if (i + 4 <= n && unit(i + 2) == '\n') {
                i += 4;
                continue;
            }
        }
        sink.put(u, base + i);
        i += 2;
    }
    if (i < n && final) {
        ++stats.invalid;
        sink.put(kReplacement, base + i);
        ++i;
    }
    return i;
}

} // namespace byte_decoding
